// Drives the selection window in-process: its column of numbered buttons, the keys that choose
// one, the launch a press makes and the ways the window ends the program.
#include "launcher/form_select.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "core/messages.h"
#include "core/profile.h"
#include "core/startup.h"
#include "registration/form_list.h"
#include "tests/support/dialog_answerer.h"
#include "tests/support/expect_message.h"
#include "tests/support/process_driver.h"
#include "tests/support/test_files.h"
#include "win32/forms.h"
#include "win32/win32_system.h"

namespace tolvare {
namespace {

// A window of this thread with the class: other test processes may show lists of their own.
HWND ThreadWindow(const wchar_t* className) {
    struct Search {
        const wchar_t* cls;
        HWND found;
    } search{className, nullptr};
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND hwnd, LPARAM param) -> BOOL {
            auto* s = reinterpret_cast<Search*>(param);
            wchar_t cls[64] = {};
            GetClassNameW(hwnd, cls, 64);
            if (lstrcmpW(cls, s->cls) != 0) return TRUE;
            s->found = hwnd;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}


using namespace tolvare::test;

int exits = 0;
void CountExit(unsigned) { ++exits; }

// The program's own loop, for a while: keys go through the dialog manager as they do for real.
void PumpFor(DWORD ms) {
    const ULONGLONG end = GetTickCount64() + ms;
    MSG msg{};
    do {
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) continue;  // a closed list asks the program to end
            if (!Window::PreTranslate(&msg)) {
                TranslateMessage(&msg);
                DispatchMessageW(&msg);
            }
        }
        if (GetTickCount64() >= end) break;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    } while (true);
}

