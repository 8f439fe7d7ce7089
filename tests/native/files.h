// Files and folders for every test, native and under Wine: a temporary folder that cleans up
// after itself, and whole-file reads and writes of raw bytes.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace tolvare::test {

// Deletes a file or a folder tree, read-only entries included. True when nothing is left.
bool RemoveTree(const std::wstring& path);
bool WriteFileBytes(const std::wstring& path, std::string_view bytes);
std::optional<std::string> ReadFileBytes(const std::wstring& path);  // nothing for a missing file
bool CopyFileTo(const std::wstring& from, const std::wstring& to);

// A fresh folder under the temp directory, removed with everything in it on destruction.
// `label` becomes part of its name (give one with a space to exercise quoting).
class TempDir {
public:
    explicit TempDir(std::wstring_view label = L"tolvare test");
    ~TempDir() { RemoveTree(path_); }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::wstring& path() const { return path_; }
    std::wstring operator/(std::wstring_view name) const {
        return (std::filesystem::path(path_) / name).wstring();
    }
    std::wstring MakeDir(std::wstring_view name) const;  // creates a subfolder, gives its path

private:
    std::wstring path_;
};

}  // namespace tolvare::test
