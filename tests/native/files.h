// Files and folders for every test, native and under Wine: a temporary folder that cleans up
// after itself, and whole-file reads and writes of raw bytes.
#pragma once

#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <random>
#include <string>

namespace tolvare::test {

namespace fs = std::filesystem;

// Deletes a file or a folder tree, read-only entries included. True when nothing is left.
inline bool RemoveTree(const std::wstring& path) {
    std::error_code error;
    fs::permissions(path, fs::perms::owner_write, fs::perm_options::add, error);  // else Windows refuses
    for (fs::directory_iterator it(path, error), end; !error && it != end && !fs::is_symlink(path);
         it.increment(error))
        RemoveTree(it->path().wstring());
    fs::remove(path, error);
    return !fs::exists(path, error);
}

inline bool WriteFileBytes(const std::wstring& path, std::string_view bytes) {
    std::ofstream out(fs::path(path), std::ios::binary);
    return static_cast<bool>(out.write(bytes.data(), static_cast<std::streamsize>(bytes.size())));
}

// The bytes of a file; nothing when it does not exist or cannot be read.
inline std::optional<std::string> ReadFileBytes(const std::wstring& path) {
    std::ifstream in(fs::path(path), std::ios::binary);
    if (std::error_code error; !fs::is_regular_file(path, error) || !in) return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline bool CopyFileTo(const std::wstring& from, const std::wstring& to) {
    std::error_code error;
    return fs::copy_file(from, to, fs::copy_options::overwrite_existing, error);
}

// A fresh folder under the temp directory named after `label`, removed with all it holds at the end.
class TempDir {
public:
    explicit TempDir(std::wstring_view label = L"tolvare test") {
        static std::atomic<unsigned> counter{0};
        path_ = (fs::temp_directory_path() / label).wstring() + L" " +
                std::to_wstring(std::random_device()()) + L"." + std::to_wstring(counter++);
        fs::create_directories(path_);
    }
    ~TempDir() { RemoveTree(path_); }
    TempDir(const TempDir&) = delete;

    const std::wstring& path() const { return path_; }
    std::wstring operator/(std::wstring_view name) const { return (fs::path(path_) / name).wstring(); }
    std::wstring MakeDir(std::wstring_view name) const {  // creates a subfolder, gives its path
        fs::create_directory(*this / name);
        return *this / name;
    }

private:
    std::wstring path_;
};

}  // namespace tolvare::test
