// Drives the selection window in-process: its column of numbered buttons, the keys that choose
// one, the launch a press makes, the ways the window ends the program and the programs' icons.
#include "launcher/form_select.h"

#include <commctrl.h>
#include <gtest/gtest.h>
#include <windows.h>

#include <shellapi.h>
#include <shlobj.h>

#include <array>
#include <mutex>
#include <string>
#include <vector>

#include "core/profile.h"
#include "core/globals.h"
#include "registration/form_list.h"
#include "registration/form_regist.h"
#include "tests/support/dialog_answerer.h"
#include "tests/support/expect_message.h"
#include "tests/support/process_driver.h"
#include "tests/support/test_files.h"
#include "win32/win32_system.h"
#include "win32/window.h"

namespace tolvare {
namespace {

using namespace tolvare::test;

Win32System sys({ShowFormList, ShowFormRegist, ShowFormSelect});
int exits = 0;
void CountExit(unsigned) { ++exits; }

// The program's own loop, for a while: keys go through the dialog manager as they do for real.
void PumpFor(DWORD ms) {
    const ULONGLONG end = GetTickCount64() + ms;
    MSG quit{};
    do {
        sys.WaitForEvents(10);
        PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);  // a closed list ends the program
    } while (GetTickCount64() < end);
}

class FormSelectTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetSystem(&sys);
        SetSelectExitAction(CountExit);
        exits = 0;
        profilePath = dir_ / L"tolvare.ini";
        ASSERT_TRUE(SetEnvironmentVariableW(L"TOLVARE_PROBE_LOG", log_.c_str()));
        selectFile = dir_ / L"report a.txt";
    }
    void TearDown() override {
        DestroyWindow(Form_select().hwnd());  // still open when nothing ended the program
        PumpFor(0);
        SetSelectExitAction(nullptr);
    }

    // Row i starts its own copy of the probe, so the log tells which button was pressed; the
    // ampersand in the names must reach the captions undoubled.
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

    TempDir dir_{L"tolvare select"};
    const std::wstring log_ = dir_ / L"probe.log";
};

struct SelectCase {
    const char* what;
    int rows, selectCount, buttons;  // buttons: what the window shows
    UINT message;  // BM_CLICK goes to button 1, WM_SYSCOMMAND to the window, keys to the focus
    WPARAM wParam;
    int chosenRow;  // 0: nothing starts
    bool ends;
};

void PrintTo(const SelectCase& c, std::ostream* os) { *os << c.what; }

class FormSelectCases : public FormSelectTest, public ::testing::WithParamInterface<SelectCase> {};

