// Start-up's decisions, from the command line and the profile file to the window it opens.
#include <gtest/gtest.h>

#include "core/profile.h"
#include "core/startup.h"
#include "tests/native/fake_system.h"

namespace tolvare {
namespace {

using testing::Cp932;
using testing::FakeSystem;
using testing::ReadBytes;
using testing::ScopedSystem;
using testing::TempDir;
using testing::WriteBytes;

constexpr wchar_t kProfile[] = L"[MARK]\r\n"
                               L"DIR\\README_0=DIR\\README,C:\\R.EXE,r\r\n"
                               L"DOC_0=DOC,C:\\WORD.EXE,ワード\r\n"
                               L"HTML_0=HTML,C:\\BROWSE.EXE,ブラウザ\r\n"
                               L"TXT_0=TXT,C:\\EDIT.EXE,エディタ\r\n"
                               L"TXT_1=TXT,C:\\VIEW.EXE,ビューア\r\n"
                               L"TXT_2=TXT,C:\\MORE.EXE,もっと\r\n";

class MainTest : public ::testing::Test {
protected:
    void SetUp() override {
        fake.exeDir = dir.path();
        WriteBytes(dir / L"tolvare.ini", Cp932(kProfile));
        selectCount = 0;
        selectFile.clear();
    }
    void Run(const std::wstring& args) {
        fake.args = args;
        Main();
    }

