// The system interface on Win32. Everything the one-registration launch touches stays in kernel32
// so that path never loads the user-interface DLLs (they are delay-loaded).
#include "win32/win32_system.h"

#include <windows.h>
#undef MessageBox  // the interface's own name, not user32's macro

#include "win32/window.h"

#include <algorithm>
#include <vector>

namespace tolvare {

namespace {

constexpr UINT kCp932 = 932;

SysError LastError(Win32System& sys) {
    const DWORD code = GetLastError();
    return {code, sys.ErrorText(code)};
}

// Closes a kernel handle when it goes out of scope.
class Handle {
public:
    explicit Handle(HANDLE h = INVALID_HANDLE_VALUE) : h_(h) {}
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    ~Handle() { Close(); }
    HANDLE get() const { return h_; }
    bool valid() const { return h_ != INVALID_HANDLE_VALUE && h_ != nullptr; }
    BOOL Close() {
        BOOL ok = TRUE;
        if (valid()) ok = CloseHandle(h_);
        h_ = INVALID_HANDLE_VALUE;
        return ok;
    }

private:
    HANDLE h_;
};

class Win32OutFile : public OutFile {
public:
    Win32OutFile(HANDLE h, Win32System& sys) : file_(h), sys_(sys) {}

    bool Write(std::string_view bytes, SysError& err) override {
        while (!bytes.empty()) {
            const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size(), 1u << 30));
            DWORD written = 0;
            if (!WriteFile(file_.get(), bytes.data(), chunk, &written, nullptr)) {
                err = LastError(sys_);
                return false;
            }
            bytes.remove_prefix(written);
        }
        return true;
    }

    bool Commit(SysError& err) override {
        if (!file_.valid()) {
            err = {ERROR_INVALID_HANDLE, sys_.ErrorText(ERROR_INVALID_HANDLE)};
            return false;
        }
        if (!FlushFileBuffers(file_.get())) {
            err = LastError(sys_);
            file_.Close();
            return false;
        }
        if (!file_.Close()) {
            err = LastError(sys_);
            return false;
        }
        return true;
    }

private:
    Handle file_;
    Win32System& sys_;
};

// A stable 64-bit FNV-1a over UTF-16 code units: the same exe path gives the same mutex name.
uint64_t Fnv1a(std::wstring_view text) {
    uint64_t hash = 14695981039346656037ull;
    for (wchar_t c : text) {
        for (int shift = 0; shift < 16; shift += 8) {
            hash ^= (static_cast<uint16_t>(c) >> shift) & 0xFF;
            hash *= 1099511628211ull;
        }
    }
    return hash;
}

std::wstring ModulePath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) return {};
        if (n < path.size()) {
            path.resize(n);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

// One spelling of a path, whichever way the exe was started: full, with the long names of its
// folders (a short-form start gives a short module path), so every start shares one lock name.
std::wstring CanonicalPath(const std::wstring& path) {
    std::wstring full(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
        if (n == 0) return path;
        if (n < full.size()) {
            full.resize(n);
            break;
        }
        full.resize(n);
    }
    const size_t slash = full.find_last_of(L'\\');
    if (slash == std::wstring::npos) return full;
    const std::wstring folder = full.substr(0, slash + 1);
    std::wstring longFolder(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetLongPathNameW(folder.c_str(), longFolder.data(), static_cast<DWORD>(longFolder.size()));
        if (n == 0) return full;
        if (n < longFolder.size()) {
            longFolder.resize(n);
            break;
        }
        longFolder.resize(n);
    }
    if (longFolder.empty() || longFolder.back() != L'\\') longFolder += L'\\';
    return longFolder + full.substr(slash + 1);
}

BOOL CALLBACK FindTopmost(HWND hwnd, LPARAM found) {
    if (IsWindowVisible(hwnd) && (GetWindowLongPtrW(hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0) {
        *reinterpret_cast<bool*>(found) = true;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

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
    const int n = WideCharToMultiByte(kCp932, WC_NO_BEST_FIT_CHARS, text.data(), inLen, nullptr,
                                      0, nullptr, nullptr);
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
    const int n = LCMapStringEx(LOCALE_NAME_USER_DEFAULT, LCMAP_UPPERCASE, text.data(), inLen,
                                nullptr, 0, nullptr, nullptr, 0);
    if (n <= 0) return std::wstring(text);
    std::wstring out(static_cast<size_t>(n), L'\0');
    LCMapStringEx(LOCALE_NAME_USER_DEFAULT, LCMAP_UPPERCASE, text.data(), inLen, out.data(), n,
                  nullptr, nullptr, 0);
    return out;
}

ReadStatus Win32System::ReadWholeFile(const std::wstring& path, std::string& bytes,
                                      SysError& err) {
    bytes.clear();
    Handle file(CreateFileW(path.c_str(), GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) {
        const DWORD code = GetLastError();
        if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND) return ReadStatus::kNotFound;
        err = {code, ErrorText(code)};
        return ReadStatus::kFailed;
    }
    char buffer[64 * 1024];
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr)) {
            err = LastError(*this);
            return ReadStatus::kFailed;
        }
        if (got == 0) break;
        bytes.append(buffer, got);
    }
    return ReadStatus::kOk;
}

std::unique_ptr<OutFile> Win32System::CreateOutFile(const std::wstring& path, SysError& err) {
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        err = LastError(*this);
        return nullptr;
    }
    return std::make_unique<Win32OutFile>(h, *this);
}

