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
#include <string_view>

namespace tolvare::test {

// Deletes a file or a folder tree, read-only entries included. True when nothing is left.
inline bool RemoveTree(const std::wstring& path) {
    namespace fs = std::filesystem;
    std::error_code error;
    fs::permissions(path, fs::perms::owner_write, fs::perm_options::add, error);  // Windows would refuse
    if (fs::is_directory(path, error) && !fs::is_symlink(path, error)) {
        for (fs::directory_iterator it(path, error), end; !error && it != end; it.increment(error))
            RemoveTree(it->path().wstring());
    }
    fs::remove(path, error);
    return !fs::exists(path, error);
}

inline bool WriteFileBytes(const std::wstring& path, std::string_view bytes) {
    std::ofstream out(std::filesystem::path(path), std::ios::binary | std::ios::trunc);
    return static_cast<bool>(out.write(bytes.data(), static_cast<std::streamsize>(bytes.size())));
}

// The bytes of a file; nothing when it does not exist or cannot be read.
inline std::optional<std::string> ReadFileBytes(const std::wstring& path) {
    std::error_code error;
    std::ifstream in(std::filesystem::path(path), std::ios::binary);
    if (!std::filesystem::is_regular_file(path, error) || !in) return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline bool CopyFileTo(const std::wstring& from, const std::wstring& to) {
    std::error_code error;
    return std::filesystem::copy_file(from, to, std::filesystem::copy_options::overwrite_existing, error);
}

// A fresh folder under the temp directory, removed with everything in it on destruction.
// `label` becomes part of its name (give one with a space to exercise quoting).
class TempDir {
public:
    explicit TempDir(std::wstring_view label = L"tolvare test") {
        static std::atomic<unsigned> counter{0};
        const std::wstring name = std::wstring(label) + L" " + std::to_wstring(std::random_device()()) +
                                  L"." + std::to_wstring(counter++);
        path_ = (std::filesystem::temp_directory_path() / name).wstring();
        std::filesystem::create_directories(path_);
    }
    ~TempDir() { RemoveTree(path_); }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::wstring& path() const { return path_; }
    std::wstring operator/(std::wstring_view name) const {
        return (std::filesystem::path(path_) / name).wstring();
    }
    std::wstring MakeDir(std::wstring_view name) const {  // creates a subfolder, gives its path
        std::filesystem::create_directory(*this / name);
        return *this / name;
    }

private:
    std::wstring path_;
};

}  // namespace tolvare::test