RECT ClientRectOf(HWND control) {
    RECT r{};
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

std::wstring TextOf(HWND hwnd) {
    wchar_t buffer[256] = {};
    GetWindowTextW(hwnd, buffer, 256);
    return buffer;
}

class FormSelectTest : public ::testing::Test {
protected:
    void SetUp() override {
        static Win32System system;
        SetSystem(&system);
        previousExit_ = SetSelectExitAction(CountExit);
        exits = 0;
        profilePath = dir_ / L"tolvare.ini";
        log_ = dir_ / L"probe.log";
        ASSERT_TRUE(SetEnvironmentVariableW(L"TOLVARE_PROBE_LOG", log_.c_str()));
        selectFile = dir_ / L"report a.txt";
    }
    void TearDown() override {
        if (Form_select().hwnd() != nullptr) DestroyWindow(Form_select().hwnd());
        PumpFor(0);
        SetSelectExitAction(previousExit_);
        SetEnvironmentVariableW(L"TOLVARE_PROBE_LOG", nullptr);
        markTable.Erase();
        markCount = 0;
    }

    // A table of `rows` registrations "Program 1".."Program n", each a copy of the probe under a
    // name of its own, so that the log tells which button was pressed.
    void FillTable(int rows) {
        markTable.Erase();
        for (int i = 1; i <= rows; ++i) {
            const std::wstring program = dir_ / (L"probe " + std::to_wstring(i) + L".exe");
            ASSERT_TRUE(CopyFileTo(WindowsPathOf(TOLVARE_PROBE_PATH), program));
            markTable.Append({L"TXT", program, L"Program " + std::to_wstring(i)});
        }
    }
    HWND Open(int rows, int count) {
        FillTable(rows);
        selectCount = static_cast<int16_t>(count);
        ShowFormSelect();
        PumpFor(50);
        return Form_select().hwnd();
    }
    std::vector<std::wstring> ProbeLines(size_t count) {
        std::vector<std::wstring> lines;
        PollUntil([&] {
            lines.clear();
            const auto bytes = ReadFileBytes(log_);
            if (!bytes) return false;
            const std::wstring text = FromUtf8(*bytes);
            size_t start = 0, end;
            while ((end = text.find(L'\n', start)) != std::wstring::npos) {
                lines.push_back(text.substr(start, end - start));
                start = end + 1;
            }
            return lines.size() >= count;
        });
        return lines;
    }
    // What the chosen row's program is started with: its short form, a space, the file.
    std::wstring CommandLineOfRow(int row) const {
        return ShortPath(dir_ / (L"probe " + std::to_wstring(row) + L".exe")) + L" " + selectFile;
    }

    TempDir dir_{L"tolvare select"};
    std::wstring log_;
    SelectExitAction previousExit_ = nullptr;
};

struct LayoutCase {
    int rows;
    int selectCount;
    int buttons;                    // what the window shows
    std::vector<std::wstring> keys;  // the access-key digit of every caption
};
void PrintTo(const LayoutCase& c, std::ostream* os) {
    *os << c.rows << " rows, selectCount " << c.selectCount;
}

class FormSelectLayout : public FormSelectTest, public ::testing::WithParamInterface<LayoutCase> {};

TEST_P(FormSelectLayout, ColumnOfNumberedButtonsTopmostAndCentred) {
    const LayoutCase& c = GetParam();
    HWND hwnd = Open(c.rows, c.selectCount);
    ASSERT_NE(hwnd, nullptr);
    ASSERT_EQ(Form_select().ButtonCount(), c.buttons);
    const int dpi = WindowDpi(hwnd);
    RecordProperty("dpi", dpi);
    EXPECT_EQ(TextOf(hwnd), L"起動アプリケーション選択");

    for (int k = 0; k < c.buttons; ++k) {
        SCOPED_TRACE(k);
        HWND button = Form_select().Button(k);
        EXPECT_EQ(GetDlgCtrlID(button), kFirstSelectButton + k);
        EXPECT_NE(GetDlgCtrlID(button), IDOK);
        EXPECT_NE(GetDlgCtrlID(button), IDCANCEL);
        EXPECT_TRUE(IsWindowVisible(button));
        const RECT r = ClientRectOf(button);
        EXPECT_EQ(r.left, 0);
        EXPECT_EQ(r.top, MulDiv(k * 315, dpi, 1440));
        EXPECT_EQ(r.right, MulDiv(3315, dpi, 1440));
        EXPECT_EQ(r.bottom, MulDiv((k + 1) * 315, dpi, 1440));
        EXPECT_EQ(TextOf(button), markTable[k + 1].name + L" (&" + c.keys[k] + L")");
    }
    RECT client{};
    GetClientRect(hwnd, &client);
    EXPECT_EQ(client.right, MulDiv(3315, dpi, 1440));
    EXPECT_EQ(client.bottom, MulDiv(c.buttons * 315, dpi, 1440));

    EXPECT_TRUE(GetWindowLongPtrW(hwnd, GWL_EXSTYLE) & WS_EX_TOPMOST);
    RECT outer{};
    GetWindowRect(hwnd, &outer);
    EXPECT_NEAR(outer.left, (GetSystemMetrics(SM_CXSCREEN) - (outer.right - outer.left)) / 2, 1);
    EXPECT_NEAR(outer.top, (GetSystemMetrics(SM_CYSCREEN) - (outer.bottom - outer.top)) / 2, 1);
    EXPECT_EQ(GetFocus(), Form_select().Button(0));
    EXPECT_EQ(exits, 0);
}

std::vector<std::wstring> Keys(int n) {
    std::vector<std::wstring> keys;
    for (int k = 1; k <= n; ++k) keys.push_back(std::to_wstring(k % 10));
    return keys;
}

INSTANTIATE_TEST_SUITE_P(Counts, FormSelectLayout,
                         ::testing::Values(LayoutCase{2, 2, 2, Keys(2)},
                                           LayoutCase{10, 10, 10, Keys(10)},
                                           // Defensive: never more buttons than rows or ten,
                                           // never fewer than one.
                                           LayoutCase{3, 7, 3, Keys(3)},
                                           LayoutCase{12, 12, 10, Keys(10)},
                                           LayoutCase{2, 0, 1, Keys(1)},
                                           LayoutCase{2, -5, 1, Keys(1)}));

TEST_F(FormSelectTest, NameIsInsertedUnchangedAmpersandsIncluded) {
    FillTable(2);
    markTable[1].name = L"";
    markTable[2].name = L"R&D ツール";
    selectCount = 2;
    ShowFormSelect();
    EXPECT_EQ(TextOf(Form_select().Button(0)), L" (&1)");
    EXPECT_EQ(TextOf(Form_select().Button(1)), L"R&D ツール (&2)");
}

TEST_F(FormSelectTest, LongestDescriptionFitsItsButtonAtThisDpi) {
    FillTable(10);
    // 20 bytes of code page 932, the longest description the editor stores, in wide characters.
    markTable[10].name = L"登録済みアプリ名前長";
    selectCount = 10;
    ShowFormSelect();
    HWND button = Form_select().Button(9);
    HDC dc = GetDC(button);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(button, WM_GETFONT, 0, 0)));
    const std::wstring shown = markTable[10].name + L" (0)";  // the access key's "&" is not drawn
    SIZE text{};
    ASSERT_TRUE(GetTextExtentPoint32W(dc, shown.c_str(), static_cast<int>(shown.size()), &text));
    SelectObject(dc, old);
    ReleaseDC(button, dc);
    RECT client{};
    GetClientRect(button, &client);
    const int edge = 2 * (GetSystemMetrics(SM_CXEDGE) + 1);  // the button's frame and focus line
    EXPECT_LE(text.cx, client.right - edge) << "at " << WindowDpi(Form_select().hwnd()) << " dpi";
    EXPECT_LE(text.cy, client.bottom - edge) << "at " << WindowDpi(Form_select().hwnd()) << " dpi";
}

