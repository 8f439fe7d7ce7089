// The real half of the core's test system on Linux: files, code page 932 through iconv and upper
// case, so that the core's tests, the fuzzer and the table benchmark run natively with
// sanitizers. Everything else (windows, processes, paths, time) the test fake decides.
#pragma once

#include <fnmatch.h>
#include <iconv.h>

#include <cerrno>
#include <cwctype>
#include <filesystem>
#include <fstream>
#include <iterator>

#include "core/system.h"
#include "tests/native/files.h"

namespace tolvare {

class NativeSystem : public System {
public:
    std::string ToCp932(std::wstring_view text, bool* lossy = nullptr) override {
        if (lossy != nullptr) *lossy = false;
        // Opening a conversion costs far more than converting a line: each direction is opened once.
        static const iconv_t toCp932 = iconv_open("CP932", "WCHAR_T");
        return Convert(toCp932, Bytes(text), sizeof(wchar_t), "?", lossy);
    }
    std::wstring FromCp932(std::string_view bytes) override {
        static const iconv_t fromCp932 = iconv_open("WCHAR_T", "CP932");
        const std::string wide = Convert(fromCp932, bytes, 1, Bytes(L"\x30FB"), nullptr);
        return std::wstring(reinterpret_cast<const wchar_t*>(wide.data()), wide.size() / sizeof(wchar_t));
    }
    std::wstring ToUpper(std::wstring_view text) override {
        static const locale_t utf8 = newlocale(LC_CTYPE_MASK, "C.UTF-8", locale_t{});
        std::wstring out(text);
        for (auto& c : out) c = static_cast<wchar_t>(towupper_l(static_cast<wint_t>(c), utf8));
        return out;
    }

    ReadStatus ReadWholeFile(const std::wstring& path, std::string& bytes, SysError& err) override {
        std::error_code code;
        if (!std::filesystem::exists(Native(path), code)) return ReadStatus::kNotFound;
        const auto read = test::ReadFileBytes(Native(path).wstring());
        bytes = read.value_or("");
        if (!read) err = {EISDIR, L"Is a directory"};
        return read ? ReadStatus::kOk : ReadStatus::kFailed;
    }
    std::unique_ptr<OutFile> CreateOutFile(const std::wstring& path, SysError& err) override {
        struct File : OutFile {  // closing the stream commits: tests need no flush to the disk
            std::ofstream out;
            bool Write(std::string_view bytes, SysError&) override {
                return static_cast<bool>(out.write(bytes.data(), static_cast<std::streamsize>(bytes.size())));
            }
            bool Commit(SysError&) override { return out.close(), !out.fail(); }
        };
        auto file = std::make_unique<File>();
        file->out.open(Native(path), std::ios::binary | std::ios::trunc);
        if (file->out.is_open()) return file;
        err = {EACCES, L"Permission denied"};
        return nullptr;
    }
    bool DeleteFileAt(const std::wstring& path, SysError& err) override {
        std::error_code code;
        const bool removed = std::filesystem::remove(Native(path), code);
        if (!removed) err = {ENOENT, L"No such file or directory"};
        return removed;
    }
    bool ReplaceFileWith(const std::wstring& from, const std::wstring& to, SysError& err) override {
        std::error_code code;
        std::filesystem::rename(Native(from), Native(to), code);
        if (code) err = {EACCES, L"Permission denied"};
        return !code;
    }
    std::vector<std::wstring> ListFiles(const std::wstring& pattern) override {
        const std::filesystem::path native = Native(pattern);
        std::vector<std::wstring> names;
        std::error_code code;
        for (const auto& entry : std::filesystem::directory_iterator(native.parent_path(), code)) {
            const auto name = entry.path().filename();
            if (entry.is_regular_file(code) && fnmatch(native.filename().c_str(), name.c_str(), 0) == 0) {
                names.push_back(name.wstring());
            }
        }
        return names;
    }
    std::wstring ErrorText(uint32_t code) override { return L"error " + std::to_wstring(code); }

private:
    static std::string_view Bytes(std::wstring_view text) {
        return {reinterpret_cast<const char*>(text.data()), text.size() * sizeof(wchar_t)};
    }
    // Unconvertible input (one `unit` at a time) becomes `replacement` and sets `lossy`.
    static std::string Convert(iconv_t cd, std::string_view in, size_t unit, std::string_view replacement,
                               bool* lossy) {
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        std::string out;
        char* inPtr = const_cast<char*>(in.data());
        for (size_t inLeft = in.size(); inLeft > 0;) {
            char buffer[256];
            char* outPtr = buffer;
            size_t outLeft = sizeof buffer;
            const size_t r = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
            out.append(buffer, static_cast<size_t>(outPtr - buffer));
            if (r == static_cast<size_t>(-1) && errno != E2BIG) {
                if (lossy != nullptr) *lossy = true;
                out += replacement;
                const size_t skip = std::min(unit, inLeft);
                inPtr += skip;
                inLeft -= skip;
            }
        }
        return out;
    }
    // The core's paths are Windows paths: their separators become the POSIX ones.
    static std::filesystem::path Native(std::wstring path) {
        for (auto& c : path) c = c == L'\\' ? L'/' : c;
        return path;
    }
};

}  // namespace tolvare
