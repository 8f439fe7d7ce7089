// Small helpers the registration windows share: the owner of modal windows and a control's text.
#pragma once

#include <windows.h>

#include <string>

namespace tolvare {

// The program's active window, which owns modal windows and message boxes; nullptr if none.
HWND ActiveProgramWindow();
std::wstring WindowText(HWND hwnd);

}  // namespace tolvare
