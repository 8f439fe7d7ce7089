// Byte measures in code page 932, the small text helpers, and the table's exchange sort.
#include <gtest/gtest.h>

#include <random>

#include "core/profile.h"
#include "core/text.h"
#include "tests/core/reference_sort.h"

namespace tolvare {
namespace {

TEST(Text, MeasuresAndCutsInBytesOfCodePage932) {
    EXPECT_EQ(GetByteLen(L"ABC"), 3);
    EXPECT_EQ(GetByteLen(L"あいう"), 6);  // full width: two bytes each
    EXPECT_EQ(GetByteLen(L"ｱｲｳ，"), 5);   // half-width katakana: one byte each
    EXPECT_EQ(GetByteMid(L"ABCDEF", 2, 3), L"BCD");
    EXPECT_EQ(GetByteMid(L"ABCDEF", 5, 10), L"EF");  // fewer when the bytes run out
    EXPECT_EQ(GetByteMid(L"あいう", 2, 4), L"い");   // never half a character
    EXPECT_EQ(GetByteMid(L"ｱいｳ", 1, 2), L"ｱ");
    EXPECT_TRUE(SurvivesCp932(L"C:\\ツール\\ｴﾃﾞｨﾀ，.exe"));
    EXPECT_FALSE(SurvivesCp932(L"caf\xE9"));  // é has no form in code page 932
    EXPECT_FALSE(SurvivesCp932(L"\U0001F600"));
}

TEST(Text, SmallHelpers) {
    EXPECT_EQ(ReplaceComma(L"a,b,"), L"a，b，");
    EXPECT_EQ(Trim(L"  a b  "), L"a b");
    EXPECT_EQ(Trim(L"\ta\x3000"), L"\ta\x3000");  // half-width spaces only
    EXPECT_EQ(InStrLast(L"C:\\dir\\a.b.txt", L".", 0), 11);
    EXPECT_EQ(InStrLast(L"abcabc", L"bc", 1), 5);  // where the match starts
    EXPECT_EQ(InStrLast(L"abcabc", L"bc", 6), 0);  // the last one lies before `lowest`
    EXPECT_EQ(InStrLast(L"C:\\dir\\file", L".", 0), 0);
    // A value's fields: spaces kept, a missing one empty, a fourth never part of the third.
    EXPECT_EQ(GetField(L"TXT, C:\\E.EXE ,x", 2), L" C:\\E.EXE ");
    EXPECT_EQ(GetField(L"TXT,C:\\E.EXE", 3), L"");
    EXPECT_EQ(GetField(L"A,B,C,D", 3), L"C");
    EXPECT_EQ(GetField(L"A,B", 0), L"");
}

// Random tables from a small alphabet, so that (mark, name) ties are frequent; the program field
// numbers each row so that the order of tied rows shows.
TEST(Sort, MatchesTheExchangeSortRowForRow) {
    static const wchar_t* kTexts[] = {L"TXT", L"txt", L"", L"ｶﾅ", L"エディタ", L"A", L" b", L"AB"};
    std::mt19937 random(20261206);
    for (int round = 0; round < 300; ++round) {
        const int rows = round < 290 ? 1 + static_cast<int>(random() % 120) : 31 + round % 3 * 500;
        const int marks = 1 + static_cast<int>(random() % 8), names = 1 + static_cast<int>(random() % 8);
        MarkTable fast;
        for (int i = 0; i < rows; ++i)
            fast.Append({kTexts[random() % marks], L"row" + std::to_wstring(i), kTexts[random() % names]});
        MarkTable reference = fast;
        SortMarkTable(fast);
        testing::ReferenceExchangeSort(reference);
        ASSERT_EQ(fast.Rows(), reference.Rows()) << "round " << round;
    }
}

}  // namespace
}  // namespace tolvare
