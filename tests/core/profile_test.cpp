// The profile file: reading it whole and per extension, writing it with its backup, the
// question before unseen registrations are lost, and what failures leave behind.
#include <gtest/gtest.h>

#include <algorithm>

#include "core/profile.h"
#include "tests/native/fake_system.h"

namespace tolvare {
namespace {

using Bytes = std::optional<std::string>;  // a file's bytes; nothing when it does not exist
using testing::RowsOf;
using testing::ShownBox;

class Profile : public ::testing::Test {
protected:
    void SetUp() override {
        profilePath = dir / L"tolvare.ini";
        GetMarkProfileAll(markTable);  // no file yet: a save may create one without asking
    }
    Bytes File(const wchar_t* suffix = L"") { return test::ReadFileBytes(profilePath + suffix); }
    void SetFile(const Bytes& bytes) {
        test::RemoveTree(profilePath);
        if (bytes) test::WriteFileBytes(profilePath, *bytes);
    }
    std::wstring Load(const std::wstring& text) {  // the rows read from the text in code page 932
        SetFile(fake.ToCp932(text));
        GetMarkProfileAll(markTable);
        return RowsOf(markTable);
    }
    std::vector<std::wstring> Files() {
        auto names = fake.ListFiles(dir / L"*");
        std::sort(names.begin(), names.end());
        return names;
    }
    // The failure boxes shown for `operation`: their texts up to the line break.
    std::vector<ShownBox> Failures(const wchar_t* operation) {
        for (auto& box : fake.boxes) box.text.resize(box.text.find(L'\n') + 1);
        return std::vector<ShownBox>(fake.beeps, {operation + std::wstring(L":\r\n"), L"TOLVARE エラー",
                                                  kMbIconStop | kMbAbortRetryIgnore});
    }

