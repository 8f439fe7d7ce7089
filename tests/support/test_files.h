// Files and folders for tests: a temporary folder that cleans up after itself, whole-file reads
// and writes, and the code page 932 bytes the profile file is made of.
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
    // path() + "\" + name
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

// Code page 932 bytes of a text that must survive the conversion (the test data's own check).
std::string ToCp932(std::wstring_view text);
std::wstring FromCp932(std::string_view bytes);
std::wstring FromUtf8(std::string_view bytes);

// GetShortPathNameW, or the path itself when there is no short form.
std::wstring ShortPath(const std::wstring& path);
// A build path as Windows sees it: "/a/b" (a Linux path under Wine) becomes "Z:\a\b".
std::wstring WindowsPathOf(std::string_view buildPath);
// The folder of this test executable, with a trailing "\".
std::wstring ExeDir();

}  // namespace tolvare::test
