// The core's rules without files: the exchange sort, and the registration editor's checks in
// their order and the row it stores, measured in bytes of code page 932.
#include <gtest/gtest.h>

#include <random>

#include "registration/regist_check.h"
#include "tests/core/reference_sort.h"
#include "tests/native/fake_system.h"

namespace tolvare {
namespace {

testing::FakeSystem fake;  // the platform's code page 932, for every test that installs no other
const bool installed = (SetSystem(&fake), true);
using F = RegistField;

// Random tables from a small alphabet, so that (mark, name) ties are frequent; the program field
// numbers the rows so that the order of tied rows shows.
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

TEST(CheckRegist, RefusesWithTheFirstFailedCheckInItsOrder) {
    const std::wstring exe = L"C:\\e.exe", p201 = L"C:\\" + std::wstring(198, L'p'), wave = L"\u301C";
    const std::wstring markLong = L"拡張子が長すぎます\r\n10バイト以内で指定してください";
    const std::wstring programLong = L"プログラム(パス)が長すぎます\r\n200バイト以内で指定してください";
    struct Case {
        int txtRows;  // TXT registrations already in the table
        std::wstring mark, program, name, message;
        F field;
    };
    std::vector<Case> cases = {
        {0, L"   ", L"", L"", L"拡張子が未入力です", F::kMark},
        {0, L"ABCDEFGHIJK", L"  ", L"", L"プログラムが未指定です", F::kProgram},
        {0, L"ＡＢＣＤＥＦ", p201, L"", markLong, F::kMark},
        {0, L" ABCDEFGHIJ", exe, L"", markLong, F::kMark},  // blanks count
        {0, L"txt", p201, std::wstring(11, L'説'), programLong, F::kProgram},
        {0, L"txt", L"C:\\a," + std::wstring(195, L'p'), L"", programLong,
         F::kProgram},  // "," counts as "，"
        {10, L"txt", exe, std::wstring(19, L'n') + L",",
         L"名前が長すぎます\r\n20バイト以内で指定してください", F::kName},
        {10, L" txt", L"C:\\" + wave, L"", L"これ以上この拡張子は登録出来ません", F::kMark},
        {0, wave, exe, L"", L"拡張子に使用できない文字が含まれています", F::kMark},
        {0, L"txt", L"C:\\" + wave, L"", L"プログラム(パス)に使用できない文字が含まれています", F::kProgram},
        {0, L"txt", exe, L"\U0001F600", L"名前に使用できない文字が含まれています", F::kName},
    };
    // Check 2 names the first of its characters in this order, even when it stands last, and it
    // comes before check 3.
    const std::wstring refused = L"=,[]\";.";
    for (size_t next = 1; wchar_t c : refused)
        cases.push_back({0, refused.substr(next++) + c, L"", L"",
                         L"拡張子に不正な文字'" + std::wstring(1, c) + L"'が含まれています", F::kMark});
    for (const auto& c : cases) {
        MarkTable table;
        table.Rows().resize(c.txtRows, {L"TXT", exe, L"v"});
        const auto failure = CheckRegist(c.mark, c.program, c.name, table, table.UBound(), 0);
        ASSERT_TRUE(failure.has_value()) << ::testing::PrintToString(c.mark);
        EXPECT_EQ(failure->message, c.message);
        EXPECT_EQ(failure->field, c.field) << ::testing::PrintToString(c.message);
    }
}

TEST(CheckRegist, AcceptsTheLimitsAndCountsTheChangedRowOnce) {
    MarkTable table;
    table.Rows().resize(10, {L"TXT", L"C:\\v.exe", L"v"});
    EXPECT_FALSE(CheckRegist(L"txt", L"C:\\e.exe", L"", table, 10, 3));  // changing one of the ten
    table.Resize(9);  // the tenth, with 10, 200 and 20 bytes
    EXPECT_FALSE(CheckRegist(L"ＡＢＣＤＥ", L"C:\\a，" + std::wstring(194, L'p'), std::wstring(10, L'説'),
                             table, 9, 0));
    table.Resize(kMaxRows);
    EXPECT_EQ(CheckRegist(L"NEW", L"C:\\new.exe", L"", table, kMaxRows, 0)->message,
              L"これ以上登録出来ません");
    EXPECT_FALSE(CheckRegist(L"NEW", L"C:\\new.exe", L"", table, kMaxRows, 5));  // a change still fits
}

TEST(StoredRow, IsTrimmedUpperCasedWithFullWidthCommasAndADefaultDescription) {
    EXPECT_EQ(StoredRow(L" a,b ", L"  C:\\a,b.exe ", L" x,y "),
              (MarkRecord{L"A，B", L"C:\\a，b.exe", L"x，y"}));
    EXPECT_EQ(StoredRow(L"txt", L"c", L" \t "), (MarkRecord{L"TXT", L"c", L"\t"}));  // half-width blanks only
    EXPECT_EQ(DefaultDescription(L"C:\\b.c\\edit.exe"), L"edit.exe");                // after the last "\"
    EXPECT_EQ(DefaultDescription(L"C:\\Tools\\"), L"");
    EXPECT_EQ(DefaultDescription(L"abcdefghijklmnopqrstuvwxyz"), L"abcdefghijklmnopqrst");  // 20 characters
    EXPECT_EQ(DefaultDescription(L"C:\\a" + std::wstring(12, L'あ')),
              L"a" + std::wstring(9, L'あ'));  // 20 bytes
}

}  // namespace
}  // namespace tolvare
