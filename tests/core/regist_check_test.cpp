// The registration editor's decisions without its window: the checks of OK in their order, and
// the row it stores.
#include <gtest/gtest.h>

#include "registration/regist_check.h"
#include "tests/native/fake_system.h"

namespace tolvare {
namespace {

using F = RegistField;

TEST(CheckRegist, RefusesWithTheFirstFailedCheckInItsOrder) {
    const std::wstring exe = L"C:\\Tools\\editor.exe", long201 = L"C:\\" + std::wstring(198, L'p');
    const std::wstring markLong = L"拡張子が長すぎます\r\n10バイト以内で指定してください";
    const std::wstring programLong = L"プログラム(パス)が長すぎます\r\n200バイト以内で指定してください";
    const std::wstring nameLong = L"名前が長すぎます\r\n20バイト以内で指定してください";
    const std::wstring full = L"これ以上この拡張子は登録出来ません";
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
        {"1 empty", 0, L"", exe, L"", L"拡張子が未入力です", F::kMark},
        {"1 blanks only, before 3", 0, L"   ", L"", L"", L"拡張子が未入力です", F::kMark},
        {"3 empty program", 0, L"txt", L"", L"", L"プログラムが未指定です", F::kProgram},
        {"3 blanks only, before 4", 0, L"ABCDEFGHIJK", L"  ", L"", L"プログラムが未指定です", F::kProgram},
        {"4 eleven bytes", 0, L"ABCDEFGHIJK", exe, L"", markLong, F::kMark},
        {"4 six full-width, before 5", 0, L"ＡＢＣＤＥＦ", long201, L"", markLong, F::kMark},
        {"4 blanks count", 0, L" ABCDEFGHIJ", exe, L"", markLong, F::kMark},
        {"5 201 bytes, before 6", 0, L"txt", long201, std::wstring(11, L'説'), programLong, F::kProgram},
        {"5 a comma counts two", 0, L"txt", L"C:\\a," + std::wstring(195, L'p'), L"", programLong,
         F::kProgram},
        {"6 eleven full-width, before 7", 10, L"txt", exe, std::wstring(11, L'説'), nameLong, F::kName},
        {"6 a comma counts two", 0, L"txt", exe, std::wstring(19, L'n') + L",", nameLong, F::kName},
        {"7 an eleventh TXT", 10, L" txt", exe, L"", full, F::kMark},
        {"7 before 8", 10, L"txt", L"C:\\\u301C.exe", L"", full, F::kMark},
        {"8 extension", 0, L"\u301C", exe, L"", L"拡張子に使用できない文字が含まれています", F::kMark},
        {"8 program", 0, L"txt", L"C:\\\u301C.exe", L"",
         L"プログラム(パス)に使用できない文字が含まれています", F::kProgram},
        {"8 description", 0, L"txt", exe, L"\U0001F600", L"名前に使用できない文字が含まれています", F::kName},
        {"2 a dot, which no looked-up extension holds", 0, L".txt", exe, L"", bad(L'.'), F::kMark},
    };
    // Check 2 names the first of its characters in this order, even when it stands last, and it
    // comes before check 3.
    const std::wstring refused = L"=,[]\";.";
    for (size_t next = 1; wchar_t ch : refused) {
        cases.push_back({"2 in list order", 0, refused.substr(next++) + ch, L"", L"", bad(ch), F::kMark});
    }
    for (const auto& c : cases) {
        const MarkTable table = [&] {
            MarkTable t;
            for (int i = 0; i < c.txtRows; ++i) t.Append({L"TXT", L"C:\\v.exe", L"v"});
            return t;
        }();
        const auto failure = CheckRegist(c.mark, c.program, c.name, table, table.UBound(), 0);
        ASSERT_TRUE(failure.has_value()) << c.what;
        EXPECT_EQ(failure->message, c.message) << c.what;
        EXPECT_EQ(failure->field, c.field) << c.what;
    }
}

TEST(CheckRegist, CountsTheRowBeingChangedOnceAndRefusesAFullTable) {
    MarkTable ten;
    for (int i = 0; i < 10; ++i) ten.Append({L"TXT", L"C:\\v.exe", L"v"});
    EXPECT_FALSE(CheckRegist(L"txt", L"C:\\e.exe", L"", ten, 10, 3));  // changing one of the ten
    EXPECT_TRUE(CheckRegist(L"txt", L"C:\\e.exe", L"", ten, 10, 0));   // an eleventh
    MarkTable nine = ten;
    nine.Resize(9);
    EXPECT_FALSE(
        CheckRegist(L"txt", L"C:\\e.exe", std::wstring(10, L'説'), nine, 9, 0));  // the tenth, 20 bytes
    EXPECT_FALSE(CheckRegist(L"ＡＢＣＤＥ", L"C:\\a," + std::wstring(194, L'p'), L"", nine, 9,
                             0));  // 10 and 200 bytes
    MarkTable full;
    full.Resize(kMaxRows);
    const auto refused = CheckRegist(L"NEW", L"C:\\new.exe", L"", full, kMaxRows, 0);
    ASSERT_TRUE(refused.has_value());
    EXPECT_EQ(refused->message, L"これ以上登録出来ません");
    EXPECT_FALSE(CheckRegist(L"NEW", L"C:\\new.exe", L"", full, kMaxRows, 5));  // a change still fits
}

TEST(StoredRow, IsTrimmedUpperCasedWithFullWidthCommasAndADefaultDescription) {
    const std::wstring p194(194, L'p'), kana12(12, L'あ'), az = L"abcdefghijklmnopqrstuvwxyz";
    const std::pair<MarkRecord, MarkRecord> cases[] = {
        {{L"txt", L"C:\\e.exe", L"Edit"}, {L"TXT", L"C:\\e.exe", L"Edit"}},
        {{L" ABCDEFGH ", L"  C:\\e.exe ", L" x "}, {L"ABCDEFGH", L"C:\\e.exe", L"x"}},
        {{L"txt", L"C:\\a," + p194, L"a,b"}, {L"TXT", L"C:\\a，" + p194, L"a，b"}},
        {{L"a,b", L"c", L"  "}, {L"A，B", L"c", L""}},
    };
    for (const auto& [typed, stored] : cases)
        EXPECT_EQ(StoredRow(typed.mark, typed.program, typed.name), stored);
    const std::pair<std::wstring, std::wstring> defaults[] = {
        {L"C:\\bin\\edit.exe", L"edit.exe"},
        {L"C:\\Tools\\", L""},
        {az, L"abcdefghijklmnopqrst"},                       // no "\": its first 20 characters
        {L"C:\\a" + kana12, L"a" + std::wstring(9, L'あ')},  // 20 bytes, never half a character
    };
    for (const auto& [program, name] : defaults)
        EXPECT_EQ(DefaultDescription(program), name) << program.size();
}

}  // namespace
}  // namespace tolvare
