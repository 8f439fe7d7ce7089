// Start-up: decides from the command line and the profile file what the program does.
#include "core/startup.h"

#include <algorithm>

#include "core/texts.h"
#include "core/paths.h"
#include "core/profile.h"
#include "core/system.h"
#include "core/text.h"

namespace tolvare {

void OpenList(bool modal) {
    markCount = GetMarkProfileAll(markTable);
    selectedMark = 0;
    Sys().ShowList(modal);
}

void LaunchMarkRow(int row, const std::wstring& file, bool listModal) {
    MarkRecord& record = markTable[row];
    // Only a full path has a short form of its own: for a name, the platform would look in the
    // current folder.
    if (IsFullPath(record.program)) record.program = GetShortPath(record.program);
    bool declined = false;
    if (RunProgram(record.program, file, &declined) != 0 || declined) return;
    if (Sys().MessageBox(text::kCheckSettings, text::kTitle, kMbIconQuestion | kMbYesNo) == kIdYes) {
        OpenList(listModal);
    }
}

void WaitMsec(int32_t milliseconds) {
    // A monotonic clock: the wait ends on time across midnight and clock changes alike.
    const int64_t end = Sys().MonotonicMs() + milliseconds;
    for (int64_t now = Sys().MonotonicMs(); now < end; now = Sys().MonotonicMs()) {
        Sys().WaitForEvents(end - now);
    }
}

namespace {

// Offers the editor for an extension without registrations; returns how many it has afterwards.
int16_t RegisterMark(const std::wstring& extension) {
    const int16_t all = GetMarkProfileAll(markTable);
    if (all >= kMaxRows) return 0;  // no row number is left for another registration
    markCount = static_cast<int16_t>(all + 1);
    markTable.Append({extension, L"", L""});
    editorCaller = kCallerStartup;
    selectedMark = markCount;
    Sys().ShowEditor();

    markCount = GetMarkProfileAll(markTable);
    const auto& rows = markTable.Rows();
    const bool found =
        std::any_of(rows.begin(), rows.end(), [&](const MarkRecord& r) { return r.mark == extension; });
    if (!found) return 0;
    // The file was written before the dialog closed; a lookup that still misses it (a key and
    // value naming different extensions) gives up after a few seconds instead of waiting forever.
    for (int attempt = 1; attempt <= kRegisteredLookups; ++attempt) {
        if (const int16_t n = GetMarkProfile(markTable, extension); n >= 1) return n;
        if (attempt < kRegisteredLookups) WaitMsec(1000);
    }
    return 0;
}

}  // namespace

void Main() {
    profilePath = Sys().ExeDirectory();
    if (profilePath.empty() || profilePath.back() != L'\\') profilePath += L'\\';
    profilePath += L"tolvare.ini";
    // One TOLVARE per profile: copies of the exe that share the file share the lock too.
    if (Sys().AnotherInstanceRunning(profilePath)) {
        Sys().MessageBox(text::kSecondInstance, text::kTitle, kMbIconStop | kMbOk);
        return;
    }
    std::wstring given = Sys().CommandArgs();
    given.erase(std::remove(given.begin(), given.end(), L'"'), given.end());

    // Windows file names never end in a blank or tab (a shortcut may add one): the extension is
    // looked up without them, while the program still receives the path as given.
    std::wstring lookup = given.substr(0, given.find_last_not_of(L" \t") + 1);
    if (lookup.find(L'~') != std::wstring::npos) lookup = GetLongPath(lookup);
    if (lookup.empty()) {
        OpenList(false);
        return;
    }
    const int16_t dot = InStrLast(lookup, L".", 0);
    const std::wstring extension = dot > 0 ? ToUpper(std::wstring_view(lookup).substr(dot)) : L"";
    if (extension.empty() || lookup.back() == L'\\') {
        OpenList(false);
        return;
    }

    int16_t n = GetMarkProfile(markTable, extension);
    if (n == 0) n = RegisterMark(extension);

    if (n == 1) {
        LaunchMarkRow(1, given, false);
    } else if (n < 1) {
        Sys().MessageBox(text::kNotRegisteredBefore + extension + text::kNotRegisteredAfter, text::kTitle,
                         kMbIconStop | kMbOk);
    } else {
        selectCount = n;
        selectFile = given;
        Sys().ShowSelect();
    }
}

}  // namespace tolvare
