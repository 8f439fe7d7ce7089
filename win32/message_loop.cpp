// The program's one message pump and the loops built on it: see message_loop.h.
#include "win32/message_loop.h"

#include "win32/window.h"

namespace tolvare {

Pumped PumpMessage(bool wait, int& quitCode) {
    MSG msg{};
    if (wait) {
        const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == -1) return Pumped::kEmpty;
        if (got == 0) {
            quitCode = static_cast<int>(msg.wParam);
            return Pumped::kQuit;
        }
    } else {
        if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) return Pumped::kEmpty;
        if (msg.message == WM_QUIT) {
            quitCode = static_cast<int>(msg.wParam);
            return Pumped::kQuit;
        }
    }
    if (!Window::PreTranslate(&msg)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return Pumped::kMessage;
}

int Window::RunMessageLoop() {
    int code = 0;
    while (PumpMessage(true, code) != Pumped::kQuit) {
    }
    return code;
}

void Window::RunModal(HWND owner) {
    if (owner != nullptr) EnableWindow(owner, FALSE);
    ShowWindow(hwnd_, SW_SHOW);
    SetForegroundWindow(hwnd_);
    modal_ = true;
    ++modalDepth_;
    int quitCode = 0;
    bool quit = false;
    while (modal_ && hwnd_ != nullptr && !quit) quit = PumpMessage(true, quitCode) == Pumped::kQuit;
    --modalDepth_;
    modal_ = false;
    // The owner takes the activation back before this window disappears.
    if (owner != nullptr) EnableWindow(owner, TRUE);
    if (hwnd_ != nullptr) DestroyWindow(hwnd_);
    // The quit belongs to the loop that owns the program's life.
    if (quit) PostQuitMessage(quitCode);
}

}  // namespace tolvare
