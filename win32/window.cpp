// Base of every TOLVARE window: see window.h.
#include "win32/window.h"

#include "core/texts.h"
#include "win32/window_registry.h"

#include <commctrl.h>

#include <algorithm>
#include <exception>

namespace tolvare {

namespace {

constexpr wchar_t kUiFace[] = L"ＭＳ Ｐゴシック";
constexpr int kUiPoints = 9;

using GetDpiForWindowFn = UINT(WINAPI*)(HWND);

GetDpiForWindowFn DpiForWindowFn() {
    static GetDpiForWindowFn fn = reinterpret_cast<GetDpiForWindowFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    return fn;
}

using AdjustForDpiFn = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);

AdjustForDpiFn AdjustRectForDpiFn() {
    static AdjustForDpiFn fn = reinterpret_cast<AdjustForDpiFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "AdjustWindowRectExForDpi")));
    return fn;
}

HICON ExeIcon(HINSTANCE instance, int widthMetric, int heightMetric) {
    return static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON,
                                         GetSystemMetrics(widthMetric), GetSystemMetrics(heightMetric),
                                         LR_DEFAULTCOLOR | LR_SHARED));
}

}  // namespace

void ReportInternalError() noexcept {
    // A handler that throws again while the box is up (a paint, a timer) adds no second box.
    static bool showing = false;
    if (showing) return;
    showing = true;
    try {
        std::wstring message = text::kInternalError;
        try {
            throw;
        } catch (const std::exception& e) {
            message += L"\r\n";
            for (const char* c = e.what(); *c != '\0'; ++c) message += static_cast<unsigned char>(*c);
        } catch (...) {
        }
        MessageBoxW(Window::FrontWindow(), message.c_str(), text::kErrorTitle, MB_OK | MB_ICONSTOP);
    } catch (...) {
    }
    showing = false;
}

int WindowDpi(HWND hwnd) {
    if (auto fn = DpiForWindowFn(); fn != nullptr && hwnd != nullptr) {
        if (UINT dpi = fn(hwnd); dpi != 0) return static_cast<int>(dpi);
    }
    HDC dc = GetDC(nullptr);
    int dpi = dc != nullptr ? GetDeviceCaps(dc, LOGPIXELSY) : 96;
    if (dc != nullptr) ReleaseDC(nullptr, dc);
    return dpi > 0 ? dpi : 96;
}

std::wstring WindowText(HWND hwnd) {
    const int length = hwnd != nullptr ? GetWindowTextLengthW(hwnd) : 0;
    if (length <= 0) return {};
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    text.resize(static_cast<size_t>(GetWindowTextW(hwnd, text.data(), length + 1)));
    return text;
}

Window::~Window() {
    if (hwnd_ != nullptr) DestroyWindow(hwnd_);
    FreeFonts();
}

void Window::FreeFonts() {
    for (const auto& f : fonts_) DeleteObject(f.font);
    fonts_.clear();
    uiFont_ = nullptr;
}

bool Window::CreateFailed() {
    if (hwnd_ != nullptr) DestroyWindow(hwnd_);
    return false;
}