    TempDir dir;
    FakeSystem fake;
    ScopedSystem scoped{fake};
};

TEST_F(MainTest, ASecondInstanceOnlySaysSo) {
    fake.anotherInstance = true;
    Run(L"C:\\docs\\a.doc");
    ASSERT_EQ(fake.boxes.size(), 1u);
    EXPECT_EQ(fake.boxes[0].text, L"ﾌﾟﾛｸﾞﾗﾑの二重起動は出来ません");
    EXPECT_EQ(fake.boxes[0].title, L"TOLVARE");
    EXPECT_EQ(fake.boxes[0].style, kMbIconStop | kMbOk);
    EXPECT_TRUE(fake.started.empty());
    EXPECT_TRUE(fake.windows.empty());
    // Every copy of the exe that shares this profile shares the lock.
    EXPECT_EQ(fake.lockedProfile, fake.exeDir + L"\\tolvare.ini");
}

TEST_F(MainTest, ProfileLivesBesideTheExecutable) {
    fake.exeDir = L"C:\\Tools";
    Run(L"");
    EXPECT_EQ(profilePath, L"C:\\Tools\\tolvare.ini");
    fake.exeDir = L"D:\\";
    Run(L"");
    EXPECT_EQ(profilePath, L"D:\\tolvare.ini");
}

TEST_F(MainTest, OpensTheListWhenThereIsNoExtension) {
    for (const wchar_t* args : {L"", L"\"\"", L"C:\\docs\\readme", L"C:\\docs\\name.", L"C:\\docs.d\\"}) {
        fake.windows.clear();
        markTable.Erase();
        selectedMark = 5;
        Run(args);
        EXPECT_EQ(fake.windows, (std::vector<std::wstring>{L"list"})) << args;
        EXPECT_EQ(markCount, 6) << args;  // every registration, not only one extension's
        EXPECT_EQ(markTable.UBound(), 6) << args;
        EXPECT_EQ(selectedMark, 0) << args;
    }
    EXPECT_TRUE(fake.started.empty());
}

TEST_F(MainTest, OneRegistrationStartsAtOnce) {
    fake.shortNames[L"C:\\EDIT.EXE"] = L"C:\\EDIT~1.EXE";
    struct Case {
        const wchar_t* args;
        const wchar_t* started;
    } cases[] = {
        {L"\"C:\\a b\\c.doc\"", L"C:\\WORD.EXE C:\\a b\\c.doc"},        // quotes dropped
        {L"C:\\x\\report.Html", L"C:\\BROWSE.EXE C:\\x\\report.Html"},  // extension upper-cased
        {L"C:\\a.txt C:\\b.doc", L"C:\\WORD.EXE C:\\a.txt C:\\b.doc"},  // one path, spaces and all
        {L"C:\\my.dir\\readme", L"C:\\R.EXE C:\\my.dir\\readme"},       // the dot of a folder
        {L"C:\\say \"hi\".doc", L"C:\\WORD.EXE C:\\say hi.doc"},
        {L"\"C:\\a.doc \"", L"C:\\WORD.EXE C:\\a.doc"},  // a trailing blank is no part of the extension
    };
    for (const auto& c : cases) {
        fake.started.clear();
        Run(c.args);
        EXPECT_EQ(fake.started, (std::vector<std::wstring>{c.started})) << c.args;
    }
    EXPECT_TRUE(fake.windows.empty());
    EXPECT_TRUE(fake.boxes.empty());
}

TEST_F(MainTest, AShortFormArgumentIsLookedUpByItsLongName) {
    fake.attributes[L"C:\\PROGRA~1\\REPORT~1.HTM"] = 0x20;
    fake.listings[{L"C:\\PROGRA~1", true}] = L"Program Files";
    fake.listings[{L"C:\\PROGRA~1\\REPORT~1.HTM", false}] = L"report.html";
    Run(L"C:\\PROGRA~1\\REPORT~1.HTM");
    // HTML, not HTM; the program still receives the short form.
    EXPECT_EQ(fake.started, (std::vector<std::wstring>{L"C:\\BROWSE.EXE C:\\PROGRA~1\\REPORT~1.HTM"}));
}

TEST_F(MainTest, SeveralRegistrationsOpenTheSelection) {
    Run(L"C:\\notes\\todo.txt  ");
    EXPECT_EQ(fake.windows, (std::vector<std::wstring>{L"select"}));
    EXPECT_EQ(selectCount, 3);
    EXPECT_EQ(selectFile, L"C:\\notes\\todo.txt  ");  // the file as given
    ASSERT_EQ(markTable.UBound(), 3);                 // only the extension's rows, in key order
    EXPECT_EQ(markTable[2].name, L"ビューア");
    EXPECT_TRUE(fake.started.empty());
}

TEST_F(MainTest, AFailedStartOffersTheList) {
    fake.failingPrograms = {L"C:\\WORD.EXE"};
    fake.answers = {kIdOk, kIdYes};
    Run(L"C:\\a.doc");
    ASSERT_EQ(fake.boxes.size(), 2u);
    EXPECT_EQ(fake.boxes[1].text, L"設定を確認しますか？");
    EXPECT_EQ(fake.windows, (std::vector<std::wstring>{L"list"}));
    EXPECT_EQ(markCount, 6);

    fake.boxes.clear();
    fake.windows.clear();
    fake.answers = {kIdOk, kIdNo};
    Run(L"C:\\a.doc");
    EXPECT_EQ(fake.boxes.size(), 2u);
    EXPECT_TRUE(fake.windows.empty());
}

TEST_F(MainTest, AnUnregisteredExtensionIsRegisteredThenOpened) {
    fake.onEditor = [&] {
        // The editor was handed every registration plus the new row, and asked to change it.
        EXPECT_EQ(editorCaller, kCallerStartup);
        EXPECT_EQ(markCount, 7);
        EXPECT_EQ(selectedMark, 7);
        EXPECT_EQ(markTable[7], (MarkRecord{L"PDF", L"", L""}));
        markTable[7].program = L"C:\\PDF.EXE";
        markTable[7].name = L"PDF";
        SaveMarkProfileAll(markTable);
    };
    Run(L"C:\\docs\\paper.pdf");
    EXPECT_EQ(fake.windows, (std::vector<std::wstring>{L"editor"}));
    EXPECT_EQ(fake.started, (std::vector<std::wstring>{L"C:\\PDF.EXE C:\\docs\\paper.pdf"}));
    EXPECT_NE(ReadBytes(dir / L"tolvare.ini").find("PDF_0=PDF,C:\\PDF.EXE,PDF\r\n"), std::string::npos);
    EXPECT_TRUE(fake.waits.empty());
}

TEST_F(MainTest, ACancelledEditorLeavesTheExtensionUnregistered) {
    Run(L"C:\\docs\\paper.pdf");
    EXPECT_EQ(fake.windows, (std::vector<std::wstring>{L"editor"}));
    ASSERT_EQ(fake.boxes.size(), 1u);
    EXPECT_EQ(fake.boxes[0].text, L"拡張子 'PDF' が登録されていません");
    EXPECT_EQ(fake.boxes[0].style, kMbIconStop | kMbOk);
    EXPECT_EQ(markCount, 6);  // reloaded: the pending row is gone
}

TEST_F(MainTest, ARegistrationWhoseSaveIsDeclinedIsNotStored) {
    // A blank line hides the rows after it from the list: the save asks, and No stores nothing.
    const std::string incomplete = Cp932(std::wstring(kProfile) + L"\r\nZIP_0=ZIP,C:\\Z.EXE,z\r\n");
    WriteBytes(dir / L"tolvare.ini", incomplete);
    fake.onEditor = [&] {
        markTable[markCount].program = L"C:\\PDF.EXE";
        EXPECT_EQ(SaveMarkProfileAll(markTable), SaveResult::kDeclined);
    };
    fake.answers = {kIdNo};
    Run(L"C:\\docs\\paper.pdf");
    EXPECT_EQ(ReadBytes(dir / L"tolvare.ini"), incomplete);
    ASSERT_EQ(fake.boxes.size(), 2u);
    EXPECT_EQ(fake.boxes[1].text, L"拡張子 'PDF' が登録されていません");
    EXPECT_TRUE(fake.started.empty());
}

TEST_F(MainTest, TheWaitForANewRegistrationIsBounded) {
    // A hand-made line names PDF in its value but not in its key: the lookup never finds it.
    fake.onEditor = [&] {
        WriteBytes(dir / L"tolvare.ini", Cp932(std::wstring(kProfile) + L"XYZ_0=PDF,C:\\PDF.EXE,p\r\n"));
    };
    Run(L"C:\\docs\\paper.pdf");
    EXPECT_EQ(fake.waits.size(), static_cast<size_t>(kRegisteredLookups - 1));
    EXPECT_EQ(fake.now, 1000 + 1000 * (kRegisteredLookups - 1));
    ASSERT_EQ(fake.boxes.size(), 1u);
    EXPECT_EQ(fake.boxes[0].text, L"拡張子 'PDF' が登録されていません");
}

TEST_F(MainTest, ARegistrationThatShowsUpLateIsFound) {
    fake.onEditor = [&] {
        WriteBytes(dir / L"tolvare.ini", Cp932(std::wstring(kProfile) + L"XYZ_0=PDF,C:\\PDF.EXE,p\r\n"));
    };
    // While start-up waits, the key appears.
    fake.onWait = [&] {
        WriteBytes(dir / L"tolvare.ini", Cp932(std::wstring(kProfile) + L"PDF_0=PDF,C:\\PDF.EXE,p\r\n"));
    };
    Run(L"C:\\docs\\paper.pdf");
    EXPECT_EQ(fake.waits.size(), 1u);
    EXPECT_EQ(fake.started, (std::vector<std::wstring>{L"C:\\PDF.EXE C:\\docs\\paper.pdf"}));
}

}  // namespace
}  // namespace tolvare