TEST_F(FormSelectTest, FocusReturnsToTheFirstButtonOnEveryActivation) {
    HWND hwnd = Open(3, 3);
    ASSERT_NE(hwnd, nullptr);
    SetFocus(Form_select().Button(2));
    ASSERT_EQ(GetFocus(), Form_select().Button(2));
    HWND other = CreateWindowExW(0, L"STATIC", L"other", WS_OVERLAPPED | WS_VISIBLE, 0, 0, 50, 50,
                                 nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(other, nullptr);
    SetActiveWindow(other);
    PumpFor(20);
    ASSERT_NE(GetActiveWindow(), hwnd);
    SetActiveWindow(hwnd);
    PumpFor(20);
    EXPECT_EQ(GetFocus(), Form_select().Button(0));
    DestroyWindow(other);
}

TEST_F(FormSelectTest, InputMethodIsKeptAwayFromTheButtons) {
    HWND hwnd = Open(2, 2);
    ASSERT_NE(hwnd, nullptr);
    using GetContextFn = HANDLE(WINAPI*)(HWND);
    using ReleaseContextFn = BOOL(WINAPI*)(HWND, HANDLE);
    HMODULE imm = LoadLibraryW(L"imm32.dll");
    ASSERT_NE(imm, nullptr);
    auto getContext = reinterpret_cast<GetContextFn>(
        reinterpret_cast<void*>(GetProcAddress(imm, "ImmGetContext")));
    auto releaseContext = reinterpret_cast<ReleaseContextFn>(
        reinterpret_cast<void*>(GetProcAddress(imm, "ImmReleaseContext")));
    ASSERT_TRUE(getContext && releaseContext);
    // Only where an ordinary window has an input context can the check below fail.
    HWND plain = CreateWindowExW(0, L"BUTTON", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                 nullptr, nullptr);
    HANDLE plainContext = getContext(plain);
    if (plainContext) releaseContext(plain, plainContext);
    DestroyWindow(plain);
    if (!plainContext) GTEST_SKIP() << "no input method contexts here (Wine's null driver)";
    for (HWND w : {hwnd, Form_select().Button(0), Form_select().Button(1)}) {
        HANDLE ctx = getContext(w);
        EXPECT_EQ(ctx, nullptr);
        if (ctx) releaseContext(w, ctx);
    }
}

struct KeyCase {
    const char* what;
    int rows;
    UINT message;
    WPARAM key;
    int chosenRow;  // 0: nothing is chosen
};
void PrintTo(const KeyCase& c, std::ostream* os) { *os << c.what; }

class FormSelectKeys : public FormSelectTest, public ::testing::WithParamInterface<KeyCase> {};

TEST_P(FormSelectKeys, DigitsChooseWithoutAltFromBothKeyboards) {
    const KeyCase& c = GetParam();
    HWND hwnd = Open(c.rows, c.rows);
    ASSERT_NE(hwnd, nullptr);
    HWND focus = GetFocus();
    PostMessageW(focus, c.message, c.key, 1);
    if (c.message == WM_KEYDOWN) PostMessageW(focus, WM_KEYUP, c.key, 0xC0000001);
    PumpFor(100);
    if (c.chosenRow == 0) {
        EXPECT_EQ(exits, 0);
        EXPECT_NE(Form_select().hwnd(), nullptr);
        return;
    }
    EXPECT_EQ(exits, 1);
    EXPECT_EQ(Form_select().hwnd(), nullptr);
    const auto lines = ProbeLines(1);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], CommandLineOfRow(c.chosenRow));
}

