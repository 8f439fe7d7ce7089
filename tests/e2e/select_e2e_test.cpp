// The selection window as a user meets it: a file whose extension has three registrations opens
// the numbered buttons in tolvare.exe; pressing one starts that program and TOLVARE is gone.
#include "tests/e2e/e2e_fixture.h"
#include "win32/window.h"

#include <windows.h>

namespace tolvare::test {
namespace {

constexpr wchar_t kSelectCaption[] = L"起動アプリケーション選択";

std::vector<HWND> ButtonsOf(HWND window) {
    std::vector<HWND> buttons;
    EnumChildWindows(
        window,
        [](HWND child, LPARAM out) -> BOOL {
            wchar_t cls[16] = {};
            GetClassNameW(child, cls, 16);
            if (lstrcmpiW(cls, L"Button") == 0) reinterpret_cast<std::vector<HWND>*>(out)->push_back(child);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&buttons));
    return buttons;
}

using SelectE2E = EndToEnd;

TEST_F(SelectE2E, SecondButtonStartsItsProgramWithTheFileAndTolvareEnds) {
    const std::wstring second = dir_ / L"probe two.exe";
    ASSERT_TRUE(CopyFileTo(probe_, second));
    const std::wstring file = MakeFile(dir_.MakeDir(L"a b") + L"\\report.txt");
    WriteProfile({L"TXT_0=TXT," + (dir_ / L"missing.exe") + L",一つ目", L"TXT_1=TXT," + second + L",二つ目",
                  L"TXT_2=TXT," + probe_ + L",三つ目"});
    ChildProcess tolvare = StartTolvare(Quoted(file));
    ASSERT_TRUE(tolvare.started());
    HWND window = WaitForWindowOf(tolvare.id(), nullptr, kSelectCaption);
    ASSERT_NE(window, nullptr) << "no selection window";
    EXPECT_TRUE(GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOPMOST);

    const std::vector<HWND> buttons = ButtonsOf(window);
    ASSERT_EQ(buttons.size(), 3u);
    EXPECT_EQ(WindowText(buttons[0]), L"一つ目 (&1)");
    EXPECT_EQ(WindowText(buttons[1]), L"二つ目 (&2)");
    EXPECT_EQ(WindowText(buttons[2]), L"三つ目 (&3)");
    EXPECT_TRUE(ProbeLines().empty()) << "something started before a button was pressed";

    PostMessageW(buttons[1], BM_CLICK, 0, 0);
    EXPECT_EQ(WaitForProbeLines(1), std::vector<std::wstring>{ShortPath(second) + L" " + file});
    EXPECT_TRUE(tolvare.WaitForExit()) << "tolvare.exe still runs after the press";
    EXPECT_EQ(tolvare.ExitCode(), std::optional<DWORD>(0));
}

}  // namespace
}  // namespace tolvare::test
