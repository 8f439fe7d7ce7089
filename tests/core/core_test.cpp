// The core over the scripted system: the profile file read whole and per extension, written with
// its backup after the save question, and start-up's decisions down to the programs it starts.
#include <gtest/gtest.h>

#include <algorithm>

#include "core/paths.h"
#include "core/profile.h"
#include "core/startup.h"
#include "core/text.h"
#include "tests/native/fake_system.h"

namespace tolvare {
namespace {

using Bytes = std::optional<std::string>;  // a file's bytes; nothing when it does not exist
using testing::RowsOf;
using testing::ShownBox;
using Strings = std::vector<std::wstring>;

const std::wstring kProfile =
    L"[MARK]\r\nDIR\\README_0=DIR\\README,C:\\R.EXE,r\r\nDOC_0=DOC,C:\\WORD.EXE,ワード\r\n"
    L"HTML_0=HTML,C:\\BROWSE.EXE,b\r\nTXT_0=TXT,C:\\EDIT.EXE,e\r\n"
    L"TXT_1=TXT,C:\\VIEW.EXE,ビューア\r\nTXT_2=TXT,C:\\MORE.EXE,m\r\n";

class CoreTest : public ::testing::Test {
protected:
    void SetUp() override {
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
    Strings Files() {
        Strings names = fake.ListFiles(dir / L"*");
        std::sort(names.begin(), names.end());
        return names;
    }
    // The boxes `operation` shows on failures, one per beep; the boxes shown cut after a line.
    std::vector<ShownBox> Failures(const wchar_t* operation) {
        for (auto& box : fake.boxes) box.text.resize(box.text.find(L'\n') + 1);
        return {static_cast<size_t>(fake.beeps),
                {operation + std::wstring(L":\r\n"), L"TOLVARE エラー", kMbIconStop | kMbAbortRetryIgnore}};
    }
    void Run(const std::wstring& args) {
        fake.args = args;
        fake.opened.clear(), fake.boxes.clear();
        Main();
    }

    test::TempDir dir;
    const std::wstring file = dir / L"tolvare.ini";  // the profile, where start-up puts it too
    testing::FakeSystem fake;
    testing::ScopedSystem scoped{fake};
};
using Profile = CoreTest;
using Startup = CoreTest;

TEST_F(Profile, ReadsTheMarkSectionUntilItEnds) {
    struct Case {
        std::wstring text, rows;
        bool complete;  // every registration the per-extension lookup would see is a row
    } cases[] = {
        {L"[MARK]\r\nA_0=A,1,a\r\nB_0=B,2,b\r\n", L"A,1,a | B,2,b", true},
        {L"[MARK]\nA_0=A,1,a\rB_0=B,2,b", L"A,1,a | B,2,b", true},
        {L"B_0=B,2,b\r\n[X]\r\nA=1\r\n  [MARK]  \r\nA_0=A,1,a\r\n", L"A,1,a", true},
        {L"[mark]\r\nA_0=A,1,a\r\n[MARK]\r\nB_0=B,2,b\r\n", L"B,2,b", false},  // case matters
        {L"[ MARK ]\r\nA_0=A,1,a\r\n", L"", false},
        {L"[MARK]\r\nA_0=A,1,a\r\n   \r\nB_0=B,2,b\r\n", L"A,1,a", false},  // a blank line ends it
        {L"[MARK]\r\nA_0=A,1,a\r\n\r\n", L"A,1,a", true},
        {L"[MARK]\r\nA_0=A,1,a\r\n[X]\r\nB_0=B,2,b\r\n", L"A,1,a", true},
        // Keys play no part; the value is trimmed, its fields are not.
        {L"[MARK]\r\nt_7=t,p\r\nTXT,C:\\E.EXE,エディタ\r\n; a, b\r\n K =  T, E ,n ,4th  \r\n",
         L"t,p, | TXT,C:\\E.EXE,エディタ | ; a, b, | T, E ,n ", true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Load(c.text), c.rows);
        EXPECT_EQ(loadedProfile.complete, c.complete) << ::testing::PrintToString(c.text);
    }
    SetFile(std::nullopt);
    EXPECT_EQ(GetMarkProfileAll(markTable) + GetMarkProfile(markTable, L"A"), 0);
    EXPECT_TRUE(loadedProfile.complete);  // no file: nothing unseen
    EXPECT_TRUE(fake.boxes.empty());
}

TEST_F(Profile, ReadsTheEncodingsWindowsEditorsSave) {
    const std::wstring text = L"[MARK]\r\nDOC_0=DOC,C:\\ツール\\文書.exe,ｴﾃﾞｨﾀ\r\n";
    const std::string utf8 =
        reinterpret_cast<const char*>(u8"[MARK]\r\nDOC_0=DOC,C:\\ツール\\文書.exe,ｴﾃﾞｨﾀ\r\n");
    std::string le = "\xFF\xFE", be = "\xFE\xFF";
    for (const wchar_t c : text) le += {char(c), char(c >> 8)}, be += {char(c >> 8), char(c)};
    for (const auto& bytes : {fake.ToCp932(text), "\xEF\xBB\xBF" + utf8, utf8, le, be}) {
        SetFile(bytes);
        EXPECT_EQ(GetMarkProfile(markTable, L"doc"), 1) << ::testing::PrintToString(bytes);
        GetMarkProfileAll(markTable);
        EXPECT_EQ(RowsOf(markTable), L"DOC,C:\\ツール\\文書.exe,ｴﾃﾞｨﾀ") << ::testing::PrintToString(bytes);
    }
    // Code page 932 text never passes for UTF-8.
    for (const std::wstring t :
         {L"文書ビューア", L"ﾌﾟﾛｸﾞﾗﾑの説明", L"C:\\秀丸\\Hidemaru.exe", L"表計算（全角）", L"漢字"})
        EXPECT_EQ(Load(L"[MARK]\r\nX_0=X,p," + t), L"X,p," + t);
}

TEST_F(Profile, AFailedReadAsksAbortRetryIgnore) {
    dir.MakeDir(L"tolvare.ini");  // a folder where the file should be
    fake.answers = {kIdRetry, kIdIgnore};
    EXPECT_EQ(GetMarkProfileAll(markTable), 0);
    EXPECT_EQ(fake.beeps, 2);  // Ignore cannot skip a failed open: it ends the read
    EXPECT_EQ(fake.boxes, Failures(L"GetMarkProfileAll"));
    EXPECT_FALSE(loadedProfile.complete);
}

TEST_F(Profile, OneExtensionReadsItsConsecutiveKeysLikeThePlatformReader) {
    std::wstring eleven = L"[MARK]\r\n";
    for (int i = 10; i >= 0; --i)
        eleven += L"TXT_" + std::to_wstring(i) + L"=TXT," + std::to_wstring(i) + L"\r\n";
    const std::pair<std::wstring, std::wstring> cases[] = {
        {L"[MARK]\r\nDOC_0=DOC,d\r\nTXT_0=TXT,e,E\r\nTXT_2=TXT,v\r\n", L"TXT,e,E"},  // a gap hides the rest
        {L"[MARK]\r\nTXT_0=DOC,p,n\r\nTXT_1=nodata\r\nTXT_2=TXT,q\r\n",
         L"DOC,p,n"},  // the mark from the value
        {eleven, L"TXT,0, | TXT,1, | TXT,2, | TXT,3, | TXT,4, | TXT,5, | TXT,6, | TXT,7, | TXT,8, | TXT,9,"},
        // Names in any case, blanks, quotes; only the first section of the name.
        {L"[other]\r\nTXT_0=X\r\n[ mark ]\r\n txt_0 = \"TXT,p,n\" \r\n[MARK]\r\nTXT_1=TXT,q\r\n", L"TXT,p,n"},
    };
    for (const auto& [text, rows] : cases) {
        SetFile(fake.ToCp932(text));
        GetMarkProfile(markTable, L"Txt");
        EXPECT_EQ(RowsOf(markTable), rows);
    }
}

TEST_F(Profile, WritesTheTableSortedAndGroupedInCodePage932) {
    const std::pair<std::vector<MarkRecord>, std::wstring> cases[] = {
        {{{L"TXT", L"B.EXE", L"ビューア"}, {L"DOC", L"X.EXE", L"文書"}, {L"TXT", L"A", L"エディタ"}},
         L"[MARK]\r\nDOC_0=DOC,X.EXE,文書\r\nTXT_0=TXT,A,エディタ\r\nTXT_1=TXT,B.EXE,ビューア\r\n"},
        // Marks that differ in case form one group only where the sort puts them side by side.
        {{{L"txt", L"c", L"n"}, {L"ZIP", L"z", L"n"}, {L"TXT", L"t", L"n"}},
         L"[MARK]\r\nTXT_0=TXT,t,n\r\nZIP_0=ZIP,z,n\r\nTXT_0=TXT,c,n\r\n"},
        {{{L"txt", L"c", L"n"}, {L"TXT", L"t", L"n"}}, L"[MARK]\r\nTXT_0=TXT,t,n\r\nTXT_1=TXT,c,n\r\n"},
    };
    for (const auto& [rows, text] : cases) {
        markTable.Rows() = rows;
        EXPECT_EQ(SaveMarkProfileAll(markTable), SaveResult::kSaved);
        EXPECT_EQ(File(), fake.ToCp932(text));
        EXPECT_EQ(fake.ToUpper(RowsOf(markTable)),
                  fake.ToUpper(Load(text)));                             // the table in the file's order
        EXPECT_EQ(File(L".bk").has_value(), &text != &cases[0].second);  // no backup of nothing
    }
    EXPECT_EQ(Files(), (Strings{L"tolvare.ini", L"tolvare.ini.bk"}));  // no leftovers
    EXPECT_TRUE(fake.boxes.empty());
}

TEST_F(Profile, KeepsThePreviousFileAsTheBackupIfItCan) {
    const std::string handEdited = "; mine\r\n[OPTIONS]\r\nx=1\r\n[MARK]\r\nA_0=A,1,a\r\n";
    Load(fake.FromCp932(handEdited));
    SaveMarkProfileAll(markTable);
    EXPECT_EQ(File(), "[MARK]\r\nA_0=A,1,a\r\n");
    EXPECT_EQ(File(L".bk"), handEdited);  // other sections survive in the backup only
    // A backup that cannot be written or replaced stays as it was, and the save goes on silently.
    for (const char* fault : {"write", "backup"}) {
        fake.calls.clear();
        fake.failAt = {{fault, {fault == std::string("write") ? 3 : 1}}};  // the profile's 2 lines come first
        markTable.Rows() = {{fault == std::string("write") ? L"W" : L"B", L"2", L"b"}};
        SaveMarkProfileAll(markTable);
        EXPECT_EQ(File(L".bk"), handEdited) << fault;
        EXPECT_EQ(Files(), (Strings{L"tolvare.ini", L"tolvare.ini.bk"})) << fault;
    }
    EXPECT_EQ(File(), "[MARK]\r\nB_0=B,2,b\r\n");
    markTable.Erase();  // an empty table leaves only the backup
    SaveMarkProfileAll(markTable);
    EXPECT_EQ(Files(), Strings{L"tolvare.ini.bk"});
    EXPECT_EQ(File(L".bk"), "[MARK]\r\nB_0=B,2,b\r\n");
    EXPECT_TRUE(fake.boxes.empty());
}

TEST_F(Profile, AsksBeforeOverwritingRegistrationsNobodyHasSeen) {
    const ShownBox question{
        L"登録情報の一部を読み込めていないか、ほかのプログラムによって変更されています。\r\n"
        L"保存すると、表示されていない登録情報は失われます。保存しますか？",
        L"TOLVARE", kMbIconQuestion | kMbYesNo};
    const std::string one = "[MARK]\r\nA_0=A,1,a\r\n", hidden = one + "\r\nB_0=B,2,b\r\n";
    struct Case {
        Bytes loaded, meanwhile;  // the file the table was loaded from, and the one there at the save
        int answer;               // to the question; 0: none is asked
    } cases[] = {
        {one, one, 0},           {{}, {}, 0},       {hidden, hidden, kIdNo}, {hidden, hidden, kIdYes},
        {one, one + "C", kIdNo}, {{}, one, kIdYes}, {one, {}, kIdNo},        {one, {}, kIdYes},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.loaded) + " then " + ::testing::PrintToString(c.meanwhile));
        test::RemoveTree(file + L".bk");
        SetFile(c.loaded);
        GetMarkProfileAll(markTable);
        SetFile(c.meanwhile);
        markTable.Rows() = {{L"Z", L"z", L"new"}};
        fake.boxes.clear();
        fake.answers = {c.answer};
        const bool saves = c.answer != kIdNo;
        EXPECT_EQ(SaveMarkProfileAll(markTable), saves ? SaveResult::kSaved : SaveResult::kDeclined);
        EXPECT_EQ(fake.boxes, c.answer ? std::vector{question} : std::vector<ShownBox>{});
        EXPECT_EQ(File(), saves ? "[MARK]\r\nZ_0=Z,z,new\r\n" : c.meanwhile);
        EXPECT_EQ(File(L".bk"), saves ? c.meanwhile : std::nullopt);  // No writes nothing at all
        // The next save (Apply, then OK) replaces the file the first one wrote without asking.
        fake.boxes.clear();
        if (saves) SaveMarkProfileAll(markTable);
        EXPECT_TRUE(fake.boxes.empty());
    }
}

TEST_F(Profile, AFailedSaveLeavesTheOldOrTheNewFileWhole) {
    const std::string old = "[MARK]\r\nOLD_0=OLD\r\n", saved = "[MARK]\r\nABC_0=ABC,a,b\r\nNEW_0=NEW,n,m\r\n";
    struct Case {
        const char* fault;  // a file operation failing at these calls, or "line": a line the file cannot hold
        std::set<int> calls;
        std::deque<int> answers;
        std::string file;
    } cases[] = {
        {"create", {1}, {kIdAbort}, old},
        {"create", {1}, {kIdIgnore}, old},  // nothing to go on with: ends like Abort
        {"create", {1, 2}, {kIdRetry, kIdRetry}, saved},
        {"write", {2}, {kIdAbort}, old},
        {"write", {1}, {kIdRetry}, saved},                               // from the start again
        {"write", {1, 2}, {kIdIgnore, kIdIgnore}, "NEW_0=NEW,n,m\r\n"},  // those lines are left out
        {"replace", {1}, {kIdAbort}, old},
        {"replace", {1}, {kIdRetry}, saved},
        {"line", {}, {kIdIgnore}, "[MARK]\r\nNEW_0=NEW,n,m\r\n"},  // never written as a silent '?'
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fault + ::testing::PrintToString(c.calls) + ::testing::PrintToString(c.answers));
        Load(fake.FromCp932(old));
        test::WriteFileBytes(file + L".bk", old);
        markTable.Rows() = {{L"NEW", L"n", L"m"},
                            {L"ABC", c.fault == std::string("line") ? L"\xE9" : L"a", L"b"}};
        fake.failAt = {{c.fault, c.calls}};
        fake.calls.clear();
        fake.answers = c.answers;
        fake.boxes.clear();
        fake.beeps = 0;
        SaveMarkProfileAll(markTable);
        EXPECT_EQ(File(), c.file);
        EXPECT_EQ(fake.beeps, static_cast<int>(c.answers.size()));
        EXPECT_EQ(fake.boxes, Failures(L"SaveMarkProfileAll"));
        EXPECT_EQ(Files(), (Strings{L"tolvare.ini", L"tolvare.ini.bk"}));
    }
}

