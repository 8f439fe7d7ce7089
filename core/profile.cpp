// The registration table and the profile file: reading it whole or per extension, and what the
// whole read saw of the file.
#include "core/profile.h"

#include <optional>
#include <string>

#include "core/decode.h"
#include "core/texts.h"
#include "core/system.h"
#include "core/text.h"

namespace tolvare {

namespace {

constexpr wchar_t kSection[] = L"[MARK]";
constexpr wchar_t kNoData[] = L"nodata";
// The platform's profile reader hands back at most this many bytes of a value.
constexpr size_t kMaxValueBytes = 254;

// The file's lines; CR LF, LF and CR all end a line.
std::vector<std::wstring_view> SplitLines(std::wstring_view text) {
    std::vector<std::wstring_view> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find_first_of(L"\r\n", start);
        if (end == std::wstring_view::npos) end = text.size();
        lines.push_back(text.substr(start, end - start));
        if (end + 1 < text.size() && text[end] == L'\r' && text[end + 1] == L'\n') ++end;
        start = end + 1;
    }
    return lines;
}

// White space as the platform's profile reader trims it around names and values.
std::wstring TrimBlank(std::wstring_view text) {
    constexpr wchar_t kBlank[] = L" \t\v\f";
    const size_t first = text.find_first_not_of(kBlank);
    if (first == std::wstring_view::npos) return {};
    const size_t last = text.find_last_not_of(kBlank);
    return std::wstring(text.substr(first, last - first + 1));
}

// The one rule both readers follow for a line that holds no registration: nothing is left of it
// once blanks, NULs, ideographic spaces (U+3000) and the like are taken away. The per-key lookup
// passes over such a line, as the platform's profile reader passes over an empty one; the whole
// read ends the section there, as at an empty line. Neither makes an entry of it, and the whole
// read is incomplete when the per-key lookup finds entries after it (see ReadersAgree).
bool HoldsNothing(std::wstring_view line) {
    constexpr std::wstring_view kNothing(L" \t\v\f\0\u00A0\u3000\uFEFF", 8);
    return line.find_first_not_of(kNothing) == std::wstring_view::npos;
}

// A value between a pair of double or single quotes stands without them, for both readers.
std::wstring Unquoted(std::wstring value) {
    if (value.size() >= 2 && (value.front() == L'"' || value.front() == L'\'') &&
        value.back() == value.front()) {
        value = value.substr(1, value.size() - 2);
    }
    return value;
}

// The value as the platform's reader hands it back: unquoted, at most 254 bytes.
std::wstring LookedUp(const std::wstring& value) {
    std::wstring out = Unquoted(value);
    // A character is at most two bytes: only a long value needs measuring.
    if (out.size() > kMaxValueBytes / 2 && GetByteLen(out) > static_cast<int32_t>(kMaxValueBytes)) {
        out = GetByteMid(out, 1, static_cast<int32_t>(kMaxValueBytes));
    }
    return out;
}

struct ProfileEntry {
    std::wstring upperName;
    std::wstring value;
    size_t line;  // 0-based line of the file
};

// The entries of the first section of that name, as the platform's profile reader sees them:
// names and values trimmed, names compared without regard to case, blank lines skipped.
std::vector<ProfileEntry> ReadSection(const std::vector<std::wstring_view>& lines,
                                      std::wstring_view section) {
    std::vector<ProfileEntry> entries;
    const std::wstring wanted = ToUpper(section);
    bool inside = false;
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::wstring line = TrimBlank(lines[i]);
        if (!line.empty() && line[0] == L'[') {
            if (inside) break;
            const size_t close = line.find(L']');
            const std::wstring name =
                TrimBlank(std::wstring_view(line).substr(1, close == std::wstring::npos ? std::wstring::npos
                                                                                        : close - 1));
            inside = name.size() == wanted.size() && ToUpper(name) == wanted;
            continue;
        }
        if (!inside || HoldsNothing(line)) continue;
        const size_t eq = line.find(L'=');
        ProfileEntry entry{ToUpper(TrimBlank(std::wstring_view(line).substr(0, eq))), {}, i};
        if (eq != std::wstring::npos) entry.value = TrimBlank(std::wstring_view(line).substr(eq + 1));
        entries.push_back(std::move(entry));
    }
    return entries;
}

// The value as the platform's reader hands it back: unquoted, at most 254 bytes.
std::wstring FindValue(const std::vector<ProfileEntry>& entries, std::wstring_view key,
                       std::wstring_view defaultValue) {
    const std::wstring wanted = ToUpper(TrimBlank(key));
    for (const auto& e : entries) {
        if (e.upperName != wanted) continue;
        return LookedUp(e.value);
    }
    return std::wstring(defaultValue);
}

// The entries of `section` in the file at `path`, decoded as the whole read decodes it; nothing
// when the file cannot be read.
std::optional<std::vector<ProfileEntry>> ReadFileSection(const std::wstring& path,
                                                         std::wstring_view section) {
    std::string bytes;
    SysError err;
    if (Sys().ReadWholeFile(path, bytes, err) != ReadStatus::kOk) return std::nullopt;
    return ReadSection(SplitLines(DecodeProfileBytes(bytes, false).text), section);
}

// A line of the section as the whole read takes it: the value after the first "=" (or the whole
// line), trimmed and unquoted as the per-key lookup has it.
struct LoadedLine {
    size_t line;
    std::wstring value;
};

