// The Win32 layer against the real platform: the command line, names and files, processes,
// message boxes, and the profile file as the platform's own reader sees it.
#include <windows.h>
#undef MessageBox

#include <array>
#include <random>
#include <set>

#include "core/paths.h"
#include "tests/support/win_test.h"
#include "win32/win32_system.h"
#include "win32/window_registry.h"

namespace tolvare {
namespace {

using namespace tolvare::test;
using PlatformTest = WinTest;

TEST(ArgumentsOf, KeepsEverythingAfterTheProgramNameAndItsBlanks) {
    const std::pair<const wchar_t*, const wchar_t*> cases[] = {
        {L"\"C:\\Program Files\\t.exe\" C:\\a b\\c.txt", L"C:\\a b\\c.txt"},
        {L"C:\\t.exe   \"C:\\x y.txt\"  ", L"\"C:\\x y.txt\"  "},
        {L"t.exe \t a\t b \t", L"a\t b \t"},
        {L"C:\\\"a b\"\\t.exe z", L"z"},
        {L"\"C:\\a b\\t.exe\"", L""},
        {L"", L""},
    };
    for (const auto& [line, args] : cases) EXPECT_EQ(ArgumentsOf(line), args) << line;
}

TEST_F(PlatformTest, AnUnreadableProfileIsAFailureAndAFailureGivesThePlatformsText) {
    // A folder in the profile's place is unreadable, not missing: nothing may be saved over it.
    for (const auto& [path, status] : {std::pair{dir_ / L"no\\none.ini", ReadStatus::kNotFound},
                                       std::pair{dir_.path(), ReadStatus::kFailed}}) {
        std::string bytes;
        SysError err;
        EXPECT_EQ(Sys().ReadWholeFile(path, bytes, err), status) << path;
    }
    EXPECT_EQ(Sys().FirstDirEntry(dir_.path() + L"\\", true), L".") << "a folder's first entry, not itself";
    // The platform's text for a known code, as the boxes show it.
    for (const DWORD code :
         {ERROR_FILE_NOT_FOUND, ERROR_ACCESS_DENIED, ERROR_SHARING_VIOLATION, ERROR_DISK_FULL})
        EXPECT_EQ(Sys().ErrorText(code), SystemText(code));
}

TEST_F(PlatformTest, OnlyTheRegisteredFileStartsNeverOneInTheCurrentFolderNorABatchFilesCommands) {
    const std::wstring probe = WindowsPathOf(TOLVARE_PROBE_PATH), log = dir_ / L"probe.log";
    ASSERT_TRUE(SetEnvironmentVariableW(L"TOLVARE_PROBE_LOG", log.c_str()));
    // Probes that must never run: My.exe beside a missing "My App\\x.exe" and a "My<TAB>App" folder
    // (given either line unquoted the platform would start My.exe), and in the current folder a
    // planted program and the one a batch file's "&" would start.
    for (const wchar_t* name : {L"My.exe", L"planted.exe", L"evil.exe"})
        ASSERT_TRUE(CopyFileTo(probe, dir_ / name));
    CreateDirectoryW((dir_ / L"My\tApp").c_str(), nullptr);
    ASSERT_TRUE(WriteFileBytes(dir_ / L"run.bat", "@\"" + ToCp932(probe) + "\" %*\r\n"));
    const std::filesystem::path current = std::filesystem::current_path();
    std::filesystem::current_path(dir_.path());
    const std::wstring tab = dir_ / L"My\tApp\\missing.exe", amp = dir_ / L"x&evil.exe&.txt";
    const std::wstring blank = dir_ / L"My App\\missing.exe";
    std::vector<Box> expected;
    for (const auto& [program, file, shown, reason] : std::vector<std::array<std::wstring, 4>>{
             {tab, L"C:\\a.txt", tab, SystemText(2)},
             {blank, L"C:\\a.txt", blank, SystemText(2)},
             {L"planted.exe", L"C:\\a.txt", L"planted.exe", SystemText(2)},
             {dir_ / L"run.bat", amp, ShortPath(dir_ / L"run.bat"),
              L"ファイル名に、バッチファイルへ渡せない文字（& | < > ^ %）が含まれています。"}}) {
        boxes.Answer(IDOK);
        EXPECT_EQ(RunProgram(program, file), 0u) << program;
        const std::wstring text =
            L"プログラム起動時にエラーが発生しました\r\n" + shown + L" " + file + L"\r\n";
        expected.push_back({text + reason, L"TOLVARE", 'S', {IDOK}});
    }
    EXPECT_EQ(boxes.seen, expected);
    // A system program's name starts the system's program, never one planted under its name in
    // the current folder; a harmless name goes through the batch file to the probe: the one line
    // the log ever gets.
    ASSERT_TRUE(CopyFileTo(probe, dir_ / L"hostname.exe"));
    EXPECT_NE(RunProgram(L"hostname.exe", L"C:\\a.txt"), 0u);
    EXPECT_NE(RunProgram(dir_ / L"run.bat", dir_ / L"a b.txt"), 0u);
    std::optional<std::string> lines;
    PollUntil([&] { return (lines = ReadFileBytes(log)) && lines->ends_with('\n'); });
    std::filesystem::current_path(current);
    SetEnvironmentVariableW(L"TOLVARE_PROBE_LOG", nullptr);
    EXPECT_TRUE(lines && lines->find('\n') + 1 == lines->size() && FromUtf8(*lines).ends_with(L"a b.txt\n"))
        << lines.value_or("(nothing started)");
    // This exe however spelled, and no other.
    const std::wstring self = ModulePath();
    const size_t slash = self.rfind(L'\\');
    for (const auto& spelling :
         {ShortPath(self), Sys().ToUpper(self), self.substr(0, slash) + L"\\." + self.substr(slash)})
        EXPECT_TRUE(Sys().IsThisExe(spelling)) << spelling;
    EXPECT_FALSE(Sys().IsThisExe(dir_ / L"My.exe"));
}

TEST_F(PlatformTest, OneLockPerProfileHoweverSpelledAndALockThatCannotBeMadeIsHeld) {
    Win32System sys;
    const std::wstring folder = dir_.MakeDir(L"Profile Folder"),
                       name = sys.InstanceLockName(folder + L"\\t.ini");
    for (const auto& spelling : {ShortPath(folder) + L"\\t.ini", sys.ToUpper(folder) + L"\\T.INI",
                                 folder + L"\\..\\Profile Folder\\.\\t.ini"})
        EXPECT_EQ(sys.InstanceLockName(spelling), name) << spelling;
    EXPECT_NE(sys.InstanceLockName(dir_ / L"t.ini"), name);
    HANDLE other = CreateEventW(nullptr, FALSE, FALSE, name.c_str());  // the name taken: no mutex
    EXPECT_TRUE(sys.AnotherInstanceRunning(folder + L"\\t.ini"));
    CloseHandle(other);
}

TEST_F(PlatformTest, BoxesAreOwnedByTheFrontWindowAndNeverBehindATopmostOne) {
    HWND owner = nullptr;
    bool topmost = false;
    boxes.custom = [&](HWND dlg) {
        owner = GetWindow(dlg, GW_OWNER);
        topmost = (GetWindowLongPtrW(dlg, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
        return false;  // and answer it as a box
    };
    const auto popup = [](DWORD exStyle) {
        HWND w = CreateWindowExW(exStyle | WS_EX_NOACTIVATE, L"STATIC", L"", WS_POPUP, 0, 0, 50, 50, nullptr,
                                 nullptr, nullptr, nullptr);
        ShowWindow(w, SW_SHOWNOACTIVATE);
        return w;
    };
    // With none active, the newest of the program's windows that can take input owns the box.
    HWND front = popup(0), disabled = popup(0);
    RegisterProgramWindow(front);
    RegisterProgramWindow(disabled);
    EnableWindow(disabled, FALSE);
    ASSERT_EQ(GetActiveWindow(), nullptr);
    EXPECT_EQ(Window::FrontWindow(), front);
    boxes.Answer(IDYES).Answer(IDOK);
    EXPECT_EQ(Sys().MessageBox(L"text", L"TOLVARE", kMbYesNo | kMbIconQuestion), kIdYes);
    EXPECT_EQ(owner, front);
    EXPECT_FALSE(topmost);
    for (HWND w : {front, disabled}) ForgetProgramWindow(w), DestroyWindow(w);
    // With none at all, a box still stands in front of a topmost window.
    HWND top = popup(WS_EX_TOPMOST);
    ASSERT_EQ(GetActiveWindow(), nullptr);
    EXPECT_EQ(Sys().MessageBox(L"text", L"TOLVARE", kMbOk), kIdOk);
    EXPECT_EQ(owner, nullptr);
    EXPECT_TRUE(topmost);
    DestroyWindow(top);
}

TEST_F(PlatformTest, TheReaderAgreesWithGetPrivateProfileStringOnEverySavedFile) {
    ASSERT_EQ(GetACP(), 932u) << "the test prefix must run with the Japanese ANSI code page";
    // clang-format off
    const wchar_t* marks[] = {L"TXT", L"txt", L"'A", L"ｶﾅ", L"拡張", L"A_0", L"X'"};
    const wchar_t* values[] = {L"", L"エディタ", L" C:\\Program Files\\x.exe ", L"\\\\server\\ツール.exe", L"'q'",
                               L"\"C:\\a b\\c.exe\"", L"a=b;c[d]", L"ｴﾃﾞｨﾀ"};
    // clang-format on
    std::mt19937 random(932);
    GetMarkProfileAll(markTable);
    for (int round = 0; round < 40; ++round) {
        markTable.Erase();
        for (int i = 1 + static_cast<int>(random() % 25); i > 0; --i) {
            markTable.Append({marks[random() % 7], values[random() % 8], values[random() % 8]});
        }
        SaveMarkProfileAll(markTable);
        std::vector<std::wstring> keys = {L"NONE_0", L"TXT_10", L"txt_0", L" TXT_0"};
        for (const auto& line : ProfileLines(markTable)) keys.push_back(line.substr(0, line.find(L'=')));
        for (const auto& key : keys) {
            char value[255] = {};
            const DWORD n = GetPrivateProfileStringA("MARK", ToCp932(key).c_str(), "nodata", value,
                                                     sizeof value, ToCp932(profilePath).c_str());
            ASSERT_EQ(GetProfileValue(L"MARK", key, L"nodata", profilePath), Sys().FromCp932({value, n}))
                << "round " << round << " key " << ::testing::PrintToString(key);
        }
    }
}

TEST_F(PlatformTest, LeftoversOfKilledSavesGoAndNeverBlockASave) {
    // A folder where an earlier version wrote its new file, a leftover held open by another program
    // (a scanner), a free one, and a file that only looks like one.
    dir_.MakeDir(L"tolvare.ini.new");
    for (const wchar_t* name :
         {L"tolvare.ini.0000cafe.tmp", L"tolvare.ini.1234ABCD.tmp", L"tolvare.ini.notes.tmp"})
        WriteFileBytes(dir_ / name, "[MARK]\r\nHA");
    HANDLE held =
        CreateFileW((dir_ / L"tolvare.ini.0000cafe.tmp").c_str(), GENERIC_READ, 0, 0, OPEN_EXISTING, 0, 0);
    GetMarkProfileAll(markTable);
    markTable.Rows() = {{L"NEW", L"n", L"m"}};
    EXPECT_EQ(SaveMarkProfileAll(markTable), SaveResult::kSaved);
    CloseHandle(held);
    EXPECT_EQ(Bytes(profilePath), "[MARK]\r\nNEW_0=NEW,n,m\r\n");
    std::set<std::wstring> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir_.path()))
        names.insert(entry.path().filename());
    EXPECT_EQ(names, (std::set<std::wstring>{L"tolvare.ini", L"tolvare.ini.0000cafe.tmp", L"tolvare.ini.new",
                                             L"tolvare.ini.notes.tmp"}));
}

}  // namespace
}  // namespace tolvare