TEST_F(Profile, LeftoversOfKilledSavesNeitherBlockNorStay) {
    dir.MakeDir(L"tolvare.ini.new");  // a folder in the way of the fixed name earlier versions used
    for (const wchar_t* name : {L".0badf00d.tmp", L".notes.tmp"}) test::WriteFileBytes(file + name, "x");
    markTable.Rows() = {{L"B", L"2", L"b"}};
    EXPECT_EQ(SaveMarkProfileAll(markTable), SaveResult::kSaved);
    EXPECT_EQ(Files(), (Strings{L"tolvare.ini", L"tolvare.ini.notes.tmp"}));
}

TEST_F(Startup, StartsTheOneProgramOrOpensAWindow) {
    Load(kProfile);
    fake.shortNames[L"C:\\BROWSE.EXE"] = L"C:\\BROWSE~1.EXE";
    // C:\Program Files (PROGRA~1) holds report.html (REPORT~1.HTM); no pattern is ever looked up.
    fake.attributes = {{L"C:\\PROGRA~1\\REPORT~1.HTM", 0x20},
                       {L"C:\\PROGRA~1\\", 0x10},
                       {L"C:\\PROGRA~1\\*.HTM", 0x20}};
    fake.listings = {{{L"C:\\PROGRA~1", true}, L"Program Files"},
                     {{L"C:\\PROGRA~1\\", true}, L"."},
                     {{L"C:\\PROGRA~1\\REPORT~1.HTM", false}, L"report.html"},
                     {{L"C:\\PROGRA~1\\*.HTM", false}, L"a.doc"}};
    const std::pair<std::wstring, std::wstring> cases[] = {
        // the argument, and what opens
        {L"", L"list"},
        {L"\"\"", L"list"},
        {L"C:\\docs\\readme", L"list"},
        {L"C:\\docs\\name.", L"list"},
        {L"C:\\docs.d\\", L"list"},
        {L"C:\\PROGRA~1\\", L"list"},  // \Program Files\. has no extension
        {L"C:\\PROGRA~1\\*.HTM", L"list"},
        {L"\"C:\\a b\\c.doc\"", L"C:\\WORD.EXE C:\\a b\\c.doc"},
        {L"C:\\x\\report.Html", L"C:\\BROWSE~1.EXE C:\\x\\report.Html"},
        {L"C:\\a.txt C:\\b.doc", L"C:\\WORD.EXE C:\\a.txt C:\\b.doc"},  // one path, blanks and all
        {L"C:\\my.dir\\readme", L"C:\\R.EXE C:\\my.dir\\readme"},
        {L"C:\\say \"hi\".doc", L"C:\\WORD.EXE C:\\say hi.doc"},
        {L"\"C:\\a.doc \"", L"C:\\WORD.EXE C:\\a.doc"},  // a trailing blank is no part of the extension
        {L"C:\\PROGRA~1\\REPORT~1.HTM", L"C:\\BROWSE~1.EXE C:\\PROGRA~1\\REPORT~1.HTM"},
        {L"C:\\temp\\new~1.doc", L"C:\\WORD.EXE C:\\temp\\new~1.doc"},  // a short name that does not exist
        {L"C:\\notes\\todo.txt  ", L"select"},
    };
    for (const auto& [args, opened] : cases) {
        selectedMark = 5;
        Run(args);
        EXPECT_EQ(fake.opened, Strings{opened}) << args;
        EXPECT_EQ(markTable.UBound(), opened == L"list" ? 6 : opened == L"select" ? 3 : 1) << args;
        EXPECT_EQ(selectedMark, opened == L"list" ? 0 : 5) << args;
        EXPECT_TRUE(fake.boxes.empty()) << args;
    }
    EXPECT_EQ(markCount, 6);
    EXPECT_EQ(selectCount, 3);
    EXPECT_EQ(selectFile, L"C:\\notes\\todo.txt  ");  // the file as given
    EXPECT_EQ(markTable[2].name, L"ビューア");        // the extension's rows in key order
}

