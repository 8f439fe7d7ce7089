// The application selection window (Form_select): see form_select.h.
#include "launcher/form_select.h"

#include <algorithm>
#include <memory>
#include <string>

#include "core/paths.h"
#include "core/profile.h"
#include "core/startup.h"
#include "core/texts.h"
#include "win32/input_method.h"

namespace tolvare {

namespace {

constexpr wchar_t kSelectClass[] = L"TolvareFormSelect";
constexpr UINT_PTR kIconTimer = 1;

// The program ends here with nothing left to write: the selection window saves nothing, and the
// list it may have opened has saved before it closed. ExitProcess would first stop the icon
// loader wherever it is and then run every DLL's detach code, which hangs for good when that
// thread was stopped inside a slow or hung shell extension holding a lock the detach code needs.
// TerminateProcess on the process itself ends it at once and runs no detach code.
void EndProcessNow(unsigned exitCode) {
    TerminateProcess(GetCurrentProcess(), exitCode);
    ExitProcess(exitCode);  // only if the system refused to end the process
}

SelectExitAction gExitAction = EndProcessNow;

std::wstring ButtonCaption(const std::wstring& name, int index) {
    return name + L" (&" + std::to_wstring((index + 1) % 10) + L")";
}

// The digit a key stands for, from the main keyboard or the numeric keypad; -1 for others.
int DigitOfKey(WPARAM virtualKey) {
    if (virtualKey >= '0' && virtualKey <= '9') return static_cast<int>(virtualKey - '0');
    if (virtualKey >= VK_NUMPAD0 && virtualKey <= VK_NUMPAD9) {
        return static_cast<int>(virtualKey - VK_NUMPAD0);
    }
    return -1;
}

// Access key 1 is the first button, ..., 9 the ninth and 0 the tenth.
int IndexOfDigit(int digit) { return digit == 0 ? 9 : digit - 1; }

}  // namespace

SelectExitAction SetSelectExitAction(SelectExitAction action) {
    SelectExitAction previous = gExitAction;
    gExitAction = action != nullptr ? action : EndProcessNow;
    return previous;
}

int SelectButtonCount(int count, int rows) {
    return std::max(1, std::min({count, static_cast<int>(kMaxPerMark), rows}));
}

FormSelect& Form_select() {
    static std::unique_ptr<FormSelect> instance = std::make_unique<FormSelect>();
    return *instance;
}

bool FormSelect::Create() {
    const int count = SelectButtonCount(selectCount, markTable.UBound());
    // A fixed frame: the client area is the column of buttons and nothing else.
    if (!CreateTop(kSelectClass, text::kSelectCaption, WS_POPUP | WS_CAPTION | WS_SYSMENU, 0, nullptr,
                   kSelectButtonWidthTw, count * kSelectButtonHeightTw)) {
        return false;
    }
    unloading_ = false;
    busy_ = false;
    HWND first = AddControl(L"BUTTON", text::kSelectDesignCaption, WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 0,
                            kFirstSelectButton, {0, 0, kSelectButtonWidthTw, kSelectButtonHeightTw});
    if (first == nullptr) return CreateFailed();
    Command_Select.assign(1, first);
    Form_Load();
    return true;
}

void FormSelect::Form_Load() {
    const int count = SelectButtonCount(selectCount, markTable.UBound());
    RectTw first = ControlRect(Command_Select[0]);
    first.left = 0;
    first.top = 0;
    MoveControl(Command_Select[0], first);
    for (int i = 1; i < count; ++i) {
        // Each new button is a copy of button 0, one height further down.
        HWND button = AddControl(L"BUTTON", L"", WS_TABSTOP | BS_PUSHBUTTON, 0, kFirstSelectButton + i,
                                 {0, i * first.height + first.top, first.width, first.height});
        if (button == nullptr) break;
        ShowWindow(button, SW_SHOWNA);
        Command_Select.push_back(button);
    }
    const int rows = markTable.UBound();
    for (int i = 0; i < ButtonCount(); ++i) {
        const std::wstring name = i + 1 <= rows ? markTable[i + 1].name : std::wstring();
        SetWindowTextW(Command_Select[static_cast<size_t>(i)], ButtonCaption(name, i).c_str());
        // Digits choose a button by themselves: the keyboard goes to the buttons and never to an
        // input method, which would swallow the digits while composing.
        SubclassControl(Command_Select[static_cast<size_t>(i)]);
    }
    TurnOffInputMethod(hwnd(), /*children=*/true);
    // The frame is measured by the base from the real window: the client area is the column.
    SetClientSizeTw(first.width, ButtonCount() * first.height);
    SetWindowPos(hwnd(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    CentreOnScreen();
}

void FormSelect::Form_Activate() {
    if (!Command_Select.empty()) SetFocus(Command_Select[0]);
}

void FormSelect::Command_Select_Click(int16_t Index) {
    // A key that arrives while a message box or the list is up must not start a second program.
    if (busy_ || Index < 0 || Index >= ButtonCount()) return;
    busy_ = true;
    const int row = Index + 1;
    if (row <= markTable.UBound()) LaunchMarkRow(row, selectFile, /*listModal=*/true);
    busy_ = false;
    Form_Unload();
}

void FormSelect::LoadIcons() {
    std::vector<std::wstring> programs;
    const int rows = markTable.UBound();
    for (int i = 0; i < ButtonCount(); ++i) {
        programs.push_back(i + 1 <= rows ? markTable[i + 1].program : std::wstring());
    }
    icons_.Load(hwnd(), kSelectIconsReady, Command_Select, std::move(programs), Tw(kSelectIconTw),
                Tw(kSelectIconGapTw));
}

void FormSelect::OnDestroyed() {
    icons_.Clear();
    Command_Select.clear();
}

void FormSelect::Form_Unload() {
    if (unloading_) return;
    unloading_ = true;
    if (hwnd() != nullptr) DestroyWindow(hwnd());
    gExitAction(0);
}

int FormSelect::IndexOf(HWND control) const {
    const auto it = std::find(Command_Select.begin(), Command_Select.end(), control);
    return it == Command_Select.end() ? -1 : static_cast<int>(it - Command_Select.begin());
}

bool FormSelect::ChooseByKey(HWND button, WPARAM virtualKey) {
    virtualKey = KeyBeforeInputMethod(button, virtualKey);
    if (GetKeyState(VK_CONTROL) < 0 || GetKeyState(VK_MENU) < 0) return false;
    const int digit = DigitOfKey(virtualKey);
    if (digit < 0) return false;
    const int index = IndexOfDigit(digit);
    if (index >= ButtonCount()) return false;
    // The character this key already produced would press the button a second time.
    MSG pending{};
    while (PeekMessageW(&pending, button, WM_CHAR, WM_CHAR, PM_REMOVE)) {
    }
    Command_Select_Click(static_cast<int16_t>(index));
    return true;
}

std::optional<LRESULT> FormSelect::ControlMessage(HWND button, UINT msg, WPARAM wParam, LPARAM) {
    if (IndexOf(button) < 0) return std::nullopt;
    if (msg == WM_KEYDOWN && ChooseByKey(button, wParam)) return 0;
    // A digit typed without its key-down (an input method's result, another loop).
    if (msg == WM_CHAR && wParam >= '0' && wParam <= '9' && ChooseByKey(button, wParam)) return 0;
    return std::nullopt;
}

LRESULT FormSelect::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_COMMAND:
        if (HIWORD(wParam) == BN_CLICKED) {
            const int index = IndexOf(reinterpret_cast<HWND>(lParam));
            if (index >= 0 && LOWORD(wParam) == kFirstSelectButton + index) {
                Command_Select_Click(static_cast<int16_t>(index));
                return 0;
            }
            // Enter: the dialog manager asks for IDOK; the focused button is the one meant.
            if (LOWORD(wParam) == IDOK) {
                if (const int focused = IndexOf(GetFocus()); focused >= 0) {
                    Command_Select_Click(static_cast<int16_t>(focused));
                }
                return 0;
            }
            // Esc: the dialog manager asks for IDCANCEL; it closes as the title bar does.
            if (LOWORD(wParam) == IDCANCEL) {
                Form_Unload();
                return 0;
            }
        }
        break;
    case WM_ACTIVATE:
        if (LOWORD(wParam) != WA_INACTIVE && HIWORD(wParam) == 0) {
            Form_Activate();
            return 0;
        }
        break;
    case WM_CLOSE: Form_Unload(); return 0;
    case WM_TIMER:
        if (wParam != kIconTimer) break;
        KillTimer(hwnd(), kIconTimer);
        LoadIcons();
        return 0;
    case kSelectIconsReady: icons_.Deliver(); return 0;
    case WM_DPICHANGED: {
        const LRESULT result = Window::HandleMessage(msg, wParam, lParam);
        LoadIcons();
        return result;
    }
    default: break;
    }
    return Window::HandleMessage(msg, wParam, lParam);
}

void ShowFormSelect() {
    FormSelect& form = Form_select();
    if (form.hwnd() == nullptr && !form.Create()) return;
    ShowWindow(form.hwnd(), SW_SHOW);
    SetForegroundWindow(form.hwnd());
    // The icons start loading once the window has painted (a timer comes after the paint): the
    // window never waits for a program on a slow path, nor shares its first moments with the
    // loading of the shell.
    SetTimer(form.hwnd(), kIconTimer, USER_TIMER_MINIMUM, nullptr);
}

}  // namespace tolvare
