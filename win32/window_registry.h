// TOLVARE's open windows: which top-level windows are the program's, whether any is left, and
// which of them owns the message boxes and modal windows that open next.
#pragma once

#include <windows.h>

namespace tolvare {

void RegisterProgramWindow(HWND hwnd);
void ForgetProgramWindow(HWND hwnd);
bool IsProgramWindow(HWND hwnd);

}  // namespace tolvare
