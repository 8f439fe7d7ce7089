// Keyboard handling as in a dialog, for windows that are not dialogs: Tab and access keys through
// the dialog manager, and the focus kept in the controls across activations.
#include "win32/window.h"
#include "win32/window_registry.h"

namespace tolvare {

bool Window::PreTranslate(MSG* msg) {
    if (msg->hwnd == nullptr) return false;
    HWND root = GetAncestor(msg->hwnd, GA_ROOT);
    if (!IsProgramWindow(root)) return false;
    return IsDialogMessageW(root, msg) != FALSE;
}

bool Window::RestoreFocus(WPARAM activation) {
    // A plain top-level window would take the focus itself on every activation (after each
    // message box), and the keyboard would no longer reach its controls: keep it as dialogs do.
    if (LOWORD(activation) == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (focus != nullptr && IsChild(hwnd_, focus)) savedFocus_ = focus;
        return false;
    }
    if (HIWORD(activation) != 0) return false;  // minimised
    HWND target = savedFocus_;
    if (target == nullptr || !IsChild(hwnd_, target) || !IsWindowEnabled(target)) {
        target = GetNextDlgTabItem(hwnd_, nullptr, FALSE);
    }
    if (target == nullptr) return false;
    SetFocus(target);
    return true;
}

void Window::NextControl(WPARAM wParam, LPARAM lParam) {
    // Sent by the dialog manager for Tab and access keys; only a dialog's own procedure would
    // answer it.
    HWND target = nullptr;
    if (LOWORD(lParam) != 0) {
        target = reinterpret_cast<HWND>(wParam);
    } else {
        HWND focus = GetFocus();
        if (focus != nullptr && !IsChild(hwnd_, focus)) focus = nullptr;
        target = GetNextDlgTabItem(hwnd_, focus, wParam != 0);
    }
    if (target == nullptr) return;
    SetFocus(target);
    // As in a dialog, a box reached by the keyboard has its text selected.
    if (SendMessageW(target, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL) SendMessageW(target, EM_SETSEL, 0, -1);
}

}  // namespace tolvare
