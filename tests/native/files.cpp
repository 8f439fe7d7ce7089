// Files and folders for every test: see files.h.
#include "tests/native/files.h"

#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <system_error>

namespace tolvare::test {

namespace fs = std::filesystem;

TempDir::TempDir(std::wstring_view label) {
    static std::atomic<unsigned> counter{0};
    std::random_device random;
    const fs::path base = fs::temp_directory_path();
    for (int attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
        const fs::path candidate = base / (std::wstring(label) + L" " + std::to_wstring(random()) + L"." +
                                           std::to_wstring(counter++));
        std::error_code error;
        if (fs::create_directory(candidate, error)) path_ = candidate.wstring();
    }
}

TempDir::~TempDir() {
    if (!path_.empty()) RemoveTree(path_);
}

std::wstring TempDir::operator/(std::wstring_view name) const { return (fs::path(path_) / name).wstring(); }

std::wstring TempDir::MakeDir(std::wstring_view name) const {
    const std::wstring dir = *this / name;
    std::error_code error;
    fs::create_directory(dir, error);
    return dir;
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
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

std::optional<std::string> ReadFileBytes(const std::wstring& path) {
    std::error_code error;
    if (!fs::is_regular_file(path, error)) return std::nullopt;
    std::ifstream in(fs::path(path), std::ios::binary);
    if (!in) return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool CopyFileTo(const std::wstring& from, const std::wstring& to) {
    std::error_code error;
    return fs::copy_file(from, to, fs::copy_options::overwrite_existing, error);
}

}  // namespace tolvare::test
