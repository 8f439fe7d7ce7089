// Long forms of short paths over a scripted directory listing, and the start of programs.
#include <gtest/gtest.h>

#include "core/paths.h"
#include "core/profile.h"
#include "core/startup.h"
#include "tests/core/fake_system.h"

namespace tolvare {
namespace {

using testing::FakeSystem;
using testing::ScopedSystem;

class GetLongPathTest : public ::testing::Test {
protected:
    void SetUp() override {
        // C:\Program Files (PROGRA~1) holds report.html (REPORT~1.HTM) and a hidden .secret file.
        fake.attributes = {{L"C:\\PROGRA~1\\REPORT~1.HTM", 0x20},
                           {L"C:\\PROGRA~1\\", kAttrDirectory},
                           {L"C:\\PROGRA~1\\SECRET~1.TXT", 0x22}};
        fake.listings = {{{L"C:\\PROGRA~1", true}, L"Program Files"},
                         {{L"C:\\PROGRA~1\\REPORT~1.HTM", false}, L"report.html"},
                         {{L"C:\\PROGRA~1\\", true}, L"."},
                         {{L"C:\\PROGRA~1\\SECRET~1.TXT", false}, L"secret notes.txt"}};
    }
    FakeSystem fake;
    ScopedSystem scoped{fake};
};

TEST_F(GetLongPathTest, BuildsTheLongNamesWithoutTheDrive) {
    EXPECT_EQ(GetLongPath(L"C:\\PROGRA~1\\REPORT~1.HTM"), L"\\Program Files\\report.html");
    EXPECT_EQ(GetLongPath(L"C:\\PROGRA~1\\SECRET~1.TXT"), L"\\Program Files\\secret notes.txt");
    // A folder path ending in "\" gets its first entry appended: no extension to find there.
    EXPECT_EQ(GetLongPath(L"C:\\PROGRA~1\\"), L"\\Program Files\\.");
}

TEST_F(GetLongPathTest, LeavesOtherPathsAlone) {
    EXPECT_EQ(GetLongPath(L"C:\\docs\\report.txt"), L"C:\\docs\\report.txt");  // no "~"
    EXPECT_EQ(GetLongPath(L"C:\\temp\\new~1.txt"), L"C:\\temp\\new~1.txt");    // does not exist
}

TEST_F(GetLongPathTest, NeverLooksUpWildcards) {
    fake.attributes[L"C:\\PROGRA~1\\*~1.HTM"] = 0x20;  // as if the platform had matched it
    fake.listings[{L"C:\\PROGRA~1\\*~1.HTM", false}] = L"other.exe";
    EXPECT_EQ(GetLongPath(L"C:\\PROGRA~1\\*~1.HTM"), L"\\Program Files");
}

class RunProgramTest : public ::testing::Test {
protected:
    FakeSystem fake;
    ScopedSystem scoped{fake};
};

TEST_F(RunProgramTest, StartsTheTrimmedProgramWithTheFileUnquoted) {
    EXPECT_EQ(RunProgram(L"  C:\\PROGRA~1\\EDIT.EXE ", L" C:\\my docs\\a b.txt  "), 4242u);
    ASSERT_EQ(fake.started.size(), 1u);
    EXPECT_EQ(fake.started[0], L"C:\\PROGRA~1\\EDIT.EXE C:\\my docs\\a b.txt");
    EXPECT_TRUE(fake.boxes.empty());
}

TEST_F(RunProgramTest, QuotesAnExistingProgramThatKeptItsSpaces) {
    fake.attributes[L"C:\\Program Files\\Edit.exe"] = 0x20;
    RunProgram(L"C:\\Program Files\\Edit.exe", L"C:\\a.txt");
    RunProgram(L"C:\\Missing Folder\\x.exe", L"C:\\a.txt");  // not a file: as given
    EXPECT_EQ(fake.started, (std::vector<std::wstring>{L"\"C:\\Program Files\\Edit.exe\" C:\\a.txt",
                                                      L"C:\\Missing Folder\\x.exe C:\\a.txt"}));
}

TEST_F(RunProgramTest, AFailedStartSaysWhyOnThreeLines) {
    fake.failingPrograms = {L"C:\\NOPE.EXE"};
    EXPECT_EQ(RunProgram(L"C:\\NOPE.EXE", L"C:\\a.txt"), 0u);
    ASSERT_EQ(fake.boxes.size(), 1u);
    EXPECT_EQ(fake.boxes[0].text, L"プログラム起動時にエラーが発生しました\r\nC:\\NOPE.EXE C:\\a.txt\r\n"
                                  L"The system cannot find the file specified.");
    EXPECT_EQ(fake.boxes[0].title, L"TOLVARE");
    EXPECT_EQ(fake.boxes[0].style, kMbIconStop | kMbOk);
}

TEST_F(RunProgramTest, AnEmptyProgramIsAFailedStart) {
    EXPECT_EQ(RunProgram(L"   ", L"C:\\a.txt"), 0u);
    EXPECT_TRUE(fake.started.empty());
    ASSERT_EQ(fake.boxes.size(), 1u);
    EXPECT_EQ(fake.boxes[0].text.rfind(L"プログラム起動時にエラーが発生しました\r\n C:\\a.txt\r\n", 0), 0u);
}

TEST_F(RunProgramTest, LaunchUsesTheShortFormAndOffersTheListOnFailure) {
    testing::TempDir dir;
    profilePath = dir.File(L"tolvare.ini");
    markTable.Rows() = {{L"TXT", L"C:\\Long Name\\edit.exe", L"e"}};
    fake.shortNames[L"C:\\Long Name\\edit.exe"] = L"C:\\LONGNA~1\\EDIT.EXE";
    LaunchMarkRow(1, L"C:\\a.txt", false);
    EXPECT_EQ(fake.started, (std::vector<std::wstring>{L"C:\\LONGNA~1\\EDIT.EXE C:\\a.txt"}));
    EXPECT_EQ(markTable[1].program, L"C:\\LONGNA~1\\EDIT.EXE");  // the row in memory changes
    EXPECT_TRUE(fake.windows.empty());

    fake.failingPrograms = {L"C:\\LONGNA~1"};
    fake.answers = {kIdOk, kIdYes};
    LaunchMarkRow(1, L"C:\\a.txt", true);
    ASSERT_EQ(fake.boxes.size(), 2u);
    EXPECT_EQ(fake.boxes[1].text, L"設定を確認しますか？");
    EXPECT_EQ(fake.boxes[1].style, kMbIconQuestion | kMbYesNo);
    EXPECT_EQ(fake.windows, (std::vector<std::wstring>{L"list-modal"}));
}

}  // namespace
}  // namespace tolvare
