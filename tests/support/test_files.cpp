// Temporary folders and whole-file helpers for the Windows tests.
#include "tests/support/test_files.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <vector>

namespace tolvare::test {

TempDir::TempDir(std::wstring_view label) {
    static std::atomic<unsigned> counter{0};
    wchar_t temp[MAX_PATH + 1] = {};
    DWORD n = GetTempPathW(MAX_PATH + 1, temp);
    std::wstring base(temp, n);
    if (!base.empty() && base.back() != L'\\') base += L'\\';
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::wstring candidate = base + std::wstring(label) + L" " +
                                 std::to_wstring(GetCurrentProcessId()) + L"." +
                                 std::to_wstring(counter++);
        if (CreateDirectoryW(candidate.c_str(), nullptr)) {
            path_ = candidate;
            return;
        }
        if (GetLastError() != ERROR_ALREADY_EXISTS) break;
    }
    ADD_FAILURE() << "cannot create a temporary folder under " << base << ": " << GetLastError();
}

TempDir::~TempDir() {
    if (!path_.empty()) RemoveTree(path_);
}

std::wstring TempDir::operator/(std::wstring_view name) const {
    return path_ + L"\\" + std::wstring(name);
}

std::wstring TempDir::MakeDir(std::wstring_view name) const {
    std::wstring dir = *this / name;
    if (!CreateDirectoryW(dir.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) {
        ADD_FAILURE() << "cannot create " << dir << ": " << GetLastError();
    }
    return dir;
}

bool RemoveTree(const std::wstring& path) {
    DWORD attrs = GetFileAttributesW(path.c_str());
    if (attrs == INVALID_FILE_ATTRIBUTES) return true;
    if (attrs & FILE_ATTRIBUTE_READONLY) {
        SetFileAttributesW(path.c_str(), attrs & ~DWORD{FILE_ATTRIBUTE_READONLY});
    }
    if (!(attrs & FILE_ATTRIBUTE_DIRECTORY)) return DeleteFileW(path.c_str()) != 0;
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW((path + L"\\*").c_str(), &found);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            std::wstring name = found.cFileName;
            if (name != L"." && name != L"..") RemoveTree(path + L"\\" + name);
        } while (FindNextFileW(find, &found));
        FindClose(find);
    }
    return RemoveDirectoryW(path.c_str()) != 0;
}

bool WriteFileBytes(const std::wstring& path, std::string_view bytes) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    return ok && written == bytes.size();
}

std::optional<std::string> ReadFileBytes(const std::wstring& path) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::nullopt;
    std::string bytes;
    char buffer[8192];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.append(buffer, got);
    CloseHandle(file);
    return bytes;
}

bool CopyFileTo(const std::wstring& from, const std::wstring& to) {
    return CopyFileW(from.c_str(), to.c_str(), FALSE) != 0;
}

std::string ToCp932(std::wstring_view text) {
    if (text.empty()) return {};
    BOOL lossy = FALSE;
    int n = WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, text.data(), static_cast<int>(text.size()),
                                nullptr, 0, nullptr, &lossy);
    std::string bytes(static_cast<size_t>(n), '\0');
    WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, text.data(), static_cast<int>(text.size()),
                        bytes.data(), n, nullptr, &lossy);
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

std::wstring ExeDir() {
    std::vector<wchar_t> buffer(32768);
    DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    std::wstring path(buffer.data(), n);
    return path.substr(0, path.find_last_of(L'\\') + 1);
}

}  // namespace tolvare::test
