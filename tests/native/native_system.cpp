// The real half of the core's test system on Linux: see native_system.h.
#include "tests/native/native_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <iconv.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <clocale>
#include <cstring>
#include <cwctype>
#include <vector>

namespace tolvare {

namespace {

// Converts with iconv; unconvertible input becomes `replacement` and sets `lossy`.
// Opening a conversion costs far more than converting a line, so each pair is opened once.
iconv_t Converter(const char* to, const char* from) {
    struct Key {
        const char* to;
        const char* from;
        iconv_t cd;
    };
    struct Cache {
        std::vector<Key> keys;
        ~Cache() {
            for (auto& k : keys) iconv_close(k.cd);
        }
    };
    thread_local Cache cache;
    auto& open = cache.keys;
    for (const auto& k : open) {
        if (std::strcmp(k.to, to) == 0 && std::strcmp(k.from, from) == 0) {
            iconv(k.cd, nullptr, nullptr, nullptr, nullptr);  // back to the initial state
            return k.cd;
        }
    }
    iconv_t cd = iconv_open(to, from);
    if (cd != reinterpret_cast<iconv_t>(-1)) open.push_back({to, from, cd});
    return cd;
}

std::string Convert(const char* to, const char* from, const char* data, size_t size, size_t unit,
                    const char* replacement, size_t replacementSize, bool* lossy) {
    iconv_t cd = Converter(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return {};
    std::string out;
    char buffer[256];
    char* in = const_cast<char*>(data);
    size_t inLeft = size;
    while (inLeft > 0) {
        char* outPtr = buffer;
        size_t outLeft = sizeof buffer;
        const size_t r = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
        out.append(buffer, static_cast<size_t>(outPtr - buffer));
        if (r == static_cast<size_t>(-1) && errno != E2BIG) {
            if (lossy != nullptr) *lossy = true;
            out.append(replacement, replacementSize);
            const size_t skip = std::min(unit, inLeft);
            in += skip;
            inLeft -= skip;
        }
    }
    return out;
}

// Windows separators in the core's paths map to the POSIX ones.
std::string NativePath(const std::wstring& path) {
    std::string native = ToUtf8(path);
    for (auto& c : native) {
        if (c == '\\') c = '/';
    }
    return native;
}

SysError ErrnoError(int code) { return {static_cast<uint32_t>(code), FromUtf8(std::strerror(code))}; }

class NativeOutFile : public OutFile {
public:
    explicit NativeOutFile(int fd) : fd_(fd) {}
    ~NativeOutFile() override {
        if (fd_ >= 0) close(fd_);
    }
    bool Write(std::string_view bytes, SysError& err) override {
        while (!bytes.empty()) {
            const ssize_t n = write(fd_, bytes.data(), bytes.size());
            if (n < 0) {
                if (errno == EINTR) continue;
                err = ErrnoError(errno);
                return false;
            }
            bytes.remove_prefix(static_cast<size_t>(n));
        }
        return true;
    }
    bool Commit(SysError& err) override {
        const bool synced = fsync(fd_) == 0;
        const int syncErrno = errno;
        const bool closed = close(fd_) == 0;
        fd_ = -1;
        if (!synced || !closed) {
            err = ErrnoError(synced ? errno : syncErrno);
            return false;
        }
        return true;
    }

private:
    int fd_;
};

}  // namespace

std::string ToUtf8(std::wstring_view text) {
    return Convert("UTF-8", "WCHAR_T", reinterpret_cast<const char*>(text.data()),
                   text.size() * sizeof(wchar_t), sizeof(wchar_t), "?", 1, nullptr);
}

std::wstring FromUtf8(std::string_view text) {
    const std::string wide = Convert("WCHAR_T", "UTF-8", text.data(), text.size(), 1, "", 0, nullptr);
    return std::wstring(reinterpret_cast<const wchar_t*>(wide.data()), wide.size() / sizeof(wchar_t));
}

std::string NativeSystem::ToCp932(std::wstring_view text, bool* lossy) {
    if (lossy != nullptr) *lossy = false;
    return Convert("CP932", "WCHAR_T", reinterpret_cast<const char*>(text.data()),
                   text.size() * sizeof(wchar_t), sizeof(wchar_t), "?", 1, lossy);
}

std::wstring NativeSystem::FromCp932(std::string_view bytes) {
    static const wchar_t kReplacement = L'\x30FB';
    const std::string wide =
        Convert("WCHAR_T", "CP932", bytes.data(), bytes.size(), 1,
                reinterpret_cast<const char*>(&kReplacement), sizeof kReplacement, nullptr);
    return std::wstring(reinterpret_cast<const wchar_t*>(wide.data()), wide.size() / sizeof(wchar_t));
}

std::wstring NativeSystem::ToUpper(std::wstring_view text) {
    static const locale_t utf8 = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
    std::wstring out(text);
    for (auto& c : out)
        c = static_cast<wchar_t>(utf8 ? towupper_l(static_cast<wint_t>(c), utf8)
                                      : towupper(static_cast<wint_t>(c)));
    return out;
}

ReadStatus NativeSystem::ReadWholeFile(const std::wstring& path, std::string& bytes, SysError& err) {
    bytes.clear();
    const int fd = open(NativePath(path).c_str(), O_RDONLY);
    if (fd < 0) {
        if (errno == ENOENT || errno == ENOTDIR) return ReadStatus::kNotFound;
        err = ErrnoError(errno);
        return ReadStatus::kFailed;
    }
    char buffer[65536];
    for (;;) {
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n == 0) break;
        if (n < 0) {
            if (errno == EINTR) continue;
            err = ErrnoError(errno);
            close(fd);
            return ReadStatus::kFailed;
        }
        bytes.append(buffer, static_cast<size_t>(n));
    }
    close(fd);
    return ReadStatus::kOk;
}

std::unique_ptr<OutFile> NativeSystem::CreateOutFile(const std::wstring& path, SysError& err) {
    const int fd = open(NativePath(path).c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0) {
        err = ErrnoError(errno);
        return nullptr;
    }
    return std::make_unique<NativeOutFile>(fd);
}

bool NativeSystem::DeleteFileAt(const std::wstring& path, SysError& err) {
    if (unlink(NativePath(path).c_str()) != 0) {
        err = ErrnoError(errno);
        return false;
    }
    return true;
}

bool NativeSystem::ReplaceFileWith(const std::wstring& from, const std::wstring& to, SysError& err) {
    if (rename(NativePath(from).c_str(), NativePath(to).c_str()) != 0) {
        err = ErrnoError(errno);
        return false;
    }
    return true;
}

std::vector<std::wstring> NativeSystem::ListFiles(const std::wstring& pattern) {
    const std::string native = NativePath(pattern);
    const size_t slash = native.rfind('/');
    const std::string dir = slash == std::string::npos ? "." : native.substr(0, slash);
    const std::string mask = slash == std::string::npos ? native : native.substr(slash + 1);
    std::vector<std::wstring> names;
    DIR* d = opendir(dir.empty() ? "/" : dir.c_str());
    if (d == nullptr) return names;
    while (dirent* e = readdir(d)) {
        struct stat st {};
        const std::string full = dir + "/" + e->d_name;
        if (fnmatch(mask.c_str(), e->d_name, 0) == 0 && stat(full.c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
            names.push_back(FromUtf8(e->d_name));
        }
    }
    closedir(d);
    return names;
}

std::wstring NativeSystem::ErrorText(uint32_t code) {
    return FromUtf8(std::strerror(static_cast<int>(code)));
}

}  // namespace tolvare
