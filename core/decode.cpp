// Decoding the profile file's bytes: see decode.h.
#include "core/decode.h"

#include <cstdint>

#include "core/system.h"

namespace tolvare {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

void AppendCodePoint(std::wstring& out, char32_t c) {
    if constexpr (sizeof(wchar_t) == 2) {
        if (c >= 0x10000) {
            c -= 0x10000;
            out.push_back(static_cast<wchar_t>(0xD800 + (c >> 10)));
            out.push_back(static_cast<wchar_t>(0xDC00 + (c & 0x3FF)));
            return;
        }
    }
    out.push_back(static_cast<wchar_t>(c));
}

// The length of the well-formed UTF-8 sequence at `i` (RFC 3629: no overlong forms, no
// surrogates, nothing above U+10FFFF), or 0 when there is none; `c` receives its code point.
size_t Utf8Sequence(std::string_view s, size_t i, char32_t& c) {
    const auto byte = [&](size_t k) { return static_cast<uint8_t>(s[k]); };
    const uint8_t b0 = byte(i);
    if (b0 < 0x80) {
        c = b0;
        return 1;
    }
    size_t length = 0;
    char32_t minimum = 0;
    if (b0 >= 0xC2 && b0 <= 0xDF) {
        length = 2, minimum = 0x80, c = b0 & 0x1F;
    } else if (b0 >= 0xE0 && b0 <= 0xEF) {
        length = 3, minimum = 0x800, c = b0 & 0x0F;
    } else if (b0 >= 0xF0 && b0 <= 0xF4) {
        length = 4, minimum = 0x10000, c = b0 & 0x07;
    } else {
        return 0;
    }
    if (i + length > s.size()) return 0;
    for (size_t k = 1; k < length; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) return 0;
        c = (c << 6) | (byte(i + k) & 0x3F);
    }
    if (c < minimum || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return 0;
    return length;
}

bool IsValidUtf8WithHighBytes(std::string_view s) {
    bool high = false;
    for (size_t i = 0; i < s.size();) {
        char32_t c = 0;
        const size_t length = Utf8Sequence(s, i, c);
        if (length == 0) return false;
        high = high || length > 1;
        i += length;
    }
    return high;
}

std::wstring DecodeUtf8(std::string_view s) {
    std::wstring out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size();) {
        char32_t c = 0;
        const size_t length = Utf8Sequence(s, i, c);
        AppendCodePoint(out, length == 0 ? kReplacement : c);
        i += length == 0 ? 1 : length;
    }
    return out;
}

std::wstring DecodeUtf16(std::string_view s, bool bigEndian) {
    const auto unit = [&](size_t i) {
        const auto lo = static_cast<uint8_t>(s[bigEndian ? i + 1 : i]);
        const auto hi = static_cast<uint8_t>(s[bigEndian ? i : i + 1]);
        return static_cast<char32_t>(lo | (hi << 8));
    };
    std::wstring out;
    out.reserve(s.size() / 2);
    size_t i = 0;
    for (; i + 1 < s.size(); i += 2) {
        const char32_t u = unit(i);
        if (u >= 0xD800 && u <= 0xDBFF && i + 3 < s.size()) {
            const char32_t next = unit(i + 2);
            if (next >= 0xDC00 && next <= 0xDFFF) {
                AppendCodePoint(out, 0x10000 + ((u - 0xD800) << 10) + (next - 0xDC00));
                i += 2;
                continue;
            }
        }
        AppendCodePoint(out, u >= 0xD800 && u <= 0xDFFF ? kReplacement : u);
    }
    if (i < s.size()) AppendCodePoint(out, kReplacement);  // an odd byte at the end
    return out;
}

bool StartsWith(std::string_view bytes, std::string_view mark) {
    return bytes.substr(0, mark.size()) == mark;
}

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeBom = "\xFF\xFE";
constexpr std::string_view kUtf16BeBom = "\xFE\xFF";

}  // namespace

ProfileEncoding DetectProfileEncoding(std::string_view bytes) {
    if (StartsWith(bytes, kUtf8Bom)) return ProfileEncoding::kUtf8;
    if (StartsWith(bytes, kUtf16LeBom)) return ProfileEncoding::kUtf16Le;
    if (StartsWith(bytes, kUtf16BeBom)) return ProfileEncoding::kUtf16Be;
    return IsValidUtf8WithHighBytes(bytes) ? ProfileEncoding::kUtf8 : ProfileEncoding::kCp932;
}

std::wstring DecodeProfileBytes(std::string_view bytes) {
    switch (DetectProfileEncoding(bytes)) {
    case ProfileEncoding::kUtf8:
        return DecodeUtf8(StartsWith(bytes, kUtf8Bom) ? bytes.substr(kUtf8Bom.size()) : bytes);
    case ProfileEncoding::kUtf16Le: return DecodeUtf16(bytes.substr(kUtf16LeBom.size()), false);
    case ProfileEncoding::kUtf16Be: return DecodeUtf16(bytes.substr(kUtf16BeBom.size()), true);
    case ProfileEncoding::kCp932: break;
    }
    return Sys().FromCp932(bytes);
}

}  // namespace tolvare
