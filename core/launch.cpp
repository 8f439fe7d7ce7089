// The start of a registered program: the one place that decides which file runs. The file is found
// here and named to the system as the application, so the system never searches for it, and
// nothing is ever taken from the current folder (with "Open with" that is often the document's
// folder, where anybody may have put a program).
#include <algorithm>
#include <optional>
#include <vector>

#include "core/paths.h"
#include "core/system.h"
#include "core/text.h"
#include "core/texts.h"

namespace tolvare {

namespace {

constexpr uint32_t kErrorFileNotFound = 2;
constexpr uint32_t kErrorElevationRequired = 740;
constexpr uint32_t kErrorCancelled = 1223;
constexpr std::wstring_view kBlanks = L" \t";
// What the command interpreter acts on in a batch file's arguments, however they are quoted.
constexpr std::wstring_view kBatchSpecial = L"&|<>^%";

bool IsBlank(wchar_t c) { return kBlanks.find(c) != std::wstring_view::npos; }
bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

// An existing file, not a folder. A control character (a pasted tab) or a wildcard never names
// one: Windows allows neither in file names, and such a path never reaches a command line.
bool IsFile(const std::wstring& path) {
    if (std::any_of(path.begin(), path.end(), [](wchar_t c) { return c < 0x20 || c == L'*' || c == L'?'; }))
        return false;
    const auto attributes = Sys().FileAttributes(path);
    return attributes && (*attributes & kAttrDirectory) == 0;
}

std::wstring Joined(std::wstring folder, std::wstring_view name) {
    if (!folder.empty() && !IsSeparator(folder.back())) folder += L'\\';
    return folder.append(name);
}

// The full path of the file a program path names. A full path stands as it is; a name with no
// folder is looked for where Windows looks for programs, except the current folder, with ".exe"
// added when no extension is written; any other relative path starts in TOLVARE's folder, so a
// portable set of tools beside it works from any current folder.
std::optional<std::wstring> Locate(const std::wstring& path) {
    if (IsFullPath(path)) return IsFile(path) ? std::optional(path) : std::nullopt;
    // "C:x.exe" means the current folder of drive C.
    if (path.empty() || path.find(L':') != std::wstring::npos) return std::nullopt;
    const std::wstring exeDir = Sys().ExeDirectory();
    std::vector<std::wstring> candidates;
    if (IsSeparator(path[0])) {
        // The root of TOLVARE's own drive.
        if (exeDir.size() >= 2 && exeDir[1] == L':') candidates.push_back(exeDir.substr(0, 2) + path);
    } else if (std::any_of(path.begin(), path.end(), IsSeparator)) {
        candidates.push_back(Joined(exeDir, path));
    } else {
        const std::wstring name = path.find(L'.') == std::wstring::npos ? path + L".exe" : path;
        std::vector<std::wstring> folders = {exeDir, Sys().SystemDirectory(), Sys().WindowsDirectory()};
        const std::wstring searchPath = Sys().EnvironmentVariable(L"PATH");
        for (size_t start = 0; start < searchPath.size();) {
            const size_t end = std::min(searchPath.find(L';', start), searchPath.size());
            std::wstring folder = searchPath.substr(start, end - start);
            folder.erase(std::remove(folder.begin(), folder.end(), L'"'), folder.end());
            folders.push_back(folder);
            start = end + 1;
        }
        for (const auto& folder : folders) candidates.push_back(Joined(folder, name));
    }
    for (const auto& candidate : candidates) {
        // A relative PATH entry (".") would be the current folder again.
        if (IsFullPath(candidate) && IsFile(candidate)) return candidate;
    }
    return std::nullopt;
}

// A program's name on the command line, in quotes when a blank is left in it (a volume without
// short names), so that it names itself.
std::wstring Quoted(const std::wstring& name) {
    return name.find_first_of(kBlanks) == std::wstring::npos ? name : L"\"" + name + L"\"";
}

// How the command line names a program written inside the registration (quoted, or before its
// arguments): a full path in its short form, as always.
std::wstring CommandName(const std::wstring& written) {
    return Quoted(IsFullPath(written) ? GetShortPath(written) : written);
}

struct Resolved {
    std::wstring file;       // the full path that is started
    std::wstring name;       // the program as the command line names it
    std::wstring arguments;  // the registration's own arguments, with the blank before them
};

// The file a registration starts, by the first rule that applies; nothing when none finds a file.
std::optional<Resolved> Resolve(const std::wstring& program) {
    // A full path naming a file is that file, blanks and all; the caller has already put it in
    // its short form (LaunchMarkRow), so it is not looked up a second time.
    if (IsFullPath(program) && IsFile(program)) return Resolved{program, Quoted(program), L""};
    // A quoted program and its arguments, as "Copy as path" pastes it.
    if (program.starts_with(L'"')) {
        const size_t close = program.find(L'"', 1);
        if (close == std::wstring::npos) return std::nullopt;
        const std::wstring written = program.substr(1, close - 1);
        const auto file = Locate(written);
        if (!file) return std::nullopt;
        std::wstring arguments = program.substr(close + 1);
        if (!arguments.empty() && !IsBlank(arguments[0])) arguments.insert(0, 1, L' ');
        return Resolved{*file, CommandName(written), arguments};
    }
    // A program followed by arguments: the longest part before a blank that names a file written
    // with its extension. A missing "C:\t\My App\x.exe" thus never starts a "C:\t\My.exe".
    for (size_t blank = program.find_last_of(kBlanks); blank != std::wstring::npos && blank > 0;
         blank = program.find_last_of(kBlanks, blank - 1)) {
        if (IsBlank(program[blank - 1])) continue;
        const std::wstring written = program.substr(0, blank);
        const size_t nameStart = written.find_last_of(L"\\/");
        if (written.find(L'.', nameStart == std::wstring::npos ? 0 : nameStart + 1) == std::wstring::npos)
            continue;
        if (const auto file = Locate(written))
            return Resolved{*file, CommandName(written), program.substr(blank)};
    }
    // A name or a relative path.
    if (IsFullPath(program)) return std::nullopt;
    const auto file = Locate(program);
    return file ? std::optional(Resolved{*file, CommandName(program), L""}) : std::nullopt;
}

bool IsBatchFile(const std::wstring& file) {
    if (file.size() < 4) return false;
    std::wstring extension = file.substr(file.size() - 4);
    for (auto& c : extension) c = static_cast<wchar_t>(c >= L'A' && c <= L'Z' ? c | 0x20 : c);
    return extension == L".bat" || extension == L".cmd";
}

}  // namespace

bool IsFullPath(std::wstring_view path) {
    if (path.starts_with(L"\\\\")) return true;
    const wchar_t drive = static_cast<wchar_t>(path.empty() ? 0 : path[0] | 0x20);
    return path.size() >= 3 && drive >= L'a' && drive <= L'z' && path[1] == L':' && IsSeparator(path[2]);
}

std::optional<std::wstring> ProgramFile(const std::wstring& program) {
    const auto resolved = Resolve(TrimBlanks(program));
    return resolved ? std::optional(resolved->file) : std::nullopt;
}

uint32_t RunProgram(const std::wstring& program, const std::wstring& file, bool* declined) {
    if (declined != nullptr) *declined = false;
    const std::wstring trimmedProgram = TrimBlanks(program), trimmedFile = TrimBlanks(file);
    std::wstring commandLine = trimmedProgram + L" " + trimmedFile;
    SysError err;
    uint32_t processId = 0;
    if (const auto resolved = Resolve(trimmedProgram); !resolved) {
        err = {kErrorFileNotFound, Sys().ErrorText(kErrorFileNotFound)};
    } else {
        const bool batch = IsBatchFile(resolved->file);
        // The command interpreter runs whatever the line names first: for it, the file itself.
        commandLine =
            (batch ? CommandName(resolved->file) : resolved->name) + resolved->arguments + L" " + trimmedFile;
        if (Sys().IsThisExe(resolved->file)) {
            // It would start itself with the same file, again and again.
            err = {0, text::kStartSelf};
        } else if (batch && trimmedFile.find_first_of(kBatchSpecial) != std::wstring::npos) {
            // A file named "x&evil.exe&.txt" would run commands of its own.
            err = {0, text::kBatchRefused};
        } else {
            processId = Sys().StartProcess(resolved->file, commandLine, err);
            if (processId == 0 && err.code == kErrorElevationRequired) {
                const std::wstring parameters = TrimBlanks(resolved->arguments + L" " + trimmedFile);
                processId = Sys().StartElevated(resolved->file, parameters, err);
                if (processId == 0 && err.code == kErrorCancelled) {
                    if (declined != nullptr) *declined = true;
                    return 0;
                }
            }
        }
    }
    if (processId == 0) {
        Sys().MessageBox(std::wstring(text::kStartFailed) + L"\r\n" + commandLine + L"\r\n" + err.text,
                         text::kTitle, kMbIconStop | kMbOk);
    }
    return processId;
}

}  // namespace tolvare
