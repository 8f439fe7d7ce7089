// Start-up's decisions, from the command line and the profile file to the program or window it
// opens, and the paths and command lines of the programs it starts.
#include <gtest/gtest.h>

#include "core/paths.h"
#include "core/profile.h"
#include "core/startup.h"
#include "tests/native/fake_system.h"

namespace tolvare {
namespace {

using testing::ShownBox;

const std::wstring kProfile =
    L"[MARK]\r\nDIR\\README_0=DIR\\README,C:\\R.EXE,r\r\nDOC_0=DOC,C:\\WORD.EXE,ワード\r\n"
    L"HTML_0=HTML,C:\\BROWSE.EXE,b\r\nTXT_0=TXT,C:\\EDIT.EXE,e\r\n"
    L"TXT_1=TXT,C:\\VIEW.EXE,ビューア\r\nTXT_2=TXT,C:\\MORE.EXE,m\r\n";

class Startup : public ::testing::Test {
protected:
    void SetUp() override {
        fake.exeDir = dir.path();
        SetProfile(kProfile);
        // C:\Program Files (PROGRA~1) holds report.html (REPORT~1.HTM).
        fake.attributes = {{L"C:\\PROGRA~1\\REPORT~1.HTM", 0x20}, {L"C:\\PROGRA~1\\", kAttrDirectory}};
        fake.listings = {{{L"C:\\PROGRA~1", true}, L"Program Files"},
                         {{L"C:\\PROGRA~1\\", true}, L"."},
                         {{L"C:\\PROGRA~1\\REPORT~1.HTM", false}, L"report.html"}};
    }
    void SetProfile(const std::wstring& text) {
        test::WriteFileBytes(dir / L"tolvare.ini", fake.ToCp932(text));
    }
    void Run(const std::wstring& args) {
        fake.args = args;
        fake.started.clear();
        fake.windows.clear();
        fake.boxes.clear();
        Main();
    }

