// Short and long forms of paths, and the start of a registered program.
#include "core/paths.h"

#include "core/texts.h"
#include "core/system.h"
#include "core/text.h"

namespace tolvare {

namespace {

constexpr uint32_t kErrorFileNotFound = 2;

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

namespace {

bool IsFile(const std::wstring& path) {
    const auto attributes = Sys().FileAttributes(path);
    return attributes && (*attributes & kAttrDirectory) == 0;
}

// Whether the text before the first blank is an existing program written with its extension and
// followed by arguments ("C:\tools\app.exe /x"). Given an unquoted path with blanks, the platform
// tries each blank-delimited prefix in turn, so a missing "C:\t\My App\x.exe" would start a
// "C:\t\My.exe" that happens to exist: only such a program, or a path that exists, is started.
bool IsProgramWithArguments(const std::wstring& program, size_t blank) {
    const std::wstring first = program.substr(0, blank);
    const size_t name = first.find_last_of(L"\\/");
    const bool extensionWritten =
        first.find(L'.', name == std::wstring::npos ? 0 : name + 1) != std::wstring::npos;
    return extensionWritten && IsFile(first);
}

}  // namespace

uint32_t RunProgram(const std::wstring& program, const std::wstring& file) {
    const std::wstring trimmedProgram = Trim(program);
    std::wstring commandLine = trimmedProgram + L" " + Trim(file);
    SysError err;
    uint32_t processId = 0;
    const size_t blank = trimmedProgram.find(L' ');
    // A path with a space that is still long (its volume keeps no short names) would be split by
    // the platform at the space: it is quoted so that it names itself.
    const bool quoted = blank != std::wstring::npos && IsFile(trimmedProgram);
    if (quoted) commandLine = L"\"" + trimmedProgram + L"\" " + Trim(file);
    if (trimmedProgram.empty() ||
        (blank != std::wstring::npos && !quoted && !IsProgramWithArguments(trimmedProgram, blank))) {
        err = {kErrorFileNotFound, Sys().ErrorText(kErrorFileNotFound)};
    } else {
        processId = Sys().StartProcess(commandLine, err);
    }
    if (processId == 0) {
        Sys().MessageBox(std::wstring(text::kStartFailed) + L"\r\n" + commandLine + L"\r\n" + err.text,
                         text::kTitle, kMbIconStop | kMbOk);
    }
    return processId;
}

}  // namespace tolvare
