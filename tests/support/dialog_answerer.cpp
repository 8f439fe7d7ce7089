// The CBT-hook answerer of message boxes and dialogs for in-process GUI tests.
#include "tests/support/dialog_answerer.h"

#include "win32/window.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace tolvare::test {
namespace {

constexpr int kIconStatic = 0x440;
constexpr int kTextStatic = 0xFFFF;
constexpr UINT_PTR kAnswerTimer = 0x7A11;
constexpr UINT kAnswerDelayMs = 30;
// Marks a dialog as taken care of: a box is activated again whenever a nested window closes,
// and answering twice would press a button of whatever comes next.
constexpr wchar_t kHandledProp[] = L"TolvareTestAnswered";

thread_local DialogAnswerer* current = nullptr;

bool IsDialogClass(HWND hwnd) {
    wchar_t cls[16] = {};
    return GetClassNameW(hwnd, cls, 16) > 0 && lstrcmpW(cls, L"#32770") == 0;
}

}  // namespace

SeenBox ReadBox(HWND dlg) {
    SeenBox box;
    box.dlg = dlg;
    box.title = WindowText(dlg);
    box.text = WindowText(GetDlgItem(dlg, kTextStatic));
    HWND icon = GetDlgItem(dlg, kIconStatic);
    box.hasIcon = icon != nullptr;
    if (icon) box.icon = reinterpret_cast<HICON>(SendMessageW(icon, STM_GETICON, 0, 0));
    for (int id = IDOK; id <= IDNO; ++id) {
        if (GetDlgItem(dlg, id)) box.buttons.push_back(id);
    }
    return box;
}

void PressButton(HWND dlg, int id) {
    PostMessageW(dlg, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dlg, id)));
}

int SafestButton(const SeenBox& box) {
    for (int id : {IDCANCEL, IDOK, IDNO, IDABORT}) {
        if (std::find(box.buttons.begin(), box.buttons.end(), id) != box.buttons.end()) return id;
    }
    return IDCANCEL;
}

BoxIcon StandardIconOf(const SeenBox& box) {
    if (!box.hasIcon || !box.icon) return BoxIcon::None;
    const struct {
        LPCWSTR id;
        BoxIcon kind;
    } kIcons[] = {{IDI_HAND, BoxIcon::Stop},
                  {IDI_QUESTION, BoxIcon::Question},
                  {IDI_EXCLAMATION, BoxIcon::Exclamation},
                  {IDI_ASTERISK, BoxIcon::Information}};
    for (const auto& icon : kIcons) {
        if (LoadIconW(nullptr, icon.id) == box.icon) return icon.kind;
    }
    return BoxIcon::Other;
}

DialogAnswerer::DialogAnswerer(std::source_location where) : outer_(current), where_(where) {
    hook_ = SetWindowsHookExW(WH_CBT, CbtProc, nullptr, GetCurrentThreadId());
    if (!hook_) {
        ADD_FAILURE_AT(where_.file_name(), static_cast<int>(where_.line()))
            << "SetWindowsHookExW(WH_CBT) failed: " << GetLastError();
    }
    current = this;
}

DialogAnswerer::~DialogAnswerer() {
    if (hook_) UnhookWindowsHookEx(hook_);
    current = outer_;
    for (const SeenBox& box : seen_) {
        if (!box.expected) {
            ADD_FAILURE_AT(where_.file_name(), static_cast<int>(where_.line()))
                << "unexpected dialog \"" << box.title << "\": " << box.text;
        }
    }
    if (!answers_.empty()) {
        ADD_FAILURE_AT(where_.file_name(), static_cast<int>(where_.line()))
            << answers_.size() << " queued answer(s) never used: no box came for them";
    }
}

DialogAnswerer& DialogAnswerer::Answer(int buttonId) {
    answers_.push_back(buttonId);
    return *this;
}

LRESULT CALLBACK DialogAnswerer::CbtProc(int code, WPARAM wParam, LPARAM lParam) {
    // Creation catches every top-level dialog even when this process is not in the foreground
    // (another test's windows may be, under a parallel run), where activation never comes;
    // activation stays as the second chance. The timer fires from the dialog's own modal loop,
    // once it has finished initialising.
    bool candidate = false;
    if (code == HCBT_CREATEWND) {
        const auto* create = reinterpret_cast<CBT_CREATEWNDW*>(lParam);
        candidate = !(create->lpcs->style & WS_CHILD);
    } else if (code == HCBT_ACTIVATE) {
        candidate = true;
    }
    HWND hwnd = reinterpret_cast<HWND>(wParam);
    if (candidate && current && IsDialogClass(hwnd) && !GetPropW(hwnd, kHandledProp)) {
        SetPropW(hwnd, kHandledProp, reinterpret_cast<HANDLE>(1));
        SetTimer(hwnd, kAnswerTimer, kAnswerDelayMs, TimerProc);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

void CALLBACK DialogAnswerer::TimerProc(HWND dlg, UINT, UINT_PTR id, DWORD) {
    KillTimer(dlg, id);
    if (current && IsWindow(dlg)) current->Handle(dlg);
}

void DialogAnswerer::Handle(HWND dlg) {
    if (custom_ && custom_(dlg)) {
        SeenBox box;
        box.dlg = dlg;
        box.title = WindowText(dlg);
        box.custom = true;
        seen_.push_back(std::move(box));
        return;
    }
    SeenBox box = ReadBox(dlg);
    if (!answers_.empty()) {
        box.answer = answers_.front();
        answers_.pop_front();
        box.expected = std::find(box.buttons.begin(), box.buttons.end(), box.answer) != box.buttons.end();
    } else {
        box.expected = false;
    }
    // A queued button that the box lacks would close it with a result it can never give.
    if (!box.expected) box.answer = SafestButton(box);
    PressButton(dlg, box.answer);
    seen_.push_back(std::move(box));
}

}  // namespace tolvare::test
