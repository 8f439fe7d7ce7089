// Files and folders for every test: see files.h.
#include "tests/native/files.h"

#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

namespace tolvare::test {

namespace fs = std::filesystem;

TempDir::TempDir(std::wstring_view label) {
    static std::atomic<unsigned> counter{0};
    path_ =
        (fs::temp_directory_path() / (std::wstring(label) + L" " + std::to_wstring(std::random_device()()) +
                                      L"." + std::to_wstring(counter++)))
            .wstring();
    fs::create_directories(path_);
}

std::wstring TempDir::MakeDir(std::wstring_view name) const {
    std::error_code error;
    fs::create_directory(*this / name, error);
    return *this / name;
}

bool RemoveTree(const std::wstring& path) {
    std::error_code error;
    // A read-only entry would stop the removal on Windows.
    fs::permissions(path, fs::perms::owner_write, fs::perm_options::add, error);
    if (fs::is_directory(path, error) && !fs::is_symlink(path, error)) {
        for (fs::directory_iterator it(path, error), end; !error && it != end; it.increment(error)) {
            RemoveTree(it->path().wstring());
        }
    }
    fs::remove(path, error);
    return !fs::exists(path, error);
}

bool WriteFileBytes(const std::wstring& path, std::string_view bytes) {
    std::ofstream out(fs::path(path), std::ios::binary | std::ios::trunc);
    return static_cast<bool>(out.write(bytes.data(), static_cast<std::streamsize>(bytes.size())));
}

std::optional<std::string> ReadFileBytes(const std::wstring& path) {
    std::error_code error;
    std::ifstream in(fs::path(path), std::ios::binary);
    if (!fs::is_regular_file(path, error) || !in) return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool CopyFileTo(const std::wstring& from, const std::wstring& to) {
    std::error_code error;
    return fs::copy_file(from, to, fs::copy_options::overwrite_existing, error);
}

}  // namespace tolvare::test
