// Centring a window where the user will look for it: on the work area of the user's monitor.
#pragma once

#include <windows.h>

namespace tolvare {

// Centres the outer rectangle on the work area of the monitor the user is at: the owner's, or
// for a window without owner (one that start-up opens) the pointer's.
void CentreWindow(HWND hwnd);

}  // namespace tolvare
