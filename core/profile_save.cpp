// Writing the profile file whole, with its backup. Both are written beside the file they replace
// under a name of their own, read back, and renamed into place in one step, so a full disk, a
// crash or a killed process leaves the old file or the new one, never a part of either. Whatever
// fails and whatever the user answers, every registration the profile held stays in it or in its
// backup unless the user deleted or changed it.
#include <string>

#include "core/texts.h"
#include "core/profile.h"
#include "core/system.h"
#include "core/text.h"

namespace tolvare {

std::vector<std::wstring> ProfileLines(const MarkTable& table) {
    std::vector<std::wstring> lines;
    lines.reserve(table.Rows().size() + 1);
    lines.emplace_back(L"[MARK]");
    std::wstring current;
    int k = 0;
    for (const auto& row : table.Rows()) {
        std::wstring upper = ToUpper(row.mark);
        if (upper != current) {
            current = std::move(upper);
            k = 0;
        }
        ++k;
        lines.push_back(current + L"_" + std::to_wstring(k - 1) + L"=" + current + L"," + row.program + L"," +
                        row.name);
    }
    return lines;
}

namespace {

constexpr uint32_t kErrorFileNotFound = 2;
constexpr uint32_t kErrorPathNotFound = 3;
constexpr uint32_t kErrorAccessDenied = 5;
constexpr uint32_t kErrorSharingViolation = 32;
constexpr uint32_t kErrorLockViolation = 33;
constexpr uint32_t kErrorFileExists = 80;
constexpr uint32_t kErrorAlreadyExists = 183;
constexpr uint32_t kErrorNoUnicodeTranslation = 1113;
constexpr uint32_t kErrorFileCorrupt = 1392;
constexpr wchar_t kTempSuffix[] = L".tmp";
// The one fixed name earlier versions wrote the new profile to.
constexpr wchar_t kOldTempSuffix[] = L".new";
// A scanner or a sync client that holds a file for a moment is waited for this long, quietly.
constexpr int64_t kQuietRetryMs = 1000;
constexpr int64_t kQuietRetryStepMs = 50;
// Names tried for a temporary file before its creation counts as failed.
constexpr int kTempNameTries = 16;

// A name beside `base` that no earlier attempt has used: a leftover of a killed save (or a
// folder someone made in its place) never blocks the next one.
std::wstring NewTempPath(const std::wstring& base) {
    static uint32_t counter = 0;
    const uint32_t tag = static_cast<uint32_t>(Sys().MonotonicMs()) * 256u + (++counter & 0xFFu);
    std::wstring hex;
    for (int shift = 28; shift >= 0; shift -= 4) hex += L"0123456789abcdef"[(tag >> shift) & 0xF];
    return base + L"." + hex + kTempSuffix;
}

bool IsOwnTempName(std::wstring_view name, std::wstring_view profileName) {
    const std::wstring upper = ToUpper(name);
    const std::wstring prefix = ToUpper(profileName) + L".";
    if (upper == prefix.substr(0, prefix.size() - 1) + ToUpper(kOldTempSuffix)) return true;
    const std::wstring suffix = ToUpper(kTempSuffix);
    if (upper.size() != prefix.size() + 8 + suffix.size()) return false;
    if (upper.compare(0, prefix.size(), prefix) != 0) return false;
    if (upper.compare(upper.size() - suffix.size(), suffix.size(), suffix) != 0) return false;
    const std::wstring_view tag = std::wstring_view(upper).substr(prefix.size(), 8);
    return tag.find_first_not_of(L"0123456789ABCDEF") == std::wstring_view::npos;
}

// Deletes what killed saves of the file at `base` left behind; whatever cannot go stays.
void RemoveLeftovers(const std::wstring& base) {
    const size_t slash = base.find_last_of(L"\\/");
    const std::wstring folder = slash == std::wstring::npos ? L"" : base.substr(0, slash + 1);
    const std::wstring baseName = base.substr(folder.size());
    SysError ignored;
    for (const std::wstring& name : Sys().ListFiles(base + L".*")) {
        if (IsOwnTempName(name, baseName)) Sys().DeleteFileAt(folder + name, ignored);
    }
}

// Runs `step` until it succeeds; a refusal that a scanner or a sync client holding the file
// explains (sharing, lock, access) is tried again quietly for about a second before it counts.
template <class Step>
bool Persistently(Step step, SysError& err) {
    const int64_t end = Sys().MonotonicMs() + kQuietRetryMs;
    for (;;) {
        if (step(err)) return true;
        const bool held = err.code == kErrorAccessDenied || err.code == kErrorSharingViolation ||
                          err.code == kErrorLockViolation;
        if (!held || Sys().MonotonicMs() >= end) return false;
        Sys().Pause(kQuietRetryStepMs);
    }
}

// A new temporary file beside `base`, made under a name nobody has used: never over an existing
// file, nor through a link planted under the name.
std::unique_ptr<OutFile> CreateTemp(const std::wstring& base, std::wstring& tempPath, SysError& err) {
    for (int i = 0; i < kTempNameTries; ++i) {
        tempPath = NewTempPath(base);
        if (auto file = Sys().CreateOutFile(tempPath, err)) return file;
        if (err.code != kErrorFileExists && err.code != kErrorAlreadyExists) break;
    }
    tempPath.clear();
    return nullptr;
}

// Whether the file at `path` holds exactly `bytes`; `err` says why not.
bool ReadsBackAs(const std::wstring& path, std::string_view bytes, SysError& err) {
    std::string back;
    if (Sys().ReadWholeFile(path, back, err) != ReadStatus::kOk) {
        if (err.text.empty()) err = {kErrorFileCorrupt, Sys().ErrorText(kErrorFileCorrupt)};
        return false;
    }
    if (back == bytes) return true;
    err = {kErrorFileCorrupt, Sys().ErrorText(kErrorFileCorrupt)};
    return false;
}

void DeleteTemp(std::wstring& tempPath) {
    SysError ignored;
    if (!tempPath.empty()) Sys().DeleteFileAt(tempPath, ignored);
    tempPath.clear();
}

// Replaces the backup with `bytes` in one step; false (with the reason) when it could not. The
// backup that was there is never damaged.
bool KeepBackup(std::string_view bytes, SysError& err) {
    std::wstring tempPath;
    std::unique_ptr<OutFile> file = CreateTemp(profilePath, tempPath, err);
    if (!file) return false;
    const bool written = file->Write(bytes, err) && file->Commit(err);
    file.reset();
    if (written && ReadsBackAs(tempPath, bytes, err) &&
        Persistently([&](SysError& e) { return Sys().ReplaceFileWith(tempPath, profilePath + L".bk", e); },
                     err)) {
        return true;
    }
    DeleteTemp(tempPath);
    return false;
}

// The profile as it is now, read through a moment's hold by another program.
struct CurrentFile {
    ReadStatus status = ReadStatus::kNotFound;
    std::string bytes;
    SysError err;
};
CurrentFile ReadCurrent() {
    CurrentFile current;
    Persistently(
        [&](SysError& e) {
            current.status = Sys().ReadWholeFile(profilePath, current.bytes, e);
            return current.status != ReadStatus::kFailed;
        },
        current.err);
    return current;
}

// Puts a failure to the user; the line that could not be written, if any, stands between the
// operation's name and the platform's reason.
int AskAbout(const SysError& err, const std::wstring& line = {}) {
    return ReportProfileFailure(L"SaveMarkProfileAll",
                                line.empty() ? err : SysError{err.code, line + L"\r\n" + err.text});
}

enum class Attempt { kWritten, kRetry, kAbandoned };

// One attempt at writing the whole new text to a new file beside `target`; `written` receives
// the file's bytes and `skipped` tells whether Ignore left a line out. Any failure is put to the
// user: Retry starts again from the top, Ignore skips a failed line, anything else abandons.
Attempt WriteProfileText(const std::wstring& target, const std::vector<std::wstring>& lines,
                         std::wstring& tempPath, std::string& written, bool& skipped) {
    const auto ask = [](const SysError& err, const std::wstring& line = {}) {
        const int answer = AskAbout(err, line);
        return answer == kIdRetry    ? Attempt::kRetry
               : answer == kIdIgnore ? Attempt::kWritten
                                     : Attempt::kAbandoned;
    };
    written.clear();
    skipped = false;
    SysError err;
    std::unique_ptr<OutFile> file = CreateTemp(target, tempPath, err);
    // Without a file there is nothing to go on with: Ignore ends the save like Abort.
    if (!file) return ask(err) == Attempt::kRetry ? Attempt::kRetry : Attempt::kAbandoned;
    for (const auto& line : lines) {
        bool lossy = false;
        const std::string bytes = Sys().ToCp932(line + L"\r\n", &lossy);
        if (lossy) {
            // Never write a character the file cannot hold as a silent '?'.
            err = {kErrorNoUnicodeTranslation, Sys().ErrorText(kErrorNoUnicodeTranslation)};
        } else if (file->Write(bytes, err)) {
            written += bytes;
            continue;
        }
        const Attempt next = ask(err, line);
        // Without its section line the file would hold no registration at all: no Ignore there.
        if (next != Attempt::kWritten || &line == &lines.front()) {
            return next == Attempt::kRetry ? next : Attempt::kAbandoned;
        }
        skipped = true;
    }
    if (file->Commit(err)) return Attempt::kWritten;
    return ask(err) == Attempt::kRetry ? Attempt::kRetry : Attempt::kAbandoned;
}

// An empty table: the profile goes, but only once its backup holds it.
SaveResult SaveEmptied(CurrentFile current, const std::wstring& target) {
    for (;;) {
        SysError err = current.err;
        if (current.status == ReadStatus::kNotFound) break;
        if (current.status == ReadStatus::kOk && KeepBackup(current.bytes, err) &&
            Persistently(
                [&](SysError& e) {
                    return Sys().DeleteFileAt(target, e) || e.code == kErrorFileNotFound ||
                           e.code == kErrorPathNotFound;
                },
                err)) {
            break;
        }
        if (AskAbout(err) != kIdRetry) return SaveResult::kFailed;
        current = ReadCurrent();
    }
    loadedProfile = {true, {}};
    return SaveResult::kSaved;
}

}  // namespace

SaveResult SaveMarkProfileAll(MarkTable& table) {
    // Through a link (a profile kept in a synced folder) the file it names is replaced, in its
    // own folder, and the link stays.
    const std::wstring target = Sys().LinkTarget(profilePath);
    // The file as it is now: compared with the one loaded, and kept as the backup.
    CurrentFile current = ReadCurrent();
    const bool unchanged =
        (current.status == ReadStatus::kOk && FingerprintOf(current.bytes) == loadedProfile.file) ||
        (current.status == ReadStatus::kNotFound && !loadedProfile.file.exists);
    // Once the user has agreed to drop what the table does not show, that is kept in the backup.
    const bool asked = !loadedProfile.complete || !unchanged;
    if (asked &&
        Sys().MessageBox(text::kUnseenRegistrations, text::kTitle, kMbIconQuestion | kMbYesNo) != kIdYes) {
        return SaveResult::kDeclined;
    }
    RemoveLeftovers(profilePath);
    if (target != profilePath) RemoveLeftovers(target);
    if (table.UBound() <= 0) return SaveEmptied(std::move(current), target);
    SortMarkTable(table);
    const std::vector<std::wstring> lines = ProfileLines(table);

    std::wstring tempPath;
    for (;; DeleteTemp(tempPath)) {
        std::string written;
        bool skipped = false;
        const Attempt attempt = WriteProfileText(target, lines, tempPath, written, skipped);
        if (attempt == Attempt::kRetry) continue;
        if (attempt == Attempt::kAbandoned) break;
        SysError err;
        bool ready = ReadsBackAs(tempPath, written, err);
        if (ready && current.status != ReadStatus::kNotFound) {
            // A backup is wanted every time; it is required when the new file lacks registrations
            // the old one holds (a line left out, or rows the user agreed to drop): without it
            // the profile is not replaced.
            const bool backedUp = current.status == ReadStatus::kOk && KeepBackup(current.bytes, err);
            if (current.status == ReadStatus::kFailed) err = current.err;
            ready = backedUp || !(skipped || asked);
        }
        if (ready &&
            Persistently([&](SysError& e) { return Sys().ReplaceFileWith(tempPath, target, e); }, err)) {
            loadedProfile = {true, FingerprintOf(written)};
            // Only a file that holds the whole table is the table saved.
            return skipped ? SaveResult::kFailed : SaveResult::kSaved;
        }
        if (AskAbout(err) != kIdRetry) break;
        current = ReadCurrent();
    }
    DeleteTemp(tempPath);
    return SaveResult::kFailed;
}

}  // namespace tolvare
