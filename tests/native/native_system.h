// The real half of the core's test system on Linux: files, code page 932 through iconv, upper
// case and a clock, so that the core's tests, the fuzzer and the table benchmark run natively
// with sanitizers. Everything else (windows, processes, paths, time) the test fake decides.
#pragma once

#include "core/system.h"

namespace tolvare {

class NativeSystem : public System {
public:
    std::string ToCp932(std::wstring_view text, bool* lossy = nullptr) override;
    std::wstring FromCp932(std::string_view bytes) override;
    std::wstring ToUpper(std::wstring_view text) override;

    ReadStatus ReadWholeFile(const std::wstring& path, std::string& bytes, SysError& err) override;
    std::unique_ptr<OutFile> CreateOutFile(const std::wstring& path, SysError& err) override;
    bool DeleteFileAt(const std::wstring& path, SysError& err) override;
    bool ReplaceFileWith(const std::wstring& from, const std::wstring& to, SysError& err) override;
    std::vector<std::wstring> ListFiles(const std::wstring& pattern) override;
    std::wstring ErrorText(uint32_t code) override;
};

// UTF-8 forms of wide strings, for file names.
std::string ToUtf8(std::wstring_view text);
std::wstring FromUtf8(std::string_view text);

}  // namespace tolvare
