// The core over the scripted system: the profile file read and written, start-up's decisions down to
// the programs it starts, the table's exchange sort, and the registration editor's checks and row.
#include <gtest/gtest.h>

#include <random>

#include "core/paths.h"
#include "core/profile.h"
#include "core/startup.h"
#include "core/text.h"
#include "registration/regist_check.h"
#include "tests/core/reference_sort.h"
#include "tests/native/fake_system.h"

namespace tolvare {
namespace {

using Bytes = std::optional<std::string>;  // a file's bytes; nothing when it does not exist
using Boxes = std::vector<testing::ShownBox>;
using Strings = std::vector<std::wstring>;
using testing::RowsOf;

const std::wstring kProfile =
    L"[MARK]\r\nDIR\\README_0=DIR\\README,C:\\R.EXE,r\r\nDOC_0=DOC,C:\\W.EXE,w\r\nHTML_0=HTML,C:\\B.EXE,b\r\n"
    L"TXT_0=TXT,C:\\E.EXE,e\r\nTXT_1=TXT,C:\\V.EXE,ビューア\r\nTXT_2=TXT,C:\\M.EXE,m\r\n";

class CoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetSystem(&fake);
        profilePath = file;
        GetMarkProfileAll(markTable);  // no file yet: a save may create one without asking
        fake.exeDir = dir.path();
    }
    Bytes File(const wchar_t* suffix = L"") { return test::ReadFileBytes(file + suffix); }
    void SetFile(const Bytes& bytes) {
        test::RemoveTree(file);
        if (bytes) test::WriteFileBytes(file, *bytes);
    }
    std::wstring Load(const std::wstring& text) {  // the rows read from the text in code page 932
        SetFile(fake.ToCp932(text));
        GetMarkProfileAll(markTable);
        return RowsOf(markTable);
    }
    // The boxes `operation` shows on failures, one per beep; the boxes shown cut after a line.
    Boxes Failures(const wchar_t* operation) {
        for (auto& [text, title, style] : fake.boxes) text.resize(text.find(L'\n') + 1);
        return {static_cast<size_t>(fake.beeps),
                {operation + std::wstring(L":\r\n"), L"TOLVARE エラー", kMbIconStop | kMbAbortRetryIgnore}};
    }
    void TearDown() override { SetSystem(nullptr); }
    void Run(const std::wstring& args) {
        fake.args = args;
        fake.opened.clear(), fake.boxes.clear();
        Main();
    }

    test::TempDir dir;
    const std::wstring file = dir / L"tolvare.ini";  // the profile, where start-up puts it too
    testing::FakeSystem fake;
};
using Profile = CoreTest;
using Startup = CoreTest;
using RegistCheck = CoreTest;
using RegistRow = CoreTest;
using F = RegistField;

TEST_F(Profile, ReadsTheMarkSectionUntilItEnds) {
    struct Case {
        std::wstring text, rows;
        bool complete;  // both readers see the same registrations, and each saves back as itself
    } cases[] = {
        {L"[MARK]\r\nA_0=A,1,a\r\nB_0=B,2,b\r\n", L"A,1,a | B,2,b", true},
        {L"[MARK]\nA_0=A,1,a\rB_0=B,2,b", L"A,1,a | B,2,b", true},
        {L"B_0=B,2,b\r\n[X]\r\nA=1\r\n  [MARK]  \r\nA_0=A,1,a\r\n[X]\r\nB_0=B,2,b\r\n", L"A,1,a", true},
        {L"[mark]\r\n[MARK]\r\nB_0=B,2,b\r\n", L"B,2,b",
         false},  // case matters; the lookup's section is empty
        {L"[MARK]\r\nA_0=A,1,a\r\n   \r\nB_0=B,2,b\r\n", L"A,1,a", false},  // a blank line ends it,
        {std::wstring(L"[MARK]\r\nA_0=A,1,a\r\n\t\0\u3000\r\nB_0=B,2,b\r\n", 30), L"A,1,a", false},  // so do
        {L"[MARK]\r\nA_0=A,1,a\r\n\u3000\r\n", L"A,1,a", true},  // blanks, NUL; with nothing after them
        // Keys play no part; the value is trimmed and unquoted as the lookup has it, its fields are not.
        {L"[MARK]\r\nt_7=t,p\r\n K =\t T, E ,n,4th  \r\nTXT_0=\"TXT,C:\\x\\edit.exe,Edit\"\r\n",
         L"t,p, | T, E ,n | TXT,C:\\x\\edit.exe,Edit", true},
        // Lines the lookup reads otherwise, or that a save would not write back as they are.
        {L"[MARK]\r\nTXT,C:\\E.EXE,エディタ\r\n; a, b\r\n", L"TXT,C:\\E.EXE,エディタ | ; a, b,", false},
        {L"[MARK]\r\nA_0=[A,1,a\r\nB_0=\"B,2,b\",c\r\n", L"[A,1,a | \"B,2,b\"", false},
        {L"[MARK]\r\nA_0=A," + std::wstring(127, L'ぁ') + L",a\r\n", L"A," + std::wstring(127, L'ぁ') + L",a",
         false},  // 258 bytes: the lookup has only 254, and here they lose a field
        {L"[MARK]\r\nA_0=A," + std::wstring(251, L'p') + L",,\r\n", L"A," + std::wstring(251, L'p') + L",",
         true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Load(c.text), c.rows);
        EXPECT_EQ(loadedProfile.complete, c.complete) << ::testing::PrintToString(c.text);
    }
}