TEST_F(Startup, ASecondInstanceOnlySaysSo) {
    fake.anotherInstance = true;
    fake.exeDir = L"D:\\";
    Run(L"C:\\docs\\a.doc");
    EXPECT_EQ(fake.boxes,
              (std::vector<ShownBox>{{L"ﾌﾟﾛｸﾞﾗﾑの二重起動は出来ません", L"TOLVARE", kMbIconStop | kMbOk}}));
    EXPECT_TRUE(fake.opened.empty());
    EXPECT_EQ(fake.lockedProfile, L"D:\\tolvare.ini");  // one instance per profile, whichever exe
}

TEST_F(Startup, AFailedStartOffersTheList) {
    Load(kProfile);
    fake.failing = L"C:\\WORD.EXE";
    for (const int answer : {kIdNo, kIdYes}) {
        fake.answers = {kIdOk, answer};
        Run(L"C:\\a.doc");
        ASSERT_EQ(fake.boxes.size(), 2u);
        EXPECT_EQ(fake.boxes[1], (ShownBox{L"設定を確認しますか？", L"TOLVARE", kMbIconQuestion | kMbYesNo}));
    }
    EXPECT_EQ(fake.opened, Strings{L"list"});  // on Yes, with every registration
    EXPECT_EQ(markCount, 6);
}

