// Centring a window where the user will look for it: on the work area of the user's monitor.
#include "win32/centre_window.h"

namespace tolvare {

void CentreWindow(HWND hwnd) {
    // The work area leaves out the taskbar, which would otherwise cover part of the window.
    HMONITOR monitor = nullptr;
    POINT pointer{};
    if (HWND owner = GetWindow(hwnd, GW_OWNER); owner != nullptr) {
        monitor = MonitorFromWindow(owner, MONITOR_DEFAULTTONEAREST);
    } else if (GetCursorPos(&pointer)) {
        monitor = MonitorFromPoint(pointer, MONITOR_DEFAULTTONEAREST);
    } else {
        monitor = MonitorFromWindow(hwnd, MONITOR_DEFAULTTOPRIMARY);
    }
    MONITORINFO info{};
    info.cbSize = sizeof info;
    RECT work{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    if (monitor != nullptr && GetMonitorInfoW(monitor, &info)) work = info.rcWork;
    RECT outer{};
    GetWindowRect(hwnd, &outer);
    const int w = outer.right - outer.left, h = outer.bottom - outer.top;
    SetWindowPos(hwnd, nullptr, work.left + (work.right - work.left - w) / 2,
                 work.top + (work.bottom - work.top - h) / 2, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace tolvare