TEST_F(Profile, ReadsTheEncodingsWindowsEditorsSave) {
    const std::wstring text =
        L"[MARK]\r\nTXT_0=TXT,C:\\ツール\\文書.exe,ｴﾃﾞｨﾀ\r\nTXT_1=nodata\r\nTXT_2=X\r\n";
    const std::string utf8 = reinterpret_cast<const char*>(
        u8"[MARK]\r\nTXT_0=TXT,C:\\ツール\\文書.exe,ｴﾃﾞｨﾀ\r\nTXT_1=nodata\r\nTXT_2=X\r\n");
    std::string le, be;
    for (const wchar_t c : text) le += {char(c), char(c >> 8)}, be += {char(c >> 8), char(c)};
    const std::wstring base = L"TXT,C:\\ツール\\文書.exe,ｴﾃﾞｨﾀ | nodata,, | X,,";
    // The bytes, the rows, whether complete: half-width katakana that are two-byte UTF-8 as well
    // stay code page 932; a byte that stands for nothing is replaced (in UTF-8, 0x20 after 0x81,
    // UTF-16 cut short); UTF-8 and UTF-16 with and without a mark, and with an end-of-file mark.
    const std::string cp932 = fake.ToCp932(text);
    std::vector<std::tuple<std::string, std::wstring, bool>> cases = {
        {fake.ToCp932(L"[MARK]\r\nTXT_0=TXT,C:\\m.exe,ﾒｰﾗｰ\r\nTXT_1=TXT,C:\\h.exe,ﾊｲ\r\n"),
         L"TXT,C:\\m.exe,ﾒｰﾗｰ | TXT,C:\\h.exe,ﾊｲ", true},
        {utf8 + "\xFF", base + L" | \uFFFD,,", false},
        {"; \x81\x20\r\n" + cp932, base, false},
        {"\xFF\xFE" + le.substr(0, le.size() - 1), base + L" | \uFFFD,,", false}};
    for (const std::string& bytes : {cp932, "\xEF\xBB\xBF" + utf8, utf8, "\xFF\xFE" + le, "\xFE\xFF" + be, le,
                                     be, cp932 + "\x1A", le + "\x1A"})
        cases.emplace_back(bytes, base, true);
    for (const auto& [bytes, rows, complete] : cases) {
        SCOPED_TRACE(::testing::PrintToString(bytes));
        SetFile(bytes);
        GetMarkProfileAll(markTable);
        EXPECT_EQ(RowsOf(markTable), rows);
        EXPECT_EQ(loadedProfile.complete, complete);
        GetMarkProfile(markTable, L"txt");  // the same bytes, up to the value "nodata"
        EXPECT_EQ(RowsOf(markTable), rows.substr(0, rows.find(L" | nodata")));
    }
}

TEST_F(Profile, AFailedReadAsksAbortRetryIgnore) {
    dir.MakeDir(L"tolvare.ini");  // a folder where the file should be
    fake.answers = {kIdRetry, kIdIgnore};
    EXPECT_EQ(GetMarkProfileAll(markTable), 0);
    EXPECT_EQ(fake.beeps, 2);  // Ignore cannot skip a failed open: it ends the read
    EXPECT_EQ(fake.boxes, Failures(L"GetMarkProfileAll"));
}

