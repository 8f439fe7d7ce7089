// The program the launch benchmark starts: it exits at once, after leaving a mark file when
// BENCH_PROBE_MARK names one (so the script can check that the launch really happened).
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    wchar_t mark[MAX_PATH];
    const DWORD n = GetEnvironmentVariableW(L"BENCH_PROBE_MARK", mark, MAX_PATH);
    if (n > 0 && n < MAX_PATH) {
        HANDLE h = CreateFileW(mark, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    }
    return 0;
}
