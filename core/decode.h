// How the bytes of a profile file become text. TOLVARE writes code page 932, but Windows editors
// save the same file as UTF-8 (with or without a byte order mark) or UTF-16: every reader of the
// profile decodes it the same way, so none of them sees a different list.
#pragma once

#include <string>
#include <string_view>

namespace tolvare {

enum class ProfileEncoding { kCp932, kUtf8, kUtf16Le, kUtf16Be };

// A byte order mark names the encoding. Without one:
// - UTF-16 is recognised by its zero bytes: a profile is mostly ASCII (its section, keys and
//   paths), whose characters carry a zero byte in UTF-16 and never in the other encodings. When at
//   least a quarter of the two-byte units hold a zero in one half only, and more of them in the
//   high half than in the low one, it is little-endian, or big-endian the other way round.
// - UTF-8 needs sequences of three or four bytes (every kana and kanji is one) outnumbering the
//   bytes that belong to no well-formed sequence. Half-width katakana in code page 932 are single
//   bytes 0xA1-0xDF that may pair up as two-byte UTF-8 (ﾒｰ = D2 B0), so those alone never choose
//   UTF-8; a UTF-8 file with a stray byte still reads as UTF-8, the byte replaced.
// - Anything else is code page 932.
ProfileEncoding DetectProfileEncoding(std::string_view bytes);

struct DecodedProfile {
    std::wstring text;  // without its byte order mark and its end-of-file mark
    // Every byte stood for a character in the one encoding chosen: code page 932 text converts
    // back to exactly its bytes, and nothing in UTF-8 or UTF-16 had to be replaced by U+FFFD.
    bool clean = true;
};
// The file's text. A final 0x1A byte (U+001A in UTF-16) is an old end-of-file mark and no text.
// Without `judge`, code page 932 text is not converted back to tell whether it is clean (the
// lookup on the launch path only needs the text).
DecodedProfile DecodeProfileBytes(std::string_view bytes, bool judge = true);

}  // namespace tolvare
