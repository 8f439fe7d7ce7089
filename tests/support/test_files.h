// What the Windows tests need beyond the shared file helpers (tests/native/files.h): the code
// page 932 bytes the profile file is made of, short forms and the paths of the build.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "tests/native/files.h"

namespace tolvare::test {

// Code page 932 bytes of a text that must survive the conversion (the test data's own check).
std::string ToCp932(std::wstring_view text);
std::wstring FromCp932(std::string_view bytes);
std::wstring FromUtf8(std::string_view bytes);

// GetShortPathNameW, or the path itself when there is no short form.
std::wstring ShortPath(const std::wstring& path);
// A build path as Windows sees it: "/a/b" (a Linux path under Wine) becomes "Z:\a\b".
std::wstring WindowsPathOf(std::string_view buildPath);

}  // namespace tolvare::test
