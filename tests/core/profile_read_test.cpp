// Reading the profile file: whole (GetMarkProfileAll) and per extension (GetMarkProfile).
#include <gtest/gtest.h>

#include "core/texts.h"
#include "core/profile.h"
#include "core/globals.h"
#include "tests/native/fake_system.h"

namespace tolvare {
namespace {

using testing::Cp932;
using testing::FakeSystem;
using testing::ScopedSystem;
using testing::TempDir;
using testing::WriteBytes;

TEST(GetField, SplitsAtCommasKeepingSpaces) {
    struct Case {
        const wchar_t* value;
        int16_t n;
        const wchar_t* expected;
    } cases[] = {
        {L"TXT,C:\\EDIT.EXE,エディタ", 1, L"TXT"},
        {L"TXT,C:\\EDIT.EXE,エディタ", 2, L"C:\\EDIT.EXE"},
        {L"TXT,C:\\EDIT.EXE,エディタ", 3, L"エディタ"},
        {L"TXT, C:\\EDIT.EXE ,x", 2, L" C:\\EDIT.EXE "},
        {L"TXT,C:\\EDIT.EXE", 3, L""},  // one comma: no name
        {L"A,B,C,D", 3, L"C"},          // a fourth field is never part of the third
        {L"A,B,C,D", 4, L"D"},
        {L"A,B", 0, L""},
        {L"A,B", -1, L""},
        {L"", 1, L""},
        {L",,", 2, L""},
    };
    for (const auto& c : cases) EXPECT_EQ(GetField(c.value, c.n), c.expected) << c.value << " #" << c.n;
}

class ProfileReadTest : public ::testing::Test {
protected:
    void SetUp() override { profilePath = dir / L"tolvare.ini"; }
    void WriteProfile(const std::wstring& text) { WriteBytes(profilePath, Cp932(text)); }
    std::vector<MarkRecord> LoadAll() {
        const int16_t n = GetMarkProfileAll(markTable);
        EXPECT_EQ(n, markTable.UBound());
        return markTable.Rows();
    }

