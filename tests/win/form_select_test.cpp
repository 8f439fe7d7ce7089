// The selection window in-process: its column of numbered buttons, the keys that choose one, the
// launch a choice makes, the ways the window ends the program, and the programs' icons.
#include "launcher/form_select.h"

#include <commctrl.h>
#include <shellapi.h>

#include <array>
#include <atomic>

#include "launcher/program_icons.h"
#include "registration/form_list.h"
#include "tests/support/win_test.h"

namespace tolvare {
namespace {

using namespace tolvare::test;

int exits = 0;

class FormSelectTest : public WinTest {
protected:
    void SetUp() override {
        WinTest::SetUp();
        SetSelectExitAction([](unsigned) { ++exits; });
        exits = 0;
        ASSERT_TRUE(SetEnvironmentVariableW(L"TOLVARE_PROBE_LOG", log_.c_str()));
        selectFile = dir_ / L"report a.txt";
    }
    void TearDown() override {
        DestroyWindow(Form_select().hwnd());  // still open when nothing ended the program
        SetSelectExitAction(nullptr);
    }
    // Row i starts its own copy of the probe; the ampersand must reach the captions undoubled.
    void FillTable(int rows) {
        markTable.Erase();
        for (int i = 1; i <= rows; ++i) {
            ASSERT_TRUE(CopyFileTo(WindowsPathOf(TOLVARE_PROBE_PATH), Program(i)));
            markTable.Append({L"TXT", Program(i), L"R&D ツール " + std::to_wstring(i)});
        }
    }
    HWND Show(int count) {
        selectCount = static_cast<int16_t>(count);
        ShowFormSelect();
        PumpFor(50);
        return Form_select().hwnd();
    }
    std::wstring Program(int row) const { return dir_ / (L"probe " + std::to_wstring(row) + L".exe"); }
    std::wstring Launch(int row) const { return ShortPath(Program(row)) + L" " + selectFile + L"\n"; }

