// The system interface on Win32: code page 932, the process, time and the user interface (files
// and paths are in win32_files.cpp). Everything the one-registration launch touches stays in
// kernel32, so that path never loads the user-interface DLLs (they are delay-loaded).
#include "win32/win32_system.h"

#include <windows.h>
#undef MessageBox  // the interface's own name, not user32's macro
#include <objbase.h>
#include <shellapi.h>

#include "core/text.h"
#include "win32/handle.h"
#include "win32/message_loop.h"
#include "win32/window.h"

#include <algorithm>
#include <tuple>
#include <vector>

namespace tolvare {

namespace {

constexpr UINT kCp932 = 932;

// One spelling of a file's path, whichever way it was reached: its folder as the file system
// itself names it (whichever drive, share, link or short name led there), or where the file
// system cannot tell, the full path with the folder's long names.
std::wstring CanonicalPath(const std::wstring& path) {
    const auto full = BufferedText(
        [&](wchar_t* out, DWORD size) { return GetFullPathNameW(path.c_str(), size, out, nullptr); });
    if (!full) return path;
    const size_t slash = full->find_last_of(L'\\');
    if (slash == std::wstring::npos) return *full;
    const std::wstring folder = full->substr(0, slash + 1);
    const Handle handle(CreateFileW(folder.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    auto named = handle.valid() ? FinalPathOf(handle.get()) : std::nullopt;
    if (!named) {
        named = BufferedText(
            [&](wchar_t* out, DWORD size) { return GetLongPathNameW(folder.c_str(), out, size); });
    }
    if (!named) return *full;
    if (named->empty() || named->back() != L'\\') *named += L'\\';
    return *named + full->substr(slash + 1);
}

// While it lives, the message boxes this thread opens are made topmost and brought to the front
// as they are activated. MB_TOPMOST alone is not honoured everywhere (Wine ignores it), so the
// style is set on the box itself.
class TopmostBox {
public:
    TopmostBox() : hook_(SetWindowsHookExW(WH_CBT, Hook, nullptr, GetCurrentThreadId())) {}
    ~TopmostBox() {
        if (hook_ != nullptr) UnhookWindowsHookEx(hook_);
    }
    TopmostBox(const TopmostBox&) = delete;
    TopmostBox& operator=(const TopmostBox&) = delete;

private:
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam) {
        if (code == HCBT_ACTIVATE) {
            HWND box = reinterpret_cast<HWND>(wParam);
            wchar_t cls[16] = {};
            if (GetClassNameW(box, cls, 16) != 0 && lstrcmpW(cls, L"#32770") == 0 &&
                (GetWindowLongPtrW(box, GWL_EXSTYLE) & WS_EX_TOPMOST) == 0) {
                SetWindowPos(box, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
                SetForegroundWindow(box);
            }
        }
        return CallNextHookEx(nullptr, code, wParam, lParam);
    }

    HHOOK hook_;
};

}  // namespace

std::wstring ModulePath() {
    return BufferedText([](wchar_t* out, DWORD size) { return GetModuleFileNameW(nullptr, out, size); })
        .value_or(L"");
}

std::wstring ArgumentsOf(const wchar_t* commandLine) {
    if (commandLine == nullptr) return {};
    const wchar_t* p = commandLine;
    // The program's name ends at the first blank outside quotes, as the C runtime reads it.
    bool quoted = false;
    while (*p != L'\0' && (quoted || (*p != L' ' && *p != L'\t'))) {
        if (*p == L'"') quoted = !quoted;
        ++p;
    }
    while (*p == L' ' || *p == L'\t') ++p;
    return p;
}

std::string Win32System::ToCp932(std::wstring_view text, bool* lossy) {
    if (lossy != nullptr) *lossy = false;
    if (text.empty()) return {};
    const int inLen = static_cast<int>(text.size());
    BOOL usedDefault = FALSE;
    const int n =
        WideCharToMultiByte(kCp932, WC_NO_BEST_FIT_CHARS, text.data(), inLen, nullptr, 0, nullptr, nullptr);
    if (n <= 0) {
        if (lossy != nullptr) *lossy = true;
        return {};
    }
    std::string out(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(kCp932, WC_NO_BEST_FIT_CHARS, text.data(), inLen, out.data(), n, nullptr,
                        &usedDefault);
    if (lossy != nullptr) *lossy = usedDefault != FALSE;
    return out;
}

std::wstring Win32System::FromCp932(std::string_view bytes) {
    if (bytes.empty()) return {};
    const int inLen = static_cast<int>(bytes.size());
    const int n = MultiByteToWideChar(kCp932, 0, bytes.data(), inLen, nullptr, 0);
    if (n <= 0) return {};
    std::wstring out(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(kCp932, 0, bytes.data(), inLen, out.data(), n);
    return out;
}

std::wstring Win32System::ToUpper(std::wstring_view text) {
    if (text.empty()) return {};
    const int inLen = static_cast<int>(text.size());
    const int n = LCMapStringEx(LOCALE_NAME_USER_DEFAULT, LCMAP_UPPERCASE, text.data(), inLen, nullptr, 0,
                                nullptr, nullptr, 0);
    if (n <= 0) return std::wstring(text);
    std::wstring out(static_cast<size_t>(n), L'\0');
    LCMapStringEx(LOCALE_NAME_USER_DEFAULT, LCMAP_UPPERCASE, text.data(), inLen, out.data(), n, nullptr,
                  nullptr, 0);
    return out;
}

std::wstring Win32System::InstanceLockName(const std::wstring& profilePath) {
    const std::wstring profile = ToUpper(CanonicalPath(profilePath));
    std::wstring name = L"Local\\TOLVARE-";
    // The UTF-16 code units' bytes, low byte first: a name that stays the same across builds.
    const uint64_t hash =
        Fnv1a({reinterpret_cast<const char*>(profile.data()), profile.size() * sizeof(wchar_t)});
    for (int shift = 60; shift >= 0; shift -= 4) name += L"0123456789ABCDEF"[(hash >> shift) & 0xF];
    return name;
}

bool Win32System::AnotherInstanceRunning(const std::wstring& profilePath) {
    // Created once and never closed: the mutex marks this process as the running instance. A
    // lock that cannot be made or opened may well be another instance's: it counts as held.
    static const bool another = [this, &profilePath] {
        const std::wstring name = InstanceLockName(profilePath);
        SetLastError(ERROR_SUCCESS);
        HANDLE mutex = CreateMutexW(nullptr, FALSE, name.c_str());
        return mutex == nullptr || GetLastError() == ERROR_ALREADY_EXISTS;
    }();
    return another;
}

std::wstring Win32System::CommandArgs() { return ArgumentsOf(GetCommandLineW()); }

std::wstring Win32System::ExeDirectory() {
    std::wstring path = ModulePath();
    const size_t slash = path.find_last_of(L'\\');
    if (slash == std::wstring::npos) return {};
    // A drive root keeps its "\" so that it still names the root.
    path.resize(slash == 2 && path[1] == L':' ? slash + 1 : slash);
    return path;
}

uint32_t Win32System::StartProcess(const std::wstring& application, const std::wstring& commandLine,
                                   SysError& err) {
    std::vector<wchar_t> writable(commandLine.begin(), commandLine.end());
    writable.push_back(L'\0');
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION pi{};
    // The application named: the system starts that file and searches nowhere.
    if (!CreateProcessW(application.c_str(), writable.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &si, &pi)) {
        err = LastError(*this);
        return 0;
    }
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return pi.dwProcessId;
}

uint32_t Win32System::StartElevated(const std::wstring& application, const std::wstring& parameters,
                                    SysError& err) {
    // Only a program that needs administrator rights comes here, so the shell (and COM, which it
    // may use) are loaded only then.
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    // Failures come back to be reported like any failed start; the consent prompt still shows.
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
    info.hwnd = Window::FrontWindow();  // without an owner the prompt only flashes in the taskbar
    info.lpVerb = L"runas";
    info.lpFile = application.c_str();
    info.lpParameters = parameters.c_str();
    info.nShow = SW_SHOWNORMAL;
    const bool started = ShellExecuteExW(&info) != FALSE;
    if (!started) err = LastError(*this);
    if (SUCCEEDED(com)) CoUninitialize();
    if (!started) return 0;
    DWORD processId = 0;
    if (info.hProcess != nullptr) {
        processId = GetProcessId(info.hProcess);
        CloseHandle(info.hProcess);
    }
    return processId != 0 ? processId : 1;  // it runs, even when the shell keeps its id to itself
}

bool Win32System::IsThisExe(const std::wstring& path) {
    // The same file whatever the spelling (short names, case, "..", another share of the same
    // disk): the volume and the file's index on it, as the file system itself tells them.
    const auto identity = [](const std::wstring& file) -> std::optional<std::tuple<DWORD, DWORD, DWORD>> {
        const Handle handle(CreateFileW(file.c_str(), 0,
                                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                        OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
        BY_HANDLE_FILE_INFORMATION info{};
        if (!handle.valid() || !GetFileInformationByHandle(handle.get(), &info)) return std::nullopt;
        return std::tuple(info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow);
    };
    const auto self = identity(ModulePath());
    return self && self == identity(path);
}

std::wstring Win32System::SystemDirectory() {
    return BufferedText([](wchar_t* out, DWORD size) { return GetSystemDirectoryW(out, size); })
        .value_or(L"");
}

std::wstring Win32System::WindowsDirectory() {
    return BufferedText([](wchar_t* out, DWORD size) { return GetWindowsDirectoryW(out, size); })
        .value_or(L"");
}

std::wstring Win32System::EnvironmentVariable(const std::wstring& name) {
    return BufferedText(
               [&](wchar_t* out, DWORD size) { return GetEnvironmentVariableW(name.c_str(), out, size); })
        .value_or(L"");
}

std::wstring Win32System::ErrorText(uint32_t code) {
    wchar_t* buffer = nullptr;
    const DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                       FORMAT_MESSAGE_IGNORE_INSERTS,
                                   nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::wstring text;
    if (n != 0 && buffer != nullptr) text.assign(buffer, n);
    if (buffer != nullptr) LocalFree(buffer);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r')) text.pop_back();
    // Never an empty reason: the user at least sees the number.
    if (text.empty()) text = L"Error " + std::to_wstring(code);
    return text;
}

int64_t Win32System::MonotonicMs() { return static_cast<int64_t>(GetTickCount64()); }

void Win32System::WaitForEvents(int64_t maxMs) {
    const DWORD wait = static_cast<DWORD>(std::clamp<int64_t>(maxMs, 0, int64_t{INFINITE} - 1));
    MsgWaitForMultipleObjectsEx(0, nullptr, wait, QS_ALLINPUT, MWMO_INPUTAVAILABLE);
    for (int quitCode = 0;;) {
        const Pumped pumped = PumpMessage(false, quitCode);
        if (pumped == Pumped::kEmpty) return;
        if (pumped == Pumped::kQuit) {
            // Left for the loop that owns the program's life.
            PostQuitMessage(quitCode);
            return;
        }
    }
}

void Win32System::Pause(int64_t ms) { Sleep(static_cast<DWORD>(std::clamp<int64_t>(ms, 0, 60000))); }

void Win32System::Beep() { MessageBeep(MB_OK); }

int Win32System::MessageBox(const std::wstring& text, const std::wstring& title, unsigned style) {
    HWND owner = Window::FrontWindow();
    if (owner != nullptr) return MessageBoxW(owner, text.c_str(), title.c_str(), style);
    // A box without a window of ours to stand on (start-up's, above all the refusal of a second
    // instance) is all the user sees of the program: it must not open behind a topmost window,
    // of ours or of the instance already running, and wait there unseen.
    const TopmostBox topmost;
    return MessageBoxW(nullptr, text.c_str(), title.c_str(), style | MB_TOPMOST | MB_SETFOREGROUND);
}

void Win32System::ShowList(bool modal) {
    if (openers_.list != nullptr) openers_.list(modal);
}
void Win32System::ShowEditor() {
    if (openers_.editor != nullptr) openers_.editor();
}
void Win32System::ShowSelect() {
    if (openers_.select != nullptr) openers_.select();
}

}  // namespace tolvare
