// The input method kept away from boxes that take only digits or half-width letters: a
// composition there would swallow the keys or turn them into full-width characters.
#pragma once

#include <windows.h>

namespace tolvare {

// Turns the input method off for `hwnd`, and for its children too when `children`.
void TurnOffInputMethod(HWND hwnd, bool children);
// The key an input method has taken (VK_PROCESSKEY) as the keyboard gave it; `key` otherwise.
WPARAM KeyBeforeInputMethod(HWND hwnd, WPARAM key);

}  // namespace tolvare
