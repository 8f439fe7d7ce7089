// Answers the message boxes and dialogs that code under test opens on this thread, so that GUI
// tests read what the user would have read and press what the user would have pressed.
#pragma once

#include <windows.h>

#include <deque>
#include <functional>
#include <source_location>
#include <string>
#include <vector>

namespace tolvare::test {

// What a dialog of class #32770 showed when it appeared, and how it was closed.
struct SeenBox {
    HWND dlg = nullptr;
    std::wstring text;  // the message (static 0xFFFF), CR LF kept
    std::wstring title;
    bool hasIcon = false;      // the icon static (0x440) exists
    HICON icon = nullptr;      // what that static shows
    std::vector<int> buttons;  // the IDs among IDOK..IDNO (1..7) that the box has
    int answer = 0;            // the button ID posted to close it
    bool expected = true;      // false: nothing (or a missing button) was queued for it
    bool custom = false;       // handled by the custom-dialog callback
};

// Reads a message box (in this process or another one); `answer` and `expected` stay default.
SeenBox ReadBox(HWND dlg);
// Presses a dialog's button the way a click would (posted, so it works across processes).
void PressButton(HWND dlg, int id);
// The first of IDCANCEL, IDOK, IDNO, IDABORT that `box` has: the answer that does least.
int SafestButton(const SeenBox& box);
enum class BoxIcon { None, Stop, Question, Exclamation, Information, Other };
// Which standard icon a box of this process shows (icons are per process: a box of another
// process reads as Other).
BoxIcon StandardIconOf(const SeenBox& box);

// While an instance lives, a thread-local CBT hook sees every dialog created or activated on
// this thread and, after a short timer (so that the dialog has finished initialising), answers
// it with the next queued button. A box with nothing queued (or whose queued button it lacks) is recorded as
// unexpected and dismissed with its safest button, so that a test fails instead of hanging.
// The destructor reports unexpected boxes and unused answers as test failures at the place the
// answerer was made.
class DialogAnswerer {
public:
    // Returns true when it recognised and closed (or will close) the dialog itself.
    using CustomHandler = std::function<bool(HWND dlg)>;

    explicit DialogAnswerer(std::source_location where = std::source_location::current());
    ~DialogAnswerer();
    DialogAnswerer(const DialogAnswerer&) = delete;
    DialogAnswerer& operator=(const DialogAnswerer&) = delete;

    // Queues the button (IDOK, IDYES, IDRETRY...) that the next message box gets.
    DialogAnswerer& Answer(int buttonId);
    // Asked first for every dialog (the file-open dialog, say) before it is treated as a box.
    void SetCustomHandler(CustomHandler handler) { custom_ = std::move(handler); }

    const std::vector<SeenBox>& Seen() const { return seen_; }
    // Forgets the record (keeps queued answers).
    void ClearSeen() { seen_.clear(); }

private:
    static LRESULT CALLBACK CbtProc(int code, WPARAM wParam, LPARAM lParam);
    static void CALLBACK TimerProc(HWND dlg, UINT msg, UINT_PTR id, DWORD time);
    void Handle(HWND dlg);

    HHOOK hook_ = nullptr;
    DialogAnswerer* outer_ = nullptr;
    std::deque<int> answers_;
    CustomHandler custom_;
    std::vector<SeenBox> seen_;
    std::source_location where_;
};

}  // namespace tolvare::test
