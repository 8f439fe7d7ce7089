// Writing the profile file: its exact bytes, the backup, and what failures leave behind.
#include <gtest/gtest.h>

#include <optional>

#include "core/profile.h"
#include "core/globals.h"
#include "tests/native/fake_system.h"

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
        profilePath = dir / L"tolvare.ini";
        backupPath = profilePath + L".bk";
        GetMarkProfileAll(markTable);  // no file yet: a save may create one without asking
    }
    // A profile as the user has it, loaded as the list loads it.
    void Existing(const std::string& bytes) {
        WriteBytes(profilePath, bytes);
        GetMarkProfileAll(markTable);
    }
    void SetTable(std::vector<MarkRecord> rows) { markTable.Rows() = std::move(rows); }
    std::string Profile() const { return ReadBytes(profilePath); }
    // The folder holds exactly these file names.
    std::vector<std::wstring> Files() const {
        std::vector<std::wstring> names;
        for (const auto& e : std::filesystem::directory_iterator(dir.path()))
            names.push_back(e.path().filename().wstring());
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
    SetTable({{L"TXT", L"C:\\TOOLS\\EDIT.EXE", L"エディタ"},
              {L"TXT", L"C:\\TOOLS\\VIEW.EXE", L"ビューア"},
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
    Existing(handEdited);
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
    Existing("[MARK]\r\nTXT_0=TXT,a,b\r\n");
    markTable.Erase();
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

TEST_F(ProfileWriteTest, AsksBeforeOverwritingRegistrationsNobodyHasSeen) {
    const std::wstring question =
        L"登録情報の一部を読み込めていないか、ほかのプログラムによって変更されています。\r\n"
        L"保存すると、表示されていない登録情報は失われます。保存しますか？";
    const std::string blankInside = "[MARK]\r\nA_0=A,1,a\r\n\r\nB_0=B,2,b\r\n";
    struct Case {
        const char* label;
        std::string loaded;                    // the file the list was loaded from ("" = none)
        std::optional<std::string> meanwhile;  // what another program left there since
        bool asks;
    } cases[] = {
        {"unchanged and complete", "[MARK]\r\nA_0=A,1,a\r\n", std::nullopt, false},
        {"no file then, none now", "", std::nullopt, false},
        {"an incomplete load", blankInside, std::nullopt, true},
        {"rewritten meanwhile", "[MARK]\r\nA_0=A,1,a\r\n", "[MARK]\r\nA_0=A,1,a\r\nC_0=C,3,c\r\n", true},
        {"created meanwhile", "", "[MARK]\r\nC_0=C,3,c\r\n", true},
        {"deleted meanwhile", "[MARK]\r\nA_0=A,1,a\r\n", "", true},
    };
    for (const auto& c : cases) {
        for (const int answer : {kIdNo, kIdYes}) {
            std::filesystem::remove(std::filesystem::path(backupPath));
            std::filesystem::remove(std::filesystem::path(profilePath));
            if (!c.loaded.empty()) WriteBytes(profilePath, c.loaded);
            GetMarkProfileAll(markTable);
            if (c.meanwhile && c.meanwhile->empty())
                std::filesystem::remove(std::filesystem::path(profilePath));
            if (c.meanwhile && !c.meanwhile->empty()) WriteBytes(profilePath, *c.meanwhile);
            const std::string before = Exists(profilePath) ? Profile() : "(none)";
            SetTable({{L"Z", L"z", L"new"}});
            fake.boxes.clear();
            fake.answers = {answer};
            const SaveResult result = SaveMarkProfileAll(markTable);
            if (!c.asks) {
                EXPECT_TRUE(fake.boxes.empty()) << c.label;
                EXPECT_EQ(result, SaveResult::kSaved) << c.label;
                break;
            }
            ASSERT_EQ(fake.boxes.size(), 1u) << c.label;
            EXPECT_EQ(fake.boxes[0].text, question);
            EXPECT_EQ(fake.boxes[0].title, L"TOLVARE");
            EXPECT_EQ(fake.boxes[0].style, kMbIconQuestion | kMbYesNo);
            const bool yes = answer == kIdYes;
            EXPECT_EQ(result, yes ? SaveResult::kSaved : SaveResult::kDeclined) << c.label;
            EXPECT_EQ(Exists(profilePath) ? Profile() : "(none)", yes ? "[MARK]\r\nZ_0=Z,z,new\r\n" : before)
                << c.label;
            // Yes keeps what was there as the backup, as any save does; No writes nothing at all.
            EXPECT_EQ(Exists(backupPath), yes && before != "(none)") << c.label;
            if (yes && before != "(none)") EXPECT_EQ(ReadBytes(backupPath), before) << c.label;
        }
    }
    // Apply, then OK: the file written by the first save is the one the second replaces.
    fake.boxes.clear();
    Existing(blankInside);
    SetTable({{L"A", L"1", L"a"}});
    fake.answers = {kIdYes};
    SaveMarkProfileAll(markTable);
    EXPECT_EQ(SaveMarkProfileAll(markTable), SaveResult::kSaved);
    EXPECT_EQ(fake.boxes.size(), 1u);
}

TEST_F(ProfileWriteTest, TheBackupIsReplacedWholeOrNotAtAll) {
    const std::string first = "[MARK]\r\nA_0=A,1,a\r\n", second = "[MARK]\r\nB_0=B,2,b\r\n";
    Existing(first);
    SetTable({{L"B", L"2", L"b"}});
    SaveMarkProfileAll(markTable);
    ASSERT_EQ(ReadBytes(backupPath), first);

    // The backup's copy cannot be written or put in place (a full disk, a locked backup): the
    // save goes on without a word and the earlier backup stays as it was.
    for (const char* fault : {"write", "replace"}) {
        SetTable({{L"C", L"3", L"c"}});
        fake.passWrites = 2;  // the new profile's two lines; the backup's copy comes next
        fake.failWrites = fault == std::string("write") ? 1 : 0;
        fake.failBackupReplaces = fault == std::string("replace") ? 1 : 0;
        EXPECT_EQ(SaveMarkProfileAll(markTable), SaveResult::kSaved) << fault;
        EXPECT_EQ(Profile(), "[MARK]\r\nC_0=C,3,c\r\n") << fault;
        EXPECT_EQ(ReadBytes(backupPath), first) << fault;
        EXPECT_TRUE(fake.boxes.empty()) << fault;
        EXPECT_EQ(Files(), (std::vector<std::wstring>{L"tolvare.ini", L"tolvare.ini.bk"})) << fault;
        Existing(second);
    }
}

TEST_F(ProfileWriteTest, LeftoversOfKilledSavesNeitherBlockNorStay) {
    std::filesystem::create_directory(std::filesystem::path(profilePath + L".new"));  // in the way before
    WriteBytes(profilePath + L".0badf00d.tmp", "[MARK]\r\nHALF");
    WriteBytes(profilePath + L".new.txt", "mine");  // not TOLVARE's: stays
    WriteBytes(profilePath + L".notes.tmp", "mine");
    Existing("[MARK]\r\nA_0=A,1,a\r\n");
    SetTable({{L"B", L"2", L"b"}});
    EXPECT_EQ(SaveMarkProfileAll(markTable), SaveResult::kSaved);
    EXPECT_TRUE(fake.boxes.empty());
    EXPECT_EQ(Files(), (std::vector<std::wstring>{L"tolvare.ini", L"tolvare.ini.bk", L"tolvare.ini.new",
                                                  L"tolvare.ini.new.txt", L"tolvare.ini.notes.tmp"}));
    std::filesystem::remove(std::filesystem::path(profilePath + L".new"));
    WriteBytes(profilePath + L".new", "[MARK]\r\nHALF");  // an old version's leftover file
    SaveMarkProfileAll(markTable);
    EXPECT_FALSE(Exists(profilePath + L".new"));
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
    Existing(old);
    SetTable({{L"NEW", L"n", L"m"}, {L"ABC", L"a", L"b"}});
    fake.failCreates = c.failCreates;
    fake.failWrites = c.failWrites;
    fake.failReplaces = c.failReplaces;
    fake.answers.assign(c.answers.begin(), c.answers.end());
    SaveMarkProfileAll(markTable);

    EXPECT_EQ(Profile(), c.newProfile ? "[MARK]\r\nABC_0=ABC,a,b\r\nNEW_0=NEW,n,m\r\n" : old);
    for (const auto& name : Files()) EXPECT_TRUE(name == L"tolvare.ini" || name == L"tolvare.ini.bk") << name;
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