    const std::wstring log_ = dir_ / L"probe.log";
};

TEST_F(FormSelectTest, AColumnOfNumberedButtonsWhoseChoiceStartsItsRowAndEndsTheProgram) {
    // The message goes to button 1 (BM_CLICK), to the window (WM_SYSCOMMAND) or to the focus (keys).
    const struct {
        int rows, selectCount, buttons;
        UINT message;
        WPARAM wParam;
        int chosenRow;  // 0: nothing starts
    } cases[] = {
        // clang-format off
        {2, 2, 2, BM_CLICK, 0, 2},           {2, 2, 2, WM_SYSCOMMAND, SC_CLOSE, 0},
        {3, 3, 3, WM_KEYDOWN, VK_ESCAPE, 0}, {10, 10, 10, WM_KEYDOWN, '0', 10},
        {3, 3, 3, WM_KEYDOWN, '2', 2},       {10, 10, 10, WM_KEYDOWN, VK_NUMPAD9, 9},
        {10, 10, 10, WM_KEYDOWN, VK_NUMPAD0, 10},  // the last keypad key is the tenth
        {3, 3, 3, WM_CHAR, '3', 3},          {3, 3, 3, WM_KEYDOWN, VK_RETURN, 1},
        {3, 3, 3, WM_KEYDOWN, VK_RETURN, 2},  // after Tab: Enter presses the button with the focus
        {3, 7, 3, WM_KEYDOWN, '5', 0},       {12, 12, 10, WM_KEYDOWN, '0', 10},     // never more than ten
        {2, 0, 1, WM_KEYDOWN, '2', 0},       {2, -5, 1, WM_KEYDOWN, VK_RETURN, 1},  // never fewer than one
        // clang-format on
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(&c - cases);
        DeleteFileW(log_.c_str());
        exits = 0;
        FillTable(c.rows);
        HWND hwnd = Show(c.selectCount);
        ASSERT_EQ(Form_select().ButtonCount(), c.buttons);
        const auto px = [dpi = WindowDpi(hwnd)](int tw) { return (LONG)MulDiv(tw, dpi, 1440); };
        EXPECT_EQ(WindowText(hwnd), L"起動アプリケーション選択");
        for (int k = 0; k < c.buttons; ++k) {
            RECT r{};
            GetWindowRect(Form_select().Button(k), &r);
            MapWindowPoints(nullptr, hwnd, (POINT*)&r, 2);
            EXPECT_EQ((std::array{r.left, r.top, r.right, r.bottom}),
                      (std::array{0L, px(k * 315), px(3315), px((k + 1) * 315)}));
            EXPECT_EQ(WindowText(Form_select().Button(k)),
                      markTable[k + 1].name + L" (&" + std::to_wstring((k + 1) % 10) + L")");
            EXPECT_TRUE(IsWindowVisible(Form_select().Button(k))) << "made at run time, and shown";
        }
        RECT client{};
        GetClientRect(hwnd, &client);
        EXPECT_EQ((std::array{client.right, client.bottom}), (std::array{px(3315), px(c.buttons * 315)}));
        EXPECT_TRUE(GetWindowLongPtrW(hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST);
        // Every activation, not only the first and not only from the keyboard, puts the focus back
        // on button 0.
        HWND other = CreateWindowExW(0, L"STATIC", L"", WS_OVERLAPPED | WS_VISIBLE, 0, 0, 9, 9, 0, 0, 0, 0);
        for (const WPARAM how : {WA_ACTIVE, WA_CLICKACTIVE}) {
            SetFocus(Form_select().Button(c.buttons - 1));
            SetActiveWindow(other);
            PumpFor(20);
            SetActiveWindow(hwnd);
            if (how == WA_CLICKACTIVE)
                SetFocus(Form_select().Button(c.buttons - 1)), SendMessageW(hwnd, WM_ACTIVATE, how, 0);
            PumpFor(20);
            EXPECT_EQ(GetFocus(), Form_select().Button(0)) << how;
        }
        DestroyWindow(other);

        if (c.wParam == VK_RETURN && c.chosenRow == 2)
            PostMessageW(GetFocus(), WM_KEYDOWN, VK_TAB, 1), PumpFor(20);
        HWND to = c.message == BM_CLICK        ? Form_select().Button(1)
                  : c.message == WM_SYSCOMMAND ? hwnd
                                               : GetFocus();
        PostMessageW(to, c.message, c.wParam, 1);
        if (c.message == WM_KEYDOWN) PostMessageW(to, WM_KEYUP, c.wParam, 0xC0000001);
        PumpFor(100);
        const bool ends = c.chosenRow != 0 || c.message != WM_KEYDOWN || c.wParam == VK_ESCAPE;
        EXPECT_EQ(std::pair(exits, IsWindow(hwnd) != FALSE), std::pair(ends ? 1 : 0, !ends));
        for (int row = 1; row <= c.rows; ++row) {  // the chosen row, and only it, holds the short form
            EXPECT_EQ(markTable[row].program, row == c.chosenRow ? ShortPath(Program(row)) : Program(row));
        }
        EXPECT_EQ(c.chosenRow ? ProbeLog(log_) : L"", c.chosenRow ? Launch(c.chosenRow) : L"");
        DestroyWindow(hwnd);
    }
}

// A program that is gone, among rows of two extensions in the profile; a second key pressed at once
// reaches the window while the failure is reported, and starts nothing.
TEST_F(FormSelectTest, AFailedStartAsksThenYesListsEveryRegistrationModallyAndBothEnd) {
    GetMarkProfileAll(markTable);
    markTable.Rows() = {{L"DOC", L"C:\\viewer.exe", L"Viewer"},
                        {L"TXT", dir_ / L"missing editor.exe", L"Editor"},
                        {L"TXT", Program(1), L"Probe"}};
    ASSERT_TRUE(CopyFileTo(WindowsPathOf(TOLVARE_PROBE_PATH), Program(1)));
    SaveMarkProfileAll(markTable);
    const std::string profile = Bytes(profilePath);
    const Box failed{L"プログラム起動時にエラーが発生しました\r\n" + (dir_ / L"missing editor.exe") + L" " +
                         selectFile + L"\r\n" + SystemText(ERROR_FILE_NOT_FOUND),
                     L"TOLVARE",
                     'S',
                     {IDOK}};
    for (const int answer : {IDNO, IDYES}) {
        ASSERT_EQ(GetMarkProfile(markTable, L"TXT"), 2);
        exits = 0;
        static HWND select;  // the list, read from inside its modal loop, is owned by it
        static std::vector<std::wstring> listed;
        select = Show(2);
        listed.clear();
        boxes.seen.clear();
        boxes.Answer(IDOK).Answer(answer);
        const UINT_PTR timer = SetTimer(nullptr, 0, 20, [](HWND, UINT, UINT_PTR, DWORD) {
            HWND list = Window::FrontWindow();
            wchar_t cls[64] = {}, line[256] = {};
            if (!GetClassNameW(list, cls, 64) || lstrcmpW(cls, FormList::kClassName) != 0) return;
            EXPECT_EQ(GetWindow(list, GW_OWNER), select);
            EXPECT_TRUE(IsWindow(select) && !IsWindowEnabled(select));
            EXPECT_FALSE(GetWindowLongW(list, GWL_STYLE) & WS_MINIMIZEBOX) << "it would hide, its owner not";
            while (SendDlgItemMessageW(list, FormList::kListMark, LB_GETTEXT, listed.size(), (LPARAM)line) >
                   0)
                listed.push_back(line);
            PostMessageW(list, WM_CLOSE, 0, 0);
        });
        PostMessageW(GetFocus(), WM_KEYDOWN, '1', 1);
        PostMessageW(GetFocus(), WM_KEYDOWN, '2', 1);
        PumpFor(300);
        KillTimer(nullptr, timer);
        EXPECT_EQ(boxes.seen,
                  (std::vector<Box>{failed, {L"設定を確認しますか？", L"TOLVARE", 'Q', {IDYES, IDNO}}}));
        EXPECT_EQ(std::pair(exits, IsWindow(select) != FALSE), std::pair(1, false));
        EXPECT_EQ(Bytes(profilePath), profile);
        const std::vector<std::wstring> all = {L"DOC\t>Viewer", L"TXT\t>Editor", L"TXT\t>Probe"};
        EXPECT_EQ(listed, answer == IDNO ? std::vector<std::wstring>() : all);
        EXPECT_FALSE(ReadFileBytes(log_)) << "a second program started";
    }
}

// An icon's width and colour pixels; a width of 0 once it is destroyed.
std::pair<int, std::vector<uint32_t>> Draw(HICON icon) {
    ICONINFO info{};
    BITMAP bm{};
    if (!icon || !GetIconInfo(icon, &info) || !GetObjectW(info.hbmColor, sizeof bm, &bm)) return {};
    std::vector<uint32_t> pixels(static_cast<size_t>(bm.bmWidth * bm.bmHeight));
    BITMAPINFO bi{{sizeof bi.bmiHeader, bm.bmWidth, -bm.bmHeight, 1, 32, BI_RGB, 0, 0, 0, 0, 0}, {}};
    HDC dc = GetDC(nullptr);
    GetDIBits(dc, info.hbmColor, 0, (UINT)bm.bmHeight, pixels.data(), &bi, DIB_RGB_COLORS);
    ReleaseDC(nullptr, dc);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    return {bm.bmWidth, pixels};
}
// A button's icon as drawn (a copy, destroyed here) and the margins around it.
std::pair<std::pair<int, std::vector<uint32_t>>, RECT> IconOf(int button) {
    BUTTON_IMAGELIST image{};
    SendMessageW(Form_select().Button(button), BCM_GETIMAGELIST, 0, (LPARAM)&image);
    HICON icon = image.himl ? ImageList_GetIcon(image.himl, 0, ILD_NORMAL) : nullptr;
    const auto drawn = Draw(icon);
    if (icon) DestroyIcon(icon);
    return {drawn, image.margin};
}

// A folder, a program that does not exist, one with an icon of its own and one without, each with a
// description of the full 20 bytes in the widest characters. The icons load in row order: once the last two
// have come, the first two have been passed over.
TEST_F(FormSelectTest, ButtonsShowTheirProgramsIconsAtTheWindowDpiUntilTheWindowGoes) {
    const std::wstring bare = dir_ / L"bare.exe";  // the probe without its resources, its icon among them
    ASSERT_TRUE(CopyFileTo(WindowsPathOf(TOLVARE_PROBE_PATH), bare) &&
                EndUpdateResourceW(BeginUpdateResourceW(bare.c_str(), TRUE), FALSE));
    FillTable(1);
    const std::wstring own = markTable[1].program;
    markTable.Erase();
    for (const std::wstring& program : {dir_.path(), dir_ / L"missing.exe", L"\"" + own + L"\" /x", bare})
        markTable.Append({L"TXT", program, L"ＷＷＷＷＷＷＷＷＷＷ"});
    HWND hwnd = Show(4);
    SHFILEINFOW generic{};
    SHGetFileInfoW(bare.c_str(), 0, &generic, sizeof generic, SHGFI_ICON | SHGFI_SMALLICON);
    HIMAGELIST list = ImageList_Create(16, 16, ILC_COLOR32 | ILC_MASK, 1, 0);  // drawn as a button draws it
    ImageList_AddIcon(list, generic.hIcon);
    HICON drawn = ImageList_GetIcon(list, 0, ILD_NORMAL);
    const auto genericIcon = Draw(drawn);
    for (HICON icon : {generic.hIcon, drawn}) DestroyIcon(icon);
    ImageList_Destroy(list);
    for (const int dpi : {96, 144}) {
        RECT r{};
        GetWindowRect(hwnd, &r);
        if (dpi != 96) SendMessageW(hwnd, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), (LPARAM)&r);
        const int size = MulDiv(16, dpi, 96), gap = MulDiv(4, dpi, 96);
        for (int i = 0; i < 500 && (IconOf(2).first.first != size || IconOf(3).first.first != size); ++i)
            PumpFor(10);
        const auto [mine, margin] = IconOf(2);
        const auto other = IconOf(3).first;
        EXPECT_EQ(std::tuple(IconOf(0).first.first, IconOf(1).first.first, mine.first, other.first),
                  std::tuple(0, 0, size, size))
            << "at " << dpi << " DPI; a folder or a missing program has no icon";
        EXPECT_TRUE(margin.left >= gap && margin.right >= gap)
            << "the focus rectangle and the caption are clear";
        EXPECT_NE(mine, other) << "the probe's own icon";
        EXPECT_TRUE(dpi != 96 || other == genericIcon) << "the shell's icon for a program without one";
        for (int k = 0; k < 4; ++k) {  // the icon beside the caption leaves all of it readable
            SIZE ideal{};
            SendMessageW(Form_select().Button(k), BCM_GETIDEALSIZE, 0, (LPARAM)&ideal);
            EXPECT_TRUE(ideal.cx <= MulDiv(3315, dpi, 1440) && ideal.cy <= MulDiv(315, dpi, 1440)) << k;
        }
        EXPECT_EQ(ButtonIcons::ListsAlive(), 2) << "the icons replaced are destroyed";
    }
    DestroyWindow(hwnd);
    EXPECT_EQ(ButtonIcons::ListsAlive(), 0);
}

// Stands for a program on an unreachable share: its icon comes only when the test lets it.
HANDLE letIconsCome = nullptr;
std::atomic<HICON> late = nullptr;
std::atomic<int> lateCount = 0;
HICON HeldUpIcon(const std::wstring&, int size) {
    WaitForSingleObject(letIconsCome, 10000);
    ++lateCount;
    return late = (HICON)CopyImage(LoadIconW(nullptr, IDI_APPLICATION), IMAGE_ICON, size, size, 0);
}

TEST_F(FormSelectTest, TheWindowAndItsKeysNeverWaitForIconsAndLateOnesAreDestroyed) {
    letIconsCome = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    const ProgramIconLoader previous = SetProgramIconLoader(HeldUpIcon);
    FillTable(3);
    HWND hwnd = Show(3);
    EXPECT_TRUE(IsWindowVisible(hwnd) && IconOf(0).first.first == 0);
    PostMessageW(GetFocus(), WM_KEYDOWN, '2', 1);
    PumpFor(100);
    EXPECT_EQ(exits, 1);
    EXPECT_EQ(ProbeLog(log_), Launch(2));
    SetEvent(letIconsCome);
    EXPECT_TRUE(PollUntil([] { return late && Draw(late).first == 0; })) << "a late icon is destroyed";
    EXPECT_EQ(lateCount, 1) << "the loading stops once the window is gone";
    SetProgramIconLoader(previous);
    CloseHandle(letIconsCome);
}

}  // namespace
}  // namespace tolvare
