// Writing the profile file whole, with its backup. Both are written beside the profile under a
// name of their own and renamed into place in one step, so a full disk, a crash or a killed
// process leaves the old file or the new one, never a part of either.
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

constexpr uint32_t kErrorNoUnicodeTranslation = 1113;
constexpr wchar_t kTempSuffix[] = L".tmp";
// The one fixed name earlier versions wrote the new profile to.
constexpr wchar_t kOldTempSuffix[] = L".new";

// A name beside the profile that no earlier attempt has used: a leftover of a killed save (or
// a folder someone made in its place) never blocks the next one.
std::wstring NewTempPath() {
    static uint32_t counter = 0;
    const uint32_t tag = static_cast<uint32_t>(Sys().MonotonicMs()) * 256u + (++counter & 0xFFu);
    std::wstring hex;
    for (int shift = 28; shift >= 0; shift -= 4) hex += L"0123456789abcdef"[(tag >> shift) & 0xF];
    return profilePath + L"." + hex + kTempSuffix;
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

// Deletes what killed saves of this profile left behind; whatever cannot go stays.
void RemoveLeftovers() {
    const size_t slash = profilePath.find_last_of(L"\\/");
    const std::wstring folder = slash == std::wstring::npos ? L"" : profilePath.substr(0, slash + 1);
    const std::wstring profileName = profilePath.substr(folder.size());
    SysError ignored;
    for (const std::wstring& name : Sys().ListFiles(profilePath + L".*")) {
        if (IsOwnTempName(name, profileName)) Sys().DeleteFileAt(folder + name, ignored);
    }
}

// Replaces the backup with `bytes` in one step. A failure is not reported and does not stop
// the save, but it never damages the backup that was there.
void KeepBackup(std::string_view bytes) {
    const std::wstring tempPath = NewTempPath();
    SysError ignored;
    std::unique_ptr<OutFile> file = Sys().CreateOutFile(tempPath, ignored);
    if (!file) return;
    const bool written = file->Write(bytes, ignored) && file->Commit(ignored);
    file.reset();
    if (!written || !Sys().ReplaceFileWith(tempPath, profilePath + L".bk", ignored)) {
        Sys().DeleteFileAt(tempPath, ignored);
    }
}

enum class Attempt { kWritten, kRetry, kAbandoned };

// One attempt at writing the whole new text to `tempPath`; `written` receives the file's bytes.
// Any failure is put to the user: Retry starts again from the top, Ignore skips a failed line,
// anything else abandons.
Attempt WriteProfileText(const std::wstring& tempPath, const std::vector<std::wstring>& lines,
                         std::string& written) {
    const auto ask = [](const SysError& err) {
        const int answer = ReportProfileFailure(L"SaveMarkProfileAll", err);
        return answer == kIdRetry    ? Attempt::kRetry
               : answer == kIdIgnore ? Attempt::kWritten
                                     : Attempt::kAbandoned;
    };
    written.clear();
    SysError err;
    std::unique_ptr<OutFile> file = Sys().CreateOutFile(tempPath, err);
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
        if (const Attempt next = ask(err); next != Attempt::kWritten) return next;
    }
    if (file->Commit(err)) return Attempt::kWritten;
    return ask(err) == Attempt::kRetry ? Attempt::kRetry : Attempt::kAbandoned;
}

}  // namespace

SaveResult SaveMarkProfileAll(MarkTable& table) {
    // The file as it is now: compared with the one loaded, and kept as the backup.
    std::string current;
    SysError readError;
    const ReadStatus status = Sys().ReadWholeFile(profilePath, current, readError);
    const bool unchanged = (status == ReadStatus::kOk && FingerprintOf(current) == loadedProfile.file) ||
                           (status == ReadStatus::kNotFound && !loadedProfile.file.exists);
    if (!loadedProfile.complete || !unchanged) {
        if (Sys().MessageBox(text::kUnseenRegistrations, text::kTitle, kMbIconQuestion | kMbYesNo) !=
            kIdYes) {
            return SaveResult::kDeclined;
        }
    }
    RemoveLeftovers();
    SysError ignored;
    if (table.UBound() <= 0) {
        if (status == ReadStatus::kOk) KeepBackup(current);
        Sys().DeleteFileAt(profilePath, ignored);
        loadedProfile = {true, {}};
        return SaveResult::kSaved;
    }
    SortMarkTable(table);
    const std::vector<std::wstring> lines = ProfileLines(table);

    std::string written;
    std::wstring tempPath;
    Attempt attempt = Attempt::kRetry;
    while (attempt == Attempt::kRetry) {
        if (!tempPath.empty()) Sys().DeleteFileAt(tempPath, ignored);
        tempPath = NewTempPath();
        attempt = WriteProfileText(tempPath, lines, written);
    }
    if (attempt == Attempt::kWritten) {
        if (status == ReadStatus::kOk) KeepBackup(current);
        for (;;) {
            SysError err;
            if (Sys().ReplaceFileWith(tempPath, profilePath, err)) {
                loadedProfile = {true, FingerprintOf(written)};
                return SaveResult::kSaved;
            }
            if (ReportProfileFailure(L"SaveMarkProfileAll", err) != kIdRetry) break;
        }
    }
    Sys().DeleteFileAt(tempPath, ignored);
    return SaveResult::kFailed;
}

}  // namespace tolvare
