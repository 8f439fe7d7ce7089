// Files and folders for every test, native and under Wine: a temporary folder that cleans up
// after itself, and whole-file reads and writes of raw bytes.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tolvare::test {

// A fresh folder under the temp directory, removed with everything in it on destruction.
// `label` becomes part of its name (give one with a space to exercise quoting).
class TempDir {
public:
    explicit TempDir(std::wstring_view label = L"tolvare test");
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::wstring& path() const { return path_; }
    // The path of `name` inside the folder.
    std::wstring operator/(std::wstring_view name) const;
    // Creates a subfolder and returns its full path.
    std::wstring MakeDir(std::wstring_view name) const;

private:
    std::wstring path_;
};

// Deletes a file or a folder tree, read-only entries included. True when nothing is left.
bool RemoveTree(const std::wstring& path);

bool WriteFileBytes(const std::wstring& path, std::string_view bytes);
std::optional<std::string> ReadFileBytes(const std::wstring& path);
bool CopyFileTo(const std::wstring& from, const std::wstring& to);

}  // namespace tolvare::test
