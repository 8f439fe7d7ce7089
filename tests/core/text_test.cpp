// Byte measures in code page 932, the comma guard and the search for the last occurrence.
#include <gtest/gtest.h>

#include "core/text.h"

namespace tolvare {
namespace {

TEST(ReplaceComma, EveryCommaBecomesFullWidth) {
    EXPECT_EQ(ReplaceComma(L"a,b,c"), L"a\xFF0C"
                                      L"b\xFF0C"
                                      L"c");
    EXPECT_EQ(ReplaceComma(L""), L"");
    EXPECT_EQ(ReplaceComma(L",,"), L"\xFF0C\xFF0C");
}

TEST(GetByteLen, CountsBytesOfCodePage932) {
    struct Case {
        const wchar_t* text;
        int32_t bytes;
    } cases[] = {
        {L"ABC", 3},
        {L"あいう", 6},            // full width: two bytes each
        {L"ｱｲｳ", 3},               // half-width katakana: one byte each
        {L"C:\\ツール\\a,b", 13},  // a comma is one byte until it is replaced
        {L"\xFF0C", 2},
        {L"", 0},
    };
    for (const auto& c : cases) EXPECT_EQ(GetByteLen(c.text), c.bytes) << c.text;
}

TEST(GetByteMid, TakesWholeCharactersOfTheByteRange) {
    EXPECT_EQ(GetByteMid(L"ABCDEF", 2, 3), L"BCD");
    EXPECT_EQ(GetByteMid(L"ABCDEF", 5, 10), L"EF");  // fewer when the bytes run out
    EXPECT_EQ(GetByteMid(L"ABCDEF", 7, 3), L"");
    EXPECT_EQ(GetByteMid(L"あいう", 3, 2), L"い");
    // A range that cuts a double-byte character in half leaves that character out.
    EXPECT_EQ(GetByteMid(L"あいう", 2, 4), L"い");
    EXPECT_EQ(GetByteMid(L"aあいう", 1, 4), L"aあ");
    EXPECT_EQ(GetByteMid(L"ｱいｳ", 1, 2), L"ｱ");
}

TEST(GetByteMid, CutsADescriptionToTwentyBytes) {
    // Nineteen single bytes and then a double-byte character: the cut never keeps half of it.
    const std::wstring text = std::wstring(19, L'x') + L"字z";
    EXPECT_EQ(GetByteMid(text, 1, 20), std::wstring(19, L'x'));
    EXPECT_EQ(GetByteLen(GetByteMid(L"一二三四五六七八九十十一", 1, 20)), 20);
}

TEST(SurvivesCp932, RefusesTextTheProfileCannotHold) {
    EXPECT_TRUE(SurvivesCp932(L"C:\\ツール\\ｴﾃﾞｨﾀ.exe"));
    EXPECT_TRUE(SurvivesCp932(L"a\xFF0C"
                              L"b"));
    EXPECT_TRUE(SurvivesCp932(L""));
    EXPECT_FALSE(SurvivesCp932(L"caf\xE9"));           // é has no form in code page 932
    EXPECT_FALSE(SurvivesCp932(L"smile \U0001F600"));  // nor has an emoji
}

TEST(InStrLast, FindsTheLastOccurrence) {
    struct Case {
        const wchar_t* text;
        const wchar_t* search;
        int16_t lowest;
        int16_t expected;
    } cases[] = {
        {L"C:\\dir\\a.b.txt", L".", 0, 11},
        {L"C:\\dir\\file", L".", 0, 0},
        {L"C:\\Tools\\editor.exe", L"\\", 0, 9},
        {L"abcabc", L"bc", 0, 5},  // the position of the first character of the match
        {L"abcabc", L"bc", 1, 5},
        {L"abcabc", L"bc", 6, 0},  // the last occurrence lies before the lowest position
        {L"abc", L"x", 0, 0},
        {L"ab", L"b", 5, 0},  // lowest beyond the text
        {L"", L".", 0, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(InStrLast(c.text, c.search, c.lowest), c.expected) << c.text << " " << c.search;
    }
}

TEST(Trim, RemovesHalfWidthSpacesOnly) {
    EXPECT_EQ(Trim(L"  a b  "), L"a b");
    EXPECT_EQ(Trim(L"   "), L"");
    EXPECT_EQ(Trim(L"\ta\t"), L"\ta\t");
    EXPECT_EQ(Trim(L"\x3000"
                   L"a"),
              L"\x3000"
              L"a");
}

}  // namespace
}  // namespace tolvare
