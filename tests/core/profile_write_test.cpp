// Writing the profile file: its exact bytes, the backup, and what failures leave behind.
#include <gtest/gtest.h>

#include "core/profile.h"
#include "core/startup.h"
#include "tests/core/fake_system.h"

namespace tolvare {
namespace {

using testing::Cp932;
using testing::Exists;
using testing::FakeSystem;
using testing::ReadBytes;
using testing::ScopedSystem;
using testing::TempDir;
using testing::WriteBytes;

class ProfileWriteTest : public ::testing::Test {
protected:
    void SetUp() override {
        profilePath = dir.File(L"tolvare.ini");
        backupPath = profilePath + L".bk";
        markTable.Erase();
    }
    void SetTable(std::vector<MarkRecord> rows) { markTable.Rows() = std::move(rows); }
    std::string Profile() const { return ReadBytes(profilePath); }
    // The folder holds exactly these file names.
    std::vector<std::wstring> Files() const {
        std::vector<std::wstring> names;
        for (const auto& e : std::filesystem::directory_iterator(dir.path())) names.push_back(e.path().filename().wstring());
        std::sort(names.begin(), names.end());
        return names;
    }

    TempDir dir;
    std::wstring backupPath;
    FakeSystem fake;
    ScopedSystem scoped{fake};
};

TEST_F(ProfileWriteTest, WritesGroupsSortedByMarkThenName) {
    SetTable({{L"TXT", L"C:\\B.EXE", L"B"}, {L"DOC", L"C:\\X.EXE", L"X"}, {L"TXT", L"C:\\A.EXE", L"A"}});
    SaveMarkProfileAll(markTable);
    EXPECT_EQ(Profile(),
              "[MARK]\r\nDOC_0=DOC,C:\\X.EXE,X\r\nTXT_0=TXT,C:\\A.EXE,A\r\nTXT_1=TXT,C:\\B.EXE,B\r\n");
    EXPECT_EQ(markTable.Rows(), (std::vector<MarkRecord>{{L"DOC", L"C:\\X.EXE", L"X"},
                                                         {L"TXT", L"C:\\A.EXE", L"A"},
                                                         {L"TXT", L"C:\\B.EXE", L"B"}}));
    EXPECT_TRUE(fake.boxes.empty());
    EXPECT_EQ(Files(), (std::vector<std::wstring>{L"tolvare.ini"}));  // no backup of nothing, no leftovers
}

TEST_F(ProfileWriteTest, WritesJapaneseInCodePage932) {
    SetTable({{L"TXT", L"C:\\TOOLS\\EDIT.EXE", L"エディタ"}, {L"TXT", L"C:\\TOOLS\\VIEW.EXE", L"ビューア"},
              {L"DOC", L"C:\\TOOLS\\DOCVIEW.EXE", L"文書ビューア"}});
    SaveMarkProfileAll(markTable);
    EXPECT_EQ(Profile(), Cp932(L"[MARK]\r\nDOC_0=DOC,C:\\TOOLS\\DOCVIEW.EXE,文書ビューア\r\n"
                               L"TXT_0=TXT,C:\\TOOLS\\EDIT.EXE,エディタ\r\n"
                               L"TXT_1=TXT,C:\\TOOLS\\VIEW.EXE,ビューア\r\n"));
}

TEST_F(ProfileWriteTest, GroupsMarksByTheirUpperCaseWhenAdjacent) {
    // Lower case sorts after upper case, so TXT and txt meet only when nothing lies between.
    SetTable({{L"txt", L"c", L"n"}, {L"ZIP", L"z", L"n"}, {L"TXT", L"t", L"n"}});
    SaveMarkProfileAll(markTable);
    EXPECT_EQ(Profile(), "[MARK]\r\nTXT_0=TXT,t,n\r\nZIP_0=ZIP,z,n\r\nTXT_0=TXT,c,n\r\n");
    EXPECT_EQ(markTable[3].mark, L"txt");  // the rows themselves keep their case

    SetTable({{L"txt", L"c", L"n"}, {L"TXT", L"t", L"n"}});
    SaveMarkProfileAll(markTable);
    EXPECT_EQ(Profile(), "[MARK]\r\nTXT_0=TXT,t,n\r\nTXT_1=TXT,c,n\r\n");
}

TEST_F(ProfileWriteTest, KeepsThePreviousFileAsBackup) {
    const std::string handEdited = "; mine\r\n[OPTIONS]\r\nx=1\r\n[MARK]\r\nTXT_0=TXT,a,b\r\n";
    WriteBytes(profilePath, handEdited);
    SetTable({{L"TXT", L"a", L"b"}});
    SaveMarkProfileAll(markTable);
    EXPECT_EQ(ReadBytes(backupPath), handEdited);  // other sections survive in the backup only
    EXPECT_EQ(Profile(), "[MARK]\r\nTXT_0=TXT,a,b\r\n");

    SetTable({{L"DOC", L"d", L"e"}});
    SaveMarkProfileAll(markTable);
    EXPECT_EQ(ReadBytes(backupPath), "[MARK]\r\nTXT_0=TXT,a,b\r\n");
    EXPECT_EQ(Files(), (std::vector<std::wstring>{L"tolvare.ini", L"tolvare.ini.bk"}));
}

TEST_F(ProfileWriteTest, AnEmptyTableLeavesOnlyTheBackup) {
    WriteBytes(profilePath, "[MARK]\r\nTXT_0=TXT,a,b\r\n");
    SaveMarkProfileAll(markTable);
    EXPECT_FALSE(Exists(profilePath));
    EXPECT_EQ(ReadBytes(backupPath), "[MARK]\r\nTXT_0=TXT,a,b\r\n");
    EXPECT_EQ(GetMarkProfileAll(markTable), 0);
    EXPECT_TRUE(fake.boxes.empty());
}

TEST_F(ProfileWriteTest, WhatIsWrittenReadsBackAsTheTable) {
    SetTable({{L"HTML", L"C:\\Program Files\\ブラウザ\\b.exe", L"ブラウザ\xFF0C新"},
              {L"HTML", L"C:\\w.exe", L""},
              {L"ｶﾅ", L"C:\\k.exe", L"ｶﾅ"}});
    SaveMarkProfileAll(markTable);
    const auto saved = markTable.Rows();
    EXPECT_EQ(GetMarkProfileAll(markTable), 3);
    EXPECT_EQ(markTable.Rows(), saved);
    EXPECT_EQ(GetMarkProfile(markTable, L"html"), 2);
    EXPECT_EQ(markTable[1], saved[0]);
    EXPECT_EQ(markTable[2], saved[1]);
}

struct FailureCase {
    const char* label;
    int failCreates, failWrites, failReplaces;
    std::vector<int> answers;
    bool newProfile;  // otherwise the old one stays untouched
    size_t boxes;
};

void PrintTo(const FailureCase& c, std::ostream* os) { *os << c.label; }

class SaveFailureTest : public ProfileWriteTest, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(SaveFailureTest, LeavesTheOldOrTheNewProfileWhole) {
    const auto& c = GetParam();
    const std::string old = "[MARK]\r\nOLD_0=OLD,o,p\r\n";
    WriteBytes(profilePath, old);
    SetTable({{L"NEW", L"n", L"m"}, {L"ABC", L"a", L"b"}});
    fake.failCreates = c.failCreates;
    fake.failWrites = c.failWrites;
    fake.failReplaces = c.failReplaces;
    fake.answers.assign(c.answers.begin(), c.answers.end());
    SaveMarkProfileAll(markTable);

