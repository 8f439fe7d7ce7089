// The real half of the core's test system on Linux: files, code page 932 through iconv and upper
// case, so that the core's tests, the fuzzer and the table benchmark run natively with
// sanitizers. Everything else (windows, processes, paths, time) the test fake decides.
#pragma once

#include <glob.h>
#include <iconv.h>

#include <algorithm>
#include <cwctype>

#include "core/system.h"
#include "tests/native/files.h"

namespace tolvare {

class NativeSystem : public System {
public:
    std::string ToCp932(std::wstring_view text, bool* lossy = nullptr) override {
        // Opening a conversion costs far more than converting a line: each direction is opened once.
        static const iconv_t cd = iconv_open("CP932", "WCHAR_T");
        return Convert(cd, {reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t)}, "?",
                       lossy);
    }
    std::wstring FromCp932(std::string_view bytes) override {
        static const iconv_t cd = iconv_open("WCHAR_T", "CP932");
        const std::string wide = Convert(cd, bytes, {"\xFB\x30\0\0", sizeof(wchar_t)}, nullptr);  // U+30FB
        return {reinterpret_cast<const wchar_t*>(wide.data()), wide.size() / sizeof(wchar_t)};
    }
    std::wstring ToUpper(std::wstring_view text) override {
        static const locale_t utf8 = newlocale(LC_CTYPE_MASK, "C.UTF-8", locale_t{});
        std::wstring out(text);
        for (auto& c : out) c = static_cast<wchar_t>(towupper_l(static_cast<wint_t>(c), utf8));
        return out;
    }

    ReadStatus ReadWholeFile(const std::wstring& path, std::string& bytes, SysError& err) override {
        const auto read = test::ReadFileBytes(Native(path));
        bytes = read.value_or("");
        const bool missing = !read && !std::filesystem::exists(Native(path));
        if (!read && !missing) err = {21, L"Is a directory"};
        return read ? ReadStatus::kOk : missing ? ReadStatus::kNotFound : ReadStatus::kFailed;
    }
    std::unique_ptr<OutFile> CreateOutFile(const std::wstring& path, SysError&) override {
        struct File : OutFile {  // written whole on Commit: tests need no flush to the disk
            std::wstring path;
            std::string bytes;
            bool Write(std::string_view more, SysError&) override { return bytes += more, true; }
            bool Commit(SysError&) override { return test::WriteFileBytes(path, bytes); }
        };
        auto file = std::make_unique<File>();
        file->path = Native(path);
        return file;
    }
    bool DeleteFileAt(const std::wstring& path, SysError&) override { return test::RemoveTree(Native(path)); }
    bool ReplaceFileWith(const std::wstring& from, const std::wstring& to, SysError& err) override {
        std::error_code code;
        std::filesystem::rename(Native(from), Native(to), code);
        if (code) err = {13, L"Permission denied"};
        return !code;
    }
    std::vector<std::wstring> ListFiles(const std::wstring& pattern) override {
        glob_t found{};
        glob(std::filesystem::path(Native(pattern)).c_str(), 0, nullptr, &found);
        std::vector<std::wstring> names;
        for (const char* path : std::vector(found.gl_pathv, found.gl_pathv + found.gl_pathc))
            if (std::filesystem::is_regular_file(path))
                names.push_back(std::filesystem::path(path).filename().wstring());
        globfree(&found);
        return names;
    }
    std::wstring ErrorText(uint32_t code) override { return L"error " + std::to_wstring(code); }

private:
    // Unconvertible input, one character at a time, becomes `replacement` and sets `lossy`.
    static std::string Convert(iconv_t cd, std::string_view in, std::string_view replacement, bool* lossy) {
        const size_t unit = replacement.size() == 1 ? sizeof(wchar_t) : 1;
        std::string out(in.size() * 4, '\0');
        char *inPtr = const_cast<char*>(in.data()), *outPtr = out.data();
        size_t inLeft = in.size(), outLeft = out.size();
        if (lossy != nullptr) *lossy = false;
        for (iconv(cd, nullptr, nullptr, nullptr, nullptr);
             iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) == size_t(-1);) {
            if (lossy != nullptr) *lossy = true;
            outPtr = std::copy(replacement.begin(), replacement.end(), outPtr);
            outLeft -= replacement.size();
            inPtr += std::min(unit, inLeft);
            inLeft -= std::min(unit, inLeft);
        }
        out.resize(static_cast<size_t>(outPtr - out.data()));
        return out;
    }
    // The core's paths are Windows paths: their separators become the POSIX ones.
    static std::wstring Native(std::wstring path) {
        std::replace(path.begin(), path.end(), L'\\', L'/');
        return path;
    }
};

}  // namespace tolvare
