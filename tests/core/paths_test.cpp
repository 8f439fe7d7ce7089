// Long forms of short paths over a scripted directory listing, and the start of programs.
#include <gtest/gtest.h>

#include "core/paths.h"
#include "core/profile.h"
#include "core/startup.h"
#include "tests/native/fake_system.h"

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

TEST_F(RunProgramTest, StartsTheRegisteredProgramOrNone) {
    // The platform would try each blank-delimited prefix of an unquoted line: with C:\t\My.exe
    // present, "C:\t\My App\missing.exe" would start My.exe.
    for (const wchar_t* file :
         {L"C:\\Program Files\\Edit.exe", L"C:\\t\\My.exe", L"C:\\tools\\app.exe", L"C:\\tools\\app"}) {
        fake.attributes[file] = 0x20;
    }
    fake.attributes[L"C:\\My Folder\\x.exe"] = kAttrDirectory;
    struct Case {
        const wchar_t* program;
        const wchar_t* started;  // nullptr: refused as a file that does not exist
    } cases[] = {
        {L"C:\\Program Files\\Edit.exe", L"\"C:\\Program Files\\Edit.exe\" C:\\a.txt"},
        {L"C:\\tools\\app.exe /x", L"C:\\tools\\app.exe /x C:\\a.txt"},  // a program and its arguments
        {L"C:\\NOSPACE.EXE", L"C:\\NOSPACE.EXE C:\\a.txt"},  // no blank: the platform's own answer
        {L"C:\\t\\My App\\missing.exe", nullptr},
        {L"C:\\tools\\app /x", nullptr},     // the extension is not written out
        {L"C:\\My Folder\\x.exe", nullptr},  // a folder is no program
        {L"C:\\Missing Folder\\x.exe", nullptr},
    };
    for (const auto& c : cases) {
        fake.started.clear();
        fake.boxes.clear();
        const uint32_t id = RunProgram(c.program, L"C:\\a.txt");
        if (c.started != nullptr) {
            EXPECT_NE(id, 0u) << c.program;
            EXPECT_EQ(fake.started, std::vector<std::wstring>{c.started}) << c.program;
            continue;
        }
        EXPECT_EQ(id, 0u) << c.program;
        EXPECT_TRUE(fake.started.empty()) << c.program;
        ASSERT_EQ(fake.boxes.size(), 1u) << c.program;
        EXPECT_EQ(fake.boxes[0].text, L"プログラム起動時にエラーが発生しました\r\n" +
                                          std::wstring(c.program) + L" C:\\a.txt\r\n" + fake.ErrorText(2))
            << c.program;
    }
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
    profilePath = dir / L"tolvare.ini";
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
