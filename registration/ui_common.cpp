// Helpers shared by the registration windows: see ui_common.h.
#include "registration/ui_common.h"

#include "win32/window.h"

namespace tolvare {

HWND ActiveProgramWindow() { return Window::FrontWindow(); }

std::wstring WindowText(HWND hwnd) {
    const int length = GetWindowTextLengthW(hwnd);
    if (length <= 0) return {};
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(hwnd, text.data(), length + 1)));
    return text;
}

bool FocusKeeper::OnActivate(HWND window, WPARAM wParam) {
    if (LOWORD(wParam) == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (focus != nullptr && IsChild(window, focus)) saved_ = focus;
        return false;
    }
    if (HIWORD(wParam) != 0) return false;  // minimised
    HWND target = saved_;
    if (target == nullptr || !IsChild(window, target) || !IsWindowEnabled(target)) {
        target = GetNextDlgTabItem(window, nullptr, FALSE);
    }
    if (target == nullptr) return false;
    SetFocus(target);
    return true;
}

void FocusKeeper::NextControl(HWND window, WPARAM wParam, LPARAM lParam) {
    HWND target = nullptr;
    if (LOWORD(lParam) != 0) {
        target = reinterpret_cast<HWND>(wParam);
    } else {
        HWND focus = GetFocus();
        if (focus != nullptr && !IsChild(window, focus)) focus = nullptr;
        target = GetNextDlgTabItem(window, focus, wParam != 0);
    }
    if (target == nullptr) return;
    SetFocus(target);
    // As in a dialog, a box reached by the keyboard has its text selected.
    if (SendMessageW(target, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL) SendMessageW(target, EM_SETSEL, 0, -1);
}

}  // namespace tolvare
