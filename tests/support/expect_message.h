// Checks on the message boxes a test saw, reported at the test's own file and line.
#pragma once

#include "tests/support/dialog_answerer.h"

#include <initializer_list>
#include <optional>
#include <source_location>
#include <string_view>
#include <vector>

namespace tolvare::test {

// What a box should have shown. Empty title or buttons, and a missing icon, are not checked.
struct BoxSpec {
    std::wstring_view text = {};
    std::wstring_view title = {};
    std::vector<int> buttons = {};  // IDs, in any order
    std::optional<BoxIcon> icon = {};
    bool textIsPrefix = false;
};

// ExpectMessage(box, {.text = L"...", .title = L"TOLVARE", .buttons = {IDYES, IDNO},
//                     .icon = BoxIcon::Question});
void ExpectMessage(const SeenBox& box, const BoxSpec& want,
                   std::source_location where = std::source_location::current());
// Exactly these boxes, in this order.
void ExpectMessages(const std::vector<SeenBox>& seen, std::initializer_list<BoxSpec> specs,
                    std::source_location where = std::source_location::current());

// Splits a box text at its CR LF line breaks.
std::vector<std::wstring> BoxLines(std::wstring_view text);

}  // namespace tolvare::test
