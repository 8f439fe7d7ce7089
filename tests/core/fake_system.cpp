// Support for the core's tests: failing files, temporary folders, raw bytes.
#include "tests/core/fake_system.h"

#include <atomic>
#include <fstream>
#include <iterator>
#include <random>

namespace tolvare::testing {

namespace {

// Wraps a real file and fails the first writes the test asked for.
class FailingOutFile : public OutFile {
public:
    FailingOutFile(std::unique_ptr<OutFile> inner, int& failWrites)
        : inner_(std::move(inner)), failWrites_(failWrites) {}
    bool Write(std::string_view bytes, SysError& err) override {
        if (failWrites_ > 0) {
            --failWrites_;
            err = {112, L"There is not enough space on the disk."};
            return false;
        }
        return inner_->Write(bytes, err);
    }
    bool Commit(SysError& err) override { return inner_->Commit(err); }

private:
    std::unique_ptr<OutFile> inner_;
    int& failWrites_;
};

}  // namespace

std::unique_ptr<OutFile> FakeSystem::CreateOutFile(const std::wstring& path, SysError& err) {
    if (failCreates > 0) {
        --failCreates;
        err = {5, L"Access is denied."};
        return nullptr;
    }
    auto inner = RealSystem::CreateOutFile(path, err);
    if (!inner) return nullptr;
    return std::make_unique<FailingOutFile>(std::move(inner), failWrites);
}

TempDir::TempDir() {
    static std::atomic<int> counter{0};
    std::random_device random;
    path_ = std::filesystem::temp_directory_path() /
            ("tolvare-test-" + std::to_string(random()) + "-" + std::to_string(counter++));
    std::filesystem::create_directories(path_);
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::string ReadBytes(const std::wstring& path) {
    std::ifstream in(std::filesystem::path(path), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteBytes(const std::wstring& path, const std::string& bytes) {
    std::ofstream out(std::filesystem::path(path), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

bool Exists(const std::wstring& path) { return std::filesystem::exists(std::filesystem::path(path)); }

std::string Cp932(const std::wstring& text) { return Sys().ToCp932(text); }

}  // namespace tolvare::testing
