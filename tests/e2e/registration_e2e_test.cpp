// The registration windows as a user meets them in tolvare.exe: a file of an unregistered
// extension registered in the editor and then opened, and the list shown when no file is given.
#include "registration/form_list.h"
#include "registration/form_regist.h"
#include "tests/e2e/e2e_fixture.h"
#include "tests/support/dialog_answerer.h"
#include "tests/support/expect_message.h"

namespace tolvare::test {
namespace {

class RegistrationE2E : public EndToEnd {
protected:
    // The editor that start-up opens for `file`, once it takes input.
    HWND OpenEditorFor(ChildProcess& tolvare, const std::wstring& file) {
        tolvare = StartTolvare(Quoted(file));
        if (!tolvare.started() || !tolvare.WaitForInputIdle()) return nullptr;
        return WaitForWindowOf(tolvare.id(), nullptr, L"TOLVARE - 設定(変更)");
    }
};

TEST_F(RegistrationE2E, AnUnregisteredExtensionIsRegisteredInTheEditorThenOpened) {
    const std::wstring file = MakeFile(dir_ / L"archive.zip");
    WriteProfile({L"DOC_0=DOC,C:\\doc.exe,文書"});
    ChildProcess tolvare;
    HWND editor = OpenEditorFor(tolvare, file);
    ASSERT_NE(editor, nullptr) << "the editor never showed";
    HWND mark = GetDlgItem(editor, FormRegist::kTextMark);
    wchar_t text[64] = {};
    // GetWindowTextW reads no control of another process: ask the control itself.
    SendMessageW(mark, WM_GETTEXT, 64, reinterpret_cast<LPARAM>(text));
    EXPECT_STREQ(text, L"ZIP");
    EXPECT_FALSE(IsWindowEnabled(mark));
    EXPECT_NE(GetWindowLongPtrW(editor, GWL_EXSTYLE) & WS_EX_TOPMOST, 0);

    SendMessageW(GetDlgItem(editor, FormRegist::kTextProgram), WM_SETTEXT, 0,
                 reinterpret_cast<LPARAM>(probe_.c_str()));
    PostMessageW(GetDlgItem(editor, FormRegist::kCommandOk), BM_CLICK, 0, 0);

    EXPECT_EQ(WaitForProbeLines(1), std::vector<std::wstring>{ShortPath(probe_) + L" " + file});
    EXPECT_TRUE(tolvare.WaitForExit());
    EXPECT_EQ(ReadFileBytes(profile_),
              ToCp932(L"[MARK]\r\nDOC_0=DOC,C:\\doc.exe,文書\r\nZIP_0=ZIP," + probe_ + L",probe.exe\r\n"));
}

TEST_F(RegistrationE2E, CancellingTheEditorReportsTheExtensionAsUnregistered) {
    const std::wstring file = MakeFile(dir_ / L"archive.zip");
    WriteProfile({L"DOC_0=DOC,C:\\doc.exe,文書"});
    const auto before = ReadFileBytes(profile_);
    ChildProcess tolvare;
    HWND editor = OpenEditorFor(tolvare, file);
    ASSERT_NE(editor, nullptr) << "the editor never showed";
    PostMessageW(GetDlgItem(editor, FormRegist::kCommandCancel), BM_CLICK, 0, 0);

    HWND box = WaitForBoxOf(tolvare.id());
    ASSERT_NE(box, nullptr);
    ExpectMessage(ReadBox(box),
                  {.text = L"拡張子 'ZIP' が登録されていません", .title = L"TOLVARE", .buttons = {IDOK}});
    PressButton(box, IDOK);
    EXPECT_TRUE(tolvare.WaitForExit());
    EXPECT_EQ(ReadFileBytes(profile_), before);
    EXPECT_TRUE(ProbeLines().empty());
}

TEST_F(RegistrationE2E, WithoutAFileTheListShowsEveryRegistrationAndClosingItEndsTheProgram) {
    WriteProfile(
        {L"DOC_0=DOC,C:\\doc.exe,文書", L"TXT_0=TXT,C:\\a.exe,エディタ", L"TXT_1=TXT,C:\\b.exe,ビューア"});
    const auto before = ReadFileBytes(profile_);
    ChildProcess tolvare = StartTolvare(L"");
    ASSERT_TRUE(tolvare.WaitForInputIdle());
    HWND list = WaitForWindowOf(tolvare.id(), nullptr, L"TOLVARE - 登録リスト");
    ASSERT_NE(list, nullptr) << "the list never showed";
    HWND box = GetDlgItem(list, FormList::kListMark);
    std::vector<std::wstring> lines;
    const LRESULT count = SendMessageW(box, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        wchar_t line[256] = {};
        SendMessageW(box, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(line));
        lines.push_back(line);
    }
    EXPECT_EQ(lines, (std::vector<std::wstring>{L"DOC\t>文書", L"TXT\t>エディタ", L"TXT\t>ビューア"}));
    EXPECT_EQ(SendMessageW(box, LB_GETCURSEL, 0, 0), LB_ERR) << "none selected";

    PostMessageW(list, WM_CLOSE, 0, 0);
    EXPECT_TRUE(tolvare.WaitForExit()) << "closing the last window ends the program";
    EXPECT_EQ(ReadFileBytes(profile_), before);
}

}  // namespace
}  // namespace tolvare::test
