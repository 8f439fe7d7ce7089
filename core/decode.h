// How the bytes of a profile file become text. TOLVARE writes code page 932, but Windows editors
// save the same file as UTF-8 (with or without a byte order mark) or UTF-16: every reader of the
// profile decodes it the same way, so none of them sees a different list.
#pragma once

#include <string>
#include <string_view>

namespace tolvare {

enum class ProfileEncoding { kCp932, kUtf8, kUtf16Le, kUtf16Be };

// A UTF-8 byte order mark means UTF-8 and a UTF-16 one UTF-16; otherwise bytes above 0x7F that
// form valid UTF-8 mean UTF-8 (code page 932 text practically never does: its lead bytes
// 0x81-0x9F cannot start a UTF-8 sequence); anything else is code page 932.
ProfileEncoding DetectProfileEncoding(std::string_view bytes);
// The file's text without its byte order mark. Malformed sequences become U+FFFD.
std::wstring DecodeProfileBytes(std::string_view bytes);

}  // namespace tolvare
