// The system interface on Windows: the product's own implementation.
#pragma once

#include <algorithm>
#include <optional>
#include <string>

#include "core/system.h"

namespace tolvare {

// How the program opens its three windows. The entry point hands them over, so that this layer
// never names a window of the layers above it; a missing one opens nothing.
struct WindowOpeners {
    void (*list)(bool modal) = nullptr;
    void (*editor)() = nullptr;
    void (*select)() = nullptr;
};

class Win32System : public System {
public:
    explicit Win32System(WindowOpeners openers = {}) : openers_(openers) {}

    std::string ToCp932(std::wstring_view text, bool* lossy = nullptr) override;
    std::wstring FromCp932(std::string_view bytes) override;
    std::wstring ToUpper(std::wstring_view text) override;

    ReadStatus ReadWholeFile(const std::wstring& path, std::string& bytes, SysError& err) override;
    std::unique_ptr<OutFile> CreateOutFile(const std::wstring& path, SysError& err) override;
    bool DeleteFileAt(const std::wstring& path, SysError& err) override;
    bool ReplaceFileWith(const std::wstring& from, const std::wstring& to, SysError& err) override;
    std::wstring LinkTarget(const std::wstring& path) override;

    std::optional<std::wstring> ShortPathName(const std::wstring& path) override;
    std::wstring FirstDirEntry(const std::wstring& pattern, bool includeDirs) override;
    std::optional<uint32_t> FileAttributes(const std::wstring& path) override;
    std::vector<std::wstring> ListFiles(const std::wstring& pattern) override;

    bool AnotherInstanceRunning(const std::wstring& profilePath) override;
    std::wstring CommandArgs() override;
    std::wstring ExeDirectory() override;
    uint32_t StartProcess(const std::wstring& application, const std::wstring& commandLine,
                          SysError& err) override;
    uint32_t StartElevated(const std::wstring& application, const std::wstring& parameters,
                           SysError& err) override;
    bool IsThisExe(const std::wstring& path) override;
    std::wstring SystemDirectory() override;
    std::wstring WindowsDirectory() override;
    std::wstring EnvironmentVariable(const std::wstring& name) override;
    std::wstring ErrorText(uint32_t code) override;

    int64_t MonotonicMs() override;
    void WaitForEvents(int64_t maxMs) override;
    void Pause(int64_t ms) override;

    void Beep() override;
    int MessageBox(const std::wstring& text, const std::wstring& title, unsigned style) override;
    void ShowList(bool modal) override;
    void ShowEditor() override;
    void ShowSelect() override;

    // The name of the lock that marks the instance working on a profile: one name however the
    // profile's folder is reached (subst, a mapped drive or UNC, junctions and links, any case).
    std::wstring InstanceLockName(const std::wstring& profilePath);

private:
    WindowOpeners openers_;
};

// The text a platform call writes into the buffer it is given, the buffer grown until the text
// fits. `call(buffer, size)` returns the length written, the size it needs, or (having cut the
// text) the size it was given; 0 is a failure, and gives nothing.
template <class Call>
std::optional<std::wstring> BufferedText(Call call) {
    std::wstring text(260, L'\0');  // MAX_PATH: most answers fit at once
    for (;;) {
        const auto n = static_cast<size_t>(call(text.data(), static_cast<unsigned long>(text.size())));
        if (n == 0) return std::nullopt;
        if (n < text.size()) return text.substr(0, n);
        text.resize(std::max(n, text.size() * 2));
    }
}

// The final path of an open file or folder, in its usual form (no "\\?\" prefix); nothing
// when the platform cannot tell.
std::optional<std::wstring> FinalPathOf(void* handle);

// The full path of this exe.
std::wstring ModulePath();

// The argument text of a command line: everything after the program's own name (quoted or
// not) and the blanks that follow it, verbatim.
std::wstring ArgumentsOf(const wchar_t* commandLine);

}  // namespace tolvare
