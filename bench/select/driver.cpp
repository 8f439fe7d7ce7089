// The selection-window benchmark's driver: starts each command line in turn, interleaved, and
// times it from CreateProcessW to its window being visible; then closes the window, waits for the
// process to end and prints each command's median. Run by bench/select.sh under Wine.
//
//   bench_select_driver.exe RUNS KIND COMMANDLINE [KIND COMMANDLINE ...]
//   KIND: "minimal" (bench_minimal_window.exe's caption) or "select" (TOLVARE's selection window)
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "bench/select/bench_select.h"
#include "core/texts.h"

namespace {

struct Series {
    const wchar_t* caption;
    std::wstring commandLine;
    std::vector<double> ms;
};

HWND VisibleWindowOf(DWORD pid, const wchar_t* caption) {
    HWND hwnd = nullptr;
    while ((hwnd = FindWindowExW(nullptr, hwnd, nullptr, caption)) != nullptr) {
        DWORD owner = 0;
        GetWindowThreadProcessId(hwnd, &owner);
        if (owner == pid && IsWindowVisible(hwnd)) return hwnd;
    }
    return nullptr;
}

// Milliseconds from the start to a visible window; negative when it failed.
double RunOnce(Series& series) {
    LARGE_INTEGER freq, t0, t1;
    QueryPerformanceFrequency(&freq);
    std::wstring line = series.commandLine;
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    QueryPerformanceCounter(&t0);
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        return -1;
    }
    HWND hwnd = nullptr;
    const ULONGLONG deadline = GetTickCount64() + 15000;
    while ((hwnd = VisibleWindowOf(pi.dwProcessId, series.caption)) == nullptr &&
           GetTickCount64() < deadline) {
        Sleep(1);
    }
    QueryPerformanceCounter(&t1);
    if (hwnd != nullptr) PostMessageW(hwnd, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(pi.hProcess, 15000) != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 1);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    if (hwnd == nullptr) return -1;
    return 1000.0 * static_cast<double>(t1.QuadPart - t0.QuadPart) / static_cast<double>(freq.QuadPart);
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    return n == 0 ? 0 : n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 4 || argc % 2 != 0) {
        std::fprintf(stderr, "usage: bench_select_driver RUNS KIND COMMANDLINE [KIND COMMANDLINE ...]\n");
        return 2;
    }
    const int runs = std::max(1, _wtoi(argv[1]));
    std::vector<Series> all;
    for (int i = 2; i + 1 < argc; i += 2) {
        const bool minimal = lstrcmpW(argv[i], L"minimal") == 0;
        all.push_back(
            {minimal ? tolvare::bench::kMinimalCaption : tolvare::text::kSelectCaption, argv[i + 1], {}});
    }
    // One warm-up each, which must show its window.
    for (auto& series : all) {
        if (RunOnce(series) < 0) {
            std::fprintf(stderr, "no window from: %ls\n", series.commandLine.c_str());
            return 1;
        }
    }
    for (int run = 0; run < runs; ++run) {
        for (auto& series : all) {
            const double ms = RunOnce(series);
            if (ms < 0) {
                std::fprintf(stderr, "no window from: %ls\n", series.commandLine.c_str());
                return 1;
            }
            series.ms.push_back(ms);
        }
    }
    for (const auto& series : all) {
        std::printf("%.1f\n", Median(series.ms));
    }
    return 0;
}
