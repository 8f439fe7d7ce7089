// The registration table and the profile file: reading it whole or per extension, writing it.
#include "core/profile.h"

#include <string>

#include "core/messages.h"
#include "core/startup.h"
#include "core/system.h"
#include "core/text.h"

namespace tolvare {

MarkTable markTable;
int16_t markCount = 0;

namespace {

constexpr wchar_t kSection[] = L"[MARK]";
constexpr wchar_t kNoData[] = L"nodata";
// The platform's profile reader hands back at most this many bytes of a value.
constexpr size_t kMaxValueBytes = 254;
constexpr uint32_t kErrorNoUnicodeTranslation = 1113;

// Splits the file's bytes into lines; CR LF, LF and CR all end a line. Code page 932 never uses
// CR or LF as the second byte of a character, so the split is safe on the raw bytes.
template <typename Fn>
void ForEachLine(std::string_view bytes, Fn&& fn) {
    size_t start = 0;
    while (start < bytes.size()) {
        size_t end = bytes.find_first_of("\r\n", start);
        if (end == std::string_view::npos) end = bytes.size();
        if (!fn(bytes.substr(start, end - start))) return;
        if (end < bytes.size() && bytes[end] == '\r' && end + 1 < bytes.size() &&
            bytes[end + 1] == '\n') {
            ++end;
        }
        start = end + 1;
    }
}

// White space as the platform's profile reader trims it around names and values.
std::wstring TrimBlank(std::wstring_view text) {
    constexpr wchar_t kBlank[] = L" \t\v\f";
    const size_t first = text.find_first_not_of(kBlank);
    if (first == std::wstring_view::npos) return {};
    const size_t last = text.find_last_not_of(kBlank);
    return std::wstring(text.substr(first, last - first + 1));
}

int ReportFailure(const wchar_t* operation, const SysError& err) {
    Sys().Beep();
    return Sys().MessageBox(std::wstring(operation) + L":\r\n" + err.text, text::kErrorTitle,
                            kMbIconStop | kMbAbortRetryIgnore);
}

}  // namespace

std::wstring GetField(std::wstring_view value, int16_t n) {
    std::wstring_view s = value;
    for (int i = 1; i <= n; ++i) {
        const size_t comma = s.find(L',');
        if (comma == std::wstring_view::npos) {
            // The value's own end acts as the comma after its last field.
            return i == n ? std::wstring(s) : std::wstring();
        }
        if (i == n) return std::wstring(s.substr(0, comma));
        s.remove_prefix(comma + 1);
    }
    return {};
}

int16_t GetMarkProfileAll(MarkTable& table) {
    table.Erase();
    std::string bytes;
    for (;;) {
        SysError err;
        const ReadStatus status = Sys().ReadWholeFile(profilePath, bytes, err);
        if (status == ReadStatus::kNotFound) return 0;
        if (status == ReadStatus::kOk) break;
        // Ignore cannot skip an open that failed: there is nothing to read, so it ends like Abort.
        if (ReportFailure(L"GetMarkProfileAll", err) != kIdRetry) return 0;
    }
    bool inSection = false;
    ForEachLine(bytes, [&](std::string_view raw) {
        const std::wstring line = Sys().FromCp932(raw);
        const std::wstring trimmed = Trim(line);
        if (!inSection) {
            inSection = trimmed == kSection;
            return true;
        }
        if (trimmed.empty() || trimmed[0] == L'[') return false;
        // A hand-edited file may hold more lines than row numbers exist; the rest stays in the
        // file until the next save (and in its backup after that).
        if (table.UBound() >= kMaxRows) return false;
        const size_t eq = line.find(L'=');
        const std::wstring value = Trim(eq == std::wstring::npos ? line : line.substr(eq + 1));
        table.Append({GetField(value, 1), GetField(value, 2), GetField(value, 3)});
        return true;
    });
    return table.UBound();
}

namespace {

struct ProfileEntry {
    std::wstring upperName;
    std::wstring value;
};

// The entries of the first section of that name, as the platform's profile reader sees them:
// names and values trimmed, names compared without regard to case.
std::vector<ProfileEntry> ReadSection(std::string_view fileBytes, std::wstring_view section) {
    std::vector<ProfileEntry> entries;
    const std::wstring wanted = ToUpper(section);
    bool inside = false;
    ForEachLine(fileBytes, [&](std::string_view raw) {
        const std::wstring line = TrimBlank(Sys().FromCp932(raw));
        if (!line.empty() && line[0] == L'[') {
            if (inside) return false;
            const size_t close = line.find(L']');
            const std::wstring name = TrimBlank(std::wstring_view(line).substr(
                1, close == std::wstring::npos ? std::wstring::npos : close - 1));
            inside = name.size() == wanted.size() && ToUpper(name) == wanted;
            return true;
        }
        if (!inside || line.empty()) return true;
        const size_t eq = line.find(L'=');
        ProfileEntry entry{ToUpper(TrimBlank(std::wstring_view(line).substr(0, eq))), {}};
        if (eq != std::wstring::npos) entry.value = TrimBlank(std::wstring_view(line).substr(eq + 1));
        entries.push_back(std::move(entry));
        return true;
    });
    return entries;
}

// The value as the platform's reader hands it back: unquoted, at most 254 bytes.
std::wstring FindValue(const std::vector<ProfileEntry>& entries, std::wstring_view key,
                       std::wstring_view defaultValue) {
    const std::wstring wanted = ToUpper(TrimBlank(key));
    for (const auto& e : entries) {
        if (e.upperName != wanted) continue;
        // Unquoted and cut only for the value asked for: a lookup never converts the others.
        std::wstring value = e.value;
        if (value.size() >= 2 && (value.front() == L'"' || value.front() == L'\'') &&
            value.back() == value.front()) {
            value = value.substr(1, value.size() - 2);
        }
        if (GetByteLen(value) > static_cast<int32_t>(kMaxValueBytes)) {
            value = GetByteMid(value, 1, static_cast<int32_t>(kMaxValueBytes));
        }
        return value;
    }
    return std::wstring(defaultValue);
}

}  // namespace

std::wstring LookupProfileValue(std::string_view fileBytes, std::wstring_view section,
                                std::wstring_view key, std::wstring_view defaultValue) {
    return FindValue(ReadSection(fileBytes, section), key, defaultValue);
}

std::wstring GetProfileValue(std::wstring_view section, std::wstring_view key,
                             std::wstring_view defaultValue, const std::wstring& path) {
    std::string bytes;
    SysError err;
    if (Sys().ReadWholeFile(path, bytes, err) != ReadStatus::kOk) return std::wstring(defaultValue);
    return LookupProfileValue(bytes, section, key, defaultValue);
}

int16_t GetMarkProfile(MarkTable& table, std::wstring_view mark) {
    table.Erase();
    const std::wstring upper = ToUpper(mark);
    // One read of the file serves all ten keys.
    std::string bytes;
    SysError err;
    if (Sys().ReadWholeFile(profilePath, bytes, err) != ReadStatus::kOk) return 0;
    const std::vector<ProfileEntry> entries = ReadSection(bytes, L"MARK");
    for (int i = 0; i < kMaxPerMark; ++i) {
        const std::wstring value = FindValue(entries, upper + L"_" + std::to_wstring(i), kNoData);
        if (value == kNoData) break;
        table.Append({GetField(value, 1), GetField(value, 2), GetField(value, 3)});
    }
    return table.UBound();
}

std::vector<std::wstring> ProfileLines(const MarkTable& table) {
    std::vector<std::wstring> lines;
    lines.reserve(table.Rows().size() + 1);
    lines.emplace_back(kSection);
    std::wstring current;
    int k = 0;
    for (const auto& row : table.Rows()) {
        std::wstring upper = ToUpper(row.mark);
        if (upper != current) {
            current = std::move(upper);
            k = 0;
        }
        ++k;
        lines.push_back(current + L"_" + std::to_wstring(k - 1) + L"=" + current + L"," +
                        row.program + L"," + row.name);
    }
    return lines;
}

namespace {

enum class Attempt { kWritten, kRetry, kAbandoned };

// One attempt at writing the whole new text to `tempPath`. Any failure is put to the user:
// Retry starts the file again from the top, Ignore skips a failed line, anything else abandons.
Attempt WriteProfileText(const std::wstring& tempPath, const std::vector<std::wstring>& lines) {
    const auto ask = [](const SysError& err) {
        const int answer = ReportFailure(L"SaveMarkProfileAll", err);
        return answer == kIdRetry ? Attempt::kRetry : answer == kIdIgnore ? Attempt::kWritten : Attempt::kAbandoned;
    };
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
            continue;
        }
        if (const Attempt next = ask(err); next != Attempt::kWritten) return next;
    }
    if (file->Commit(err)) return Attempt::kWritten;
    return ask(err) == Attempt::kRetry ? Attempt::kRetry : Attempt::kAbandoned;
}

}  // namespace

void SaveMarkProfileAll(MarkTable& table) {
    const std::wstring backupPath = profilePath + L".bk";
    SysError ignored;
    if (table.UBound() <= 0) {
        Sys().CopyFileOver(profilePath, backupPath, ignored);
        Sys().DeleteFileAt(profilePath, ignored);
        return;
    }
    SortMarkTable(table);
    const std::vector<std::wstring> lines = ProfileLines(table);

    // The new text goes to a file beside the profile first and replaces it in one step, so a
    // failure or a crash leaves either the old profile or the new one, never a part of either.
    const std::wstring tempPath = profilePath + L".new";
    Attempt attempt = Attempt::kRetry;
    while (attempt == Attempt::kRetry) attempt = WriteProfileText(tempPath, lines);
    if (attempt == Attempt::kWritten) {
        Sys().CopyFileOver(profilePath, backupPath, ignored);
        for (;;) {
            SysError err;
            if (Sys().ReplaceFileWith(tempPath, profilePath, err)) return;
            if (ReportFailure(L"SaveMarkProfileAll", err) != kIdRetry) break;
        }
    }
    Sys().DeleteFileAt(tempPath, ignored);
}

}  // namespace tolvare