INSTANTIATE_TEST_SUITE_P(
    Keys, FormSelectKeys,
    ::testing::Values(KeyCase{"MainTwo", 3, WM_KEYDOWN, '2', 2},
                      KeyCase{"PadThree", 3, WM_KEYDOWN, VK_NUMPAD3, 3},
                      KeyCase{"ZeroIsTheTenth", 10, WM_KEYDOWN, '0', 10},
                      KeyCase{"PadNine", 10, WM_KEYDOWN, VK_NUMPAD9, 9},
                      KeyCase{"TypedDigit", 3, WM_CHAR, '3', 3},
                      KeyCase{"EnterTakesTheFocusedFirst", 3, WM_KEYDOWN, VK_RETURN, 1},
                      KeyCase{"SpaceTakesTheFocusedFirst", 3, WM_KEYDOWN, VK_SPACE, 1},
                      KeyCase{"DigitBeyondTheButtons", 3, WM_KEYDOWN, '5', 0},
                      KeyCase{"ZeroWithoutTenthButton", 3, WM_KEYDOWN, '0', 0}),
    [](const auto& info) { return std::string(info.param.what); });

TEST_F(FormSelectTest, PressStartsTheRowsShortProgramWithTheFileAndEndsTheProgram) {
    HWND hwnd = Open(2, 2);
    ASSERT_NE(hwnd, nullptr);
    SendMessageW(Form_select().Button(1), BM_CLICK, 0, 0);
    EXPECT_EQ(exits, 1);
    EXPECT_FALSE(IsWindow(hwnd));
    const auto lines = ProbeLines(1);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_EQ(lines[0], CommandLineOfRow(2));
    // The table row itself now holds the short form.
    EXPECT_EQ(markTable[2].program, ShortPath(dir_ / L"probe 2.exe"));
    EXPECT_EQ(markTable[1].program, dir_ / L"probe 1.exe");
}

TEST_F(FormSelectTest, TitleBarCloseEndsTheProgramWithoutStartingAnything) {
    HWND hwnd = Open(2, 2);
    ASSERT_NE(hwnd, nullptr);
    SendMessageW(hwnd, WM_SYSCOMMAND, SC_CLOSE, 0);
    PumpFor(200);
    EXPECT_EQ(exits, 1);
    EXPECT_FALSE(IsWindow(hwnd));
    EXPECT_FALSE(ReadFileBytes(log_).has_value());
}

