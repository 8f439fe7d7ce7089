// Centring a window where the user will look for it: on the work area of the user's monitor.
#pragma once

#include <windows.h>

namespace tolvare {

// The work area of the monitor the user is at: the owner's, or for a window without owner (one
// that start-up opens) the pointer's. A window is created there, so that it has that monitor's DPI
// from the start.
RECT UserWorkArea(HWND owner);

// Centres the outer rectangle on the work area of the monitor the user is at (UserWorkArea of
// the window's owner).
void CentreWindow(HWND hwnd);

}  // namespace tolvare