    TempDir dir;
    FakeSystem fake;
    ScopedSystem scoped{fake};
};

TEST_F(ProfileReadTest, MissingFileGivesNothingSilently) {
    markTable.Append({L"OLD", L"x", L"y"});
    EXPECT_EQ(GetMarkProfileAll(markTable), 0);
    EXPECT_TRUE(markTable.Empty());
    EXPECT_EQ(GetMarkProfile(markTable, L"txt"), 0);
    EXPECT_TRUE(fake.boxes.empty());
}

TEST_F(ProfileReadTest, ReadsTheMarkSectionUntilItEnds) {
    struct Case {
        const char* label;
        std::wstring text;
        std::vector<MarkRecord> rows;
    } cases[] = {
        {"plain",
         L"[MARK]\r\nDOC_0=DOC,C:\\V.EXE,文書\r\nTXT_0=TXT,C:\\E.EXE,エディタ\r\n",
         {{L"DOC", L"C:\\V.EXE", L"文書"}, {L"TXT", L"C:\\E.EXE", L"エディタ"}}},
        {"header in lower case is no section", L"[mark]\r\nTXT_0=TXT,a,b\r\n", {}},
        {"lines before the section are ignored",
         L"TXT_0=TXT,x,y\r\n[OTHER]\r\nA=1\r\n  [MARK]  \r\nZIP_0=ZIP,z,n\r\n",
         {{L"ZIP", L"z", L"n"}}},
        {"a blank line ends the section",
         L"[MARK]\r\nA_0=A,1,a\r\nB_0=B,2,b\r\nC_0=C,3,c\r\n\r\nD_0=D,4,d\r\n",
         {{L"A", L"1", L"a"}, {L"B", L"2", L"b"}, {L"C", L"3", L"c"}}},
        {"a line of spaces ends it too",
         L"[MARK]\r\nA_0=A,1,a\r\n   \r\nB_0=B,2,b\r\n",
         {{L"A", L"1", L"a"}}},
        {"the next section ends it", L"[MARK]\r\nA_0=A,1,a\r\n[X]\r\nB_0=B,2,b\r\n", {{L"A", L"1", L"a"}}},
        {"a line without = is a registration",
         L"[MARK]\r\nTXT,C:\\TOOLS\\EDIT.EXE,エディタ\r\n; comment, here\r\n",
         {{L"TXT", L"C:\\TOOLS\\EDIT.EXE", L"エディタ"}, {L"; comment", L" here", L""}}},
        {"keys play no part",
         L"[MARK]\r\nX_7=TXT,p,n\r\nwhatever=DOC,q\r\n",
         {{L"TXT", L"p", L"n"}, {L"DOC", L"q", L""}}},
        {"spaces: the value is trimmed, its fields are not",
         L"[MARK]\r\n  TXT_0 =  TXT, C:\\E.EXE ,name ,extra  \r\n",
         {{L"TXT", L" C:\\E.EXE ", L"name "}}},
        {"LF and CR line ends", L"[MARK]\nA_0=A,1,a\rB_0=B,2,b\n", {{L"A", L"1", L"a"}, {L"B", L"2", L"b"}}},
        {"no line end at the end", L"[MARK]\r\nA_0=A,1,a", {{L"A", L"1", L"a"}}},
        {"lower case stays as read", L"[MARK]\r\ntxt_0=txt,p,n\r\n", {{L"txt", L"p", L"n"}}},
    };
    for (const auto& c : cases) {
        WriteProfile(c.text);
        EXPECT_EQ(LoadAll(), c.rows) << c.label;
    }
    EXPECT_TRUE(fake.boxes.empty());
}

TEST_F(ProfileReadTest, ReadsTheEncodingsWindowsEditorsSave) {
    const std::wstring text =
        L"[MARK]\r\nDOC_0=DOC,C:\\ツール\\文書.exe,文書ビューア\r\nTXT_0=TXT,C:\\e.exe,ｴﾃﾞｨﾀ\r\n";
    const std::vector<MarkRecord> rows = {{L"DOC", L"C:\\ツール\\文書.exe", L"文書ビューア"},
                                          {L"TXT", L"C:\\e.exe", L"ｴﾃﾞｨﾀ"}};
    const std::pair<const char*, std::string> files[] = {
        {"code page 932", Cp932(text)},
        {"UTF-8 with a byte order mark", "\xEF\xBB\xBF" + testing::Utf8(text)},
        {"UTF-8 without one", testing::Utf8(text)},
        {"UTF-16 LE", "\xFF\xFE" + testing::Utf16(text, false)},
        {"UTF-16 BE", "\xFE\xFF" + testing::Utf16(text, true)},
        {"ASCII behind a UTF-8 mark", "\xEF\xBB\xBF[MARK]\r\nA_0=A,a,b\r\n"},
    };
    for (const auto& [label, bytes] : files) {
        WriteBytes(profilePath, bytes);
        const bool ascii = bytes.find("A_0") != std::string::npos;
        const std::vector<MarkRecord> expected = ascii ? std::vector<MarkRecord>{{L"A", L"a", L"b"}} : rows;
        EXPECT_EQ(LoadAll(), expected) << label;
        EXPECT_TRUE(loadedProfile.complete) << label;
        EXPECT_EQ(GetMarkProfile(markTable, ascii ? L"a" : L"doc"), 1) << label;
        EXPECT_EQ(markTable[1], expected[0]) << label;
    }
}

TEST_F(ProfileReadTest, CodePage932IsNeverTakenForUtf8) {
    // Real descriptions and paths: their lead bytes 0x81-0x9F break UTF-8 at once, and the rest
    // never forms a whole UTF-8 text.
    const wchar_t* texts[] = {
        L"文書ビューア",
        L"エディタ",
        L"ﾌﾟﾛｸﾞﾗﾑの説明",
        L"C:\\Program Files\\秀丸\\Hidemaru.exe",
        L"D:\\ツール\\画像編集.exe",
        L"表計算（全角）",
        L"ｶﾅ半角",
        L"縦書き",
        L"メモ帳",
        L"日本語入力",
        L"C:\\ﾃﾞｰﾀ\\変換.exe",
        L"漢字",
    };
    for (const wchar_t* t : texts) {
        WriteProfile(L"[MARK]\r\nX_0=X,p," + std::wstring(t) + L"\r\n");
        EXPECT_EQ(LoadAll(), (std::vector<MarkRecord>{{L"X", L"p", t}})) << testing::Utf8(t);
    }
}

TEST_F(ProfileReadTest, KnowsWhetherTheListHoldsEveryRegistration) {
    // Complete: every entry the per-extension lookup sees in section MARK is a row of the list.
    struct Case {
        const char* label;
        std::wstring text;
        bool complete;
    } cases[] = {
        {"as TOLVARE writes it", L"[MARK]\r\nA_0=A,1,a\r\n", true},
        {"other sections", L"[X]\r\nA_0=A,1,a\r\n[MARK]\r\nB_0=B,2,b\r\n[Y]\r\nC_0=C,3,c\r\n", true},
        {"a blank line at the end", L"[MARK]\r\nA_0=A,1,a\r\n\r\n", true},
        {"a blank line inside", L"[MARK]\r\nA_0=A,1,a\r\n\r\nB_0=B,2,b\r\n", false},
        {"a lower-case header", L"[mark]\r\nA_0=A,1,a\r\n", false},
        {"a spaced header", L"[ MARK ]\r\nA_0=A,1,a\r\n", false},
        {"a lower-case section first", L"[mark]\r\nA_0=A,1,a\r\n[MARK]\r\nB_0=B,2,b\r\n", false},
    };
    for (const auto& c : cases) {
        WriteProfile(c.text);
        LoadAll();
        EXPECT_EQ(loadedProfile.complete, c.complete) << c.label;
        EXPECT_EQ(loadedProfile.file, FingerprintOf(Cp932(c.text))) << c.label;
    }
    std::filesystem::remove(std::filesystem::path(profilePath));
    LoadAll();
    EXPECT_TRUE(loadedProfile.complete);  // no file: nothing unseen
    EXPECT_FALSE(loadedProfile.file.exists);
}

TEST_F(ProfileReadTest, AHugeHandEditedFileStopsAtTheLastRowNumber) {
    std::string text = "[MARK]\r\n";
    for (int i = 0; i < 40000; ++i) text += "E" + std::to_string(i) + "_0=E" + std::to_string(i) + ",p,n\r\n";
    WriteBytes(profilePath, text);
    EXPECT_EQ(GetMarkProfileAll(markTable), kMaxRows);
    EXPECT_EQ(markTable[kMaxRows].mark, L"E32766");
    EXPECT_FALSE(loadedProfile.complete);  // the lines beyond are registrations all the same
}

TEST_F(ProfileReadTest, AFailedOpenAsksAndRetries) {
    // A folder where the file should be cannot be read as a file.
    std::filesystem::create_directory(std::filesystem::path(profilePath));
    fake.answers = {kIdRetry, kIdIgnore};
    EXPECT_EQ(GetMarkProfileAll(markTable), 0);
    ASSERT_EQ(fake.boxes.size(), 2u);  // Ignore ended the read: no third box
    EXPECT_EQ(fake.boxes[0].text.rfind(L"GetMarkProfileAll:\r\n", 0), 0u);
    EXPECT_GT(fake.boxes[0].text.size(), std::wstring(L"GetMarkProfileAll:\r\n").size());
    EXPECT_EQ(fake.boxes[0].title, L"TOLVARE エラー");
    EXPECT_EQ(fake.boxes[0].style, kMbIconStop | kMbAbortRetryIgnore);
    EXPECT_EQ(fake.beeps, 2);
    EXPECT_FALSE(loadedProfile.complete);
}

TEST_F(ProfileReadTest, OneExtensionReadsConsecutiveKeysOnly) {
    WriteProfile(L"[MARK]\r\nDOC_0=DOC,d,D\r\nTXT_0=TXT,e,E\r\nTXT_2=TXT,v,V\r\n");
    EXPECT_EQ(GetMarkProfile(markTable, L"txt"), 1);  // TXT_1 is missing: TXT_2 stays hidden
    EXPECT_EQ(markTable.Rows(), (std::vector<MarkRecord>{{L"TXT", L"e", L"E"}}));
    EXPECT_EQ(GetMarkProfileAll(markTable), 3);
}

TEST_F(ProfileReadTest, OneExtensionTakesTheMarkFromTheValue) {
    WriteProfile(L"[MARK]\r\nTXT_0=DOC,p,n\r\nTXT_1=nodata\r\nTXT_2=TXT,q,m\r\n");
    EXPECT_EQ(GetMarkProfile(markTable, L"TXT"), 1);  // a value of "nodata" ends the search
    EXPECT_EQ(markTable[1].mark, L"DOC");
}

TEST_F(ProfileReadTest, OneExtensionStopsAtTen) {
    std::wstring text = L"[MARK]\r\n";
    for (int i = 0; i < 12; ++i)
        text += L"TXT_" + std::to_wstring(i) + L"=TXT,p" + std::to_wstring(i) + L",n\r\n";
    WriteProfile(text);
    EXPECT_EQ(GetMarkProfile(markTable, L"Txt"), 10);
    EXPECT_EQ(markTable[10].program, L"p9");
}

TEST_F(ProfileReadTest, OneExtensionFindsKeysLikeThePlatformReader) {
    // Section and key names in any case, blanks around them, values in quotes.
    WriteProfile(
        L"[other]\r\nTXT_0=OTHER,x,y\r\n[ mark ]\r\n txt_0 = \"TXT,p,n\" \r\n[MARK]\r\nTXT_1=TXT,q,m\r\n");
    EXPECT_EQ(GetMarkProfile(markTable, L"TXT"), 1);  // only the first section of the name
    EXPECT_EQ(markTable.Rows(), (std::vector<MarkRecord>{{L"TXT", L"p", L"n"}}));
    EXPECT_EQ(GetProfileValue(L"other", L"TXT_0", L"none", profilePath), L"OTHER,x,y");
    EXPECT_EQ(GetProfileValue(L"MARK", L"TXT_9", L"none", profilePath), L"none");
    EXPECT_EQ(GetProfileValue(L"MARK", L"TXT_0", L"none", (dir / L"missing.ini")), L"none");
}

}  // namespace
}  // namespace tolvare