TEST_F(Profile, AsksBeforeOverwritingRegistrationsNobodyHasSeen) {
    const testing::ShownBox question{
        L"登録情報の一部を読み込めていないか、ほかのプログラムによって変更されています。\r\n"
        L"保存すると、表示されていない登録情報は失われます。保存しますか？",
        L"TOLVARE", kMbIconQuestion | kMbYesNo};
    const std::string one = "[MARK]\r\nA_0=A,1,a\r\n", hidden = one + "\r\nB_0=B,2,b\r\n";
    struct Case {
        Bytes loaded, meanwhile;  // the file the table was loaded from, and the one there at the save
        int answer;               // to the question; 0: none is asked
    } cases[] = {{one, one, 0},           {{}, {}, 0},       {hidden, hidden, kIdNo},
                 {one, one + "C", kIdNo}, {{}, one, kIdYes}, {one, {}, kIdNo}};
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.loaded) + " then " + ::testing::PrintToString(c.meanwhile));
        test::RemoveTree(file + L".bk");
        SetFile(c.loaded);
        GetMarkProfileAll(markTable);
        SetFile(c.meanwhile);
        markTable.Rows() = {{L"Z", L"z", L"new"}};
        fake.boxes.clear(), fake.answers = {c.answer};
        const bool saves = c.answer != kIdNo;
        EXPECT_EQ(SaveMarkProfileAll(markTable), saves ? SaveResult::kSaved : SaveResult::kDeclined);
        EXPECT_EQ(fake.boxes, c.answer ? Boxes{question} : Boxes{});
        EXPECT_EQ(File(), saves ? "[MARK]\r\nZ_0=Z,z,new\r\n" : c.meanwhile);
        EXPECT_EQ(File(L".bk"), saves ? c.meanwhile : std::nullopt);  // No writes nothing at all
    }
}

TEST_F(Profile, SavesSortedWithABackupOrLeavesTheOldFileWhole) {
    const std::string old = "; mine\r\n[X]\r\n[MARK]\r\nOLD_0=OLD\r\n", earlier = "earlier backup";
    const std::string doc = fake.ToCp932(L"DOC_0=DOC,X.EXE,文書\r\n");
    const std::string txt = fake.ToCp932(L"TXT_0=TXT,A,エディタ\r\nTXT_1=TXT,B.EXE,ビューア\r\n");
    struct Case {
        const char* fault;  // the file operation failing at these calls; "line": a line it cannot hold
        std::set<int> calls;
        std::deque<int> answers;   // to the failure boxes, one each
        std::string file, backup;  // no backup given: not looked at
    } cases[] = {
        {"", {}, {}, "[MARK]\r\n" + doc + txt, old},             // other sections survive in the backup only
        {"backup", {1}, {}, "[MARK]\r\n" + doc + txt, earlier},  // a backup that cannot be replaced stays,
        {"write", {5}, {}, "[MARK]\r\n" + doc + txt, earlier},   // or written (after the profile's lines)
        {"create", {1, 2}, {kIdRetry, kIdRetry}, "[MARK]\r\n" + doc + txt, old},
        {"write", {2}, {kIdAbort}, old, ""},
        {"write", {1, 2}, {kIdIgnore, kIdIgnore}, txt, old},
        {"replace", {1}, {kIdAbort}, old, ""},
        {"line", {}, {kIdIgnore}, "[MARK]\r\n" + txt, old},  // never written as a silent '?'
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fault + ::testing::PrintToString(c.calls) + ::testing::PrintToString(c.answers));
        Load(fake.FromCp932(old));
        test::WriteFileBytes(file + L".bk", earlier);
        markTable.Rows() = {{L"TXT", L"B.EXE", L"ビューア"},
                            {L"DOC", c.fault == std::string("line") ? L"X\xE9.EXE" : L"X.EXE", L"文書"},
                            {L"TXT", L"A", L"エディタ"}};
        fake.failAt = {{c.fault, c.calls}};
        fake.calls.clear(), fake.boxes.clear(), fake.beeps = 0, fake.answers = c.answers;
        SaveMarkProfileAll(markTable);
        EXPECT_EQ(File(), c.file);
        EXPECT_TRUE(c.backup.empty() || File(L".bk") == c.backup);
        EXPECT_EQ(fake.ListFiles(dir / L"*").size(), 2u);  // nothing left behind
        EXPECT_EQ(fake.boxes, Failures(L"SaveMarkProfileAll"));
    }
    EXPECT_EQ(RowsOf(markTable), L"DOC,X\xE9.EXE,文書 | TXT,A,エディタ | TXT,B.EXE,ビューア");  // sorted too
    markTable.Erase();  // an empty table leaves only the backup
    SaveMarkProfileAll(markTable);
    EXPECT_EQ(fake.ListFiles(dir / L"*"), Strings{L"tolvare.ini.bk"});
}

