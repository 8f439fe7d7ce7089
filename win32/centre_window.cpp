// Centring a window where the user will look for it: on the work area of the user's monitor.
#include "win32/centre_window.h"

namespace tolvare {

RECT UserWorkArea(HWND owner) {
    // The work area leaves out the taskbar, which would otherwise cover part of the window.
    HMONITOR monitor = nullptr;
    POINT pointer{};
    if (owner != nullptr) {
        monitor = MonitorFromWindow(owner, MONITOR_DEFAULTTONEAREST);
    } else if (GetCursorPos(&pointer)) {
        monitor = MonitorFromPoint(pointer, MONITOR_DEFAULTTONEAREST);
    } else {
        monitor = MonitorFromPoint(POINT{0, 0}, MONITOR_DEFAULTTOPRIMARY);
    }
    MONITORINFO info{};
    info.cbSize = sizeof info;
    RECT work{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    if (monitor != nullptr && GetMonitorInfoW(monitor, &info)) work = info.rcWork;
    return work;
}

void CentreWindow(HWND hwnd) {
    const RECT work = UserWorkArea(GetWindow(hwnd, GW_OWNER));
    RECT outer{};
    GetWindowRect(hwnd, &outer);
    const int w = outer.right - outer.left, h = outer.bottom - outer.top;
    SetWindowPos(hwnd, nullptr, work.left + (work.right - work.left - w) / 2,
                 work.top + (work.bottom - work.top - h) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace tolvare