bool Win32System::DeleteFileAt(const std::wstring& path, SysError& err) {
    if (DeleteFileW(path.c_str())) return true;
    err = LastError(*this);
    return false;
}

bool Win32System::ReplaceFileWith(const std::wstring& from, const std::wstring& to,
                                  SysError& err) {
    // A read-only profile is the user's "do not change": Windows refuses to replace it, and so
    // does TOLVARE wherever it runs.
    const DWORD attributes = GetFileAttributesW(to.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
        err = {ERROR_ACCESS_DENIED, ErrorText(ERROR_ACCESS_DENIED)};
        return false;
    }
    if (MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        return true;
    }
    err = LastError(*this);
    return false;
}

std::optional<std::wstring> Win32System::ShortPathName(const std::wstring& path) {
    std::wstring out(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetShortPathNameW(path.c_str(), out.data(), static_cast<DWORD>(out.size()));
        if (n == 0) return std::nullopt;
        if (n < out.size()) {
            out.resize(n);
            return out;
        }
        out.resize(n);  // n counts the terminating zero when the buffer was too small
    }
}

std::wstring Win32System::FirstDirEntry(const std::wstring& pattern, bool includeDirs) {
    std::wstring search = pattern;
    if (!search.empty() && search.back() == L'\\') search += L'*';
    WIN32_FIND_DATAW data{};
    HANDLE find = FindFirstFileW(search.c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return {};
    std::wstring name;
    do {
        if (includeDirs || (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
            name = data.cFileName;
            break;
        }
    } while (FindNextFileW(find, &data));
    FindClose(find);
    return name;
}

std::vector<std::wstring> Win32System::ListFiles(const std::wstring& pattern) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW data{};
    HANDLE find = FindFirstFileW(pattern.c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
        if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) names.emplace_back(data.cFileName);
    } while (FindNextFileW(find, &data));
    FindClose(find);
    return names;
}

std::optional<uint32_t> Win32System::FileAttributes(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return std::nullopt;
    return attributes;
}

bool Win32System::AnotherInstanceRunning(const std::wstring& profilePath) {
    // Created once and never closed: the mutex marks this process as the running instance.
    static const bool another = [this, &profilePath] {
        const std::wstring profile = ToUpper(CanonicalPath(profilePath));
        std::wstring name = L"Local\\TOLVARE-";
        const uint64_t hash = Fnv1a(profile);
        for (int shift = 60; shift >= 0; shift -= 4) {
            name += L"0123456789ABCDEF"[(hash >> shift) & 0xF];
        }
        HANDLE mutex = CreateMutexW(nullptr, FALSE, name.c_str());
        return mutex != nullptr && GetLastError() == ERROR_ALREADY_EXISTS;
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

uint32_t Win32System::StartProcess(const std::wstring& commandLine, SysError& err) {
    std::vector<wchar_t> writable(commandLine.begin(), commandLine.end());
    writable.push_back(L'\0');
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, writable.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                        &pi)) {
        err = LastError(*this);
        return 0;
    }
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return pi.dwProcessId;
}

std::wstring Win32System::ErrorText(uint32_t code) {
    wchar_t* buffer = nullptr;
    const DWORD n = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
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
    MSG msg{};
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            // Leave the quit for the loop that owns the program's life.
            PostQuitMessage(static_cast<int>(msg.wParam));
            return;
        }
        if (!Window::PreTranslate(&msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
}

void Win32System::Beep() { MessageBeep(MB_OK); }

int Win32System::MessageBox(const std::wstring& text, const std::wstring& title, unsigned style) {
    HWND owner = Window::FrontWindow();
    UINT flags = style;
    if (owner == nullptr) {
        // An ownerless box would open behind a topmost window of ours. MB_SYSTEMMODAL is
        // MB_APPLMODAL plus WS_EX_TOPMOST, and unlike MB_TOPMOST Wine honours it too.
        bool topmost = false;
        EnumThreadWindows(GetCurrentThreadId(), FindTopmost, reinterpret_cast<LPARAM>(&topmost));
        if (topmost) flags = (flags & ~MB_MODEMASK) | MB_TOPMOST | MB_SYSTEMMODAL;
    }
    return MessageBoxW(owner, text.c_str(), title.c_str(), flags);
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
