// Support for the core's tests: failing files, temporary folders, raw bytes.
#include "tests/native/fake_system.h"

#include <atomic>
#include <fstream>
#include <iterator>
#include <random>

namespace tolvare::testing {

namespace {

// Wraps a real file and fails the first writes the test asked for.
class FailingOutFile : public OutFile {
public:
    FailingOutFile(std::unique_ptr<OutFile> inner, int& passWrites, int& failWrites)
        : inner_(std::move(inner)), passWrites_(passWrites), failWrites_(failWrites) {}
    bool Write(std::string_view bytes, SysError& err) override {
        if (passWrites_ > 0) {
            --passWrites_;
        } else if (failWrites_ > 0) {
            --failWrites_;
            err = {112, L"There is not enough space on the disk."};
            return false;
        }
        return inner_->Write(bytes, err);
    }
    bool Commit(SysError& err) override { return inner_->Commit(err); }

private:
    std::unique_ptr<OutFile> inner_;
    int& passWrites_;
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
    return std::make_unique<FailingOutFile>(std::move(inner), passWrites, failWrites);
}

std::string ReadBytes(const std::wstring& path) { return test::ReadFileBytes(path).value_or(""); }

void WriteBytes(const std::wstring& path, const std::string& bytes) { test::WriteFileBytes(path, bytes); }

bool Exists(const std::wstring& path) { return std::filesystem::exists(std::filesystem::path(path)); }

std::string Cp932(const std::wstring& text) { return Sys().ToCp932(text); }

namespace {

// The text's code points, whatever the width of wchar_t.
std::vector<char32_t> CodePoints(const std::wstring& text) {
    std::vector<char32_t> points;
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t c = static_cast<char32_t>(text[i]);
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size()) {
            c = 0x10000 + ((c - 0xD800) << 10) + (static_cast<char32_t>(text[++i]) - 0xDC00);
        }
        points.push_back(c);
    }
    return points;
}

}  // namespace

std::string Utf8(const std::wstring& text) {
    std::string out;
    for (const char32_t c : CodePoints(text)) {
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::string Utf16(const std::wstring& text, bool bigEndian) {
    std::string out;
    const auto unit = [&](char32_t u) {
        const char hi = static_cast<char>(u >> 8), lo = static_cast<char>(u & 0xFF);
        out += bigEndian ? hi : lo;
        out += bigEndian ? lo : hi;
    };
    for (char32_t c : CodePoints(text)) {
        if (c >= 0x10000) {
            c -= 0x10000;
            unit(0xD800 + (c >> 10));
            unit(0xDC00 + (c & 0x3FF));
        } else {
            unit(c);
        }
    }
    return out;
}

}  // namespace tolvare::testing