    test::TempDir dir;
    testing::FakeSystem fake;
    testing::ScopedSystem scoped{fake};
};

TEST_F(Startup, StartsTheOneProgramOrOpensAWindow) {
    fake.shortNames[L"C:\\BROWSE.EXE"] = L"C:\\BROWSE~1.EXE";
    struct Case {
        const char* label;
        std::wstring args, outcome;  // the command started, or the window opened
        int rows;                    // of the table the window or the start was given
    } cases[] = {
        {"no argument", L"", L"list", 6},
        {"only quotes", L"\"\"", L"list", 6},
        {"no dot", L"C:\\docs\\readme", L"list", 6},
        {"a dot last", L"C:\\docs\\name.", L"list", 6},
        {"a folder", L"C:\\docs.d\\", L"list", 6},
        {"quotes dropped", L"\"C:\\a b\\c.doc\"", L"C:\\WORD.EXE C:\\a b\\c.doc", 1},
        {"upper-cased", L"C:\\x\\report.Html", L"C:\\BROWSE~1.EXE C:\\x\\report.Html", 1},
        {"one path, spaces and all", L"C:\\a.txt C:\\b.doc", L"C:\\WORD.EXE C:\\a.txt C:\\b.doc", 1},
        {"the dot of a folder", L"C:\\my.dir\\readme", L"C:\\R.EXE C:\\my.dir\\readme", 1},
        {"quotes inside", L"C:\\say \"hi\".doc", L"C:\\WORD.EXE C:\\say hi.doc", 1},
        {"a trailing blank", L"\"C:\\a.doc \"", L"C:\\WORD.EXE C:\\a.doc", 1},
        {"the long name's extension", L"C:\\PROGRA~1\\REPORT~1.HTM",
         L"C:\\BROWSE~1.EXE C:\\PROGRA~1\\REPORT~1.HTM", 1},
        {"a short folder", L"C:\\PROGRA~1\\", L"list", 6},
        {"several", L"C:\\notes\\todo.txt  ", L"select", 3},
    };
    for (const auto& c : cases) {
        selectedMark = 5;
        Run(c.args);
        EXPECT_EQ(fake.started.empty() ? fake.windows : fake.started, std::vector<std::wstring>{c.outcome})
            << c.label;
        EXPECT_EQ(markTable.UBound(), c.rows) << c.label;
        EXPECT_EQ(selectedMark, c.outcome == L"list" ? 0 : 5) << c.label;
        EXPECT_TRUE(fake.boxes.empty()) << c.label;
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
    EXPECT_EQ(fake.started.size() + fake.windows.size(), 0u);
    EXPECT_EQ(fake.lockedProfile,
              L"D:\\tolvare.ini");  // copies of the exe that share a profile share the lock
}

TEST_F(Startup, AFailedStartOffersTheList) {
    fake.failing = L"C:\\WORD.EXE";
    for (const int answer : {kIdNo, kIdYes}) {
        fake.answers = {kIdOk, answer};
        Run(L"C:\\a.doc");
        ASSERT_EQ(fake.boxes.size(), 2u);
        EXPECT_EQ(fake.boxes[1], (ShownBox{L"設定を確認しますか？", L"TOLVARE", kMbIconQuestion | kMbYesNo}));
    }
    EXPECT_EQ(fake.windows, std::vector<std::wstring>{L"list"});  // on Yes, with every registration
    EXPECT_EQ(markCount, 6);
}

TEST_F(Startup, OffersTheEditorForAnUnregisteredExtension) {
    fake.onEditor = [&] {  // the editor gets every registration and the new row to change; OK saves
        EXPECT_EQ(editorCaller, kCallerStartup);
        EXPECT_EQ(selectedMark, 7);
        EXPECT_EQ(markCount, 7);
        EXPECT_EQ(markTable[7], (MarkRecord{L"PDF", L"", L""}));
        markTable[7].program = L"C:\\PDF.EXE";
        SaveMarkProfileAll(markTable);
    };
    Run(L"C:\\docs\\paper.pdf");
    EXPECT_EQ(fake.started, std::vector<std::wstring>{L"C:\\PDF.EXE C:\\docs\\paper.pdf"});
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
        SetProfile(kProfile);
        fake.waits = 0;
        fake.onEditor = [&] { SetProfile(kProfile + L"XYZ_0=PDF,C:\\PDF.EXE,p\r\n"); };
        fake.onWait = [&] {
            if (fake.waits == appearsAfter) SetProfile(kProfile + L"PDF_0=PDF,C:\\PDF.EXE,p\r\n");
        };
        Run(L"C:\\docs\\paper.pdf");
        const bool found = appearsAfter < kRegisteredLookups;
        EXPECT_EQ(fake.waits, kRegisteredLookups - 1);
        EXPECT_EQ(fake.started.size(), found ? 1u : 0u);
        EXPECT_EQ(fake.boxes.size(), found ? 0u : 1u);
    }
}

TEST_F(Startup, GetLongPathBuildsThePathFromListedNames) {
    fake.attributes[L"C:\\PROGRA~1\\*~1.HTM"] = 0x20;  // as if the platform had matched a pattern
    fake.listings[{L"C:\\PROGRA~1\\*~1.HTM", false}] = L"other.exe";
    EXPECT_EQ(GetLongPath(L"C:\\PROGRA~1\\REPORT~1.HTM"), L"\\Program Files\\report.html");
    EXPECT_EQ(GetLongPath(L"C:\\PROGRA~1\\"), L"\\Program Files\\.");  // the folder's first entry
    EXPECT_EQ(GetLongPath(L"C:\\PROGRA~1\\*~1.HTM"), L"\\Program Files");
    EXPECT_EQ(GetLongPath(L"C:\\docs\\report.txt"), L"C:\\docs\\report.txt");  // no "~"
    EXPECT_EQ(GetLongPath(L"C:\\temp\\new~1.txt"), L"C:\\temp\\new~1.txt");    // does not exist
}

TEST_F(Startup, RunProgramStartsTheRegisteredProgramOrSaysWhyNot) {
    for (const wchar_t* file :
         {L"C:\\Program Files\\Edit.exe", L"C:\\t\\My.exe", L"C:\\tools\\app.exe", L"C:\\tools\\app"})
        fake.attributes[file] = 0x20;
    fake.attributes[L"C:\\My Folder\\x.exe"] = kAttrDirectory;
    fake.failing = L"C:\\NOPE.EXE";
    // The platform would try each blank-delimited prefix of an unquoted line: with C:\t\My.exe
    // present, "C:\t\My App\missing.exe" would start My.exe.
    struct Case {
        const wchar_t *program, *file;
        std::wstring commandLine;
        bool starts;
    } cases[] = {
        {L"  C:\\E.EXE ", L" C:\\my docs\\a b.txt  ", L"C:\\E.EXE C:\\my docs\\a b.txt", true},
        {L"C:\\Program Files\\Edit.exe", L"C:\\a.txt", L"\"C:\\Program Files\\Edit.exe\" C:\\a.txt", true},
        {L"C:\\tools\\app.exe /x", L"C:\\a.txt", L"C:\\tools\\app.exe /x C:\\a.txt", true},
        {L"C:\\t\\My App\\missing.exe", L"C:\\a.txt", L"C:\\t\\My App\\missing.exe C:\\a.txt", false},
        {L"C:\\tools\\app /x", L"C:\\a.txt", L"C:\\tools\\app /x C:\\a.txt", false},  // no extension written
        {L"C:\\My Folder\\x.exe", L"C:\\a.txt", L"C:\\My Folder\\x.exe C:\\a.txt", false},
        {L"   ", L"C:\\a.txt", L" C:\\a.txt", false},
        {L"C:\\NOPE.EXE", L"C:\\a.txt", L"C:\\NOPE.EXE C:\\a.txt", false},
    };
    for (const auto& c : cases) {
        fake.started.clear();
        fake.boxes.clear();
        EXPECT_EQ(RunProgram(c.program, c.file) != 0, c.starts) << c.program;
        const ShownBox failure{L"プログラム起動時にエラーが発生しました\r\n" + c.commandLine + L"\r\n" +
                                   fake.ErrorText(2),
                               L"TOLVARE", kMbIconStop | kMbOk};
        EXPECT_EQ(fake.started, c.starts ? std::vector{c.commandLine} : std::vector<std::wstring>{})
            << c.program;
        EXPECT_EQ(fake.boxes, c.starts ? std::vector<ShownBox>{} : std::vector{failure}) << c.program;
    }
}

}  // namespace
}  // namespace tolvare
