// The registered programs' icons on the selection window's buttons. They are loaded on a thread
// of their own, so that a program on a slow or unreachable network path never holds up the window
// or its keys; the window is only ever told by a posted message.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <memory>
#include <string>
#include <vector>

namespace tolvare {

// The icon the shell shows for the file a registered program starts, `size` pixels square: the
// file's own first icon, or else the shell's icon for its type. Null when there is no such file.
// The caller destroys it.
HICON LoadProgramIcon(const std::wstring& program, int size);

// The function the background thread loads icons with; tests put a slow or counting one here.
using ProgramIconLoader = HICON (*)(const std::wstring& path, int size);
ProgramIconLoader SetProgramIconLoader(ProgramIconLoader loader);

// The icons of one window's buttons. Everything but the loading runs on the window's thread.
class ButtonIcons {
public:
    ButtonIcons();
    ~ButtonIcons();
    ButtonIcons(const ButtonIcons&) = delete;
    ButtonIcons& operator=(const ButtonIcons&) = delete;

    // Starts loading the icon of paths[i] for buttons[i] at `size` pixels, to be shown at the
    // left of the caption with `margin` pixels on either side (clear of the focus rectangle and
    // of the caption); `window` is posted `message` whenever icons are ready for Deliver. Icons
    // still coming from an earlier Load are dropped; those on the buttons stay until their
    // replacements arrive.
    void Load(HWND window, UINT message, std::vector<HWND> buttons, std::vector<std::wstring> paths, int size,
              int margin);
    // Puts the icons that are ready onto their buttons, destroying the ones they replace.
    void Deliver();
    // The window is going: every icon is destroyed, and those still loading are destroyed as
    // they arrive, without the window being told.
    void Clear();

    // Image lists made for buttons and not yet destroyed, in all windows: what a leak would grow.
    static int ListsAlive();

private:
    struct Mailbox;
    static void LoadInBackground(const std::shared_ptr<Mailbox>& mailbox, unsigned generation,
                                 const std::vector<std::wstring>& paths, int size, ProgramIconLoader loader);

    std::shared_ptr<Mailbox> mailbox_;
    std::vector<HWND> buttons_;
    std::vector<HIMAGELIST> shown_;
    int margin_ = 0;
};

}  // namespace tolvare
