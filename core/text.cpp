// Text operations measured in bytes of code page 932.
#include "core/text.h"

#include <limits>
#include <string>

#include "core/system.h"

namespace tolvare {

namespace {

// One character of the text: a surrogate pair counts as one.
size_t CharLength(std::wstring_view text, size_t i) {
    if constexpr (sizeof(wchar_t) == 2) {
        if (i + 1 < text.size() && text[i] >= 0xD800 && text[i] <= 0xDBFF && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            return 2;
        }
    }
    return 1;
}

}  // namespace

std::wstring ReplaceComma(std::wstring_view text) {
    std::wstring out(text);
    for (auto& c : out) {
        if (c == L',') c = L'\xFF0C';
    }
    return out;
}

uint64_t Fnv1a(std::string_view bytes) {
    uint64_t hash = 14695981039346656037ull;
    for (const char c : bytes) {
        hash ^= static_cast<uint8_t>(c);
        hash *= 1099511628211ull;
    }
    return hash;
}

int32_t GetByteLen(std::wstring_view text) {
    const size_t n = Sys().ToCp932(text).size();
    return n > static_cast<size_t>(std::numeric_limits<int32_t>::max()) ? std::numeric_limits<int32_t>::max()
                                                                        : static_cast<int32_t>(n);
}

std::wstring GetByteMid(std::wstring_view text, int32_t start, int32_t length) {
    if (start < 1 || length <= 0) return {};
    const int64_t first = static_cast<int64_t>(start) - 1;
    const int64_t last = first + length;  // one past the wanted bytes
    std::wstring out;
    int64_t offset = 0;
    for (size_t i = 0; i < text.size() && offset < last;) {
        const size_t len = CharLength(text, i);
        const std::wstring_view ch = text.substr(i, len);
        const int64_t bytes = static_cast<int64_t>(Sys().ToCp932(ch).size());
        // Only characters lying wholly inside the range: never half of a double-byte one.
        if (offset >= first && offset + bytes <= last) out.append(ch);
        offset += bytes;
        i += len;
    }
    return out;
}

bool SurvivesCp932(std::wstring_view text) {
    bool lossy = false;
    const std::string bytes = Sys().ToCp932(text, &lossy);
    return !lossy && Sys().FromCp932(bytes) == text;
}

int16_t InStrLast(std::wstring_view text, std::wstring_view search, int16_t lowest) {
    if (text.size() < static_cast<size_t>(lowest < 0 ? 0 : lowest)) return 0;
    if (search.empty() || text.find(search) == std::wstring_view::npos) return 0;
    const size_t found = text.rfind(search);
    const size_t position = found + 1;  // 1-based
    if (position < static_cast<size_t>(lowest < 0 ? 0 : lowest)) return 0;
    // Positions are 16-bit: an occurrence beyond them cannot be told.
    if (position > static_cast<size_t>(std::numeric_limits<int16_t>::max())) return 0;
    return static_cast<int16_t>(position);
}

std::wstring Trim(std::wstring_view text) {
    const size_t first = text.find_first_not_of(L' ');
    if (first == std::wstring_view::npos) return {};
    const size_t last = text.find_last_not_of(L' ');
    return std::wstring(text.substr(first, last - first + 1));
}

std::wstring TrimBlanks(std::wstring_view text) {
    const size_t first = text.find_first_not_of(L" \t");
    if (first == std::wstring_view::npos) return {};
    return std::wstring(text.substr(first, text.find_last_not_of(L" \t") - first + 1));
}

std::wstring ToUpper(std::wstring_view text) { return Sys().ToUpper(text); }

}  // namespace tolvare
