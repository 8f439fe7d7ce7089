// Win32System's own decisions against the real platform (Wine): reading the command line and
// code page 932, short and listed names, reading a file, processes and message boxes.
#include "win32/win32_system.h"

#include <windows.h>
#undef MessageBox

#include <gtest/gtest.h>

#include <string>

#include "core/paths.h"
#include "tests/support/dialog_answerer.h"
#include "tests/support/process_driver.h"
#include "tests/support/test_files.h"

namespace tolvare {
namespace {

using namespace tolvare::test;

Win32System sys;

TEST(ArgumentsOf, KeepsEverythingAfterTheProgramNameAndItsBlanks) {
    const std::pair<const wchar_t*, const wchar_t*> cases[] = {
        {L"\"C:\\Program Files\\t.exe\" C:\\a b\\c.txt", L"C:\\a b\\c.txt"},
        {L"C:\\t.exe   \"C:\\x y.txt\"  ", L"\"C:\\x y.txt\"  "},
        {L"t.exe \t a\t b \t", L"a\t b \t"},
        {L"C:\\\"a b\"\\t.exe z", L"z"},
        {L"\"C:\\a b\\t.exe\"", L""},
        {L"t.exe   ", L""},
        {L"", L""},
    };
    for (const auto& [line, args] : cases) EXPECT_EQ(ArgumentsOf(line), args) << line;
}

TEST(Cp932, ReportsWhatTheCodePageCannotHoldAndNeverBestFits) {
    bool lossy = true;
    const std::string bytes = sys.ToCp932(L"ｱ，日本\xFF5E", &lossy);
    EXPECT_FALSE(lossy);
    EXPECT_EQ(bytes, "\xB1\x81\x43\x93\xFA\x96\x7B\x81\x60");
    for (const wchar_t* text : {L"\x301C", L"\xA5", L"caf\xE9"}) {
        lossy = false;
        // Best fit would turn the yen sign into "\", a path separator.
        EXPECT_EQ(sys.ToCp932(text, &lossy).find('\\'), std::string::npos) << text;
        EXPECT_TRUE(lossy) << text;
    }
}

TEST(Win32System, ReadsShortAndListedNamesAndTellsAMissingFileFromAnUnreadableOne) {
    TempDir dir{L"tolvare platform"};
    const std::wstring hidden = dir / L"hidden report.html";
    ASSERT_TRUE(WriteFileBytes(hidden, "x") && SetFileAttributesW(hidden.c_str(), FILE_ATTRIBUTE_HIDDEN));
    dir.MakeDir(L"sub folder");
    wchar_t expected[MAX_PATH];
    ASSERT_NE(GetShortPathNameW(hidden.c_str(), expected, MAX_PATH), 0u);
    EXPECT_EQ(sys.ShortPathName(hidden), std::optional<std::wstring>(expected));
    EXPECT_EQ(sys.ShortPathName(dir / L"missing file.txt"), std::nullopt);
    // A short form longer than MAX_PATH still comes back whole.
    std::wstring deep = L"\\\\?\\" + dir.path(), deepShort(1024, L'\0');
    for (int i = 0; i < 30; ++i) ASSERT_TRUE(CreateDirectoryW((deep += L"\\abcdefgh").c_str(), nullptr));
    deepShort.resize(GetShortPathNameW(deep.c_str(), deepShort.data(), 1024));
    EXPECT_EQ(sys.ShortPathName(deep), std::optional<std::wstring>(deepShort));

    EXPECT_EQ(sys.FirstDirEntry(expected, false), L"hidden report.html");
    EXPECT_EQ(sys.FirstDirEntry(dir / L"sub*", false), L"");
    EXPECT_EQ(sys.FirstDirEntry(dir / L"sub*", true), L"sub folder");
    EXPECT_EQ(sys.FirstDirEntry(dir.path() + L"\\", true), L".");

    for (const auto& [path, status] : {std::pair{dir / L"none.ini", ReadStatus::kNotFound},
                                       std::pair{dir / L"no\\none.ini", ReadStatus::kNotFound},
                                       std::pair{dir.path(), ReadStatus::kFailed}}) {
        std::string bytes;
        SysError err;
        EXPECT_EQ(sys.ReadWholeFile(path, bytes, err), status) << path;
        EXPECT_EQ(err.code != 0 && !err.text.empty() && err.text.back() != L'\n',
                  status == ReadStatus::kFailed)
            << path;
    }
}

TEST(StartProcess, ReportsAFailedStartAndRunProgramStartsTheRegisteredProgramOrNone) {
    SysError err;
    EXPECT_EQ(sys.StartProcess(L"C:\\no such folder\\nothing.exe C:\\a.txt", err), 0u);
    EXPECT_TRUE(err.code != 0 && !err.text.empty() && err.text.back() != L'\n' && err.text.back() != L'\r')
        << err.code << ": " << err.text;
    // Given this unquoted line the platform itself starts the My.exe that happens to exist.
    TempDir dir{L"tolvare hijack"};
    ASSERT_TRUE(CopyFileTo(WindowsPathOf(TOLVARE_PROBE_PATH), dir / L"My.exe"));
    const std::wstring missing = dir / L"My App\\missing.exe";
    EXPECT_NE(sys.StartProcess(missing + L" C:\\a.txt", err), 0u) << "the platform no longer tries prefixes";
    SetSystem(&sys);
    DialogAnswerer boxes;
    boxes.Answer(IDOK);
    EXPECT_EQ(RunProgram(missing, L"C:\\a.txt"), 0u);
    ASSERT_EQ(boxes.Seen().size(), 1u);
    EXPECT_EQ(boxes.Seen()[0].text, L"プログラム起動時にエラーが発生しました\r\n" + missing +
                                        L" C:\\a.txt\r\n" + sys.ErrorText(ERROR_FILE_NOT_FOUND));
}

TEST(MessageBox, OwnedByTheActiveWindowAndNeverBehindATopmostOne) {
    HWND owner = nullptr;
    bool topmost = false;
    DialogAnswerer boxes;
    boxes.SetCustomHandler([&](HWND dlg) {
        owner = GetWindow(dlg, GW_OWNER);
        topmost = (GetWindowLongPtrW(dlg, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
        return false;  // and now answer it as a box
    });
    boxes.Answer(IDOK).Answer(IDYES);
    HWND top = CreateWindowExW(WS_EX_TOPMOST | WS_EX_NOACTIVATE, L"STATIC", L"top", WS_POPUP, 0, 0, 50, 50,
                               nullptr, nullptr, nullptr, nullptr);
    ShowWindow(top, SW_SHOWNOACTIVATE);
    ASSERT_EQ(GetActiveWindow(), nullptr);
    EXPECT_EQ(sys.MessageBox(L"text", L"TOLVARE", kMbOk), kIdOk);
    EXPECT_EQ(owner, nullptr);
    EXPECT_TRUE(topmost);
    DestroyWindow(top);

    HWND active = CreateWindowExW(0, L"STATIC", L"active", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100,
                                  nullptr, nullptr, nullptr, nullptr);
    SetActiveWindow(active);
    EXPECT_EQ(sys.MessageBox(L"text", L"TOLVARE", kMbYesNo | kMbIconQuestion), kIdYes);
    EXPECT_EQ(owner, active);
    EXPECT_FALSE(topmost);
    DestroyWindow(active);
}

// The parent holds the lock of a profile no other test uses and starts this same test again as
// a second process, which asks about the profile it is given and answers by its exit code.
TEST(AnotherInstance, IsSeenPerProfileHoweverThePathIsSpelled) {
    wchar_t asked[MAX_PATH] = {};
    if (GetEnvironmentVariableW(L"TOLVARE_LOCK_PROFILE", asked, MAX_PATH) != 0) {
        ExitProcess(sys.AnotherInstanceRunning(asked) ? 42 : 43);
    }
    const std::wstring folder = L"C:\\tolvare lock " + std::to_wstring(GetCurrentProcessId());
    ASSERT_FALSE(sys.AnotherInstanceRunning(folder + L"\\tolvare.ini"));
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    const std::pair<std::wstring, DWORD> cases[] = {
        {folder + L"\\TOLVARE.INI", 42},
        {folder + L"\\sub\\..\\tolvare.ini", 42},
        {folder + L"\\other.ini", 43},
    };
    for (const auto& [profile, code] : cases) {
        SetEnvironmentVariableW(L"TOLVARE_LOCK_PROFILE", profile.c_str());
        const ChildProcess child =
            ChildProcess::Start(self, Quoted(self) + L" --gtest_filter=AnotherInstance.*");
        SetEnvironmentVariableW(L"TOLVARE_LOCK_PROFILE", nullptr);
        ASSERT_TRUE(child.started() && child.WaitForExit()) << child.startError();
        EXPECT_EQ(child.ExitCode(), code) << profile;
    }
}

}  // namespace
}  // namespace tolvare
