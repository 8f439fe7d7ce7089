// Start-up as a user meets it: a file handed to tolvare.exe opens with the one registered
// program, exactly as given; a second start is refused; a program that cannot start is reported.
#include "tests/e2e/e2e_fixture.h"
#include "tests/support/dialog_answerer.h"
#include "tests/support/expect_message.h"

namespace tolvare::test {
namespace {

constexpr wchar_t kTitle[] = L"TOLVARE";

class StartupE2E : public EndToEnd {
protected:
    // The command line the probe must receive: its path in short form, one space, the file.
    std::wstring LaunchLine(const std::wstring& file) const { return ShortPath(probe_) + L" " + file; }

    // Starts tolvare.exe with `arguments`, expects it to end by itself without a window and the
    // probe to have been started once with `file`.
    void ExpectLaunch(const std::wstring& arguments, const std::wstring& file) {
        ChildProcess tolvare = StartTolvare(arguments);
        ASSERT_TRUE(tolvare.started());
        EXPECT_TRUE(tolvare.WaitForExit())
            << "tolvare.exe is still running; its windows: " << WindowsOf(tolvare.id()).size();
        EXPECT_EQ(WaitForProbeLines(1), std::vector<std::wstring>{LaunchLine(file)});
    }
};

TEST_F(StartupE2E, QuotedPathWithSpacesReachesTheProgramWithoutQuotes) {
    const std::wstring file = MakeFile(dir_.MakeDir(L"a b") + L"\\c.txt");
    WriteProfile({L"TXT_0=TXT," + probe_ + L",プローブ"});
    ExpectLaunch(Quoted(file), file);
}

TEST_F(StartupE2E, TwoPathsSeparatedByASpaceAreOnePathWithTheLastExtension) {
    const std::wstring first = MakeFile(dir_ / L"one.txt");
    const std::wstring second = MakeFile(dir_ / L"two.doc");
    // Were TXT chosen, the missing program would fail to start and tolvare would not end.
    WriteProfile({L"DOC_0=DOC," + probe_ + L",文書", L"TXT_0=TXT," + (dir_ / L"missing.exe") + L",テキスト"});
    ExpectLaunch(first + L" " + second, first + L" " + second);
}

TEST_F(StartupE2E, ShortFormPathFindsTheLongExtensionAndIsPassedOnUnchanged) {
    const std::wstring file = MakeFile(dir_.MakeDir(L"a b") + L"\\report file.html");
    const std::wstring shortFile = ShortPath(file);
    if (shortFile.find(L'~') == std::wstring::npos) GTEST_SKIP() << "no short names on this volume";
    WriteProfile({L"HTM_0=HTM," + (dir_ / L"missing.exe") + L",短い", L"HTML_0=HTML," + probe_ + L",長い"});
    ExpectLaunch(shortFile, shortFile);
}

TEST_F(StartupE2E, SecondInstanceIsRefusedAndEnds) {
    const std::wstring file = MakeFile(dir_ / L"c.txt");
    WriteProfile({L"TXT_0=TXT," + probe_ + L",プローブ"});
    ChildProcess first = StartTolvare(L"");  // no file: the list stays open
    ASSERT_TRUE(first.WaitForInputIdle()) << "the first instance never became idle";
    ASSERT_TRUE(first.Running());

    // A renamed copy beside the first works on the same profile: it is refused as well.
    const std::wstring other = dir_ / L"other.exe";
    ASSERT_TRUE(CopyFileTo(exe_, other));
    ChildProcess second = ChildProcess::Start(other, Quoted(other) + L" " + Quoted(file));
    HWND box = WaitForBoxOf(second.id());
    ASSERT_NE(box, nullptr) << "the second instance showed no message";
    SeenBox seen = ReadBox(box);
    ExpectMessage(seen, {.text = L"ﾌﾟﾛｸﾞﾗﾑの二重起動は出来ません", .title = kTitle, .buttons = {IDOK}});
    EXPECT_TRUE(seen.hasIcon);
    PressButton(box, IDOK);
    EXPECT_TRUE(second.WaitForExit());
    EXPECT_TRUE(first.Running());
    EXPECT_TRUE(ProbeLines().empty()) << "the second instance launched a program";
}

TEST_F(StartupE2E, FailedStartIsReportedThenAskedAboutAndNoEndsTheProgram) {
    // Unquoted, the platform would try "...\hijack\My" first and start the My.exe that is there.
    const std::wstring missing = dir_.MakeDir(L"hijack") + L"\\My App\\missing.exe";
    ASSERT_TRUE(CopyFileTo(probe_, dir_ / L"hijack\\My.exe"));
    const std::wstring file = MakeFile(dir_.MakeDir(L"a b") + L"\\c.txt");
    WriteProfile({L"TXT_0=TXT," + missing + L",無い"});
    ChildProcess tolvare = StartTolvare(Quoted(file));

    HWND error = WaitForBoxOf(tolvare.id());
    ASSERT_NE(error, nullptr) << "no message for the failed start";
    SeenBox seen = ReadBox(error);
    ExpectMessage(seen, {.text = L"プログラム起動時にエラーが発生しました\r\n",
                         .title = kTitle,
                         .buttons = {IDOK},
                         .textIsPrefix = true});
    EXPECT_TRUE(seen.hasIcon);
    std::vector<std::wstring> lines = BoxLines(seen.text);
    ASSERT_EQ(lines.size(), 3u) << "message, command line and the system's reason";
    // A missing program has no short form, so it is started as written.
    EXPECT_EQ(lines[1], missing + L" " + file);
    EXPECT_FALSE(lines[2].empty());
    PressButton(error, IDOK);

    HWND question = WaitForBoxOf(tolvare.id(), kProcessTimeoutMs, error);
    ASSERT_NE(question, nullptr) << "no question after the failed start";
    ExpectMessage(ReadBox(question),
                  {.text = L"設定を確認しますか？", .title = kTitle, .buttons = {IDYES, IDNO}});
    PressButton(question, IDNO);
    EXPECT_TRUE(tolvare.WaitForExit()) << "tolvare.exe did not end after No";
    EXPECT_TRUE(ProbeLines().empty()) << "a program other than the registered one started";
}

// Explorer's "Open with" list names the exe by its description, read in the user's language or
// in English: both blocks must hold it intact (the resource compiler gets the Japanese right).
TEST(VersionResource, BothLanguagesDescribeTheExe) {
    const std::wstring exe = WindowsPathOf(TOLVARE_EXE_PATH);
    DWORD ignored = 0;
    std::vector<char> info(GetFileVersionInfoSizeW(exe.c_str(), &ignored));
    ASSERT_FALSE(info.empty());
    ASSERT_TRUE(GetFileVersionInfoW(exe.c_str(), 0, static_cast<DWORD>(info.size()), info.data()));
    for (const wchar_t* block : {L"041104B0", L"040904B0"}) {
        SCOPED_TRACE(ToCp932(block));
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