TEST_P(FormSelectCases, ColumnOfNumberedButtonsWhoseChoiceStartsItsRowAndEnds) {
    const SelectCase& c = GetParam();
    FillTable(c.rows);
    HWND hwnd = Show(c.selectCount);
    ASSERT_EQ(Form_select().ButtonCount(), c.buttons);  // none when the window failed
    const auto px = [dpi = WindowDpi(hwnd)](int tw) { return static_cast<LONG>(MulDiv(tw, dpi, 1440)); };
    EXPECT_EQ(WindowText(hwnd), L"起動アプリケーション選択");
    for (int k = 0; k < c.buttons; ++k) {
        SCOPED_TRACE(k);
        HWND button = Form_select().Button(k);
        EXPECT_TRUE(IsWindowVisible(button));
        RECT r{};
        GetWindowRect(button, &r);
        MapWindowPoints(nullptr, hwnd, reinterpret_cast<POINT*>(&r), 2);
        EXPECT_EQ((std::array{r.left, r.top, r.right, r.bottom}),
                  (std::array{0L, px(k * 315), px(3315), px((k + 1) * 315)}));
        EXPECT_EQ(WindowText(button), markTable[k + 1].name + L" (&" + std::to_wstring((k + 1) % 10) + L")");
    }
    RECT client{};
    GetClientRect(hwnd, &client);
    EXPECT_EQ((std::array{client.right, client.bottom}), (std::array{px(3315), px(c.buttons * 315)}));
    EXPECT_TRUE(GetWindowLongPtrW(hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST);

    // Every activation, not only the first, puts the focus back on button 0.
    SetFocus(Form_select().Button(c.buttons - 1));
    HWND other = CreateWindowExW(0, L"STATIC", L"other", WS_OVERLAPPED | WS_VISIBLE, 0, 0, 50, 50, nullptr,
                                 nullptr, nullptr, nullptr);
    SetActiveWindow(other);
    PumpFor(20);
    ASSERT_NE(GetActiveWindow(), hwnd);
    SetActiveWindow(hwnd);
    PumpFor(20);
    DestroyWindow(other);
    ASSERT_EQ(GetFocus(), Form_select().Button(0));

    HWND target = c.message == BM_CLICK        ? Form_select().Button(1)
                  : c.message == WM_SYSCOMMAND ? hwnd
                                               : GetFocus();
    PostMessageW(target, c.message, c.wParam, 1);
    if (c.message == WM_KEYDOWN) PostMessageW(target, WM_KEYUP, c.wParam, 0xC0000001);
    PumpFor(100);
    EXPECT_EQ(exits, c.ends ? 1 : 0);
    EXPECT_EQ(IsWindow(hwnd) != FALSE, !c.ends);
    // The chosen row, and only it, now holds its program's short form.
    for (int row = 1; row <= c.rows; ++row) {
        EXPECT_EQ(markTable[row].program, row == c.chosenRow ? ShortPath(Program(row)) : Program(row));
    }
    if (c.chosenRow == 0) return;
    std::optional<std::string> log;
    ASSERT_TRUE(PollUntil([&] { return (log = ReadFileBytes(log_)) && log->ends_with('\n'); }));
    EXPECT_EQ(FromUtf8(*log), ShortPath(Program(c.chosenRow)) + L" " + selectFile + L"\n");
}

// 2 and 10 as designed, then never more buttons than rows or ten and never fewer than one; access
// keys 1-9 and 0 without Alt from both keyboards.
INSTANTIATE_TEST_SUITE_P(
    Ways, FormSelectCases,
    ::testing::Values(SelectCase{"TwoPressTheSecond", 2, 2, 2, BM_CLICK, 0, 2, true},
                      SelectCase{"TwoTitleBarClose", 2, 2, 2, WM_SYSCOMMAND, SC_CLOSE, 0, true},
                      SelectCase{"EscClosesAsTheTitleBar", 3, 3, 3, WM_KEYDOWN, VK_ESCAPE, 0, true},
                      SelectCase{"TenZeroIsTheTenth", 10, 10, 10, WM_KEYDOWN, '0', 10, true},
                      SelectCase{"MainRowTwo", 3, 3, 3, WM_KEYDOWN, '2', 2, true},
                      SelectCase{"PadThree", 3, 3, 3, WM_KEYDOWN, VK_NUMPAD3, 3, true},
                      SelectCase{"TypedDigit", 3, 3, 3, WM_CHAR, '3', 3, true},
                      SelectCase{"EnterTakesTheFocusedFirst", 3, 3, 3, WM_KEYDOWN, VK_RETURN, 1, true},
                      SelectCase{"CountOverRowsDigitOverButtons", 3, 7, 3, WM_KEYDOWN, '5', 0, false},
                      SelectCase{"CountOverTenZeroIsTheTenth", 12, 12, 10, WM_KEYDOWN, '0', 10, true},
                      SelectCase{"CountZeroShowsOne", 2, 0, 1, WM_KEYDOWN, '2', 0, false},
                      SelectCase{"CountNegativeShowsOne", 2, -5, 1, WM_KEYDOWN, VK_RETURN, 1, true}),
    [](const auto& info) { return std::string(info.param.what); });

// Reads the list window from inside its modal loop, then closes it by the title bar (Cancel).
bool listShown = false;
void CALLBACK LookForList(HWND, UINT, UINT_PTR timer, DWORD) {
    // Only this thread's list: other test processes may show lists of their own.
    HWND list = nullptr;
    while ((list = FindWindowExW(nullptr, list, FormList::kClassName, nullptr)) != nullptr &&
           GetWindowThreadProcessId(list, nullptr) != GetCurrentThreadId()) {
    }
    if (list == nullptr || !IsWindowVisible(list)) return;
    KillTimer(nullptr, timer);
    listShown = true;
    EXPECT_EQ(GetWindow(list, GW_OWNER), Form_select().hwnd());
    EXPECT_FALSE(IsWindowEnabled(Form_select().hwnd()));
    HWND box = GetDlgItem(list, FormList::kListMark);
    std::vector<std::wstring> lines(static_cast<size_t>(SendMessageW(box, LB_GETCOUNT, 0, 0)));
    for (size_t i = 0; i < lines.size(); ++i) {
        wchar_t line[512] = {};
        SendMessageW(box, LB_GETTEXT, i, reinterpret_cast<LPARAM>(line));
        lines[i] = line;
    }
    EXPECT_EQ(lines, (std::vector<std::wstring>{L"DOC\t>Viewer", L"TXT\t>Editor", L"TXT\t>Probe"}));
    PostMessageW(list, WM_CLOSE, 0, 0);
}

// A registration whose program is gone, among rows of two extensions in the profile file.
TEST_F(FormSelectTest, FailedStartAsksThenYesListsEveryRegistrationModallyAndBothEnd) {
    GetMarkProfileAll(markTable);  // no file yet
    markTable.Append({L"DOC", dir_ / L"viewer.exe", L"Viewer"});
    markTable.Append({L"TXT", dir_ / L"missing editor.exe", L"Editor"});
    markTable.Append({L"TXT", dir_ / L"probe 1.exe", L"Probe"});
    SaveMarkProfileAll(markTable);
    const auto profile = ReadFileBytes(profilePath);
    ASSERT_TRUE(profile.has_value());
    for (const int answer : {IDNO, IDYES}) {
        SCOPED_TRACE(answer == IDYES ? "Yes" : "No");
        ASSERT_EQ(GetMarkProfile(markTable, L"TXT"), 2);
        exits = 0;
        listShown = false;
        HWND hwnd = Show(2);
        ASSERT_NE(hwnd, nullptr);

        DialogAnswerer boxes;
        boxes.Answer(IDOK).Answer(answer);
        const UINT_PTR timer = SetTimer(nullptr, 0, 20, LookForList);
        SendMessageW(Form_select().Button(0), BM_CLICK, 0, 0);
        KillTimer(nullptr, timer);
        const std::wstring failed = L"プログラム起動時にエラーが発生しました\r\n" +
                                    (dir_ / L"missing editor.exe") + L" " + selectFile + L"\r\n";
        ExpectMessages(boxes.Seen(), {{.text = failed,
                                       .title = L"TOLVARE",
                                       .buttons = {IDOK},
                                       .icon = BoxIcon::Stop,
                                       .textIsPrefix = true},
                                      {.text = L"設定を確認しますか？",
                                       .title = L"TOLVARE",
                                       .buttons = {IDYES, IDNO},
                                       .icon = BoxIcon::Question}});
        EXPECT_EQ(exits, 1);
        EXPECT_FALSE(IsWindow(hwnd));
        EXPECT_EQ(ReadFileBytes(profilePath), profile);
        EXPECT_EQ(listShown, answer == IDYES);
    }
}

// An icon drawn on white: its width and its pixels (0x00RRGGBB, rows top down).
struct Drawn {
    int size = 0;
    std::vector<uint32_t> pixels;
    uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y * size + x)]; }
    bool operator==(const Drawn&) const = default;
};