TEST_F(Startup, OffersTheEditorForAnUnregisteredExtension) {
    Load(kProfile);
    fake.onEditor = [&] {  // the editor gets every registration and the new row to change; OK saves
        EXPECT_EQ(editorCaller, kCallerStartup);
        EXPECT_EQ(selectedMark, 7);
        EXPECT_EQ(markCount, 7);
        EXPECT_EQ(markTable[7], (MarkRecord{L"PDF", L"", L""}));
        markTable[7].program = L"C:\\PDF.EXE";
        SaveMarkProfileAll(markTable);
    };
    Run(L"C:\\docs\\paper.pdf");
    EXPECT_EQ(fake.opened, (Strings{L"editor", L"C:\\PDF.EXE C:\\docs\\paper.pdf"}));
    EXPECT_EQ(fake.waits, 0);
    fake.onEditor = nullptr;  // cancelled
    Run(L"C:\\docs\\paper.zip");
    EXPECT_EQ(fake.boxes, (std::vector<ShownBox>{
                              {L"拡張子 'ZIP' が登録されていません", L"TOLVARE", kMbIconStop | kMbOk}}));
    EXPECT_EQ(markCount, 7);  // read again: the pending row is gone
}

TEST_F(Startup, WaitsAFewSecondsForAJustRegisteredExtension) {
    // A hand-made line names PDF in its value but not in its key: the lookup misses it until the
    // key appears, and gives up after kRegisteredLookups tries.
    for (const int appearsAfter : {kRegisteredLookups - 1, kRegisteredLookups}) {
        Load(kProfile);
        fake.waits = 0;
        fake.onEditor = [&] { Load(kProfile + L"XYZ_0=PDF,C:\\PDF.EXE,p\r\n"); };
        fake.onWait = [&] {
            if (fake.waits == appearsAfter) SetFile(fake.ToCp932(kProfile + L"PDF_0=PDF,C:\\PDF.EXE,p\r\n"));
        };
        Run(L"C:\\docs\\paper.pdf");
        EXPECT_EQ(fake.waits, kRegisteredLookups - 1);
        EXPECT_EQ(fake.opened.size(), appearsAfter < kRegisteredLookups ? 2u : 1u);
    }
}

