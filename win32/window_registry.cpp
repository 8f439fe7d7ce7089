// TOLVARE's open windows and the owner of what opens next: see window_registry.h.
#include "win32/window_registry.h"

#include <algorithm>
#include <vector>

#include "win32/window.h"

namespace tolvare {

namespace {

// In the order they were created.
std::vector<HWND>& OurWindows() {
    static std::vector<HWND> windows;
    return windows;
}

}  // namespace

void RegisterProgramWindow(HWND hwnd) { OurWindows().push_back(hwnd); }

void ForgetProgramWindow(HWND hwnd) {
    auto& ours = OurWindows();
    ours.erase(std::remove(ours.begin(), ours.end(), hwnd), ours.end());
}

bool IsProgramWindow(HWND hwnd) {
    const auto& ours = OurWindows();
    return hwnd != nullptr && std::find(ours.begin(), ours.end(), hwnd) != ours.end();
}

bool Window::AnyOpen() { return !OurWindows().empty(); }

HWND Window::FrontWindow() {
    // GetActiveWindow only ever answers with a window of this thread, that is one of ours.
    if (HWND active = GetActiveWindow(); active != nullptr) return active;
    const auto& ours = OurWindows();
    for (auto it = ours.rbegin(); it != ours.rend(); ++it) {
        if (IsWindowVisible(*it) && IsWindowEnabled(*it)) return *it;
    }
    return nullptr;
}

}  // namespace tolvare