bool Window::CreateTop(const wchar_t* className, const wchar_t* caption, DWORD style, DWORD exStyle,
                       HWND owner, int clientWidthTw, int clientHeightTw) {
    // Here rather than at start-up, so that a launch without windows never loads comctl32.
    static bool controlsReady = false;
    if (!controlsReady) {
        INITCOMMONCONTROLSEX icc{sizeof icc, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
        controlsReady = InitCommonControlsEx(&icc) != FALSE;
    }
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW wc{};
    if (!GetClassInfoExW(instance, className, &wc)) {
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = StaticProc;
        wc.hInstance = instance;
        wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
        wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        // The exe's icon at the two sizes the system asks for (title bar and Alt+Tab), each
        // drawn from its own image in the icon file rather than scaled from the other.
        wc.hIcon = ExeIcon(instance, SM_CXICON, SM_CYICON);
        wc.hIconSm = ExeIcon(instance, SM_CXSMICON, SM_CYSMICON);
        wc.lpszClassName = className;
        if (RegisterClassExW(&wc) == 0) return false;
    }
    clientWidthTw_ = clientWidthTw;
    clientHeightTw_ = clientHeightTw;
    savedFocus_ = nullptr;
    // Made on the monitor where it will be centred, so that it has that monitor's DPI before it
    // is laid out and shown.
    const RECT work = UserWorkArea(owner);
    hwnd_ = CreateWindowExW(exStyle | WS_EX_CONTROLPARENT, className, caption, style, work.left, work.top,
                            100, 100, owner, nullptr, instance, this);
    if (hwnd_ == nullptr) return false;
    RegisterProgramWindow(hwnd_);
    dpi_ = WindowDpi(hwnd_);
    uiFont_ = MakeFont(kUiFace, kUiPoints, SHIFTJIS_CHARSET);
    SetClientSizeTw(clientWidthTw, clientHeightTw);
    return true;
}

HFONT Window::MakeFont(const wchar_t* face, int points, BYTE charset) {
    LOGFONTW lf{};
    lf.lfHeight = -MulDiv(points, dpi_, 72);
    lf.lfCharSet = charset;
    lf.lfQuality = DEFAULT_QUALITY;
    lstrcpynW(lf.lfFaceName, face, LF_FACESIZE);
    HFONT font = CreateFontIndirectW(&lf);
    if (font == nullptr) return nullptr;
    fonts_.push_back({font, face, points, charset});
    return font;
}

HWND Window::AddControl(const wchar_t* cls, const wchar_t* text, DWORD style, DWORD exStyle, int id,
                        RectTw rect, RectTw parentOffset) {
    HWND control = CreateWindowExW(exStyle, cls, text, style | WS_CHILD, 0, 0, 0, 0, hwnd_,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                   GetModuleHandleW(nullptr), nullptr);
    if (control == nullptr) return nullptr;
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(uiFont_), FALSE);
    placed_.push_back({control, rect, parentOffset});
    MoveControl(control, rect);
    return control;
}

void Window::MoveControl(HWND control, RectTw rect) {
    auto it = std::find_if(placed_.begin(), placed_.end(),
                           [control](const Placed& p) { return p.control == control; });
    RectTw offset{0, 0, 0, 0};
    if (it != placed_.end()) {
        it->rect = rect;
        offset = it->offset;
    } else {
        placed_.push_back({control, rect, offset});
    }
    const int left = Tw(offset.left + rect.left);
    const int top = Tw(offset.top + rect.top);
    SetWindowPos(control, nullptr, left, top, Tw(offset.left + rect.left + rect.width) - left,
                 Tw(offset.top + rect.top + rect.height) - top, SWP_NOZORDER | SWP_NOACTIVATE);
}

RectTw Window::ControlRect(HWND control) const {
    for (const auto& p : placed_) {
        if (p.control == control) return p.rect;
    }
    return {0, 0, 0, 0};
}

