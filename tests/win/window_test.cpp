// What every window gets from the window base, seen through the three windows as the program
// opens them: made and centred on the work area under the pointer, the exe's icons, nothing left
// behind by a creation that fails part-way, and no font left over once a window is gone.
#include <set>

#include "launcher/form_select.h"
#include "registration/form_list.h"
#include "registration/form_regist.h"
#include "tests/support/win_test.h"

namespace tolvare {
namespace {

using namespace tolvare::test;
using WindowBaseTest = WinTest;

const wchar_t* refusedClass = nullptr;  // the control class whose creation the hook refuses
POINT createdAt{};                      // where the last top-level window was created

LRESULT CALLBACK Meddle(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND) {
        const wchar_t* cls = reinterpret_cast<CBT_CREATEWNDW*>(lParam)->lpcs->lpszClass;
        // With Common Controls 6 the name may carry its version: "6.0.2600.2982!Listbox".
        if (!IS_INTRESOURCE(cls) && refusedClass != nullptr) {
            if (const wchar_t* bang = wcsrchr(cls, L'!')) cls = bang + 1;
            if (lstrcmpiW(cls, refusedClass) == 0) return 1;
        }
        const CREATESTRUCTW* cs = reinterpret_cast<CBT_CREATEWNDW*>(lParam)->lpcs;
        if (!(cs->style & WS_CHILD)) createdAt = {cs->x, cs->y};
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// The program's windows on this thread of a class, shown or hidden.
std::vector<HWND> Ours(const wchar_t* className) {
    std::pair<const wchar_t*, std::vector<HWND>> search{className, {}};
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND hwnd, LPARAM param) -> BOOL {
            auto* s = reinterpret_cast<decltype(search)*>(param);
            wchar_t cls[64] = {};
            if (GetClassNameW(hwnd, cls, 64) && lstrcmpW(cls, s->first) == 0) s->second.push_back(hwnd);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.second;
}

// The fonts a window and its controls use, as the platform hands them out.
std::set<HGDIOBJ> fontsUsed;
void CollectFonts(HWND window) {
    fontsUsed.insert((HGDIOBJ)SendMessageW(window, WM_GETFONT, 0, 0));
    EnumChildWindows(
        window,
        [](HWND child, LPARAM) {
            return fontsUsed.insert((HGDIOBJ)SendMessageW(child, WM_GETFONT, 0, 0)), TRUE;
        },
        0);
}

struct Opening {
    const char* what;
    void (*show)();
    const wchar_t* className;
    const wchar_t* control;  // one of its controls
};
const Opening kOpenings[] = {
    {"list", [] { ShowFormList(false); }, FormList::kClassName, L"LISTBOX"},
    {"selection", [] { ShowFormSelect(); }, L"TolvareFormSelect", L"BUTTON"},
    {"editor", [] { ShowFormRegist(); }, FormRegist::kClassName, L"EDIT"},
};

TEST_F(WindowBaseTest, AWindowIsCentredOrDestroyedWholeAndFreesItsFonts) {
    RECT saved{}, work{};  // a taskbar that takes part of the screen
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &saved, 0);
    RECT smaller{saved.left + 120, saved.top + 60, saved.right - 40, saved.bottom - 100};
    SystemParametersInfoW(SPI_SETWORKAREA, 0, &smaller, 0);
    POINT pointer{};
    GetCursorPos(&pointer);
    MONITORINFO monitor{sizeof monitor, {}, {}, 0};
    GetMonitorInfoW(MonitorFromPoint(pointer, MONITOR_DEFAULTTONEAREST), &monitor);
    work = monitor.rcWork;
    markTable.Rows() = {{L"TXT", L"C:\\a.exe", L"a"}, {L"TXT", L"C:\\b.exe", L"b"}};
    markCount = selectCount = 2;
    HHOOK hook = SetWindowsHookExW(WH_CBT, Meddle, nullptr, GetCurrentThreadId());
    for (const auto& o : kOpenings) {
        SCOPED_TRACE(o.what);
        if (o.className != FormRegist::kClassName) {  // the modeless ones stay open to be measured
            o.show();
            const auto windows = Ours(o.className);
            ASSERT_EQ(windows.size(), 1u);
            RECT r{};
            GetWindowRect(windows[0], &r);
            EXPECT_NEAR(r.left, work.left + (work.right - work.left - (r.right - r.left)) / 2, 1);
            EXPECT_NEAR(r.top, work.top + (work.bottom - work.top - (r.bottom - r.top)) / 2, 1);
            EXPECT_TRUE(PtInRect(&work, createdAt)) << "made on the monitor it is shown on, at its DPI";
            for (const auto& [which, metric] :
                 {std::pair{GCLP_HICON, SM_CXICON}, {GCLP_HICONSM, SM_CXSMICON}}) {
                ICONINFO icon{};  // the exe's icon at the size the system shows
                BITMAP bm{};
                ASSERT_TRUE(GetIconInfo((HICON)GetClassLongPtrW(windows[0], which), &icon));
                GetObjectW(icon.hbmColor, sizeof bm, &bm);
                EXPECT_EQ(bm.bmWidth, GetSystemMetrics(metric));
                DeleteObject(icon.hbmColor), DeleteObject(icon.hbmMask);
            }
            CollectFonts(windows[0]);
            DestroyWindow(windows[0]);
        }
        // A window left hidden would keep the program, and with it the instance lock, alive.
        refusedClass = o.control;
        o.show();
        refusedClass = nullptr;
        Pump();
        EXPECT_FALSE(Window::AnyOpen());
        EXPECT_TRUE(Ours(o.className).empty());
        TakeQuit();
    }
    SystemParametersInfoW(SPI_SETWORKAREA, 0, &saved, 0);
    for (int i = 0; i < 3; ++i) {  // the editor, closed from its own modal loop
        SetTimer(nullptr, 0, 10, [](HWND, UINT, UINT_PTR id, DWORD) {
            KillTimer(nullptr, id);
            CollectFonts(Window::FrontWindow());
            PostMessageW(Window::FrontWindow(), WM_CLOSE, 0, 0);
        });
        ShowFormRegist();
    }
    UnhookWindowsHookEx(hook);
    fontsUsed.erase(nullptr);  // the system font of a control that never had one of ours
    fontsUsed.erase(GetStockObject(DEFAULT_GUI_FONT)), fontsUsed.erase(GetStockObject(SYSTEM_FONT));
    EXPECT_GE(fontsUsed.size(), 6u) << "each window's own fonts were seen";
    for (HGDIOBJ font : fontsUsed) EXPECT_EQ(GetObjectType(font), 0u) << "a font outlived its window";
}

}  // namespace
}  // namespace tolvare
