// Finds, makes and removes this exe's shortcut in the Send To folder through the shell link API.
// Only the list window's system menu calls in here, so ole32 and shell32 stay unloaded on launch.
#include "registration/send_to.h"

#include "win32/win32_system.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <optional>
#include <utility>
#include <vector>

namespace tolvare {

namespace {

constexpr wchar_t kLinkName[] = L"TOLVARE";
constexpr wchar_t kLinkDescription[] = L"TOLVARE";
constexpr int kMaxLinkNumber = 99;  // "TOLVARE (99).lnk": far beyond any real folder
constexpr DWORD kLongPathChars = 32768;

std::wstring& FolderOverride() {
    static std::wstring folder;
    return folder;
}

SysError ErrorOf(DWORD code) { return {code, Sys().ErrorText(code)}; }
// A COM failure as the system describes it: a wrapped Win32 code by its own text.
SysError ComError(HRESULT hr) {
    const auto code = static_cast<DWORD>(hr);
    return ErrorOf(HRESULT_FACILITY(hr) == FACILITY_WIN32 ? static_cast<DWORD>(HRESULT_CODE(hr)) : code);
}

// COM on this thread for one operation; a thread already in COM is left as it is.
class ComScope {
public:
    ComScope() : hr_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE)) {}
    ~ComScope() {
        if (SUCCEEDED(hr_)) CoUninitialize();
    }
    ComScope(const ComScope&) = delete;
    ComScope& operator=(const ComScope&) = delete;
    HRESULT result() const { return hr_ == RPC_E_CHANGED_MODE ? S_OK : hr_; }

private:
    HRESULT hr_;
};

// Releases the interface it holds.
template <class T>
class Com {
public:
    Com() = default;
    ~Com() {
        if (p_ != nullptr) p_->Release();
    }
    Com(const Com&) = delete;
    Com& operator=(const Com&) = delete;
    T* operator->() const { return p_; }
    void** out() { return reinterpret_cast<void**>(&p_); }

private:
    T* p_ = nullptr;
};

// A new shell link object and its file side.
HRESULT NewLink(Com<IShellLinkW>& link, Com<IPersistFile>& file) {
    HRESULT hr =
        CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW, link.out());
    if (SUCCEEDED(hr)) hr = link->QueryInterface(IID_IPersistFile, file.out());
    return hr;
}

// The long form, so that a shortcut naming the exe by its short path is still recognised.
std::wstring LongForm(const std::wstring& path) {
    return BufferedText([&](wchar_t* out, DWORD size) { return GetLongPathNameW(path.c_str(), out, size); })
        .value_or(path);
}

bool SamePath(const std::wstring& a, const std::wstring& b) {
    const std::wstring x = LongForm(a), y = LongForm(b);
    return CompareStringOrdinal(x.c_str(), static_cast<int>(x.size()), y.c_str(), static_cast<int>(y.size()),
                                TRUE) == CSTR_EQUAL;
}

bool Folder(std::wstring& folder, SysError& err) {
    if (!FolderOverride().empty()) {
        folder = FolderOverride();
        return true;
    }
    wchar_t* known = nullptr;
    const HRESULT hr = SHGetKnownFolderPath(FOLDERID_SendTo, KF_FLAG_DEFAULT, nullptr, &known);
    if (SUCCEEDED(hr)) folder = known;
    CoTaskMemFree(known);
    if (FAILED(hr)) err = ComError(hr);
    return SUCCEEDED(hr);
}

bool EndsWithLnk(const std::wstring& name) {
    constexpr int kLen = 4;
    return name.size() > kLen &&
           CompareStringOrdinal(name.c_str() + name.size() - kLen, kLen, L".lnk", kLen, TRUE) == CSTR_EQUAL;
}

// The shortcuts in the folder whose target is this exe.
bool OwnLinks(std::vector<std::wstring>& found, SysError& err) {
    std::wstring folder;
    if (!Folder(folder, err)) return false;
    const ComScope com;
    if (FAILED(com.result())) {
        err = ComError(com.result());
        return false;
    }
    const std::wstring exe = ModulePath();
    WIN32_FIND_DATAW entry{};
    HANDLE search = FindFirstFileExW((folder + L"\\*").c_str(), FindExInfoBasic, &entry,
                                     FindExSearchNameMatch, nullptr, 0);
    if (search == INVALID_HANDLE_VALUE) {
        const DWORD code = GetLastError();
        if (code == ERROR_FILE_NOT_FOUND) return true;
        err = ErrorOf(code);
        return false;
    }
    std::wstring target(kLongPathChars, L'\0');
    do {
        // "*.lnk" would also match longer extensions through their short names: test the name.
        if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 || !EndsWithLnk(entry.cFileName))
            continue;
        const std::wstring path = folder + L"\\" + entry.cFileName;
        Com<IShellLinkW> link;
        Com<IPersistFile> file;
        // A file that is no readable shortcut belongs to nobody we know: it is left alone.
        if (FAILED(NewLink(link, file)) ||
            FAILED(file->Load(path.c_str(), STGM_READ | STGM_SHARE_DENY_NONE)) ||
            link->GetPath(target.data(), static_cast<int>(kLongPathChars), nullptr, 0) != S_OK) {
            continue;
        }
        if (SamePath(target.c_str(), exe)) found.push_back(path);
    } while (FindNextFileW(search, &entry));
    FindClose(search);
    return true;
}

}  // namespace

void SetSendToFolder(std::wstring folder) { FolderOverride() = std::move(folder); }

bool InSendTo() {
    std::vector<std::wstring> found;
    SysError ignored;
    return OwnLinks(found, ignored) && !found.empty();
}

bool AddToSendTo(SysError& err) {
    std::wstring folder;
    if (!Folder(folder, err)) return false;
    const ComScope com;
    Com<IShellLinkW> link;
    Com<IPersistFile> file;
    HRESULT hr = com.result();
    if (SUCCEEDED(hr)) hr = NewLink(link, file);
    if (SUCCEEDED(hr)) hr = link->SetPath(ModulePath().c_str());
    if (SUCCEEDED(hr)) hr = link->SetDescription(kLinkDescription);
    if (FAILED(hr)) {
        err = ComError(hr);
        return false;
    }
    std::wstring path = folder + L"\\" + kLinkName + L".lnk";
    for (int n = 2; GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; ++n) {
        if (n > kMaxLinkNumber) {
            err = ErrorOf(ERROR_FILE_EXISTS);
            return false;
        }
        path = folder + L"\\" + kLinkName + L" (" + std::to_wstring(n) + L").lnk";
    }
    hr = file->Save(path.c_str(), TRUE);
    if (FAILED(hr)) err = ComError(hr);
    return SUCCEEDED(hr);
}

bool RemoveFromSendTo(SysError& err) {
    std::vector<std::wstring> found;
    if (!OwnLinks(found, err)) return false;
    for (const auto& path : found) {
        if (!DeleteFileW(path.c_str())) {
            err = ErrorOf(GetLastError());
            return false;
        }
    }
    return true;
}

}  // namespace tolvare
