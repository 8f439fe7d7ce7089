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

}  // namespace tolvare
