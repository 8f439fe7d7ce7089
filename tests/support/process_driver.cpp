// Starting processes with exact command lines and finding their windows from outside.
#include "tests/support/process_driver.h"

#include <utility>

namespace tolvare::test {
namespace {

constexpr DWORD kPollMs = 20;

struct WindowQuery {
    DWORD pid;
    const wchar_t* className;
    const wchar_t* caption;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectWindow(HWND hwnd, LPARAM lParam) {
    auto* query = reinterpret_cast<WindowQuery*>(lParam);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid != query->pid || !IsWindowVisible(hwnd)) return TRUE;
    wchar_t text[512] = {};
    if (query->className) {
        if (!GetClassNameW(hwnd, text, 512) || lstrcmpW(text, query->className) != 0) return TRUE;
    }
    if (query->caption) {
        text[0] = L'\0';
        GetWindowTextW(hwnd, text, 512);
        if (lstrcmpW(text, query->caption) != 0) return TRUE;
    }
    query->found.push_back(hwnd);
    return TRUE;
}

}  // namespace

ChildProcess::~ChildProcess() { Terminate(); }

ChildProcess::ChildProcess(ChildProcess&& other) noexcept
    : process_(std::exchange(other.process_, nullptr)),
      id_(std::exchange(other.id_, 0)),
      startError_(other.startError_) {}

ChildProcess& ChildProcess::operator=(ChildProcess&& other) noexcept {
    if (this != &other) {
        Terminate();
        process_ = std::exchange(other.process_, nullptr);
        id_ = std::exchange(other.id_, 0);
        startError_ = other.startError_;
    }
    return *this;
}

ChildProcess ChildProcess::Start(const std::wstring& exe, const std::wstring& commandLine,
                                 const std::wstring& workingDir) {
    ChildProcess child;
    std::wstring buffer = commandLine;  // CreateProcessW may write into it
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessW(exe.c_str(), buffer.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        workingDir.empty() ? nullptr : workingDir.c_str(), &si, &pi)) {
        child.startError_ = GetLastError();
        return child;
    }
    CloseHandle(pi.hThread);
    child.process_ = pi.hProcess;
    child.id_ = pi.dwProcessId;
    return child;
}

bool ChildProcess::WaitForExit(DWORD timeoutMs) const {
    return process_ && WaitForSingleObject(process_, timeoutMs) == WAIT_OBJECT_0;
}

bool ChildProcess::WaitForInputIdle(DWORD timeoutMs) const {
    return process_ && ::WaitForInputIdle(process_, timeoutMs) == 0;
}

std::optional<DWORD> ChildProcess::ExitCode() const {
    DWORD code = 0;
    if (!process_ || !GetExitCodeProcess(process_, &code) || code == STILL_ACTIVE) return std::nullopt;
    return code;
}

void ChildProcess::Terminate() {
    if (!process_) return;
    if (WaitForSingleObject(process_, 0) != WAIT_OBJECT_0) {
        TerminateProcess(process_, 1);
        WaitForSingleObject(process_, kProcessTimeoutMs);
    }
    CloseHandle(process_);
    process_ = nullptr;
}

std::vector<HWND> WindowsOf(DWORD pid, const wchar_t* className, const wchar_t* caption) {
    WindowQuery query{pid, className, caption, {}};
    EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&query));
    return query.found;
}

HWND WaitForWindowOf(DWORD pid, const wchar_t* className, const wchar_t* caption, DWORD timeoutMs,
                     HWND skip) {
    HWND result = nullptr;
    PollUntil(
        [&] {
            for (HWND hwnd : WindowsOf(pid, className, caption)) {
                if (hwnd != skip) {
                    result = hwnd;
                    return true;
                }
            }
            return false;
        },
        timeoutMs);
    return result;
}

bool PollUntil(const std::function<bool()>& ready, DWORD timeoutMs) {
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        if (ready()) return true;
        if (GetTickCount64() >= deadline) return false;
        Sleep(kPollMs);
    }
}

}  // namespace tolvare::test
