// The Windows tests' own file helpers: see test_files.h.
#include "tests/support/test_files.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <vector>

namespace tolvare::test {

std::string ToCp932(std::wstring_view text) {
    if (text.empty()) return {};
    BOOL lossy = FALSE;
    int n = WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, text.data(), static_cast<int>(text.size()),
                                nullptr, 0, nullptr, &lossy);
    std::string bytes(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, text.data(), static_cast<int>(text.size()), bytes.data(),
                        n, nullptr, &lossy);
    if (lossy) ADD_FAILURE() << "test data does not survive code page 932: " << std::wstring(text);
    return bytes;
}

namespace {
std::wstring Decode(UINT codePage, std::string_view bytes) {
    if (bytes.empty()) return {};
    int n = MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring text(static_cast<size_t>(n), L'\0');
    MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(), n);
    return text;
}
}  // namespace

std::wstring FromCp932(std::string_view bytes) { return Decode(932, bytes); }
std::wstring FromUtf8(std::string_view bytes) { return Decode(CP_UTF8, bytes); }

std::wstring ShortPath(const std::wstring& path) {
    DWORD n = GetShortPathNameW(path.c_str(), nullptr, 0);
    if (n == 0) return path;
    std::wstring result(n, L'\0');
    n = GetShortPathNameW(path.c_str(), result.data(), n);
    if (n == 0 || n >= result.size()) return path;
    result.resize(n);
    return result;
}

std::wstring WindowsPathOf(std::string_view buildPath) {
    std::wstring path = FromUtf8(buildPath);
    for (wchar_t& c : path) {
        if (c == L'/') c = L'\\';
    }
    if (!path.empty() && path.front() == L'\\') path = L"Z:" + path;
    return path;
}

}  // namespace tolvare::test
