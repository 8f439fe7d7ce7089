// Message-box expectations that point at the caller, not at this helper.
#include "tests/support/expect_message.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace tolvare::test {
namespace {

const char* IconName(BoxIcon icon) {
    switch (icon) {
    case BoxIcon::None: return "none";
    case BoxIcon::Stop: return "stop";
    case BoxIcon::Question: return "question";
    case BoxIcon::Exclamation: return "exclamation";
    case BoxIcon::Information: return "information";
    case BoxIcon::Other: return "other";
    }
    return "?";
}

std::string ButtonList(std::vector<int> ids) {
    std::sort(ids.begin(), ids.end());
    std::string out = "{";
    for (int id : ids) {
        if (out.size() > 1) out += ',';
        out += std::to_string(id);
    }
    out += '}';
    return out;
}

}  // namespace

void ExpectMessage(const SeenBox& box, const BoxSpec& want, std::source_location where) {
    const char* file = where.file_name();
    const int line = static_cast<int>(where.line());
    std::wstring_view text = box.text;
    bool textOk = want.textIsPrefix ? text.substr(0, want.text.size()) == want.text : text == want.text;
    if (!textOk) {
        ADD_FAILURE_AT(file, line) << "message text\n  actual: " << box.text << "\nexpected"
                                   << (want.textIsPrefix ? " prefix" : "") << ": " << std::wstring(want.text);
    }
    if (!want.title.empty() && box.title != want.title) {
        ADD_FAILURE_AT(file, line) << "message title\n  actual: " << box.title
                                   << "\nexpected: " << std::wstring(want.title);
    }
    if (!want.buttons.empty()) {
        std::string actual = ButtonList(box.buttons), expected = ButtonList(want.buttons);
        if (actual != expected) {
            ADD_FAILURE_AT(file, line)
                << "message buttons " << actual << ", expected " << expected << " (" << box.text << ")";
        }
    }
    if (want.icon) {
        BoxIcon actual = StandardIconOf(box);
        if (actual != *want.icon) {
            ADD_FAILURE_AT(file, line) << "message icon " << IconName(actual) << ", expected "
                                       << IconName(*want.icon) << " (" << box.text << ")";
        }
    }
}

void ExpectMessages(const std::vector<SeenBox>& seen, std::initializer_list<BoxSpec> specs,
                    std::source_location where) {
    if (seen.size() != specs.size()) {
        std::wstring texts;
        for (const SeenBox& box : seen) texts += L"\n  \"" + box.text + L"\"";
        ADD_FAILURE_AT(where.file_name(), static_cast<int>(where.line()))
            << seen.size() << " message box(es) seen, expected " << specs.size() << ":" << texts;
    }
    size_t i = 0;
    for (const BoxSpec& want : specs) {
        if (i >= seen.size()) break;
        ExpectMessage(seen[i++], want, where);
    }
}

std::vector<std::wstring> BoxLines(std::wstring_view text) {
    std::vector<std::wstring> lines;
    size_t start = 0;
    for (;;) {
        size_t end = text.find(L"\r\n", start);
        lines.emplace_back(text.substr(start, end == std::wstring_view::npos ? end : end - start));
        if (end == std::wstring_view::npos) break;
        start = end + 2;
    }
    return lines;
}

}  // namespace tolvare::test
