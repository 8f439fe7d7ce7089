// What every window gets from the window base, seen through the three windows as the program
// opens them: a creation that fails part-way leaves nothing behind, and each window is centred on
// the work area of the monitor the user is at.
#include "win32/window.h"

#include <memory>
#include <string>
#include <vector>

#include "core/globals.h"
#include "launcher/form_select.h"
#include "registration/form_list.h"
#include "registration/form_regist.h"
#include "tests/win/registration_fixture.h"

namespace tolvare::testing {
namespace {

// This thread's windows of a TOLVARE window class, shown or hidden.
std::vector<HWND> OurWindows(const wchar_t* className) {
    struct Search {
        const wchar_t* cls;
        std::vector<HWND> found;
    } search{className, {}};
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND hwnd, LPARAM param) -> BOOL {
            auto* s = reinterpret_cast<Search*>(param);
            wchar_t cls[64] = {};
            GetClassNameW(hwnd, cls, 64);
            if (lstrcmpW(cls, s->cls) == 0) s->found.push_back(hwnd);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// The control class whose creation the CBT hook refuses, as CreateWindowExW names it.
const wchar_t* refusedClass = nullptr;

LRESULT CALLBACK RefuseOneClass(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND) {
        const wchar_t* cls = reinterpret_cast<CBT_CREATEWNDW*>(lParam)->lpcs->lpszClass;
        // With Common Controls 6 the name may carry its version: "6.0.2600.2982!Listbox".
        if (!IS_INTRESOURCE(cls)) {
            if (const wchar_t* bang = wcsrchr(cls, L'!')) cls = bang + 1;
            if (lstrcmpiW(cls, refusedClass) == 0) return 1;
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

struct Opening {
    const char* what;
    void (*show)();
    const wchar_t* className;
    const wchar_t* refused;
};

const Opening kOpenings[] = {
    {"list from start-up", [] { ShowFormList(false); }, FormList::kClassName, L"LISTBOX"},
    {"editor", [] { ShowFormRegist(); }, FormRegist::kClassName, L"EDIT"},
    {"selection", [] { ShowFormSelect(); }, L"TolvareFormSelect", L"BUTTON"},
};

using WindowBaseTest = RegistrationTest;

TEST_F(WindowBaseTest, AWindowWhoseControlsCannotBeCreatedIsDestroyed) {
    // A window left hidden would keep the program, and with it the single-instance lock, alive.
    markTable.Rows() = {{L"TXT", L"C:\\a.exe", L"a"}, {L"TXT", L"C:\\b.exe", L"b"}};
    markCount = 2;
    selectCount = 2;
    for (const auto& o : kOpenings) {
        SCOPED_TRACE(o.what);
        refusedClass = o.refused;
        HHOOK hook = SetWindowsHookExW(WH_CBT, RefuseOneClass, nullptr, GetCurrentThreadId());
        ASSERT_NE(hook, nullptr);
        o.show();
        UnhookWindowsHookEx(hook);
        Pump();
        EXPECT_FALSE(Window::AnyOpen());
        EXPECT_EQ(OurWindows(o.className).size(), 0u);
        TakeQuit();
    }
}

// Shrinks the work area (a taskbar) for the test's duration, where the platform lets it.
class WorkArea {
public:
    WorkArea() {
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &saved_, 0);
        RECT smaller{saved_.left + 120, saved_.top + 60, saved_.right - 40, saved_.bottom - 100};
        SystemParametersInfoW(SPI_SETWORKAREA, 0, &smaller, 0);
    }
    ~WorkArea() { SystemParametersInfoW(SPI_SETWORKAREA, 0, &saved_, 0); }

private:
    RECT saved_{};
};

TEST_F(WindowBaseTest, EveryWindowIsCentredOnTheWorkAreaOfTheMonitorUnderThePointer) {
    WorkArea shrunk;
    POINT pointer{};
    ASSERT_TRUE(GetCursorPos(&pointer));
    MONITORINFO monitor{sizeof monitor, {}, {}, 0};
    ASSERT_TRUE(GetMonitorInfoW(MonitorFromPoint(pointer, MONITOR_DEFAULTTONEAREST), &monitor));
    const RECT& work = monitor.rcWork;
    markTable.Rows() = {{L"TXT", L"C:\\a.exe", L"a"}, {L"TXT", L"C:\\b.exe", L"b"}};
    markCount = 2;
    selectCount = 2;
    std::unique_ptr<FormRegist> editor;
    const Opening openings[] = {
        kOpenings[0],
        kOpenings[2],
        // The editor is modal: open the one that Form_Load prepares, without its loop.
        {"editor", nullptr, FormRegist::kClassName, nullptr},
    };
    for (const auto& o : openings) {
        SCOPED_TRACE(o.what);
        if (o.show != nullptr) {
            o.show();
        } else {
            editor = Open<FormRegist>(markTable.Rows());
        }
        const auto windows = OurWindows(o.className);
        ASSERT_EQ(windows.size(), 1u);
        RECT r{};
        GetWindowRect(windows[0], &r);
        EXPECT_NEAR(r.left, work.left + (work.right - work.left - (r.right - r.left)) / 2, 1);
        EXPECT_NEAR(r.top, work.top + (work.bottom - work.top - (r.bottom - r.top)) / 2, 1);
        DestroyWindow(windows[0]);
        Pump();
        TakeQuit();
    }
}

}  // namespace
}  // namespace tolvare::testing