// A registration whose program is gone, among rows of two extensions in the profile file.
class FormSelectFailedStart : public FormSelectTest {
protected:
    void SetUp() override {
        FormSelectTest::SetUp();
        markTable.Erase();
        markTable.Append({L"DOC", dir_ / L"viewer.exe", L"Viewer"});
        markTable.Append({L"TXT", dir_ / L"missing editor.exe", L"Editor"});
        markTable.Append({L"TXT", dir_ / L"probe 1.exe", L"Probe"});
        SaveMarkProfileAll(markTable);
        profileBytes_ = ReadFileBytes(profilePath).value_or("");
        ASSERT_FALSE(profileBytes_.empty());
        ASSERT_EQ(GetMarkProfile(markTable, L"TXT"), 2);
        ASSERT_EQ(markTable[1].name, L"Editor");
        selectCount = 2;
        ShowFormSelect();
        PumpFor(50);
        hwnd_ = Form_select().hwnd();
        ASSERT_NE(hwnd_, nullptr);
    }
    void ExpectFailureThenQuestion(const std::vector<SeenBox>& seen) {
        ASSERT_EQ(seen.size(), 2u);
        ExpectMessage(seen[0], {.text = text::kStartFailed, .title = L"TOLVARE", .buttons = {IDOK},
                                .icon = BoxIcon::Stop, .textIsPrefix = true});
        const auto lines = BoxLines(seen[0].text);
        ASSERT_GE(lines.size(), 2u);
        EXPECT_EQ(lines[1], dir_ / L"missing editor.exe" + L" " + selectFile);
        ExpectMessage(seen[1], {.text = L"設定を確認しますか？", .title = L"TOLVARE",
                                .buttons = {IDYES, IDNO}, .icon = BoxIcon::Question});
    }

    std::string profileBytes_;
    HWND hwnd_ = nullptr;
};

TEST_F(FormSelectFailedStart, AnsweredNoEndsTheProgramAndLeavesTheProfile) {
    DialogAnswerer boxes;
    boxes.Answer(IDOK).Answer(IDNO);
    SendMessageW(Form_select().Button(0), BM_CLICK, 0, 0);
    ExpectFailureThenQuestion(boxes.Seen());
    EXPECT_EQ(exits, 1);
    EXPECT_FALSE(IsWindow(hwnd_));
    EXPECT_EQ(ThreadWindow(FormList::kClassName), nullptr);
    EXPECT_EQ(ReadFileBytes(profilePath).value_or(""), profileBytes_);
}

// What the list window showed while it was up, read from inside its modal loop.
struct ListSeen {
    HWND list = nullptr;
    HWND owner = nullptr;
    bool ownerEnabled = true;
    std::vector<std::wstring> lines;
};
ListSeen listSeen;

void CALLBACK LookForList(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND list = ThreadWindow(FormList::kClassName);
    if (list == nullptr || !IsWindowVisible(list)) return;
    KillTimer(nullptr, timer);
    listSeen.list = list;
    listSeen.owner = GetWindow(list, GW_OWNER);
    listSeen.ownerEnabled = listSeen.owner != nullptr && IsWindowEnabled(listSeen.owner);
    HWND box = GetDlgItem(list, FormList::kListMark);
    const int count = static_cast<int>(SendMessageW(box, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        wchar_t line[512] = {};
        SendMessageW(box, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(line));
        listSeen.lines.push_back(line);
    }
    PostMessageW(list, WM_CLOSE, 0, 0);  // the title bar: the same as Cancel
}

TEST_F(FormSelectFailedStart, AnsweredYesShowsEveryRegistrationModallyThenEnds) {
    listSeen = {};
    DialogAnswerer boxes;
    boxes.Answer(IDOK).Answer(IDYES);
    const UINT_PTR timer = SetTimer(nullptr, 0, 20, LookForList);
    SendMessageW(Form_select().Button(0), BM_CLICK, 0, 0);
    KillTimer(nullptr, timer);
    ExpectFailureThenQuestion(boxes.Seen());
    ASSERT_NE(listSeen.list, nullptr) << "the list window never showed";
    EXPECT_EQ(listSeen.owner, hwnd_);
    EXPECT_FALSE(listSeen.ownerEnabled);
    EXPECT_EQ(listSeen.lines, (std::vector<std::wstring>{L"DOC\t>Viewer", L"TXT\t>Editor",
                                                          L"TXT\t>Probe"}));
    EXPECT_EQ(markCount, 3);
    EXPECT_EQ(selectedMark, 0);
    EXPECT_EQ(exits, 1);
    EXPECT_FALSE(IsWindow(hwnd_));
    EXPECT_FALSE(ReadFileBytes(log_).has_value());
}

}  // namespace
}  // namespace tolvare
