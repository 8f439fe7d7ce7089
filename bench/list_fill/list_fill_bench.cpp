// How long the registration list takes to show a full table (32,767 rows), against a list box
// filled line by line with redraw on. Run by hand under Wine; prints the medians.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/profile.h"
#include "core/globals.h"
#include "registration/form_list.h"

namespace {

double Ms(LARGE_INTEGER from, LARGE_INTEGER to) {
    LARGE_INTEGER freq;
    QueryPerformanceFrequency(&freq);
    return 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(freq.QuadPart);
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
}

}  // namespace

int main(int argc, char** argv) {
    using namespace tolvare;
    // Rows and rounds can be lowered to see how the plain fill grows.
    const int rows = argc > 1 ? std::clamp(std::atoi(argv[1]), 1, int{kMaxRows}) : int{kMaxRows};
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 1;
    markTable.Erase();
    for (int i = 1; i <= rows; ++i) {
        markTable.Append({L"E" + std::to_wstring(i % 5000), L"C:\\Program Files\\Tool\\tool.exe",
                          L"説明" + std::to_wstring(i)});
    }
    markCount = static_cast<int16_t>(rows);
    std::vector<std::wstring> lines;
    for (const auto& row : markTable.Rows()) lines.push_back(row.mark + L"\t>" + row.name);

    FormList form;
    if (!form.Create(nullptr, true)) return 1;
    ShowWindow(form.hwnd(), SW_SHOW);
    Pump();
    // The same list box, filled the plain way.
    HWND list = form.Control(FormList::kListMark);
    RECT r{};
    GetWindowRect(list, &r);
    MapWindowPoints(nullptr, form.hwnd(), reinterpret_cast<POINT*>(&r), 2);
    HWND plain = CreateWindowExW(WS_EX_CLIENTEDGE, L"LISTBOX", L"",
                                 WS_CHILD | WS_VISIBLE | WS_VSCROLL | LBS_NOTIFY | LBS_USETABSTOPS |
                                     LBS_NOINTEGRALHEIGHT,
                                 r.left, r.top, r.right - r.left, r.bottom - r.top, form.hwnd(), nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
    SendMessageW(plain, WM_SETFONT, SendMessageW(list, WM_GETFONT, 0, 0), TRUE);

    std::vector<double> fast, slow;
    for (int round = 0; round < rounds; ++round) {
        LARGE_INTEGER t0, t1;
        QueryPerformanceCounter(&t0);
        form.SetListMark();
        Pump();
        QueryPerformanceCounter(&t1);
        fast.push_back(Ms(t0, t1));
        std::printf("round %d: SetListMark %.1f ms\n", round + 1, fast.back());
        std::fflush(stdout);

        DestroyWindow(plain);
        plain = CreateWindowExW(WS_EX_CLIENTEDGE, L"LISTBOX", L"",
                                WS_CHILD | WS_VISIBLE | WS_VSCROLL | LBS_NOTIFY | LBS_USETABSTOPS |
                                    LBS_NOINTEGRALHEIGHT,
                                r.left, r.top, r.right - r.left, r.bottom - r.top, form.hwnd(), nullptr,
                                GetModuleHandleW(nullptr), nullptr);
        SendMessageW(plain, WM_SETFONT, SendMessageW(list, WM_GETFONT, 0, 0), TRUE);
        Pump();
        QueryPerformanceCounter(&t0);
        for (const auto& line : lines)
            SendMessageW(plain, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
        Pump();
        QueryPerformanceCounter(&t1);
        slow.push_back(Ms(t0, t1));
        std::printf("round %d: plain %.1f ms\n", round + 1, slow.back());
        std::fflush(stdout);
    }
    const long count = static_cast<long>(SendMessageW(list, LB_GETCOUNT, 0, 0));
    const long plainCount = static_cast<long>(SendMessageW(plain, LB_GETCOUNT, 0, 0));
    const double f = Median(fast), s = Median(slow);
    std::printf("rows: %ld (plain %ld), median of %d\n", count, plainCount, rounds);
    std::printf("SetListMark:                   %8.1f ms\n", f);
    std::printf("plain LB_ADDSTRING, redraw on: %8.1f ms\n", s);
    std::printf("ratio: %.1fx\n", s / f);
    return count == rows && plainCount == rows ? 0 : 1;
}
