// The Windows tests' shared helpers: see win_test.h.
#include "tests/support/win_test.h"

#include <algorithm>
#include <array>

#include "core/system.h"
#include "launcher/form_select.h"
#include "registration/form_list.h"
#include "registration/form_regist.h"
#include "win32/win32_system.h"

namespace tolvare::test {

std::string ToCp932(std::wstring_view text) {
    std::string bytes(text.size() * 2, '\0');
    bytes.resize(static_cast<size_t>(
        WideCharToMultiByte(932, 0, text.data(), (int)text.size(), bytes.data(), (int)bytes.size(), 0, 0)));
    return bytes;
}

std::wstring FromUtf8(std::string_view bytes) {
    std::wstring text(bytes.size(), L'\0');
    text.resize(static_cast<size_t>(
        MultiByteToWideChar(CP_UTF8, 0, bytes.data(), (int)bytes.size(), text.data(), (int)text.size())));
    return text;
}

std::wstring ShortPath(const std::wstring& path) {
    wchar_t result[MAX_PATH];
    const DWORD n = GetShortPathNameW(path.c_str(), result, MAX_PATH);
    return n == 0 || n >= MAX_PATH ? path : std::wstring(result, n);
}

std::wstring SystemText(DWORD code) {
    wchar_t text[512] = {};
    DWORD n = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
                             text, 512, nullptr);
    while (n > 0 && (text[n - 1] == L'\r' || text[n - 1] == L'\n')) --n;
    return {text, n};
}

std::wstring WindowsPathOf(std::string_view buildPath) {
    std::wstring path = FromUtf8(buildPath);
    std::ranges::replace(path, L'/', L'\\');
    return path.starts_with(L'\\') ? L"Z:" + path : path;
}

bool PollUntil(const std::function<bool()>& ready, DWORD timeoutMs) {
    for (const ULONGLONG end = GetTickCount64() + timeoutMs; !ready(); Sleep(20)) {
        if (GetTickCount64() >= end) return false;
    }
    return true;
}

Process::Process(const std::wstring& exe, const std::wstring& arguments) {
    std::wstring line = Quoted(exe) + L" " + arguments;
    STARTUPINFOW si{};
    si.cb = sizeof si;
    EXPECT_TRUE(CreateProcessW(exe.c_str(), line.data(), 0, 0, FALSE, 0, 0, 0, &si, &pi)) << GetLastError();
}

Process::~Process() {
    if (!Exits(0)) TerminateProcess(pi.hProcess, 1), Exits();
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
}

std::wstring ProbeLog(const std::wstring& log) {
    std::optional<std::string> bytes;
    PollUntil([&] { return (bytes = ReadFileBytes(log)) && bytes->ends_with('\n'); });
    std::wstring text = FromUtf8(bytes.value_or("")), lines;
    // Every program TOLVARE starts is asked to show a normal window (SW_SHOWNORMAL).
    for (size_t start = 0, end; (end = text.find(L'\n', start)) != std::wstring::npos; start = end + 1) {
        EXPECT_EQ(text.substr(start, 2), L"1\t");
        lines += text.substr(start + 2, end + 1 - start - 2);
    }
    return lines;
}

void PrintTo(const Box& box, std::ostream* os) {
    *os << ::testing::PrintToString(box.title) << " " << box.icon << " "
        << ::testing::PrintToString(box.buttons) << " " << ::testing::PrintToString(box.text);
}

Box ReadBox(HWND dlg) {
    Box box{WindowText(GetDlgItem(dlg, 0xFFFF)), WindowText(dlg), GetDlgItem(dlg, 0x440) ? '?' : '-', {}};
    const auto icon = (HICON)SendDlgItemMessageW(dlg, 0x440, STM_GETICON, 0, 0);
    for (auto [id, letter] : {std::pair{IDI_HAND, 'S'}, {IDI_QUESTION, 'Q'}, {IDI_EXCLAMATION, 'E'}}) {
        if (icon && LoadIconW(nullptr, id) == icon) box.icon = letter;
    }
    for (int id = IDOK; id <= IDNO; ++id) {
        if (GetDlgItem(dlg, id)) box.buttons.push_back(id);
    }
    return box;
}

void Press(HWND dlg, int id) {
    PostMessageW(dlg, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)GetDlgItem(dlg, id));
}

namespace {
thread_local Boxes* answering = nullptr;
}

Boxes::Boxes() : hook_(SetWindowsHookExW(WH_CBT, Hook, nullptr, GetCurrentThreadId())), outer_(answering) {
    answering = this;
}

