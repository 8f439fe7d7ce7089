// The core over the scripted system: the profile file read whole and per extension, written with
// its backup after the save question, and start-up's decisions down to the programs it starts.
#include <gtest/gtest.h>

#include "core/paths.h"
#include "core/profile.h"
#include "core/startup.h"
#include "core/text.h"
#include "tests/native/fake_system.h"

namespace tolvare {
namespace {

using Bytes = std::optional<std::string>;  // a file's bytes; nothing when it does not exist
using Boxes = std::vector<testing::ShownBox>;
using Strings = std::vector<std::wstring>;
using testing::RowsOf;

const std::wstring kProfile =
    L"[MARK]\r\nDIR\\README_0=DIR\\README,C:\\R.EXE,r\r\nDOC_0=DOC,C:\\WORD.EXE,w\r\n"
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
    // The boxes `operation` shows on failures, one per beep; the boxes shown cut after a line.
    Boxes Failures(const wchar_t* operation) {
        for (auto& [text, title, style] : fake.boxes) text.resize(text.find(L'\n') + 1);
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
    const std::wstring text =
        L"[MARK]\r\nTXT_0=TXT,C:\\ツール\\文書.exe,ｴﾃﾞｨﾀ\r\nTXT_1=nodata\r\nTXT_2=X\r\n";
    const std::string utf8 = reinterpret_cast<const char*>(
        u8"[MARK]\r\nTXT_0=TXT,C:\\ツール\\文書.exe,ｴﾃﾞｨﾀ\r\nTXT_1=nodata\r\nTXT_2=X\r\n");
    std::string le = "\xFF\xFE", be = "\xFE\xFF";
    for (const wchar_t c : text) le += {char(c), char(c >> 8)}, be += {char(c >> 8), char(c)};
    for (const auto& bytes : {fake.ToCp932(text), "\xEF\xBB\xBF" + utf8, utf8, le, be}) {
        SetFile(bytes);
        GetMarkProfile(markTable, L"txt");  // stops at the value "nodata"
        EXPECT_EQ(RowsOf(markTable), L"TXT,C:\\ツール\\文書.exe,ｴﾃﾞｨﾀ") << ::testing::PrintToString(bytes);
        GetMarkProfileAll(markTable);
        EXPECT_EQ(RowsOf(markTable), L"TXT,C:\\ツール\\文書.exe,ｴﾃﾞｨﾀ | nodata,, | X,,");
    }
}

TEST_F(Profile, AFailedReadAsksAbortRetryIgnore) {
    dir.MakeDir(L"tolvare.ini");  // a folder where the file should be
    fake.answers = {kIdRetry, kIdIgnore};
    EXPECT_EQ(GetMarkProfileAll(markTable), 0);
    EXPECT_EQ(fake.beeps, 2);  // Ignore cannot skip a failed open: it ends the read
    EXPECT_EQ(fake.boxes, Failures(L"GetMarkProfileAll"));
    EXPECT_FALSE(loadedProfile.complete);
}

TEST_F(Profile, OneExtensionReadsItsFirstTenConsecutiveKeys) {
    std::wstring text = L"[MARK]\r\nDOC_0=DOC,d\r\n";  // keys in any order; the mark from the value
    for (int i : {10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0})
        text += L"TXT_" + std::to_wstring(i) + L"=T" + std::to_wstring(i) + L"\r\n";
    Load(text);
    EXPECT_EQ(markTable.UBound(), 12);  // every line, for the list
    GetMarkProfile(markTable, L"Txt");
    EXPECT_EQ(RowsOf(markTable), L"T0,, | T1,, | T2,, | T3,, | T4,, | T5,, | T6,, | T7,, | T8,, | T9,,");
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
    } cases[] = {{one, one, 0},           {{}, {}, 0},
                 {hidden, hidden, kIdNo}, {hidden, hidden, kIdYes},
                 {one, one + "C", kIdNo}, {{}, one, kIdYes},
                 {one, {}, kIdNo},        {one, {}, kIdYes}};
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
        // The next save (Apply, then OK) replaces the file the first one wrote without asking.
        fake.boxes.clear();
        if (saves) SaveMarkProfileAll(markTable);
        EXPECT_TRUE(fake.boxes.empty());
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
        {"create", {1}, {kIdIgnore}, old, ""},                   // nothing to go on with: ends like Abort
        {"create", {1, 2}, {kIdRetry, kIdRetry}, "[MARK]\r\n" + doc + txt, old},
        {"write", {2}, {kIdAbort}, old, ""},
        {"write", {1}, {kIdRetry}, "[MARK]\r\n" + doc + txt, old},  // from the start again
        {"write", {1, 2}, {kIdIgnore, kIdIgnore}, txt, old},
        {"replace", {1}, {kIdAbort}, old, ""},
        {"replace", {1}, {kIdRetry}, "[MARK]\r\n" + doc + txt, old},
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
        EXPECT_EQ(File(L".bk"), c.backup.empty() ? File(L".bk") : c.backup);
        EXPECT_EQ(fake.ListFiles(dir / L"*").size(), 2u);  // nothing left behind
        EXPECT_EQ(fake.beeps, static_cast<int>(c.answers.size()));
        EXPECT_EQ(fake.boxes, Failures(L"SaveMarkProfileAll"));
    }
    EXPECT_EQ(RowsOf(markTable), L"DOC,X\xE9.EXE,文書 | TXT,A,エディタ | TXT,B.EXE,ビューア");  // sorted too
    // Marks that differ in case form one group only where the sort puts them side by side.
    markTable.Rows() = {{L"txt", L"c", L"n"},
                        {L"ZIP", L"z", L"n"},
                        {L"TXT", L"t", L"n"},
                        {L"txt", L"d", L"o"}};
    SaveMarkProfileAll(markTable);
    EXPECT_EQ(File(), "[MARK]\r\nTXT_0=TXT,t,n\r\nZIP_0=ZIP,z,n\r\nTXT_0=TXT,c,n\r\nTXT_1=TXT,d,o\r\n");
    markTable.Erase();  // an empty table leaves only the backup
    SaveMarkProfileAll(markTable);
    EXPECT_EQ(fake.ListFiles(dir / L"*"), Strings{L"tolvare.ini.bk"});
}