TEST_F(Startup, StartsTheOneProgramOrOpensAWindow) {
    Load(kProfile);
    fake.shortNames[L"C:\\B.EXE"] = L"C:\\B~1.EXE";
    // C:\Program Files (PROGRA~1) holds report.html (REPORT~1.HTM).
    fake.attributes = {{L"C:\\PROGRA~1\\REPORT~1.HTM", 0x20}, {L"C:\\PROGRA~1\\", kAttrDirectory}};
    fake.listings = {{{L"C:\\PROGRA~1", true}, L"Program Files"},
                     {{L"C:\\PROGRA~1\\", true}, L"."},
                     {{L"C:\\PROGRA~1\\REPORT~1.HTM", false}, L"report.html"}};
    for (const wchar_t* args : {L"", L"\"\"", L"C:\\readme", L"C:\\name.", L"C:\\a.d\\", L"C:\\PROGRA~1\\"}) {
        selectedMark = 5;
        Run(args);
        EXPECT_EQ(fake.opened, Strings{L"list"}) << args;  // with every registration, none selected
        EXPECT_EQ(markTable.UBound(), 6) << args;
        EXPECT_EQ(selectedMark, 0) << args;
    }
    const std::pair<std::wstring, std::wstring> starts[] = {
        // the argument, and the command started
        {L"\"C:\\a b\\c.doc\"", L"C:\\W.EXE C:\\a b\\c.doc"},
        {L"C:\\x\\report.Html", L"C:\\B~1.EXE C:\\x\\report.Html"},
        {L"C:\\a.txt C:\\b.doc", L"C:\\W.EXE C:\\a.txt C:\\b.doc"},  // one path, blanks and all
        {L"C:\\my.dir\\readme", L"C:\\R.EXE C:\\my.dir\\readme"},
        {L"\"C:\\a.doc \"", L"C:\\W.EXE C:\\a.doc"},  // a trailing blank is no part of the extension
        {L"C:\\PROGRA~1\\REPORT~1.HTM", L"C:\\B~1.EXE C:\\PROGRA~1\\REPORT~1.HTM"},
    };
    for (const auto& [args, command] : starts) {
        Run(args);
        EXPECT_EQ(fake.opened, Strings{command}) << args;
        EXPECT_TRUE(fake.boxes.empty()) << args;
    }
    Run(L"C:\\notes\\todo.txt  ");
    EXPECT_EQ(fake.opened, Strings{L"select"});
    EXPECT_EQ(selectCount, 3);
    EXPECT_EQ(selectFile, L"C:\\notes\\todo.txt  ");  // the file as given
    EXPECT_EQ(RowsOf(markTable), L"TXT,C:\\E.EXE,e | TXT,C:\\V.EXE,ビューア | TXT,C:\\M.EXE,m");
}

TEST_F(Startup, OffersTheEditorForAnUnregisteredExtension) {
    Load(kProfile);
    fake.onEditor = [&] {  // the editor gets every registration and the new row to change; OK saves
        EXPECT_EQ(editorCaller, kCallerStartup);
        EXPECT_EQ(markCount, 7);
        EXPECT_EQ(selectedMark, 7);
        EXPECT_EQ(markTable[7], (MarkRecord{L"PDF", L"", L""}));
        markTable[7].program = L"C:\\PDF.EXE";
        SaveMarkProfileAll(markTable);
    };
    Run(L"C:\\docs\\paper.pdf");
    EXPECT_EQ(fake.opened, (Strings{L"editor", L"C:\\PDF.EXE C:\\docs\\paper.pdf"}));
    fake.onEditor = nullptr;  // cancelled
    Run(L"C:\\docs\\paper.zip");
    EXPECT_EQ(fake.boxes, (Boxes{{L"拡張子 'ZIP' が登録されていません", L"TOLVARE", kMbIconStop | kMbOk}}));
    EXPECT_EQ(markCount, 7);  // read again: the pending row is gone
    // A hand-made line names XYZ in its value only: found once its key appears before the last try.
    fake.onEditor = [&] { Load(kProfile + L"X_0=XYZ,C:\\X.EXE\r\n"); };
    fake.onWait = [&] {
        if (fake.waits == kRegisteredLookups - 1) Load(kProfile + L"XYZ_0=XYZ,C:\\X.EXE");
    };
    Run(L"C:\\a.xyz");
    EXPECT_EQ(fake.opened, (Strings{L"editor", L"C:\\X.EXE C:\\a.xyz"}));
}

