// A stand-in for a launched program: records how it was asked to show its window (the digit of
// wShowWindow, or "-" without STARTF_USESHOWWINDOW), a tab and the exact command line it was
// started with, so that tests can see what TOLVARE handed over. It imports kernel32 only and has no console
// and no C runtime, so it starts as fast as Windows (or Wine) allows.
#include <windows.h>

namespace {

// Static buffers: no stack probes and no C runtime are needed.
char utf8[3 * 32768 + 2];
wchar_t logPath[32768];

}  // namespace

extern "C" void __stdcall ProbeEntry() {
    DWORD n = GetEnvironmentVariableW(L"TOLVARE_PROBE_LOG", logPath, 32768);
    if (n == 0 || n >= 32768) ExitProcess(2);
    STARTUPINFOW si;
    GetStartupInfoW(&si);
    utf8[0] = (si.dwFlags & STARTF_USESHOWWINDOW) != 0 ? static_cast<char>('0' + si.wShowWindow % 10) : '-';
    utf8[1] = '\t';
    const wchar_t* line = GetCommandLineW();
    int length = lstrlenW(line);
    int bytes = length == 0 ? 0
                            : WideCharToMultiByte(CP_UTF8, 0, line, length, utf8 + 2,
                                                  static_cast<int>(sizeof utf8) - 3, nullptr, nullptr);
    if (length != 0 && bytes == 0) ExitProcess(3);
    bytes += 2;
    utf8[bytes++] = '\n';
    HANDLE file = CreateFileW(logPath, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) ExitProcess(4);
    DWORD written = 0;
    BOOL ok = WriteFile(file, utf8, static_cast<DWORD>(bytes), &written, nullptr);
    CloseHandle(file);
    ExitProcess(ok && written == static_cast<DWORD>(bytes) ? 0 : 5);
}
