// Shared set-up of the registration window tests: see registration_fixture.h.
#include "tests/win/registration_fixture.h"

#include "core/startup.h"
#include "core/system.h"
#include "win32/win32_system.h"

namespace tolvare::testing {

namespace {

std::vector<std::function<void()>>& SoonActions() {
    static std::vector<std::function<void()>> actions;
    return actions;
}

void CALLBACK RunSoonTimer(HWND, UINT, UINT_PTR id, DWORD) {
    KillTimer(nullptr, id);
    auto actions = std::move(SoonActions());
    SoonActions().clear();
    for (auto& action : actions) action();
}

}  // namespace

void RunSoon(std::function<void()> action) {
    SoonActions().push_back(std::move(action));
    SetTimer(nullptr, 0, 20, RunSoonTimer);
}

void RegistrationTest::SetUp() {
    static Win32System system;
    SetSystem(&system);
    profilePath = Profile();
    markTable.Erase();
    markCount = 0;
    selectedMark = 0;
    editorCaller = 0;
    TakeQuit();
}

void RegistrationTest::TearDown() {
    Pump();
    TakeQuit();
}

void RegistrationTest::SetTable(const std::vector<MarkRecord>& rows) {
    markTable.Erase();
    for (const auto& row : rows) markTable.Append(row);
    markCount = static_cast<int16_t>(rows.size());
}

std::string RegistrationTest::Bytes(const std::wstring& path) {
    return test::ReadFileBytes(path).value_or("(none)");
}

bool FileExists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::wstring TextOf(HWND hwnd) {
    wchar_t text[1024] = {};
    GetWindowTextW(hwnd, text, 1024);
    return text;
}

std::vector<std::wstring> ListLines(HWND list) {
    std::vector<std::wstring> lines;
    const LRESULT count = SendMessageW(list, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        std::wstring line(static_cast<size_t>(SendMessageW(list, LB_GETTEXTLEN, i, 0)) + 1, L'\0');
        line.resize(static_cast<size_t>(SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(line.data()))));
        lines.push_back(line);
    }
    return lines;
}

RECT ChildRect(HWND control) {
    RECT r{};
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&r), 2);
    return r;
}

RECT Expected(int leftTw, int topTw, int widthTw, int heightTw, int dpi) {
    return RECT{MulDiv(leftTw, dpi, 1440), MulDiv(topTw, dpi, 1440), MulDiv(leftTw + widthTw, dpi, 1440),
                MulDiv(topTw + heightTw, dpi, 1440)};
}

void ExpectRect(HWND control, const RECT& want) {
    const RECT got = ChildRect(control);
    EXPECT_EQ(got.left, want.left);
    EXPECT_EQ(got.top, want.top);
    EXPECT_EQ(got.right, want.right);
    EXPECT_EQ(got.bottom, want.bottom);
}

bool TakeQuit() {
    MSG msg;
    bool found = false;
    while (PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) found = true;
    return found;
}

void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            PostQuitMessage(static_cast<int>(msg.wParam));
            break;
        }
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

HWND FindOwnWindow(const wchar_t* className) {
    struct Search {
        const wchar_t* cls;
        HWND found;
    } search{className, nullptr};
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND hwnd, LPARAM param) -> BOOL {
            auto* s = reinterpret_cast<Search*>(param);
            wchar_t cls[64] = {};
            GetClassNameW(hwnd, cls, 64);
            if (lstrcmpW(cls, s->cls) == 0 && IsWindowVisible(hwnd)) {
                s->found = hwnd;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

}  // namespace tolvare::testing
