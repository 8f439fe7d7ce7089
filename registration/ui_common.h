// Small helpers the registration windows share: the owner of modal windows, a control's text,
// and the focus kept across deactivation as dialogs keep it.
#pragma once

#include <windows.h>

#include <string>

namespace tolvare {

// The program's active window, which owns modal windows and message boxes; nullptr if none.
HWND ActiveProgramWindow();
std::wstring WindowText(HWND hwnd);

// Without this a plain top-level window takes the focus itself whenever it is activated (after
// every message box), and the keyboard no longer reaches its controls.
class FocusKeeper {
public:
    // Call on WM_ACTIVATE; true when the focus was placed and the message is handled.
    bool OnActivate(HWND window, WPARAM wParam);
    void Reset() { saved_ = nullptr; }
    // WM_NEXTDLGCTL, which the dialog manager sends for Tab and access keys but only a dialog's
    // own procedure would answer.
    static void NextControl(HWND window, WPARAM wParam, LPARAM lParam);

private:
    HWND saved_ = nullptr;
};

}  // namespace tolvare
