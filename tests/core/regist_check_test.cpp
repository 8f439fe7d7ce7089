// The registration editor's decisions without its window: the checks of OK in their order, and
// the row it stores.
#include <gtest/gtest.h>

#include "registration/regist_check.h"

namespace tolvare {
namespace {

using F = RegistField;

TEST(CheckRegist, RefusesWithTheFirstFailedCheckInItsOrder) {
    const std::wstring exe = L"C:\\e.exe", p201 = L"C:\\" + std::wstring(198, L'p'), wave = L"\u301C";
    const std::wstring markLong = L"拡張子が長すぎます\r\n10バイト以内で指定してください";
    const std::wstring programLong = L"プログラム(パス)が長すぎます\r\n200バイト以内で指定してください";
    const auto bad = [](wchar_t c) {
        return L"拡張子に不正な文字'" + std::wstring(1, c) + L"'が含まれています";
    };
    struct Case {
        const char* what;
        int txtRows;  // TXT registrations already in the table
        std::wstring mark, program, name, message;
        F field;
    };
    std::vector<Case> cases = {
        {"1 blanks only, before 3", 0, L"   ", L"", L"", L"拡張子が未入力です", F::kMark},
        {"3 blanks only, before 4", 0, L"ABCDEFGHIJK", L"  ", L"", L"プログラムが未指定です", F::kProgram},
        {"4 six full-width, before 5", 0, L"ＡＢＣＤＥＦ", p201, L"", markLong, F::kMark},
        {"4 blanks count", 0, L" ABCDEFGHIJ", exe, L"", markLong, F::kMark},
        {"5 201 bytes, before 6", 0, L"txt", p201, std::wstring(11, L'説'), programLong, F::kProgram},
        {"5 a comma counts two", 0, L"txt", L"C:\\a," + std::wstring(195, L'p'), L"", programLong,
         F::kProgram},
        {"6 a comma counts two, before 7", 10, L"txt", exe, std::wstring(19, L'n') + L",",
         L"名前が長すぎます\r\n20バイト以内で指定してください", F::kName},
        {"7 an eleventh TXT, before 8", 10, L" txt", L"C:\\" + wave, L"",
         L"これ以上この拡張子は登録出来ません", F::kMark},
        {"8 extension", 0, wave, exe, L"", L"拡張子に使用できない文字が含まれています", F::kMark},
        {"8 program", 0, L"txt", L"C:\\" + wave, L"", L"プログラム(パス)に使用できない文字が含まれています",
         F::kProgram},
        {"8 description", 0, L"txt", exe, L"\U0001F600", L"名前に使用できない文字が含まれています", F::kName},
    };
    // Check 2 names the first of its characters in this order, even when it stands last, and it
    // comes before check 3.
    const std::wstring refused = L"=,[]\";.";
    for (size_t next = 1; wchar_t ch : refused)
        cases.push_back({"2 in list order", 0, refused.substr(next++) + ch, L"", L"", bad(ch), F::kMark});
    for (const auto& c : cases) {
        MarkTable table;
        for (int i = 0; i < c.txtRows; ++i) table.Append({L"TXT", exe, L"v"});
        const auto failure = CheckRegist(c.mark, c.program, c.name, table, table.UBound(), 0);
        ASSERT_TRUE(failure.has_value()) << c.what;
        EXPECT_EQ(failure->message, c.message) << c.what;
        EXPECT_EQ(failure->field, c.field) << c.what;
    }
}

TEST(CheckRegist, AcceptsTheLimitsAndCountsTheChangedRowOnce) {
    MarkTable ten;
    for (int i = 0; i < 10; ++i) ten.Append({L"TXT", L"C:\\v.exe", L"v"});
    EXPECT_FALSE(CheckRegist(L"txt", L"C:\\e.exe", L"", ten, 10, 3));  // changing one of the ten
    ten.Resize(9);                                                     // the tenth, with 10, 200 and 20 bytes
    EXPECT_FALSE(
        CheckRegist(L"ＡＢＣＤＥ", L"C:\\a，" + std::wstring(194, L'p'), std::wstring(10, L'説'), ten, 9, 0));
    MarkTable full;
    full.Resize(kMaxRows);
    EXPECT_EQ(CheckRegist(L"NEW", L"C:\\new.exe", L"", full, kMaxRows, 0)->message,
              L"これ以上登録出来ません");
    EXPECT_FALSE(CheckRegist(L"NEW", L"C:\\new.exe", L"", full, kMaxRows, 5));  // a change still fits
}

TEST(StoredRow, IsTrimmedUpperCasedWithFullWidthCommasAndADefaultDescription) {
    EXPECT_EQ(StoredRow(L" a,b ", L"  C:\\a,b.exe ", L" x,y "),
              (MarkRecord{L"A，B", L"C:\\a，b.exe", L"x，y"}));
    EXPECT_EQ(StoredRow(L"txt", L"c", L"  "), (MarkRecord{L"TXT", L"c", L""}));
    EXPECT_EQ(DefaultDescription(L"C:\\bin\\edit.exe"), L"edit.exe");
    EXPECT_EQ(DefaultDescription(L"C:\\Tools\\"), L"");
    EXPECT_EQ(DefaultDescription(L"abcdefghijklmnopqrstuvwxyz"), L"abcdefghijklmnopqrst");  // 20 characters
    EXPECT_EQ(DefaultDescription(L"C:\\a" + std::wstring(12, L'あ')),
              L"a" + std::wstring(9, L'あ'));  // 20 bytes
}

}  // namespace
}  // namespace tolvare
