// Base of every TOLVARE window: binds the C++ object to its HWND, places controls from the
// design's twips with the window's DPI, keeps one font per window and runs modal loops.
#pragma once

#include <windows.h>

#include "win32/centre_window.h"

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace tolvare {

// Twips to pixels at a DPI: the one conversion of the program (1440 twips = 1 inch).
inline int TwipsToPixels(int twips, int dpi) { return MulDiv(twips, dpi, 1440); }

// A rectangle of the design, in twips.
struct RectTw {
    int left, top, width, height;
};

class Window {
public:
    Window() = default;
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;
    virtual ~Window();

    HWND hwnd() const { return hwnd_; }
    int dpi() const { return dpi_; }
    int Tw(int twips) const { return TwipsToPixels(twips, dpi_); }

    // Shows the window and runs its own loop until EndModal or until it is destroyed; the owner
    // is disabled meanwhile and enabled again before this window goes away.
    void RunModal(HWND owner);
    void EndModal() { modal_ = false; }
    // Unloads the window: ends its modal loop when it runs one, destroys it otherwise.
    void Unload();
    bool IsModalRunning() const { return modalDepth_ > 0; }

    // The dialog manager's keyboard handling (Tab, access keys) for whichever TOLVARE window the
    // message belongs to; the main loop calls it before dispatching.
    static bool PreTranslate(MSG* msg);
    // Runs the message loop until WM_QUIT; returns its exit code.
    static int RunMessageLoop();
    // Whether any TOLVARE window exists (the program lives while one does).
    static bool AnyOpen();
    // The window the user is working in: the active one, or when the program is in the
    // background the newest visible window that takes input. It owns modal windows and message
    // boxes, so that none of them opens behind a topmost window of ours.
    static HWND FrontWindow();

protected:
    // Creates the top-level window with a client area of the given size in twips, centred by
    // the caller afterwards. `className` is registered on first use.
    bool CreateTop(const wchar_t* className, const wchar_t* caption, DWORD style, DWORD exStyle, HWND owner,
                   int clientWidthTw, int clientHeightTw);
    // Adds a child control placed from twips, relative to `parentOffset` (a frame's position).
    HWND AddControl(const wchar_t* cls, const wchar_t* text, DWORD style, DWORD exStyle, int id, RectTw rect,
                    RectTw parentOffset = {0, 0, 0, 0});
    // Moves a control to a new design rectangle (buttons created at run time).
    void MoveControl(HWND control, RectTw rect);
    RectTw ControlRect(HWND control) const;
    void SetClientSizeTw(int widthTw, int heightTw);

    // Destroys a window whose controls could not all be made, and answers false: a hidden,
    // half-made window would keep the program (and its single-instance lock) alive.
    bool CreateFailed();
    // A font of the window's DPI; fonts made here are deleted with the window.
    HFONT MakeFont(const wchar_t* face, int points, BYTE charset);
    HFONT uiFont() const { return uiFont_; }
    // Centres the window on the work area of the user's monitor (centre_window.h).
    void CentreOnScreen() { CentreWindow(hwnd_); }

    virtual LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam);

    // Routes a child control's messages through ControlMessage first. It replaces the control's
    // window procedure directly: SetWindowSubclass looks its data up with a window property,
    // which costs Wine a server call on every message (ten times the time of a list fill).
    void SubclassControl(HWND control);
    // A subclassed control's message; nothing means "as the control itself handles it".
    virtual std::optional<LRESULT> ControlMessage(HWND control, UINT msg, WPARAM wParam, LPARAM lParam);
    // The control's own handling of a message.
    LRESULT CallControlBase(HWND control, UINT msg, WPARAM wParam, LPARAM lParam) const;
    // Called when the window is destroyed (after the controls are gone).
    virtual void OnDestroyed() {}
    // Called on a DPI change once the placed controls show the new fonts and before the old ones
    // are deleted: windows the base does not place (a tool tip) switch fonts here.
    virtual void OnFontsReplaced() {}

private:
    struct Placed {
        HWND control;
        RectTw rect;
        RectTw offset;
    };
    static LRESULT CALLBACK StaticProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK ControlProc(HWND control, UINT msg, WPARAM wParam, LPARAM lParam);
    void ApplyDpi(int dpi, const RECT* suggested);
    bool RestoreFocus(WPARAM activation);
    void FreeFonts();
    void NextControl(WPARAM wParam, LPARAM lParam);
    void PlaceAll();

    HWND hwnd_ = nullptr;
    int dpi_ = 96;
    int clientWidthTw_ = 0;
    int clientHeightTw_ = 0;
    bool modal_ = false;
    int modalDepth_ = 0;
    HFONT uiFont_ = nullptr;
    HWND savedFocus_ = nullptr;
    std::vector<Placed> placed_;
    std::vector<std::pair<HWND, WNDPROC>> subclassed_;
    struct FontEntry {
        HFONT font;
        const wchar_t* face;
        int points;
        BYTE charset;
    };
    std::vector<FontEntry> fonts_;
};

// The DPI of a window (per-monitor when the platform knows it).
int WindowDpi(HWND hwnd);
// A window's or control's text.
std::wstring WindowText(HWND hwnd);

// Shows one stop box for an exception that reached a window procedure or the entry point (call
// it inside the catch), instead of letting the program vanish or go on without a word.
void ReportInternalError() noexcept;

}  // namespace tolvare
