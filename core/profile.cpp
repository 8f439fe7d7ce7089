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
        if (!inside || line.empty()) continue;
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

// The entries of `section` in the file at `path`, decoded as the whole read decodes it; nothing
// when the file cannot be read.
std::optional<std::vector<ProfileEntry>> ReadFileSection(const std::wstring& path,
                                                         std::wstring_view section) {
    std::string bytes;
    SysError err;
    if (Sys().ReadWholeFile(path, bytes, err) != ReadStatus::kOk) return std::nullopt;
    return ReadSection(SplitLines(DecodeProfileBytes(bytes)), section);
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
    const std::wstring text = DecodeProfileBytes(bytes);
    const std::vector<std::wstring_view> lines = SplitLines(text);
    bool inSection = false;
    size_t firstRow = 0, endRow = 0;  // the lines loaded as rows: [firstRow, endRow)
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::wstring_view line = lines[i];
        const std::wstring trimmed = Trim(line);
        if (!inSection) {
            inSection = trimmed == kSection;
            firstRow = endRow = i + 1;
            continue;
        }
        if (trimmed.empty() || trimmed[0] == L'[') break;
        // A hand-edited file may hold more lines than row numbers exist.
        if (table.UBound() >= kMaxRows) break;
        const size_t eq = line.find(L'=');
        const std::wstring value = Trim(eq == std::wstring_view::npos ? line : line.substr(eq + 1));
        table.Append({GetField(value, 1), GetField(value, 2), GetField(value, 3)});
        endRow = i + 1;
    }
    // Start-up finds programs through the per-key lookup: every entry it would see must be a row
    // of the list, or a save would drop registrations that still work.
    bool complete = true;
    for (const auto& entry : ReadSection(lines, L"MARK")) {
        if (!inSection || entry.line < firstRow || entry.line >= endRow) complete = false;
    }
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
        table.Append({GetField(value, 1), GetField(value, 2), GetField(value, 3)});
    }
    return table.UBound();
}

int ReportProfileFailure(const wchar_t* operation, const SysError& err) {
    Sys().Beep();
    return Sys().MessageBox(std::wstring(operation) + L":\r\n" + err.text, text::kErrorTitle,
                            kMbIconStop | kMbAbortRetryIgnore);
}

}  // namespace tolvare