    test::TempDir dir;
    testing::FakeSystem fake;
    testing::ScopedSystem scoped{fake};
};

TEST_F(Profile, ReadsTheMarkSectionUntilItEnds) {
    struct Case {
        const char* label;
        std::wstring text, rows;
        bool complete;  // every registration the per-extension lookup would see is a row
    } cases[] = {
        {"CR LF", L"[MARK]\r\nA_0=A,1,a\r\nB_0=B,2,b\r\n", L"A,1,a | B,2,b", true},
        {"LF, CR, no end", L"[MARK]\nA_0=A,1,a\rB_0=B,2,b", L"A,1,a | B,2,b", true},
        {"lines before it", L"B_0=B,2,b\r\n[X]\r\nA=1\r\n  [MARK]  \r\nA_0=A,1,a\r\n", L"A,1,a", true},
        {"a lower-case section first", L"[mark]\r\nA_0=A,1,a\r\n[MARK]\r\nB_0=B,2,b\r\n", L"B,2,b", false},
        {"a spaced header", L"[ MARK ]\r\nA_0=A,1,a\r\n", L"", false},
        {"a line of spaces ends it", L"[MARK]\r\nA_0=A,1,a\r\n   \r\nB_0=B,2,b\r\n", L"A,1,a", false},
        {"a blank line at the end", L"[MARK]\r\nA_0=A,1,a\r\n\r\n", L"A,1,a", true},
        {"the next section ends it", L"[MARK]\r\nA_0=A,1,a\r\n[X]\r\nB_0=B,2,b\r\n", L"A,1,a", true},
        {"keys play no part", L"[MARK]\r\nt_7=t,p\r\nTXT,C:\\E.EXE,エディタ\r\n; a, b\r\n",
         L"t,p, | TXT,C:\\E.EXE,エディタ | ; a, b,", true},
        {"the value is trimmed, its fields are not", L"[MARK]\r\n K =  TXT, C:\\E.EXE ,name ,4th  \r\n",
         L"TXT, C:\\E.EXE ,name ", true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Load(c.text), c.rows) << c.label;
        EXPECT_EQ(loadedProfile.complete, c.complete) << c.label;
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
        GetMarkProfileAll(markTable);
        EXPECT_EQ(RowsOf(markTable), L"DOC,C:\\ツール\\文書.exe,ｴﾃﾞｨﾀ") << ::testing::PrintToString(bytes);
        EXPECT_EQ(GetMarkProfile(markTable, L"doc"), 1) << ::testing::PrintToString(bytes);
    }
    // Code page 932 text never passes for UTF-8.
    for (const std::wstring t : {L"文書ビューア", L"ﾌﾟﾛｸﾞﾗﾑの説明", L"C:\\秀丸\\Hidemaru.exe",
                                 L"表計算（全角）", L"ｶﾅ半角", L"縦書き", L"メモ帳", L"漢字"}) {
        EXPECT_EQ(Load(L"[MARK]\r\nX_0=X,p," + t), L"X,p," + t);
    }
}

TEST_F(Profile, AFailedReadAsksAbortRetryIgnore) {
    dir.MakeDir(L"tolvare.ini");  // a folder where the file should be
    fake.answers = {kIdRetry, kIdIgnore};
    EXPECT_EQ(GetMarkProfileAll(markTable), 0);
    EXPECT_EQ(fake.boxes.size(), 2u);  // Ignore cannot skip a failed open: it ends the read
    EXPECT_EQ(fake.boxes, Failures(L"GetMarkProfileAll"));
    EXPECT_FALSE(loadedProfile.complete);
}

TEST_F(Profile, OneExtensionReadsItsConsecutiveKeysLikeThePlatformReader) {
    std::wstring twelve = L"[MARK]\r\n";
    for (int i = 0; i < 12; ++i)
        twelve += L"TXT_" + std::to_wstring(i) + L"=TXT,p" + std::to_wstring(i) + L"\r\n";
    struct Case {
        const char* label;
        std::wstring text, rows;
    } cases[] = {
        {"a gap hides the keys after it", L"[MARK]\r\nDOC_0=DOC,d\r\nTXT_0=TXT,e,E\r\nTXT_2=TXT,v\r\n",
         L"TXT,e,E"},
        {"the mark from the value; nodata ends",
         L"[MARK]\r\nTXT_0=DOC,p,n\r\nTXT_1=nodata\r\nTXT_2=TXT,q\r\n", L"DOC,p,n"},
        {"ten at most", twelve,
         L"TXT,p0, | TXT,p1, | TXT,p2, | TXT,p3, | TXT,p4, | TXT,p5, | TXT,p6, | TXT,p7, | "
         L"TXT,p8, | TXT,p9,"},
        {"names in any case, blanks, quotes; the first section of the name",
         L"[other]\r\nTXT_0=X\r\n[ mark ]\r\n txt_0 = \"TXT,p,n\" \r\n[MARK]\r\nTXT_1=TXT,q\r\n", L"TXT,p,n"},
    };
    for (const auto& c : cases) {
        SetFile(fake.ToCp932(c.text));
        GetMarkProfile(markTable, L"Txt");
        EXPECT_EQ(RowsOf(markTable), c.rows) << c.label;
    }
}

TEST_F(Profile, WritesTheTableSortedAndGroupedInCodePage932) {
    struct Case {
        const char* label;
        std::vector<MarkRecord> rows;
        std::wstring file;
    } cases[] = {
        {"by mark, then name",
         {{L"TXT", L"B.EXE", L"ビューア"}, {L"DOC", L"X.EXE", L"文書"}, {L"TXT", L"A", L"エディタ"}},
         L"[MARK]\r\nDOC_0=DOC,X.EXE,文書\r\nTXT_0=TXT,A,エディタ\r\nTXT_1=TXT,B.EXE,ビューア\r\n"},
        {"case groups only when adjacent",
         {{L"txt", L"c", L"n"}, {L"ZIP", L"z", L"n"}, {L"TXT", L"t", L"n"}},
         L"[MARK]\r\nTXT_0=TXT,t,n\r\nZIP_0=ZIP,z,n\r\nTXT_0=TXT,c,n\r\n"},
        {"adjacent",
         {{L"txt", L"c", L"n"}, {L"TXT", L"t", L"n"}},
         L"[MARK]\r\nTXT_0=TXT,t,n\r\nTXT_1=TXT,c,n\r\n"},
    };
    for (const auto& c : cases) {
        markTable.Rows() = c.rows;
        EXPECT_EQ(SaveMarkProfileAll(markTable), SaveResult::kSaved) << c.label;
        EXPECT_EQ(File(), fake.ToCp932(c.file)) << c.label;
        EXPECT_EQ(fake.ToUpper(RowsOf(markTable)), fake.ToUpper(Load(c.file)))
            << c.label;                                               // the table in the file's order
        EXPECT_EQ(File(L".bk").has_value(), &c != cases) << c.label;  // no backup of nothing
    }
    EXPECT_EQ(Files(), (std::vector<std::wstring>{L"tolvare.ini", L"tolvare.ini.bk"}));  // no leftovers
    EXPECT_TRUE(fake.boxes.empty());
}

TEST_F(Profile, KeepsThePreviousFileAsTheBackup) {
    const std::string handEdited = "; mine\r\n[OPTIONS]\r\nx=1\r\n[MARK]\r\nA_0=A,1,a\r\n";
    SetFile(handEdited);
    GetMarkProfileAll(markTable);
    SaveMarkProfileAll(markTable);
    EXPECT_EQ(File(), "[MARK]\r\nA_0=A,1,a\r\n");
    EXPECT_EQ(File(L".bk"), handEdited);  // other sections survive in the backup only
    // A backup that cannot be replaced stays as it was, and the save goes on without a word.
    markTable.Rows() = {{L"B", L"2", L"b"}};
    fake.fails["backup"] = 1;
    SaveMarkProfileAll(markTable);
    EXPECT_EQ(File(), "[MARK]\r\nB_0=B,2,b\r\n");
    EXPECT_EQ(File(L".bk"), handEdited);
    markTable.Erase();  // an empty table leaves only the backup
    SaveMarkProfileAll(markTable);
    EXPECT_EQ(Files(), std::vector<std::wstring>{L"tolvare.ini.bk"});
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
        const char* label;
        Bytes loaded, meanwhile;  // the file the table was loaded from, and the one there at the save
        bool asks;
    } cases[] = {
        {"unchanged and complete", one, one, false},  {"no file then, none now", {}, {}, false},
        {"an incomplete load", hidden, hidden, true}, {"rewritten meanwhile", one, one + "C_0=C\r\n", true},
        {"created meanwhile", {}, one, true},         {"deleted meanwhile", one, {}, true},
    };
    for (const auto& c : cases) {
        for (const int answer : {kIdNo, kIdYes}) {
            SCOPED_TRACE(c.label + std::string(answer == kIdYes ? ", yes" : ", no"));
            test::RemoveTree(profilePath + L".bk");
            SetFile(c.loaded);
            GetMarkProfileAll(markTable);
            SetFile(c.meanwhile);
            markTable.Rows() = {{L"Z", L"z", L"new"}};
            fake.boxes.clear();
            fake.answers = {answer};
            const bool saves = !c.asks || answer == kIdYes;
            EXPECT_EQ(SaveMarkProfileAll(markTable), saves ? SaveResult::kSaved : SaveResult::kDeclined);
            EXPECT_EQ(fake.boxes, c.asks ? std::vector<ShownBox>{question} : std::vector<ShownBox>{});
            EXPECT_EQ(File(), saves ? "[MARK]\r\nZ_0=Z,z,new\r\n" : c.meanwhile);
            EXPECT_EQ(File(L".bk"), saves ? c.meanwhile : std::nullopt);  // No writes nothing at all
            // The next save (Apply, then OK) replaces the file the first one wrote without asking.
            fake.boxes.clear();
            if (saves) SaveMarkProfileAll(markTable);
            EXPECT_TRUE(fake.boxes.empty());
        }
    }
}

TEST_F(Profile, AFailedSaveLeavesTheOldOrTheNewFileWhole) {
    const std::string old = "[MARK]\r\nOLD_0=OLD\r\n", saved = "[MARK]\r\nABC_0=ABC,a,b\r\nNEW_0=NEW,n,m\r\n";
    struct Case {
        const char* label;
        const char* fault;  // a file operation that fails, or "line": a line the file cannot hold
        int fails;
        std::deque<int> answers;
        std::string file;
    } cases[] = {
        {"create fails, abort", "create", 1, {kIdAbort}, old},
        {"create fails, ignore ends like abort", "create", 1, {kIdIgnore}, old},
        {"create fails twice, retried", "create", 2, {kIdRetry, kIdRetry}, saved},
        {"replace fails, abort", "replace", 1, {kIdAbort}, old},
        {"replace fails, retried", "replace", 1, {kIdRetry}, saved},
        {"a line it cannot hold, retried from the start, abort", "line", 0, {kIdRetry, kIdAbort}, old},
        {"a line it cannot hold, ignored", "line", 0, {kIdIgnore}, "[MARK]\r\nNEW_0=NEW,n,m\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        SetFile(old);
        GetMarkProfileAll(markTable);
        markTable.Rows() = {{L"NEW", L"n", L"m"},
                            {L"ABC", c.fault == std::string("line") ? L"\xE9" : L"a", L"b"}};
        fake.fails[c.fault] = c.fails;
        fake.answers = c.answers;
        fake.boxes.clear();
        fake.beeps = 0;
        SaveMarkProfileAll(markTable);
        EXPECT_EQ(File(), c.file);
        EXPECT_EQ(fake.boxes.size(), c.answers.size());
        EXPECT_EQ(fake.boxes, Failures(L"SaveMarkProfileAll"));
        for (const auto& name : Files())
            EXPECT_TRUE(name == L"tolvare.ini" || name == L"tolvare.ini.bk") << name;
    }
}

TEST_F(Profile, LeftoversOfKilledSavesNeitherBlockNorStay) {
    dir.MakeDir(L"tolvare.ini.new");  // a folder in the way of the fixed name earlier versions used
    for (const wchar_t* name : {L".0badf00d.tmp", L".notes.tmp"})
        test::WriteFileBytes(profilePath + name, "x");
    markTable.Rows() = {{L"B", L"2", L"b"}};
    EXPECT_EQ(SaveMarkProfileAll(markTable), SaveResult::kSaved);
    EXPECT_EQ(Files(), (std::vector<std::wstring>{L"tolvare.ini", L"tolvare.ini.notes.tmp"}));
}

}  // namespace
}  // namespace tolvare
