// tolvare.exe as a user meets it, as a smoke test of the whole: a registered launch through short
// paths, an unregistered extension registered in the editor and opened, a second start refused.
#include "registration/form_regist.h"
#include "tests/e2e/e2e_fixture.h"
#include "tests/support/dialog_answerer.h"
#include "tests/support/expect_message.h"

namespace tolvare::test {
namespace {

using E2E = EndToEnd;

TEST_F(E2E, AShortFormPathOpensWithTheLongExtensionsProgramAsGiven) {
    // The folder has a blank: the program reaches the command line in its short form.
    const std::wstring file = MakeFile(dir_.MakeDir(L"a b") + L"\\report file.html");
    const std::wstring shortFile = ShortPath(file);
    ASSERT_NE(shortFile.find(L'~'), std::wstring::npos) << "the test prefix keeps no short names";
    WriteProfile({L"HTM_0=HTM," + (dir_ / L"missing.exe") + L",短い", L"HTML_0=HTML," + probe_ + L",長い"});
    ChildProcess tolvare = StartTolvare(shortFile);
    EXPECT_TRUE(tolvare.WaitForExit()) << "tolvare.exe is still running";
    EXPECT_EQ(WaitForProbeLines(1), std::vector<std::wstring>{ShortPath(probe_) + L" " + shortFile});
}

TEST_F(E2E, AnUnregisteredExtensionIsRegisteredInTheEditorThenOpened) {
    const std::wstring file = MakeFile(dir_ / L"archive.zip");
    WriteProfile({L"DOC_0=DOC,C:\\doc.exe,文書"});
    ChildProcess tolvare = StartTolvare(Quoted(file));
    ASSERT_TRUE(tolvare.WaitForInputIdle());
    HWND editor = WaitForWindowOf(tolvare.id(), nullptr, L"TOLVARE - 設定(変更)");
    ASSERT_NE(editor, nullptr) << "the editor never showed";
    wchar_t mark[64] = {};  // another process's control: ask the control itself
    SendMessageW(GetDlgItem(editor, FormRegist::kTextMark), WM_GETTEXT, 64, reinterpret_cast<LPARAM>(mark));
    EXPECT_STREQ(mark, L"ZIP");
    SendMessageW(GetDlgItem(editor, FormRegist::kTextProgram), WM_SETTEXT, 0,
                 reinterpret_cast<LPARAM>(probe_.c_str()));
    PostMessageW(GetDlgItem(editor, FormRegist::kCommandOk), BM_CLICK, 0, 0);
    EXPECT_EQ(WaitForProbeLines(1), std::vector<std::wstring>{ShortPath(probe_) + L" " + file});
    EXPECT_TRUE(tolvare.WaitForExit());
    EXPECT_EQ(ReadFileBytes(profile_),
              ToCp932(L"[MARK]\r\nDOC_0=DOC,C:\\doc.exe,文書\r\nZIP_0=ZIP," + probe_ + L",probe.exe\r\n"));
}

TEST_F(E2E, ASecondStartOnTheSameProfileIsRefused) {
    const std::wstring file = MakeFile(dir_ / L"c.txt");
    WriteProfile({L"TXT_0=TXT," + probe_ + L",プローブ"});
    ChildProcess first = StartTolvare(L"");  // no file: the list stays open
    ASSERT_TRUE(first.WaitForInputIdle());
    // A renamed copy beside the first works on the same profile: it is refused as well.
    const std::wstring other = dir_ / L"other.exe";
    ASSERT_TRUE(CopyFileTo(exe_, other));
    ChildProcess second = ChildProcess::Start(other, Quoted(other) + L" " + Quoted(file));
    HWND box = WaitForBoxOf(second.id());
    ASSERT_NE(box, nullptr) << "the second instance showed no message";
    ExpectMessage(ReadBox(box),
                  {.text = L"ﾌﾟﾛｸﾞﾗﾑの二重起動は出来ません", .title = L"TOLVARE", .buttons = {IDOK}});
    PressButton(box, IDOK);
    EXPECT_TRUE(second.WaitForExit());
    EXPECT_TRUE(first.Running());
    EXPECT_TRUE(ProbeLines().empty()) << "the second instance launched a program";
}

// Explorer's "Open with" list names the exe by its description, in the user's language or in
// English: both blocks hold it intact.
TEST(VersionResource, BothLanguagesDescribeTheExe) {
    const std::wstring exe = WindowsPathOf(TOLVARE_EXE_PATH);
    DWORD ignored = 0;
    std::vector<char> info(GetFileVersionInfoSizeW(exe.c_str(), &ignored));
    ASSERT_FALSE(info.empty());
    ASSERT_TRUE(GetFileVersionInfoW(exe.c_str(), 0, static_cast<DWORD>(info.size()), info.data()));
    for (const wchar_t* block : {L"041104B0", L"040904B0"}) {
        const std::wstring key = std::wstring(L"\\StringFileInfo\\") + block + L"\\FileDescription";
        void* value = nullptr;
        UINT chars = 0;
        ASSERT_TRUE(VerQueryValueW(info.data(), key.c_str(), &value, &chars));
        EXPECT_EQ(std::wstring(static_cast<const wchar_t*>(value)),
                  L"TOLVARE - 拡張子ごとのアプリケーション起動");
    }
}

}  // namespace
}  // namespace tolvare::test