Drawn Draw(HICON icon) {
    Drawn drawn;
    ICONINFO info{};
    if (icon == nullptr || !GetIconInfo(icon, &info)) return drawn;
    BITMAP bitmap{};
    GetObjectW(info.hbmColor != nullptr ? info.hbmColor : info.hbmMask, sizeof bitmap, &bitmap);
    for (HBITMAP b : {info.hbmColor, info.hbmMask}) {
        if (b != nullptr) DeleteObject(b);
    }
    drawn.size = bitmap.bmWidth;
    BITMAPINFO bi{};
    bi.bmiHeader.biSize = sizeof bi.bmiHeader;
    bi.bmiHeader.biWidth = drawn.size;
    bi.bmiHeader.biHeight = -drawn.size;  // top down
    bi.bmiHeader.biPlanes = 1;
    bi.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP target = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(dc, target);
    PatBlt(dc, 0, 0, drawn.size, drawn.size, WHITENESS);
    DrawIconEx(dc, 0, 0, icon, drawn.size, drawn.size, 0, nullptr, DI_NORMAL);
    GdiFlush();
    const auto* pixels = static_cast<const uint32_t*>(bits);
    for (int i = 0; i < drawn.size * drawn.size; ++i) drawn.pixels.push_back(pixels[i] & 0xFFFFFF);
    SelectObject(dc, old);
    DeleteObject(target);
    DeleteDC(dc);
    return drawn;
}

bool Alive(HICON icon) { return Draw(icon).size != 0; }
HICON ImageOf(HWND button) {
    return reinterpret_cast<HICON>(SendMessageW(button, BM_GETIMAGE, IMAGE_ICON, 0));
}

// The programs' own icon and the shell's generic one told apart: the probe's icon
// (tests/probe/probe.ico) is red, green, blue and yellow quadrants at every size.
void ExpectProbeIcon(const Drawn& icon) {
    const int q = icon.size / 4;
    EXPECT_EQ((std::array{icon.At(q, q), icon.At(3 * q, q), icon.At(q, 3 * q), icon.At(3 * q, 3 * q)}),
              (std::array<uint32_t, 4>{0xE02020, 0x20A020, 0x2040E0, 0xF0C000}));
}

bool PumpUntil(const std::function<bool()>& ready) {
    for (int i = 0; i < 500; ++i) {
        if (ready()) return true;
        PumpFor(10);
    }
    return ready();
}