TEST_F(Startup, StartsTheOneProgramOrOpensAWindow) {
    Load(kProfile);
    fake.shortNames[L"C:\\BROWSE.EXE"] = L"C:\\BROWSE~1.EXE";
    // C:\Program Files (PROGRA~1) holds report.html (REPORT~1.HTM).
    fake.attributes = {{L"C:\\PROGRA~1\\REPORT~1.HTM", 0x20}, {L"C:\\PROGRA~1\\", kAttrDirectory}};
    fake.listings = {{{L"C:\\PROGRA~1", true}, L"Program Files"},
                     {{L"C:\\PROGRA~1\\", true}, L"."},
                     {{L"C:\\PROGRA~1\\REPORT~1.HTM", false}, L"report.html"}};
    for (const std::wstring args :
         {L"", L"\"\"", L"C:\\readme", L"C:\\name.", L"C:\\a.d\\", L"C:\\PROGRA~1\\"}) {
        selectedMark = 5;
        Run(args);
        EXPECT_EQ(fake.opened, Strings{L"list"}) << args;  // with every registration, none selected
        EXPECT_EQ(markTable.UBound() + selectedMark, 6) << args;
    }
    const std::pair<std::wstring, std::wstring> starts[] = {
        // the argument, and the command started
        {L"\"C:\\a b\\c.doc\"", L"C:\\WORD.EXE C:\\a b\\c.doc"},
        {L"C:\\x\\report.Html", L"C:\\BROWSE~1.EXE C:\\x\\report.Html"},
        {L"C:\\a.txt C:\\b.doc", L"C:\\WORD.EXE C:\\a.txt C:\\b.doc"},  // one path, blanks and all
        {L"C:\\my.dir\\readme", L"C:\\R.EXE C:\\my.dir\\readme"},
        {L"C:\\say \"hi\".doc", L"C:\\WORD.EXE C:\\say hi.doc"},
        {L"\"C:\\a.doc \"", L"C:\\WORD.EXE C:\\a.doc"},  // a trailing blank is no part of the extension
        {L"C:\\PROGRA~1\\REPORT~1.HTM", L"C:\\BROWSE~1.EXE C:\\PROGRA~1\\REPORT~1.HTM"},
        {L"C:\\temp\\new~1.doc", L"C:\\WORD.EXE C:\\temp\\new~1.doc"},  // a short name that does not exist
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
    EXPECT_EQ(RowsOf(markTable), L"TXT,C:\\EDIT.EXE,e | TXT,C:\\VIEW.EXE,ビューア | TXT,C:\\MORE.EXE,m");
}

TEST_F(Startup, ASecondInstanceOnlySaysSo) {
    fake.anotherInstance = true;
    fake.exeDir = L"D:\\";
    Run(L"C:\\docs\\a.doc");
    EXPECT_EQ(fake.boxes, (Boxes{{L"ﾌﾟﾛｸﾞﾗﾑの二重起動は出来ません", L"TOLVARE", kMbIconStop | kMbOk}}));
    EXPECT_TRUE(fake.opened.empty());
    EXPECT_EQ(fake.lockedProfile, L"D:\\tolvare.ini");  // one instance per profile, whichever exe
}

TEST_F(Startup, AFailedStartOffersTheList) {
    Load(kProfile);
    fake.failing = L"C:\\WORD.EXE";
    fake.answers = {kIdOk, kIdYes};
    Run(L"C:\\a.doc");
    EXPECT_EQ(fake.boxes.at(1),
              (testing::ShownBox{L"設定を確認しますか？", L"TOLVARE", kMbIconQuestion | kMbYesNo}));
    EXPECT_EQ(fake.opened, Strings{L"list"});  // with every registration
    EXPECT_EQ(markCount, 6);
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
    // A hand-made line names XYZ in its value but not in its key: the lookup misses it until the
    // key appears (here while start-up waits before its last try), and gives up after that.
    fake.onEditor = [&] { Load(kProfile + L"X_0=XYZ,C:\\XYZ.EXE\r\n"); };
    fake.onWait = [&] {
        if (fake.waits == kRegisteredLookups - 1)
            SetFile(fake.ToCp932(kProfile + L"XYZ_0=XYZ,C:\\XYZ.EXE\r\n"));
    };
    Run(L"C:\\a.xyz");
    EXPECT_EQ(fake.opened, (Strings{L"editor", L"C:\\XYZ.EXE C:\\a.xyz"}));
    Load(kProfile);
    fake.onWait = nullptr;  // the key never appears
    Run(L"C:\\a.xyz");
    EXPECT_EQ(fake.opened, Strings{L"editor"});
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
        const std::wstring why =
            L"プログラム起動時にエラーが発生しました\r\n" + Trim(program) + L" C:\\my docs\\a.txt\r\n";
        const Boxes failed{{why + fake.ErrorText(2), L"TOLVARE", kMbIconStop | kMbOk}};
        EXPECT_EQ(fake.boxes, command.empty() ? failed : Boxes{}) << program;
    }
}

}  // namespace
}  // namespace tolvare
