// Win32System against the real platform (Wine): files, code page 932, paths, processes, boxes.
#include "win32/win32_system.h"

#include <windows.h>
#undef MessageBox

#include <gtest/gtest.h>

#include <string>

namespace tolvare {
namespace {

Win32System sys;

std::wstring ReadBack(const std::wstring& path) {
    std::string bytes;
    SysError err;
    EXPECT_EQ(sys.ReadWholeFile(path, bytes, err), ReadStatus::kOk) << err.code;
    return sys.FromCp932(bytes);
}

// A fresh folder per test, removed with everything in it.
class Win32SystemFiles : public ::testing::Test {
protected:
    void SetUp() override {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        dir_ = std::wstring(temp) + L"plat-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
               std::to_wstring(GetTickCount64());
        ASSERT_TRUE(CreateDirectoryW(dir_.c_str(), nullptr));
    }
    void TearDown() override { RemoveTree(dir_); }
    static void RemoveTree(const std::wstring& dir) {
        WIN32_FIND_DATAW d;
        HANDLE h = FindFirstFileW((dir + L"\\*").c_str(), &d);
        for (bool more = h != INVALID_HANDLE_VALUE; more; more = FindNextFileW(h, &d)) {
            const std::wstring name = d.cFileName, path = dir + L"\\" + name;
            if (name == L"." || name == L"..") continue;
            SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (d.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) RemoveTree(path);
            else DeleteFileW(path.c_str());
        }
        if (h != INVALID_HANDLE_VALUE) FindClose(h);
        RemoveDirectoryW(dir.c_str());
    }
    std::wstring Make(const std::wstring& name, const std::string& bytes = "x",
                      DWORD attributes = FILE_ATTRIBUTE_NORMAL) {
        const std::wstring path = dir_ + L"\\" + name;
        HANDLE h = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, attributes,
                               nullptr);
        EXPECT_NE(h, INVALID_HANDLE_VALUE);
        DWORD written = 0;
        WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        CloseHandle(h);
        return path;
    }
    std::wstring dir_;
};

TEST(ArgumentsOf, KeepsEverythingAfterTheProgramNameAndItsBlanks) {
    const struct {
        const wchar_t* line;
        const wchar_t* args;
    } cases[] = {
        {L"\"C:\\Program Files\\t.exe\" C:\\a b\\c.txt", L"C:\\a b\\c.txt"},
        {L"C:\\t.exe   \"C:\\x y.txt\"  ", L"\"C:\\x y.txt\"  "},
        {L"t.exe \t a\t b \t", L"a\t b \t"},
        {L"C:\\\"a b\"\\t.exe z", L"z"},
        {L"\"C:\\a b\\t.exe\"", L""},
        {L"t.exe   ", L""},
        {L"", L""},
    };
    for (const auto& c : cases) EXPECT_EQ(ArgumentsOf(c.line), c.args) << c.line;
    EXPECT_EQ(ArgumentsOf(nullptr), L"");
}

TEST(Cp932, RoundTripsWhatTheCodePageHolds) {
    const struct {
        const wchar_t* text;
        const char* bytes;
    } cases[] = {
        {L"ｱｲｳﾞ", "\xB1\xB2\xB3\xDE"}, {L"a，b", "a\x81\x43" "b"},
        {L"日本語", "\x93\xFA\x96\x7B\x8C\xEA"}, {L"\xFF5E", "\x81\x60"}, {L"", ""},
    };
    for (const auto& c : cases) {
        bool lossy = true;
        EXPECT_EQ(sys.ToCp932(c.text, &lossy), c.bytes) << c.bytes;
        EXPECT_FALSE(lossy) << c.bytes;
        EXPECT_EQ(sys.FromCp932(c.bytes), c.text) << c.bytes;
    }
}

TEST(Cp932, ReportsCharactersItCannotHoldAndNeverBestFits) {
    for (const wchar_t* text : {L"\x301C", L"\xD83D\xDE00", L"caf\xE9", L"\xA5", L"\x2212"}) {
        bool lossy = false;
        const std::string bytes = sys.ToCp932(text, &lossy);
        EXPECT_TRUE(lossy) << bytes;
        EXPECT_EQ(bytes.find('\\'), std::string::npos) << "a yen sign must not become a separator";
        EXPECT_NE(bytes, "cafe");
    }
}

TEST(ToUpper, UpperCasesLikeTheUserInterface) {
    EXPECT_EQ(sys.ToUpper(L"report.Html"), L"REPORT.HTML");
    EXPECT_EQ(sys.ToUpper(L"ｔｘｔ日本"), L"ＴＸＴ日本");
    EXPECT_EQ(sys.ToUpper(L""), L"");
}

TEST_F(Win32SystemFiles, ReadWholeFileTellsMissingFromUnreadable) {
    std::string bytes;
    SysError err;
    EXPECT_EQ(sys.ReadWholeFile(dir_ + L"\\none.ini", bytes, err), ReadStatus::kNotFound);
    EXPECT_EQ(sys.ReadWholeFile(dir_ + L"\\no\\none.ini", bytes, err), ReadStatus::kNotFound);

    err = {};
    EXPECT_EQ(sys.ReadWholeFile(dir_, bytes, err), ReadStatus::kFailed);
    EXPECT_NE(err.code, 0u);
    ASSERT_FALSE(err.text.empty());
    EXPECT_NE(err.text.back(), L'\n');

    const std::wstring locked = Make(L"locked.ini");
    HANDLE h = CreateFileW(locked.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_EQ(sys.ReadWholeFile(locked, bytes, err), ReadStatus::kFailed);
    EXPECT_EQ(err.code, static_cast<uint32_t>(ERROR_SHARING_VIOLATION));
    CloseHandle(h);

    const std::string binary("[MARK]\r\nA\0B\x81\x43\n", 14);
    EXPECT_EQ(sys.ReadWholeFile(Make(L"bin.ini", binary), bytes, err), ReadStatus::kOk);
    EXPECT_EQ(bytes, binary);
}

TEST_F(Win32SystemFiles, OutFileWritesCopiesAndReplaces) {
    const std::wstring out = dir_ + L"\\out.tmp", old = Make(L"tolvare.ini", "old");
    SysError err;
    auto file = sys.CreateOutFile(out, err);
    ASSERT_NE(file, nullptr);
    EXPECT_TRUE(file->Write("[MARK]\r\n", err));
    EXPECT_TRUE(file->Write(sys.ToCp932(L"TXT_0=TXT,C:\\E.EXE,エディタ\r\n"), err));
    EXPECT_TRUE(file->Commit(err));
    EXPECT_EQ(ReadBack(out), L"[MARK]\r\nTXT_0=TXT,C:\\E.EXE,エディタ\r\n");

    EXPECT_TRUE(sys.CopyFileOver(old, old + L".bk", err));
    EXPECT_TRUE(sys.ReplaceFileWith(out, old, err));
    EXPECT_EQ(ReadBack(old).substr(0, 6), L"[MARK]");
    EXPECT_EQ(ReadBack(old + L".bk"), L"old");
    EXPECT_FALSE(sys.FileAttributes(out).has_value());

    // A file dropped without Commit is closed: it can be deleted at once.
    sys.CreateOutFile(out, err)->Write("partial", err);
    EXPECT_TRUE(sys.DeleteFileAt(out, err));
    EXPECT_FALSE(sys.DeleteFileAt(out, err));
    EXPECT_EQ(err.code, static_cast<uint32_t>(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(sys.CreateOutFile(dir_ + L"\\no\\out.tmp", err), nullptr);
    EXPECT_EQ(err.code, static_cast<uint32_t>(ERROR_PATH_NOT_FOUND));
}

TEST_F(Win32SystemFiles, ShortPathNameIsThePlatformsShortForm) {
    const std::wstring longPath = Make(L"a very long file name.text");
    wchar_t expected[MAX_PATH];
    ASSERT_NE(GetShortPathNameW(longPath.c_str(), expected, MAX_PATH), 0u);
    EXPECT_EQ(sys.ShortPathName(longPath), std::optional<std::wstring>(expected));
    EXPECT_EQ(sys.ShortPathName(dir_ + L"\\missing file.txt"), std::nullopt);

    // A short form longer than MAX_PATH still comes back whole.
    std::wstring deep = L"\\\\?\\" + dir_;
    while (deep.size() < MAX_PATH + 20) {
        deep += L"\\abcdefgh";
        ASSERT_TRUE(CreateDirectoryW(deep.c_str(), nullptr));
    }
    std::wstring deepExpected(1024, L'\0');
    deepExpected.resize(GetShortPathNameW(deep.c_str(), deepExpected.data(), 1024));
    ASSERT_GT(deepExpected.size(), static_cast<size_t>(MAX_PATH));
    EXPECT_EQ(sys.ShortPathName(deep), std::optional<std::wstring>(deepExpected));
}

TEST_F(Win32SystemFiles, FirstDirEntryListsLongNamesHiddenFilesAndFolderContents) {
    const std::wstring hidden = Make(L"hidden report.html", "x", FILE_ATTRIBUTE_HIDDEN);
    ASSERT_TRUE(CreateDirectoryW((dir_ + L"\\sub folder").c_str(), nullptr));
    const auto shortHidden = sys.ShortPathName(hidden);
    ASSERT_TRUE(shortHidden.has_value());

    EXPECT_EQ(sys.FirstDirEntry(*shortHidden, false), L"hidden report.html");
    EXPECT_EQ(sys.FirstDirEntry(dir_ + L"\\sub*", false), L"");
    EXPECT_EQ(sys.FirstDirEntry(dir_ + L"\\sub*", true), L"sub folder");
    EXPECT_EQ(sys.FirstDirEntry(dir_ + L"\\", true), L".");
    EXPECT_EQ(sys.FirstDirEntry(dir_ + L"\\nothing*", true), L"");

    EXPECT_TRUE(*sys.FileAttributes(dir_ + L"\\sub folder") & kAttrDirectory);
    EXPECT_FALSE(*sys.FileAttributes(hidden) & kAttrDirectory);
    EXPECT_EQ(sys.FileAttributes(dir_ + L"\\nothing"), std::nullopt);
}

TEST(StartProcess, ReportsAFailedStartWithTheSystemsReason) {
    SysError err;
    EXPECT_EQ(sys.StartProcess(L"C:\\no such folder\\nothing.exe C:\\a.txt", err), 0u);
    EXPECT_NE(err.code, 0u);
    ASSERT_FALSE(err.text.empty());
    EXPECT_NE(err.text.back(), L'\n');
    EXPECT_NE(err.text.back(), L'\r');
}

// Message boxes are answered from a CBT hook, which also records how each box was made.
struct SeenBox {
    int answer = IDOK;
    HWND owner = nullptr;
    bool topmost = false;
    int count = 0;
};
thread_local SeenBox seen;

LRESULT CALLBACK AnswerBoxes(int code, WPARAM wParam, LPARAM lParam) {
    wchar_t cls[16] = {};
    HWND dlg = reinterpret_cast<HWND>(wParam);
    if (code == HCBT_ACTIVATE && GetClassNameW(dlg, cls, 16) && lstrcmpW(cls, L"#32770") == 0 &&
        GetPropW(dlg, L"plat-seen") == nullptr) {
        SetPropW(dlg, L"plat-seen", dlg);
        ++seen.count;
        seen.owner = GetWindow(dlg, GW_OWNER);
        SetTimer(dlg, 1, 10, [](HWND box, UINT, UINT_PTR id, DWORD) {
            KillTimer(box, id);
            RemovePropW(box, L"plat-seen");
            seen.topmost = (GetWindowLongPtrW(box, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
            PostMessageW(box, WM_COMMAND, seen.answer, 0);
        });
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST(MessageBox, OwnedByTheActiveWindowAndNeverBehindATopmostOne) {
    HHOOK hook = SetWindowsHookExW(WH_CBT, AnswerBoxes, nullptr, GetCurrentThreadId());
    ASSERT_NE(hook, nullptr);
    HWND topmost = CreateWindowExW(WS_EX_TOPMOST | WS_EX_NOACTIVATE, L"STATIC", L"top", WS_POPUP,
                                   0, 0, 50, 50, nullptr, nullptr, nullptr, nullptr);
    ShowWindow(topmost, SW_SHOWNOACTIVATE);
    ASSERT_EQ(GetActiveWindow(), nullptr);
    seen = {};
    EXPECT_EQ(sys.MessageBox(L"text", L"TOLVARE", kMbOk), kIdOk);
    EXPECT_EQ(seen.count, 1);
    EXPECT_EQ(seen.owner, nullptr);
    EXPECT_TRUE(seen.topmost);
    DestroyWindow(topmost);

    HWND active = CreateWindowExW(0, L"STATIC", L"active", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100,
                                  nullptr, nullptr, nullptr, nullptr);
    ShowWindow(active, SW_SHOW);
    SetActiveWindow(active);
    ASSERT_EQ(GetActiveWindow(), active);
    seen = {IDYES};
    EXPECT_EQ(sys.MessageBox(L"text", L"TOLVARE", kMbYesNo | kMbIconQuestion), kIdYes);
    EXPECT_EQ(seen.owner, active);
    EXPECT_FALSE(seen.topmost);
    DestroyWindow(active);
    UnhookWindowsHookEx(hook);
}

TEST(WaitForEvents, DispatchesPendingEventsAndKeepsTheQuit) {
    static bool fired = false;
    const UINT_PTR timer = SetTimer(nullptr, 0, 1, [](HWND, UINT, UINT_PTR, DWORD) { fired = true; });
    for (int i = 0; i < 50 && !fired; ++i) sys.WaitForEvents(100);
    KillTimer(nullptr, timer);
    EXPECT_TRUE(fired);

    PostQuitMessage(7);
    sys.WaitForEvents(0);
    MSG msg{};
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 7u);
}

std::wstring SelfCommand(const wchar_t* filter) {
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    return L"\"" + std::wstring(self) + L"\" --gtest_filter=" + filter;
}

// Runs only as the child of the test below, which holds the instance mutex meanwhile; its answer
// is its exit code.
TEST(AnotherInstance, SeenFromASecondProcess) {
    if (GetEnvironmentVariableW(L"TOLVARE_PARENT_RUNNING", nullptr, 0) == 0) {
        GTEST_SKIP() << "started by AnotherInstance.FirstProcessIsSeenByTheSecond";
    }
    ExitProcess(sys.AnotherInstanceRunning() ? 42 : 43);
}

TEST(AnotherInstance, FirstProcessIsSeenByTheSecond) {
    sys.AnotherInstanceRunning();  // another test process may hold it too: only the child counts
    SetEnvironmentVariableW(L"TOLVARE_PARENT_RUNNING", L"1");
    SysError err;
    const uint32_t pid = sys.StartProcess(SelfCommand(L"AnotherInstance.SeenFromASecondProcess"), err);
    SetEnvironmentVariableW(L"TOLVARE_PARENT_RUNNING", nullptr);
    ASSERT_NE(pid, 0u) << err.code;
    HANDLE child = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
    ASSERT_NE(child, nullptr);
    EXPECT_EQ(WaitForSingleObject(child, 60000), WAIT_OBJECT_0);
    DWORD code = 0;
    GetExitCodeProcess(child, &code);
    CloseHandle(child);
    EXPECT_EQ(code, 42u) << "43: the second process did not see the first";
}

}  // namespace
}  // namespace tolvare