// A program with an icon of its own, one without (this test exe) and one that does not exist,
// each with a description of the full 20 bytes in the widest characters (ten full-width W).
TEST_F(FormSelectTest, ButtonsShowTheirProgramsIconsAtTheWindowDpiUntilTheWindowGoes) {
    const std::wstring own = Program(1);
    ASSERT_TRUE(CopyFileTo(WindowsPathOf(TOLVARE_PROBE_PATH), own));
    wchar_t self[MAX_PATH] = {};
    ASSERT_NE(GetModuleFileNameW(nullptr, self, MAX_PATH), 0u);
    markTable.Erase();
    for (const std::wstring& program : {own, std::wstring(self), dir_ / L"missing.exe"}) {
        markTable.Append({L"TXT", program, L"ＷＷＷＷＷＷＷＷＷＷ"});
    }
    HWND hwnd = Show(3);
    ASSERT_NE(hwnd, nullptr);
    SHFILEINFOW generic{};
    ASSERT_NE(SHGetFileInfoW(self, 0, &generic, sizeof generic, SHGFI_ICON | SHGFI_SMALLICON), 0u);
    const Drawn genericIcon = Draw(generic.hIcon);
    DestroyIcon(generic.hIcon);

    std::vector<HICON> seen;
    for (const int dpi : {96, 144}) {
        SCOPED_TRACE(dpi);
        if (Form_select().dpi() != dpi) {
            RECT r{};
            GetWindowRect(hwnd, &r);
            SendMessageW(hwnd, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&r));
        }
        const int size = MulDiv(16, dpi, 96);
        ASSERT_TRUE(PumpUntil([&] {
            return Draw(ImageOf(Form_select().Button(0))).size == size &&
                   Draw(ImageOf(Form_select().Button(1))).size == size;
        }));
        ExpectProbeIcon(Draw(ImageOf(Form_select().Button(0))));
        if (dpi == 96) {
            EXPECT_EQ(Draw(ImageOf(Form_select().Button(1))), genericIcon);
        }
        EXPECT_EQ(ImageOf(Form_select().Button(2)), nullptr);
        // The icon beside the caption leaves the whole caption readable.
        for (int k = 0; k < 3; ++k) {
            SIZE ideal{};
            ASSERT_TRUE(
                SendMessageW(Form_select().Button(k), BCM_GETIDEALSIZE, 0, reinterpret_cast<LPARAM>(&ideal)));
            EXPECT_LE(ideal.cx, MulDiv(3315, dpi, 1440)) << k;
            EXPECT_LE(ideal.cy, MulDiv(315, dpi, 1440)) << k;
        }
        // The icons of the old size were destroyed when their replacements came.
        for (HICON icon : seen) EXPECT_FALSE(Alive(icon));
        seen = {ImageOf(Form_select().Button(0)), ImageOf(Form_select().Button(1))};
    }
    DestroyWindow(hwnd);
    for (HICON icon : seen) EXPECT_FALSE(Alive(icon));
}

// Stands for a program on an unreachable share: the icon comes only when the test lets it.
HANDLE letIconsCome = nullptr;
std::mutex lateIconsLock;
std::vector<HICON> lateIcons;
HICON HeldUpIcon(const std::wstring&, int size) {
    WaitForSingleObject(letIconsCome, 10000);
    HICON icon =
        static_cast<HICON>(CopyImage(LoadIconW(nullptr, IDI_APPLICATION), IMAGE_ICON, size, size, 0));
    std::lock_guard<std::mutex> hold(lateIconsLock);
    lateIcons.push_back(icon);
    return icon;
}

TEST_F(FormSelectTest, WindowAndKeysNeverWaitForIconsAndLateOnesAreDestroyed) {
    letIconsCome = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    const ProgramIconLoader previous = SetProgramIconLoader(HeldUpIcon);
    FillTable(3);
    HWND hwnd = Show(3);
    ASSERT_NE(hwnd, nullptr);
    EXPECT_TRUE(IsWindowVisible(hwnd));
    EXPECT_EQ(ImageOf(Form_select().Button(0)), nullptr);
    PostMessageW(GetFocus(), WM_KEYDOWN, '2', 1);
    PumpFor(100);
    EXPECT_EQ(exits, 1);
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_EQ(markTable[2].program, ShortPath(Program(2)));

    SetEvent(letIconsCome);
    std::vector<HICON> late;
    EXPECT_TRUE(PollUntil([&] {
        std::lock_guard<std::mutex> hold(lateIconsLock);
        late = lateIcons;
        return !late.empty() && !Alive(late.back());
    }));
    EXPECT_EQ(late.size(), 1u) << "the loading stops once the window is gone";
    SetProgramIconLoader(previous);
    CloseHandle(letIconsCome);
}

}  // namespace
}  // namespace tolvare
