// tolvare.exe as a user meets it, as a smoke test of the whole: copies of it and of the probe
// program (which records its command line) in a folder with a blank in its name, a profile of
// code page 932 bytes, and these starts: a registered launch through short paths, a program
// registered by name with arguments, an unregistered extension registered in the editor and
// opened, and a second start refused in front of the first.
#include "registration/form_regist.h"
#include "tests/support/win_test.h"

namespace tolvare::test {
namespace {

class E2E : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(CopyFileTo(WindowsPathOf(TOLVARE_EXE_PATH), exe_));
        ASSERT_TRUE(CopyFileTo(WindowsPathOf(TOLVARE_PROBE_PATH), probe_));
        ASSERT_TRUE(SetEnvironmentVariableW(L"TOLVARE_PROBE_LOG", log_.c_str()));  // inherited
    }
    void WriteProfile(const std::wstring& lines) {
        ASSERT_TRUE(WriteFileBytes(dir_ / L"tolvare.ini", ToCp932(L"[MARK]\r\n" + lines)));
    }
    // A visible top-level window of the process with this class or caption; on failure the test
    // says what the process showed instead.
    static HWND WaitForWindow(const Process& process, const wchar_t* cls, const wchar_t* caption) {
        HWND found = nullptr;
        std::wstring shown;
        PollUntil(
            [&] {
                shown.clear();
                for (HWND w = GetTopWindow(nullptr); w != nullptr && !found; w = GetWindow(w, GW_HWNDNEXT)) {
                    DWORD pid = 0;
                    wchar_t name[64] = {};
                    GetWindowThreadProcessId(w, &pid);
                    if (pid != process.pi.dwProcessId || !IsWindowVisible(w) || !GetClassNameW(w, name, 64))
                        continue;
                    shown += std::wstring(L" [") + name + L" \"" + WindowText(w) + L"\" " +
                             WindowText(GetDlgItem(w, 0xFFFF));
                    if ((!cls || lstrcmpW(name, cls) == 0) && (!caption || WindowText(w) == caption))
                        found = w;
                }
                return found != nullptr;
            },
            30000);
        EXPECT_NE(found, nullptr) << "the process " << (process.Exits(0) ? "ended" : "runs")
                                  << ", showing:" << shown;
        return found;
    }

    TempDir dir_{L"tolvare e2e"};
    const std::wstring exe_ = dir_ / L"tolvare.exe", probe_ = dir_ / L"probe.exe", log_ = dir_ / L"probe.log";
};

TEST_F(E2E, AShortFormPathOpensWithTheLongExtensionsProgramAsGiven) {
    const std::wstring file = dir_.MakeDir(L"a b") + L"\\report file.html";
    ASSERT_TRUE(WriteFileBytes(file, ""));
    const std::wstring shortFile = ShortPath(file);
    ASSERT_NE(shortFile.find(L'~'), std::wstring::npos) << "the test prefix keeps no short names";
    WriteProfile(L"HTM_0=HTM," + (dir_ / L"missing.exe") + L",短い\r\nHTML_0=HTML," + probe_ + L",長い\r\n");
    EXPECT_TRUE(Process(exe_, shortFile).Exits());
    EXPECT_EQ(ProbeLog(log_), ShortPath(probe_) + L" " + shortFile + L"\n");
}

TEST_F(E2E, AProgramNamedWithArgumentsStartsFromTolvaresFolder) {
    WriteProfile(L"TXT_0=TXT,probe.exe /x,プローブ\r\n");
    const std::wstring file = dir_ / L"Tom & Jerry.txt";
    EXPECT_TRUE(Process(exe_, file).Exits());
    EXPECT_EQ(ProbeLog(log_), L"probe.exe /x " + file + L"\n");
}

TEST_F(E2E, AnUnregisteredExtensionIsRegisteredInTheEditorThenOpened) {
    const std::wstring file = dir_ / L"archive.zip";
    WriteFileBytes(file, "");
    WriteProfile(L"DOC_0=DOC,C:\\doc.exe,文書\r\n");
    const Process tolvare(exe_, Quoted(file));
    HWND editor = WaitForWindow(tolvare, nullptr, L"TOLVARE - 設定(変更)");
    ASSERT_NE(editor, nullptr);
    // Another process's edit box: read and set through the control itself.
    wchar_t mark[16] = {};
    SendMessageW(GetDlgItem(editor, FormRegist::kTextMark), WM_GETTEXT, 16, reinterpret_cast<LPARAM>(mark));
    EXPECT_STREQ(mark, L"ZIP");
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(editor, FormRegist::kTextMark)))
        << "start-up's extension is locked";
    SendMessageW(GetDlgItem(editor, FormRegist::kTextProgram), WM_SETTEXT, 0,
                 reinterpret_cast<LPARAM>(probe_.c_str()));
    PostMessageW(GetDlgItem(editor, FormRegist::kCommandOk), BM_CLICK, 0, 0);
    EXPECT_EQ(ProbeLog(log_), ShortPath(probe_) + L" " + file + L"\n");
    EXPECT_TRUE(tolvare.Exits());
    EXPECT_EQ(ReadFileBytes(dir_ / L"tolvare.ini"),
              ToCp932(L"[MARK]\r\nDOC_0=DOC,C:\\doc.exe,文書\r\nZIP_0=ZIP," + probe_ + L",probe.exe\r\n"));
    EXPECT_EQ(ReadFileBytes(dir_ / L"tolvare.ini.bk"), ToCp932(L"[MARK]\r\nDOC_0=DOC,C:\\doc.exe,文書\r\n"));
}

TEST_F(E2E, ASecondStartOnTheSameProfileIsRefusedInFrontHoweverItsPathIsSpelled) {
    WriteProfile(L"TXT_0=TXT," + probe_ + L",プローブ\r\nTXT_1=TXT," + probe_ + L",もう一つ\r\n");
    const Process first(exe_, Quoted(dir_ / L"a.txt"));  // the selection window, topmost, stays open
    ASSERT_NE(WaitForWindow(first, nullptr, L"起動アプリケーション選択"), nullptr);
    // A renamed copy beside it, started by its short path, and the exe by its path in upper case
    // work on the same profile.
    const std::wstring other = dir_ / L"other copy.exe";
    ASSERT_TRUE(CopyFileTo(exe_, other));
    std::wstring upper = exe_;
    CharUpperBuffW(upper.data(), static_cast<DWORD>(upper.size()));
    for (const std::wstring& spelling : {ShortPath(other), upper}) {
        const Process second(spelling, Quoted(dir_ / L"c.txt"));
        HWND box = WaitForWindow(second, L"#32770", nullptr);
        ASSERT_NE(box, nullptr) << spelling;
        EXPECT_EQ(std::tuple(ReadBox(box).text, ReadBox(box).title),
                  std::tuple(L"ﾌﾟﾛｸﾞﾗﾑの二重起動は出来ません", L"TOLVARE"));
        EXPECT_TRUE(GetWindowLongPtrW(box, GWL_EXSTYLE) & WS_EX_TOPMOST) << "behind the selection window";
        Press(box, IDOK);
        EXPECT_TRUE(second.Exits());
    }
    EXPECT_FALSE(first.Exits(0)) << "the first instance ended";
    EXPECT_FALSE(ReadFileBytes(log_)) << "the second instance launched a program";
}

}  // namespace
}  // namespace tolvare::test