Boxes::~Boxes() {
    UnhookWindowsHookEx(hook_);
    answering = outer_;
    EXPECT_EQ(unexpected_, 0) << "dialogs the test did not answer: " << ::testing::PrintToString(seen);
    EXPECT_TRUE(answers_.empty()) << answers_.size() << " answer(s) left: no dialog came for them";
}

LRESULT CALLBACK Boxes::Hook(int code, WPARAM wParam, LPARAM lParam) {
    // Creation sees every top-level dialog even when another process has the foreground; activation
    // is the second chance. The timer fires in the dialog's own modal loop, once it has initialised.
    HWND hwnd = (HWND)wParam;
    wchar_t cls[16] = {};
    const bool topLevel = code == HCBT_ACTIVATE ||
                          (code == HCBT_CREATEWND && !(((CBT_CREATEWNDW*)lParam)->lpcs->style & WS_CHILD));
    if (topLevel && answering && GetClassNameW(hwnd, cls, 16) && lstrcmpW(cls, L"#32770") == 0 &&
        !GetPropW(hwnd, L"TolvareAnswered")) {
        SetPropW(hwnd, L"TolvareAnswered", (HANDLE)1);  // a box is activated again and again
        SetTimer(hwnd, 1, 30, Timer);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

void CALLBACK Boxes::Timer(HWND dlg, UINT, UINT_PTR id, DWORD) {
    KillTimer(dlg, id);
    Boxes* self = answering;
    if (self == nullptr || (self->custom && self->custom(dlg))) return;
    Box box = ReadBox(dlg);
    int answer = self->answers_.empty() ? 0 : self->answers_.front();
    if (!self->answers_.empty()) self->answers_.pop_front();
    const auto has = [&](int id) { return std::ranges::find(box.buttons, id) != box.buttons.end(); };
    if (!has(answer)) {
        ++self->unexpected_;
        for (int safest : {IDNO, IDABORT, IDOK, IDCANCEL}) answer = has(safest) ? safest : answer;
    }
    Press(dlg, answer);
    self->seen.push_back(std::move(box));
}

void WinTest::SetUp() {
    static Win32System system({ShowFormList, ShowFormRegist, ShowFormSelect});
    SetSystem(&system);
    profilePath = profile_;
    markTable.Erase();
    markCount = selectedMark = editorCaller = 0;
    TakeQuit();
}

void WinTest::Pump() {
    for (MSG msg; PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE);) DispatchMessageW(&msg);
}

void WinTest::PumpFor(DWORD ms) {
    for (const ULONGLONG end = GetTickCount64() + ms; GetTickCount64() <= end; TakeQuit())
        Sys().WaitForEvents(10);
}

bool WinTest::TakeQuit() {
    MSG msg;
    return PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != FALSE;
}

void WinTest::Key(HWND to, UINT message, WPARAM key) {
    MSG msg{to, message, key, message == WM_SYSCHAR ? 0x20000000 : 0, 0, {}};  // Alt held for WM_SYSCHAR
    if (!Window::PreTranslate(&msg)) DispatchMessageW(&msg);
    Pump();
}

void ExpectLayout(const Window& form, SIZE clientTw, const std::vector<Placement>& design) {
    for (int dpi : {96, 144}) {
        RECT r{};
        GetWindowRect(form.hwnd(), &r);
        if (form.dpi() != dpi) SendMessageW(form.hwnd(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi), (LPARAM)&r);
        ASSERT_EQ(form.dpi(), dpi);
        const auto px = [dpi](int tw) -> LONG { return MulDiv(tw, dpi, 1440); };  // 1440 twips an inch
        GetClientRect(form.hwnd(), &r);
        EXPECT_EQ((std::array{r.right, r.bottom}), (std::array{px(clientTw.cx), px(clientTw.cy)}));
        HWND child = GetWindow(form.hwnd(), GW_CHILD);
        for (const auto& p : design) {
            SCOPED_TRACE(testing::Message() << dpi << " DPI, control " << p.id);
            ASSERT_EQ(GetDlgCtrlID(child), p.id) << "children in tab order";
            EXPECT_EQ(WindowText(child), p.text);
            EXPECT_EQ(GetWindowLongW(child, GWL_STYLE) & p.style, p.style);
            const RectTw& tw = p.tw;
            GetWindowRect(child, &r);
            MapWindowPoints(nullptr, form.hwnd(), (POINT*)&r, 2);
            EXPECT_EQ((std::array{r.left, r.top, r.right, r.bottom}),
                      (std::array{px(tw.left), px(tw.top), px(tw.left + tw.width), px(tw.top + tw.height)}));
            child = GetWindow(child, GW_HWNDNEXT);
        }
    }
}

}  // namespace tolvare::test