void Window::SetClientSizeTw(int widthTw, int heightTw) {
    clientWidthTw_ = widthTw;
    clientHeightTw_ = heightTw;
    RECT r{0, 0, Tw(widthTw), Tw(heightTw)};
    const DWORD style = static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_STYLE));
    const DWORD exStyle = static_cast<DWORD>(GetWindowLongPtrW(hwnd_, GWL_EXSTYLE));
    if (auto adjust = AdjustRectForDpiFn()) {
        adjust(&r, style, FALSE, exStyle, static_cast<UINT>(dpi_));
    } else {
        AdjustWindowRectEx(&r, style, FALSE, exStyle);
    }
    SetWindowPos(hwnd_, nullptr, 0, 0, r.right - r.left, r.bottom - r.top,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    // The frame the platform really drew may differ from the computed one: measure and correct.
    RECT client{}, outer{};
    GetClientRect(hwnd_, &client);
    GetWindowRect(hwnd_, &outer);
    const int wantW = Tw(widthTw), wantH = Tw(heightTw);
    if (client.right != wantW || client.bottom != wantH) {
        SetWindowPos(hwnd_, nullptr, 0, 0, (outer.right - outer.left) + wantW - client.right,
                     (outer.bottom - outer.top) + wantH - client.bottom,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void Window::PlaceAll() {
    const auto placed = placed_;
    for (const auto& p : placed) MoveControl(p.control, p.rect);
}

void Window::ApplyDpi(int dpi, const RECT* suggested) {
    dpi_ = dpi;
    std::vector<FontEntry> old;
    old.swap(fonts_);
    for (const auto& f : old) {
        HFONT replacement = MakeFont(f.face, f.points, f.charset);
        if (uiFont_ == f.font) uiFont_ = replacement;
        for (const auto& p : placed_) {
            if (reinterpret_cast<HFONT>(SendMessageW(p.control, WM_GETFONT, 0, 0)) == f.font) {
                SendMessageW(p.control, WM_SETFONT, reinterpret_cast<WPARAM>(replacement), TRUE);
            }
        }
    }
    OnFontsReplaced();
    for (const auto& f : old) DeleteObject(f.font);
    if (suggested != nullptr) {
        SetWindowPos(hwnd_, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                     suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    SetClientSizeTw(clientWidthTw_, clientHeightTw_);
    PlaceAll();
}

void Window::Unload() {
    if (IsModalRunning()) {
        EndModal();
    } else if (hwnd_ != nullptr) {
        DestroyWindow(hwnd_);
    }
}

LRESULT Window::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_ACTIVATE:
        if (RestoreFocus(wParam)) return 0;
        break;
    case WM_NEXTDLGCTL: NextControl(wParam, lParam); return 0;
    case WM_DPICHANGED: ApplyDpi(HIWORD(wParam), reinterpret_cast<const RECT*>(lParam)); return 0;
    case WM_COMMAND:
        // The dialog manager turns Enter and Esc into IDOK and IDCANCEL; no button of ours has
        // those ids, and neither key presses a button.
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) return 0;
        break;
    default: break;
    }
    return DefWindowProcW(hwnd_, msg, wParam, lParam);
}

void Window::SubclassControl(HWND control) {
    for (const auto& entry : subclassed_) {
        if (entry.first == control) return;
    }
    SetWindowLongPtrW(control, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    const auto base = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(ControlProc)));
    subclassed_.emplace_back(control, base);
}

std::optional<LRESULT> Window::ControlMessage(HWND, UINT, WPARAM, LPARAM) { return std::nullopt; }

LRESULT Window::CallControlBase(HWND control, UINT msg, WPARAM wParam, LPARAM lParam) const {
    for (const auto& entry : subclassed_) {
        if (entry.first == control) return CallWindowProcW(entry.second, control, msg, wParam, lParam);
    }
    return DefWindowProcW(control, msg, wParam, lParam);
}

LRESULT CALLBACK Window::ControlProc(HWND control, UINT msg, WPARAM wParam, LPARAM lParam) {
    auto* owner = reinterpret_cast<Window*>(GetWindowLongPtrW(control, GWLP_USERDATA));
    if (owner == nullptr) return DefWindowProcW(control, msg, wParam, lParam);
    if (msg == WM_NCDESTROY) {
        const LRESULT result = owner->CallControlBase(control, msg, wParam, lParam);
        auto& list = owner->subclassed_;
        list.erase(std::remove_if(list.begin(), list.end(),
                                  [control](const auto& e) { return e.first == control; }),
                   list.end());
        return result;
    }
    try {
        if (auto handled = owner->ControlMessage(control, msg, wParam, lParam)) return *handled;
    } catch (...) {
        ReportInternalError();
        return 0;  // exceptions never cross into user32
    }
    return owner->CallControlBase(control, msg, wParam, lParam);
}

LRESULT CALLBACK Window::StaticProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
    Window* self = nullptr;
    if (msg == WM_NCCREATE) {
        self = static_cast<Window*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->hwnd_ = hwnd;
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    } else {
        self = reinterpret_cast<Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    }
    if (self == nullptr) return DefWindowProcW(hwnd, msg, wParam, lParam);
    LRESULT result = 0;
    try {
        result = self->HandleMessage(msg, wParam, lParam);
    } catch (...) {
        // Exceptions never cross into user32.
        ReportInternalError();
        result = 0;
    }
    if (msg == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        ForgetProgramWindow(hwnd);
        self->hwnd_ = nullptr;
        self->placed_.clear();
        self->subclassed_.clear();
        self->modal_ = false;
        // The object outlives its window (each form is one program-wide instance, made again
        // at every opening): the window's fonts go with the window.
        self->FreeFonts();
        self->OnDestroyed();
    }
    return result;
}

}  // namespace tolvare