TEST_F(Startup, RunProgramStartsTheRegisteredProgramOnly) {
    for (auto file :
         {L"C:\\Program Files\\Edit.exe", L"C:\\t\\My.exe", L"C:\\tools\\app.exe", L"C:\\tools\\app"})
        fake.attributes[file] = 0x20;
    fake.attributes[L"C:\\My Folder\\x.exe"] = kAttrDirectory;
    fake.failing = L"C:\\NOPE.EXE";
    // The platform would try each blank-delimited prefix of an unquoted line: with C:\t\My.exe
    // present, "C:\t\My App\missing.exe" would start My.exe.
    const std::pair<std::wstring, std::wstring> cases[] = {
        // the program, and the command started
        {L"  C:\\E.EXE ", L"C:\\E.EXE C:\\my docs\\a.txt"},  // trimmed; the file unquoted
        {L"C:\\Program Files\\Edit.exe", L"\"C:\\Program Files\\Edit.exe\" C:\\my docs\\a.txt"},
        {L"C:\\tools\\app.exe /x", L"C:\\tools\\app.exe /x C:\\my docs\\a.txt"},
        {L"C:\\t\\My App\\missing.exe", L""},
        {L"C:\\tools\\app /x", L""},  // its extension not written out
        {L"C:\\My Folder\\x.exe", L""},
        {L"   ", L""},
        {L"C:\\NOPE.EXE", L""},
    };
    for (const auto& [program, command] : cases) {
        fake.opened.clear(), fake.boxes.clear();
        EXPECT_EQ(RunProgram(program, L" C:\\my docs\\a.txt ") != 0, !command.empty()) << program;
        EXPECT_EQ(fake.opened, command.empty() ? Strings{} : Strings{command}) << program;
        const ShownBox failure{L"プログラム起動時にエラーが発生しました\r\n" + Trim(program) +
                                   L" C:\\my docs\\a.txt\r\n" + fake.ErrorText(2),
                               L"TOLVARE", kMbIconStop | kMbOk};
        EXPECT_EQ(fake.boxes, command.empty() ? std::vector{failure} : std::vector<ShownBox>{}) << program;
    }
}

}  // namespace
}  // namespace tolvare
