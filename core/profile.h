// The registration table and the profile file tolvare.ini that keeps it between runs.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/globals.h"
#include "core/system.h"

namespace tolvare {

// Which bytes a profile file held, or that there was none.
struct ProfileFingerprint {
    bool exists = false;
    size_t size = 0;
    uint64_t hash = 0;
    bool operator==(const ProfileFingerprint&) const = default;
};
ProfileFingerprint FingerprintOf(std::string_view bytes);

// What the table last loaded whole stands for: whether every registration the per-extension
// lookup finds in the file became a row (and the read succeeded), and which file it was. A save
// is the file written; a save over anything else asks first.
struct LoadedProfile {
    bool complete = false;
    ProfileFingerprint file;
};
extern LoadedProfile loadedProfile;

// Replaces the table with every registration of the profile file; returns the row count.
int16_t GetMarkProfileAll(MarkTable& table);
// Replaces the table with the registrations of one extension (keys E_0..E_9); returns 0..10.
int16_t GetMarkProfile(MarkTable& table, std::wstring_view mark);
enum class SaveResult { kSaved, kFailed, kDeclined };
// Writes the table whole to the profile file, sorted, keeping the old file as the ".bk" backup.
// When the table does not hold everything the file does (an incomplete load, or a file changed
// since), the user is asked first; kDeclined means nothing was written and the table is as it was.
SaveResult SaveMarkProfileAll(MarkTable& table);
// Ascending by mark, then name, in the exact order of the program's exchange sort.
void SortMarkTable(MarkTable& table);

// The value of `key` in `section` of an INI file, or `defaultValue`.
std::wstring GetProfileValue(std::wstring_view section, std::wstring_view key, std::wstring_view defaultValue,
                             const std::wstring& path);
// The n-th (1-based) comma-separated field of a value; empty when there is none.
std::wstring GetField(std::wstring_view value, int16_t n);

// Beeps and asks Abort, Retry or Ignore about a failed read or write of the profile file.
int ReportProfileFailure(const wchar_t* operation, const SysError& err);

// The profile file's text for a sorted table, exactly as SaveMarkProfileAll writes it.
std::vector<std::wstring> ProfileLines(const MarkTable& table);

}  // namespace tolvare
