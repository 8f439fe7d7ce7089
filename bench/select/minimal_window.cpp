// The floor of the selection-window benchmark: the least a Win32 program does to show a window
// with three buttons (user32 only, no manifest, no font, no DPI handling).
#include <windows.h>

#include "bench/select/bench_select.h"

namespace {

LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    if (msg == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    WNDCLASSW wc{};
    wc.lpfnWndProc = Proc;
    wc.hInstance = instance;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = L"BenchMinimalWindow";
    if (RegisterClassW(&wc) == 0) return 1;
    HWND hwnd = CreateWindowExW(WS_EX_TOPMOST, wc.lpszClassName, tolvare::bench::kMinimalCaption,
                                WS_POPUP | WS_CAPTION | WS_SYSMENU, CW_USEDEFAULT, CW_USEDEFAULT, 227, 87,
                                nullptr, nullptr, instance, nullptr);
    if (hwnd == nullptr) return 1;
    for (int i = 0; i < 3; ++i) {
        const wchar_t* captions[] = {L"One (&1)", L"Two (&2)", L"Three (&3)"};
        CreateWindowExW(0, L"BUTTON", captions[i], WS_CHILD | WS_VISIBLE | WS_TABSTOP, 0, i * 21, 221, 21,
                        hwnd, reinterpret_cast<HMENU>(static_cast<INT_PTR>(100 + i)), instance, nullptr);
    }
    ShowWindow(hwnd, SW_SHOW);
    MSG msg{};
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (!IsDialogMessageW(hwnd, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    return 0;
}
