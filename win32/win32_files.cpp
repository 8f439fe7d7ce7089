// The system interface on Win32, its files and paths: whole-file reads, files written and
// flushed before they replace another in one step, short and listed names.
#include <windows.h>
#undef MessageBox  // the interface's own name, not user32's macro

#include <algorithm>

#include "win32/handle.h"
#include "win32/win32_system.h"

namespace tolvare {

namespace {

class Win32OutFile : public OutFile {
public:
    Win32OutFile(HANDLE h, Win32System& sys) : file_(h), sys_(sys) {}

    bool Write(std::string_view bytes, SysError& err) override {
        while (!bytes.empty()) {
            const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size(), 1u << 30));
            DWORD written = 0;
            if (!WriteFile(file_.get(), bytes.data(), chunk, &written, nullptr)) {
                err = LastError(sys_);
                return false;
            }
            bytes.remove_prefix(written);
        }
        return true;
    }

    bool Commit(SysError& err) override {
        if (!file_.valid()) {
            err = {ERROR_INVALID_HANDLE, sys_.ErrorText(ERROR_INVALID_HANDLE)};
            return false;
        }
        if (!FlushFileBuffers(file_.get())) {
            err = LastError(sys_);
            file_.Close();
            return false;
        }
        if (!file_.Close()) {
            err = LastError(sys_);
            return false;
        }
        return true;
    }

private:
    Handle file_;
    Win32System& sys_;
};

}  // namespace

ReadStatus Win32System::ReadWholeFile(const std::wstring& path, std::string& bytes, SysError& err) {
    bytes.clear();
    Handle file(CreateFileW(path.c_str(), GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) {
        const DWORD code = GetLastError();
        if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND) return ReadStatus::kNotFound;
        err = {code, ErrorText(code)};
        return ReadStatus::kFailed;
    }
    char buffer[64 * 1024];
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr)) {
            err = LastError(*this);
            return ReadStatus::kFailed;
        }
        if (got == 0) break;
        bytes.append(buffer, got);
    }
    return ReadStatus::kOk;
}

std::unique_ptr<OutFile> Win32System::CreateOutFile(const std::wstring& path, SysError& err) {
    // Always a new file: an existing one (or a link planted under the name) is never written through.
    HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        err = LastError(*this);
        return nullptr;
    }
    return std::make_unique<Win32OutFile>(h, *this);
}

bool Win32System::DeleteFileAt(const std::wstring& path, SysError& err) {
    if (DeleteFileW(path.c_str())) return true;
    err = LastError(*this);
    return false;
}

bool Win32System::ReplaceFileWith(const std::wstring& from, const std::wstring& to, SysError& err) {
    // A read-only profile is the user's "do not change": Windows refuses to replace it, and so
    // does TOLVARE wherever it runs.
    const DWORD attributes = GetFileAttributesW(to.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
        err = {ERROR_ACCESS_DENIED, ErrorText(ERROR_ACCESS_DENIED)};
        return false;
    }
    if (MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        return true;
    }
    err = LastError(*this);
    return false;
}

std::optional<std::wstring> FinalPathOf(void* handle) {
    auto path = BufferedText([&](wchar_t* out, DWORD size) {
        return GetFinalPathNameByHandleW(handle, out, size, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    });
    if (!path) return std::nullopt;
    if (path->starts_with(L"\\\\?\\UNC\\")) return L"\\\\" + path->substr(8);
    if (path->starts_with(L"\\\\?\\")) return path->substr(4);
    return path;
}

std::wstring Win32System::LinkTarget(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0)
        return path;
    Handle file(CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!file.valid()) return path;
    return FinalPathOf(file.get()).value_or(path);
}

std::optional<std::wstring> Win32System::ShortPathName(const std::wstring& path) {
    return BufferedText([&](wchar_t* out, DWORD size) { return GetShortPathNameW(path.c_str(), out, size); });
}

std::wstring Win32System::FirstDirEntry(const std::wstring& pattern, bool includeDirs) {
    std::wstring search = pattern;
    if (!search.empty() && search.back() == L'\\') search += L'*';
    WIN32_FIND_DATAW data{};
    HANDLE find = FindFirstFileW(search.c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return {};
    std::wstring name;
    do {
        if (includeDirs || (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
            name = data.cFileName;
            break;
        }
    } while (FindNextFileW(find, &data));
    FindClose(find);
    return name;
}

std::vector<std::wstring> Win32System::ListFiles(const std::wstring& pattern) {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW data{};
    HANDLE find = FindFirstFileW(pattern.c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) return names;
    do {
        if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) names.emplace_back(data.cFileName);
    } while (FindNextFileW(find, &data));
    FindClose(find);
    return names;
}

std::optional<uint32_t> Win32System::FileAttributes(const std::wstring& path) {
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return std::nullopt;
    return attributes;
}

}  // namespace tolvare
