// Drives another process the way a user would: starts it with an exact command line, finds its
// windows and message boxes by owning process, and makes sure it is gone when the test ends.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tolvare::test {

// Wine starts processes slowly; every wait of the end-to-end tests is bounded by this.
inline constexpr DWORD kProcessTimeoutMs = 15000;

// A started process; terminated on destruction if it still runs, so that a failing test never
// leaves an instance behind to confuse the next one.
class ChildProcess {
public:
    ChildProcess() = default;
    ~ChildProcess();
    ChildProcess(ChildProcess&& other) noexcept;
    ChildProcess& operator=(ChildProcess&& other) noexcept;
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // CreateProcessW(exe, commandLine) with the command line verbatim; the working directory is
    // the caller's unless given. Check started() afterwards.
    static ChildProcess Start(const std::wstring& exe, const std::wstring& commandLine,
                              const std::wstring& workingDir = {});

    bool started() const { return process_ != nullptr; }
    DWORD id() const { return id_; }
    HANDLE handle() const { return process_; }
    DWORD startError() const { return startError_; }

    bool WaitForExit(DWORD timeoutMs = kProcessTimeoutMs) const;
    bool WaitForInputIdle(DWORD timeoutMs = kProcessTimeoutMs) const;
    bool Running() const { return process_ && !WaitForExit(0); }
    std::optional<DWORD> ExitCode() const;
    void Terminate();

private:
    HANDLE process_ = nullptr;
    DWORD id_ = 0;
    DWORD startError_ = 0;
};

// The visible top-level windows of a process, optionally of one class and/or caption.
std::vector<HWND> WindowsOf(DWORD pid, const wchar_t* className = nullptr, const wchar_t* caption = nullptr);
// Polls until such a window other than `skip` exists; nullptr after the timeout.
HWND WaitForWindowOf(DWORD pid, const wchar_t* className, const wchar_t* caption = nullptr,
                     DWORD timeoutMs = kProcessTimeoutMs, HWND skip = nullptr);
// A message box (dialog class #32770) of the process.
inline HWND WaitForBoxOf(DWORD pid, DWORD timeoutMs = kProcessTimeoutMs, HWND skip = nullptr) {
    return WaitForWindowOf(pid, L"#32770", nullptr, timeoutMs, skip);
}
// Polls `ready` every few milliseconds until it holds or the time is up.
bool PollUntil(const std::function<bool()>& ready, DWORD timeoutMs = kProcessTimeoutMs);

// Quotes a path for a command line the way the shell does ("C:\a b\c.txt").
inline std::wstring Quoted(const std::wstring& path) { return L"\"" + path + L"\""; }

}  // namespace tolvare::test