TEST_F(Startup, LaunchStartsTheRegisteredProgramOnlyOrOffersTheList) {
    for (auto file : {L"C:\\Program Files\\Edit.exe", L"C:\\t\\My.exe", L"C:\\app.exe", L"C:\\app"})
        fake.attributes[file] = 0x20;
    // The platform would try each blank-delimited prefix of an unquoted line: with C:\t\My.exe
    // present, "C:\t\My App\missing.exe" would start My.exe.
    const std::pair<std::wstring, std::wstring> cases[] = {
        // the program, and the command started
        {L"  C:\\E.EXE ", L"C:\\E.EXE C:\\my docs\\a.txt"},  // trimmed; the file unquoted
        {L"C:\\Program Files\\Edit.exe", L"\"C:\\Program Files\\Edit.exe\" C:\\my docs\\a.txt"},
        {L"C:\\app.exe /x", L"C:\\app.exe /x C:\\my docs\\a.txt"},
        {L"C:\\t\\My App\\missing.exe", L""},
        {L"C:\\app /x", L""},  // its extension not written out
    };
    for (const auto& [program, command] : cases) {
        markTable.Rows() = {{L"TXT", program, L""}};
        fake.opened.clear(), fake.boxes.clear(), fake.answers = {kIdOk, kIdYes};
        LaunchMarkRow(1, L" C:\\my docs\\a.txt ", false);
        const Boxes failed{{L"プログラム起動時にエラーが発生しました\r\n" + Trim(program) +
                                L" C:\\my docs\\a.txt\r\n" + fake.ErrorText(2),
                            L"TOLVARE", kMbIconStop | kMbOk},
                           {L"設定を確認しますか？", L"TOLVARE", kMbIconQuestion | kMbYesNo}};
        EXPECT_EQ(fake.boxes, command.empty() ? failed : Boxes{}) << program;
        EXPECT_EQ(fake.opened, Strings{command.empty() ? L"list" : command}) << program;  // the list on Yes
    }
}

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

TEST_F(RegistCheck, RefusesWithTheFirstFailedCheckInItsOrder) {
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
        {0, L"txt", L"C:\\a," + std::wstring(195, L'p'), L"", programLong, F::kProgram},
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

TEST_F(RegistCheck, AcceptsTheLimitsAndCountsTheChangedRowOnce) {
    MarkTable table;
    table.Rows().resize(10, {L"TXT", L"C:\\v.exe", L"v"});
    EXPECT_FALSE(CheckRegist(L"txt", L"C:\\e.exe", L"", table, 10, 3));  // changing one of the ten
    table.Resize(9);  // the tenth, with 10, 200 and 20 bytes
    EXPECT_FALSE(CheckRegist(L"ＡＢＣＤＥ", L"C:\\a，" + std::wstring(194, L'p'), std::wstring(10, L'説'),
                             table, 9, 0));
    table.Resize(kMaxRows);
    EXPECT_EQ(CheckRegist(L"NEW", L"C:\\n", L"", table, kMaxRows, 0)->message, L"これ以上登録出来ません");
    EXPECT_FALSE(CheckRegist(L"NEW", L"C:\\n", L"", table, kMaxRows, 5));  // a change still fits
}

TEST_F(RegistRow, IsTrimmedUpperCasedWithFullWidthCommasAndADefaultDescription) {
    EXPECT_EQ(StoredRow(L" a,b ", L"  C:\\a,b ", L" x,y "), (MarkRecord{L"A，B", L"C:\\a，b", L"x，y"}));
    EXPECT_EQ(StoredRow(L"txt", L"c", L" \t "), (MarkRecord{L"TXT", L"c", L"\t"}));  // half-width blanks only
    EXPECT_EQ(DefaultDescription(L"C:\\b.c\\edit.exe"), L"edit.exe");                // after the last "\"
    // At most 20 characters and 20 bytes.
    EXPECT_EQ(DefaultDescription(L"abcdefghijklmnopqrstuvwxyz"), L"abcdefghijklmnopqrst");
    EXPECT_EQ(DefaultDescription(L"C:\\a" + std::wstring(12, L'あ')), L"a" + std::wstring(9, L'あ'));
}

}  // namespace
}  // namespace tolvare
