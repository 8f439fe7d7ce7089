// Text operations measured in bytes of code page 932, the encoding of the profile file, and the
// small string helpers the rest of the program shares.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tolvare {

// Every "," becomes the full-width "，" so that a field never breaks the profile's values.
std::wstring ReplaceComma(std::wstring_view text);
// Length in bytes of the code page 932 form.
int32_t GetByteLen(std::wstring_view text);
// `length` bytes of the code page 932 form from byte `start` (1-based), converted back. The range
// is narrowed to whole characters: a double-byte character is never returned in half.
std::wstring GetByteMid(std::wstring_view text, int32_t start, int32_t length);
// Whether the text comes back unchanged from code page 932.
bool SurvivesCp932(std::wstring_view text);
// 1-based position of the last occurrence of `search` starting at or after `lowest`, 0 if none.
int16_t InStrLast(std::wstring_view text, std::wstring_view search, int16_t lowest);

// Leading and trailing half-width spaces removed (tabs and full-width spaces stay).
std::wstring Trim(std::wstring_view text);
// Leading and trailing blanks and tabs removed: where a path meets a command line, both split it.
std::wstring TrimBlanks(std::wstring_view text);
std::wstring ToUpper(std::wstring_view text);
// FNV-1a over the bytes, 64 bits: the same bytes give the same value in every build and run.
uint64_t Fnv1a(std::string_view bytes);

}  // namespace tolvare