// The lines the whole read loads: from the line "[MARK]" to the first that is empty, holds nothing
// or starts another section, or until the table is full.
std::vector<LoadedLine> ReadWholeSection(const std::vector<std::wstring_view>& lines) {
    std::vector<LoadedLine> loaded;
    bool inSection = false;
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::wstring_view line = lines[i];
        const std::wstring trimmed = TrimBlank(line);
        if (!inSection) {
            inSection = trimmed == kSection;
            continue;
        }
        if (HoldsNothing(trimmed) || trimmed[0] == L'[') break;
        // A hand-edited file may hold more lines than row numbers exist.
        if (loaded.size() >= static_cast<size_t>(kMaxRows)) break;
        const size_t eq = line.find(L'=');
        loaded.push_back(
            {i, Unquoted(TrimBlank(eq == std::wstring_view::npos ? line : line.substr(eq + 1)))});
    }
    return loaded;
}

MarkRecord RowOf(std::wstring_view value) {
    return {GetField(value, 1), GetField(value, 2), GetField(value, 3)};
}

// Whether the per-key lookup sees exactly the lines the whole read loaded, each making the same
// row (a value cut to the lookup's 254 bytes may lose an empty field, nothing more). Otherwise
// start-up and the list disagree: a registration start-up finds may be missing from the list
// (after a line that holds nothing, in a section spelt another way, beyond the table's end), or a
// row may stand for something the lookup reads differently (a line without "=", a long value).
bool ReadersAgree(const std::vector<std::wstring_view>& lines, const std::vector<LoadedLine>& loaded) {
    const std::vector<ProfileEntry> entries = ReadSection(lines, L"MARK");
    if (entries.size() != loaded.size()) return false;
    for (size_t k = 0; k < entries.size(); ++k) {
        if (entries[k].line != loaded[k].line ||
            RowOf(LookedUp(entries[k].value)) != RowOf(loaded[k].value)) {
            return false;
        }
    }
    return true;
}

// Whether the text a save writes for the rows reads back as the same rows (the mark in upper
// case, as it is written). A row taken from a hand-edited line may not: a mark starting with "["
// would end the section, one holding "=" would move the value's start, a value quoted by its
// first and last fields would lose the quotes.
bool SavedRowsReadBack(MarkTable table) {
    const auto textOf = [&] {
        std::wstring text;
        for (const auto& line : ProfileLines(table)) text += line + L"\r\n";
        return text;
    };
    std::wstring text = textOf();
    // The encoding is told from the whole file, but the order of its lines matters only to zero
    // bytes, which code page 932 has for NUL alone: then the rows go in the order the save writes.
    if (text.find(L'\0') != std::wstring::npos) {
        SortMarkTable(table);
        text = textOf();
    }
    bool lossy = false;
    const std::string bytes = Sys().ToCp932(text, &lossy);
    // A character code page 932 cannot hold is for the save to refuse; the rest must come back.
    const DecodedProfile again = lossy ? DecodedProfile{text} : DecodeProfileBytes(bytes);
    const std::vector<LoadedLine> back = ReadWholeSection(SplitLines(again.text));
    if (!again.clean || back.size() != table.Rows().size()) return false;
    for (size_t k = 0; k < back.size(); ++k) {
        MarkRecord row = table.Rows()[k];
        row.mark = ToUpper(row.mark);
        if (RowOf(back[k].value) != row) return false;
    }
    return true;
}

}  // namespace

LoadedProfile loadedProfile;

ProfileFingerprint FingerprintOf(std::string_view bytes) { return {true, bytes.size(), Fnv1a(bytes)}; }

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
    // Until the file has been read whole, a save would overwrite registrations nobody has seen.
    loadedProfile = {};
    std::string bytes;
    for (;;) {
        SysError err;
        const ReadStatus status = Sys().ReadWholeFile(profilePath, bytes, err);
        if (status == ReadStatus::kNotFound) {
            loadedProfile = {true, {}};
            return 0;
        }
        if (status == ReadStatus::kOk) break;
        // Ignore cannot skip an open that failed: there is nothing to read, so it ends like Abort.
        if (ReportProfileFailure(L"GetMarkProfileAll", err) != kIdRetry) return 0;
    }
    const DecodedProfile decoded = DecodeProfileBytes(bytes);
    const std::vector<std::wstring_view> lines = SplitLines(decoded.text);
    const std::vector<LoadedLine> loaded = ReadWholeSection(lines);
    for (const auto& l : loaded) table.Append(RowOf(l.value));
    // Complete only when a save would keep everything: the file decoded without a replaced byte,
    // start-up's lookup sees the very registrations of the list, and each row, written back,
    // reads as itself.
    const bool complete = decoded.clean && ReadersAgree(lines, loaded) && SavedRowsReadBack(table);
    loadedProfile = {complete, FingerprintOf(bytes)};
    return table.UBound();
}

std::wstring GetProfileValue(std::wstring_view section, std::wstring_view key, std::wstring_view defaultValue,
                             const std::wstring& path) {
    const auto entries = ReadFileSection(path, section);
    return entries ? FindValue(*entries, key, defaultValue) : std::wstring(defaultValue);
}

int16_t GetMarkProfile(MarkTable& table, std::wstring_view mark) {
    table.Erase();
    const std::wstring upper = ToUpper(mark);
    // One read of the file serves all ten keys.
    const auto entries = ReadFileSection(profilePath, L"MARK");
    if (!entries) return 0;
    for (int i = 0; i < kMaxPerMark; ++i) {
        const std::wstring value = FindValue(*entries, upper + L"_" + std::to_wstring(i), kNoData);
        if (value == kNoData) break;
        table.Append(RowOf(value));
    }
    return table.UBound();
}

int ReportProfileFailure(const wchar_t* operation, const SysError& err) {
    Sys().Beep();
    return Sys().MessageBox(std::wstring(operation) + L":\r\n" + err.text, text::kErrorTitle,
                            kMbIconStop | kMbAbortRetryIgnore);
}

}  // namespace tolvare
