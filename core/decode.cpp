// Decoding the profile file's bytes: see decode.h.
#include "core/decode.h"

#include <cstdint>
#include <optional>

#include "core/system.h"

namespace tolvare {

namespace {

constexpr char32_t kReplacement = 0xFFFD;
constexpr char kEndOfFile = 0x1A;

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

// Whether well-formed sequences of three or four bytes outnumber the bytes that belong to none.
bool MostlyLongUtf8(std::string_view s) {
    size_t longSequences = 0, strayBytes = 0;
    for (size_t i = 0; i < s.size();) {
        char32_t c = 0;
        const size_t length = Utf8Sequence(s, i, c);
        longSequences += length >= 3 ? 1 : 0;
        strayBytes += length == 0 ? 1 : 0;
        i += length == 0 ? 1 : length;
    }
    return longSequences > strayBytes;
}

// UTF-16 without a byte order mark, told by the zero bytes of its ASCII characters.
std::optional<ProfileEncoding> Utf16ByZeroBytes(std::string_view s) {
    const size_t units = s.size() / 2;
    size_t highZero = 0, lowZero = 0;  // units with a zero in the second byte only, or the first
    for (size_t i = 0; i + 1 < s.size(); i += 2) {
        const bool first = s[i] == '\0', second = s[i + 1] == '\0';
        highZero += !first && second ? 1 : 0;
        lowZero += first && !second ? 1 : 0;
    }
    if (highZero > lowZero && highZero * 4 >= units) return ProfileEncoding::kUtf16Le;
    if (lowZero > highZero && lowZero * 4 >= units) return ProfileEncoding::kUtf16Be;
    return std::nullopt;
}

DecodedProfile DecodeUtf8(std::string_view s) {
    DecodedProfile out;
    out.text.reserve(s.size());
    for (size_t i = 0; i < s.size();) {
        char32_t c = 0;
        const size_t length = Utf8Sequence(s, i, c);
        out.clean = out.clean && length > 0;
        AppendCodePoint(out.text, length == 0 ? kReplacement : c);
        i += length == 0 ? 1 : length;
    }
    return out;
}

DecodedProfile DecodeUtf16(std::string_view s, bool bigEndian) {
    const auto unit = [&](size_t i) {
        const auto lo = static_cast<uint8_t>(s[bigEndian ? i + 1 : i]);
        const auto hi = static_cast<uint8_t>(s[bigEndian ? i : i + 1]);
        return static_cast<char32_t>(lo | (hi << 8));
    };
    // The end-of-file mark as a character, or as the one byte an old tool appended.
    if (s.size() % 2 == 1 && s.back() == kEndOfFile) s.remove_suffix(1);
    if (s.size() >= 2 && s.size() % 2 == 0 && unit(s.size() - 2) == kEndOfFile) s.remove_suffix(2);
    DecodedProfile out;
    out.text.reserve(s.size() / 2);
    size_t i = 0;
    for (; i + 1 < s.size(); i += 2) {
        const char32_t u = unit(i);
        if (u >= 0xD800 && u <= 0xDBFF && i + 3 < s.size()) {
            const char32_t next = unit(i + 2);
            if (next >= 0xDC00 && next <= 0xDFFF) {
                AppendCodePoint(out.text, 0x10000 + ((u - 0xD800) << 10) + (next - 0xDC00));
                i += 2;
                continue;
            }
        }
        const bool lone = u >= 0xD800 && u <= 0xDFFF;
        out.clean = out.clean && !lone;
        AppendCodePoint(out.text, lone ? kReplacement : u);
    }
    if (i < s.size()) {  // a file cut in the middle of a unit
        out.clean = false;
        AppendCodePoint(out.text, kReplacement);
    }
    return out;
}

// Code page 932 is clean when the text converts back to the very same bytes: a malformed or
// unassigned sequence comes back as other bytes, and so does anything the file cannot hold.
DecodedProfile DecodeCp932(std::string_view s, bool judge) {
    DecodedProfile out{Sys().FromCp932(s)};
    bool lossy = false;
    out.clean = !judge || (Sys().ToCp932(out.text, &lossy) == s && !lossy);
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
    if (const auto utf16 = Utf16ByZeroBytes(bytes)) return *utf16;
    return MostlyLongUtf8(bytes) ? ProfileEncoding::kUtf8 : ProfileEncoding::kCp932;
}

DecodedProfile DecodeProfileBytes(std::string_view bytes, bool judge) {
    const auto without = [&](std::string_view mark) {
        std::string_view rest = bytes.substr(StartsWith(bytes, mark) ? mark.size() : 0);
        if (!rest.empty() && rest.back() == kEndOfFile) rest.remove_suffix(1);
        return rest;
    };
    switch (DetectProfileEncoding(bytes)) {
    case ProfileEncoding::kUtf8: return DecodeUtf8(without(kUtf8Bom));
    case ProfileEncoding::kUtf16Le:
        return DecodeUtf16(bytes.substr(StartsWith(bytes, kUtf16LeBom) ? 2 : 0), false);
    case ProfileEncoding::kUtf16Be:
        return DecodeUtf16(bytes.substr(StartsWith(bytes, kUtf16BeBom) ? 2 : 0), true);
    case ProfileEncoding::kCp932: break;
    }
    return DecodeCp932(without({}), judge);
}

}  // namespace tolvare
