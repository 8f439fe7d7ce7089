// The system interface on Linux: real files and code page 932 through iconv, no user interface.
// It lets the core run its tests natively with sanitizers.
#pragma once

#include "core/system.h"

namespace tolvare {

class PosixSystem : public System {
public:
    std::string ToCp932(std::wstring_view text, bool* lossy = nullptr) override;
    std::wstring FromCp932(std::string_view bytes) override;
    std::wstring ToUpper(std::wstring_view text) override;

    ReadStatus ReadWholeFile(const std::wstring& path, std::string& bytes, SysError& err) override;
    std::unique_ptr<OutFile> CreateOutFile(const std::wstring& path, SysError& err) override;
    bool DeleteFileAt(const std::wstring& path, SysError& err) override;
    bool ReplaceFileWith(const std::wstring& from, const std::wstring& to, SysError& err) override;

    // Linux keeps no short names.
    std::optional<std::wstring> ShortPathName(const std::wstring& path) override;
    std::wstring FirstDirEntry(const std::wstring& pattern, bool includeDirs) override;
    std::optional<uint32_t> FileAttributes(const std::wstring& path) override;
    std::vector<std::wstring> ListFiles(const std::wstring& pattern) override;

    bool AnotherInstanceRunning(const std::wstring&) override { return false; }
    std::wstring CommandArgs() override { return commandArgs; }
    std::wstring ExeDirectory() override { return exeDirectory; }
    uint32_t StartProcess(const std::wstring& commandLine, SysError& err) override;
    std::wstring ErrorText(uint32_t code) override;

    int64_t MonotonicMs() override;
    void WaitForEvents(int64_t maxMs) override;

    // No user interface: a message goes to standard error and is answered with its default.
    void Beep() override {}
    int MessageBox(const std::wstring& text, const std::wstring& title, unsigned style) override;
    void ShowList(bool) override {}
    void ShowEditor() override {}
    void ShowSelect() override {}

    std::wstring commandArgs;
    std::wstring exeDirectory;
};

// UTF-8 forms of wide strings, for file names.
std::string ToUtf8(std::wstring_view text);
std::wstring FromUtf8(std::string_view text);

}  // namespace tolvare