    EXPECT_EQ(Profile(), c.newProfile ? "[MARK]\r\nABC_0=ABC,a,b\r\nNEW_0=NEW,n,m\r\n" : old);
    EXPECT_FALSE(Exists(profilePath + L".new"));
    ASSERT_EQ(fake.boxes.size(), c.boxes);
    for (const auto& box : fake.boxes) {
        EXPECT_EQ(box.text.rfind(L"SaveMarkProfileAll:\r\n", 0), 0u);
        EXPECT_EQ(box.title, L"TOLVARE エラー");
        EXPECT_EQ(box.style, kMbIconStop | kMbAbortRetryIgnore);
    }
    EXPECT_EQ(fake.beeps, static_cast<int>(c.boxes));
}

INSTANTIATE_TEST_SUITE_P(
    Faults, SaveFailureTest,
    ::testing::Values(FailureCase{"create fails, abort", 1, 0, 0, {kIdAbort}, false, 1},
                      FailureCase{"create fails, ignore ends like abort", 1, 0, 0, {kIdIgnore}, false, 1},
                      FailureCase{"create fails twice, retried", 2, 0, 0, {kIdRetry, kIdRetry}, true, 2},
                      FailureCase{"write fails, abort", 0, 1, 0, {kIdAbort}, false, 1},
                      FailureCase{"write fails, retry rewrites from the start", 0, 1, 0, {kIdRetry}, true, 1},
                      FailureCase{"replace fails, abort", 0, 0, 1, {kIdAbort}, false, 1},
                      FailureCase{"replace fails, retried", 0, 0, 1, {kIdRetry}, true, 1}),
    [](const auto& info) {
        std::string name = info.param.label;
        for (auto& ch : name) ch = std::isalnum(static_cast<unsigned char>(ch)) ? ch : '_';
        return name;
    });

TEST_F(ProfileWriteTest, IgnoringAFailedLineSkipsThatLine) {
    SetTable({{L"A", L"a", L"1"}, {L"B", L"b", L"2"}});
    fake.failWrites = 2;  // "[MARK]" fails and is ignored, then the first row's line
    fake.answers = {kIdIgnore, kIdIgnore};
    SaveMarkProfileAll(markTable);
    EXPECT_EQ(Profile(), "B_0=B,b,2\r\n");
}

TEST_F(ProfileWriteTest, NeverWritesACharacterTheFileCannotHold) {
    SetTable({{L"A", L"C:\\caf\xE9.exe", L"1"}, {L"B", L"b", L"2"}});
    fake.answers = {kIdIgnore};
    SaveMarkProfileAll(markTable);
    EXPECT_EQ(Profile(), "[MARK]\r\nB_0=B,b,2\r\n");
    ASSERT_EQ(fake.boxes.size(), 1u);
    EXPECT_EQ(fake.boxes[0].text.rfind(L"SaveMarkProfileAll:\r\n", 0), 0u);
}

}  // namespace
}  // namespace tolvare
