// Short and long forms of paths. The start of a registered program is in launch.cpp.
#include "core/paths.h"

#include "core/system.h"

namespace tolvare {

namespace {

bool HasWildcard(std::wstring_view path) { return path.find_first_of(L"*?") != std::wstring_view::npos; }

std::wstring ListedName(const std::wstring& path, bool includeDirs) {
    // A pattern would list some other entry under this component's place.
    return HasWildcard(path) ? std::wstring() : Sys().FirstDirEntry(path, includeDirs);
}

}  // namespace

std::wstring GetShortPath(const std::wstring& path) {
    auto shortPath = Sys().ShortPathName(path);
    return shortPath ? *shortPath : path;
}

std::wstring GetLongPath(const std::wstring& path) {
    if (path.find(L'~') == std::wstring::npos) return path;
    // A path that does not exist has no long form; its own text still tells its extension.
    const auto attributes = Sys().FileAttributes(path);
    if (!attributes) return path;

    std::wstring result;
    // The search for separators starts behind the drive ("C:\").
    for (size_t pos = path.find(L'\\', 3); pos != std::wstring::npos; pos = path.find(L'\\', pos + 1)) {
        const std::wstring name = ListedName(path.substr(0, pos), true);
        if (!name.empty()) result += L"\\" + name;
    }
    const std::wstring name = ListedName(path, (*attributes & kAttrDirectory) != 0);
    if (!name.empty()) result += L"\\" + name;
    return result;
}

}  // namespace tolvare
