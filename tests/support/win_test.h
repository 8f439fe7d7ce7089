// What every Windows test shares: code page 932 bytes, message boxes answered as the user answers
// them, the program's windows opened and pumped on the test's thread, and the layout check.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "core/globals.h"
#include "core/profile.h"
#include "tests/native/files.h"
#include "win32/window.h"

namespace tolvare {
inline void PrintTo(const MarkRecord& r, std::ostream* os) {
    *os << ::testing::PrintToString(r.mark + L"," + r.program + L"," + r.name);
}
}  // namespace tolvare

namespace tolvare::test {

std::string ToCp932(std::wstring_view text);
std::wstring FromCp932(std::string_view bytes);
std::wstring FromUtf8(std::string_view bytes);
// GetShortPathNameW, or the path itself when there is no short form.
std::wstring ShortPath(const std::wstring& path);
// A build path as Windows sees it: "/a/b" becomes "Z:\a\b".
std::wstring WindowsPathOf(std::string_view buildPath);
inline std::wstring Quoted(const std::wstring& path) { return L"\"" + path + L"\""; }
// Polls `ready` until it holds or the time is up (Wine starts processes slowly).
bool PollUntil(const std::function<bool()>& ready, DWORD timeoutMs = 15000);

// A process started with the command line verbatim ("exe" arguments), ended with the test.
struct Process {
    PROCESS_INFORMATION pi{};
    Process(const std::wstring& exe, const std::wstring& arguments);
    ~Process();
    Process(const Process&) = delete;
    bool Exits(DWORD timeoutMs = 15000) const {
        return WaitForSingleObject(pi.hProcess, timeoutMs) == WAIT_OBJECT_0;
    }
};
// The command lines the probe program recorded in `log`, once it has finished a line.
std::wstring ProbeLog(const std::wstring& log);

// A message box as the user saw it. `icon`: 'S'top, 'Q'uestion, 'E'xclamation, 'I'nformation,
// '-' none, '?' another (a box of another process always reads '?').
struct Box {
    std::wstring text, title;
    char icon = '-';
    std::vector<int> buttons;  // the IDs among IDOK..IDNO it has, ascending
    bool operator==(const Box&) const = default;
};
void PrintTo(const Box& box, std::ostream* os);
Box ReadBox(HWND dlg);
// Clicks a dialog's button (posted: it works across processes).
void Press(HWND dlg, int id);

// While it lives, answers every dialog this thread opens with the next queued button, once the
// dialog has finished initialising. A dialog with no answer queued (or lacking the queued button)
// is closed with its safest button and fails the test, so that nothing ever hangs.
class Boxes {
public:
    Boxes();
    ~Boxes();
    Boxes& Answer(int id) {
        answers_.push_back(id);
        return *this;
    }
    std::function<bool(HWND dlg)> custom;  // asked first; true: it has handled the dialog
    std::vector<Box> seen;

private:
    static LRESULT CALLBACK Hook(int code, WPARAM wParam, LPARAM lParam);
    static void CALLBACK Timer(HWND dlg, UINT, UINT_PTR id, DWORD);
    HHOOK hook_;
    Boxes* outer_;
    std::deque<int> answers_;
    int unexpected_ = 0;
};

// The program's real windows on this thread, over the real platform and a profile in a folder of
// their own, the globals reset.
class WinTest : public ::testing::Test {
public:
    void SetUp() override;
    void TearDown() override { Pump(); }

    // A window over `rows`, as Form_Load prepares it, shown and active but not modal.
    template <class Form, class... Args>
    static std::unique_ptr<Form> Open(const std::vector<MarkRecord>& rows, Args... args) {
        GetMarkProfileAll(markTable);  // the file is what the user has seen
        markTable.Rows() = rows;
        markCount = static_cast<int16_t>(rows.size());
        auto form = std::make_unique<Form>();
        EXPECT_TRUE(form->Create(nullptr, args...));
        form->Form_Load();
        ShowWindow(form->hwnd(), SW_SHOW);
        SetForegroundWindow(form->hwnd());
        Pump();
        return form;
    }
    static void Pump();
    // The program's own loop for a while: keys pass through the dialog manager as they do for real.
    static void PumpFor(DWORD ms);
    // Removes the WM_QUIT that closing the program's last window posts; true if there was one.
    static bool TakeQuit();
    static void Click(HWND button) { SendMessageW(button, BM_CLICK, 0, 0); }
    // A key through the dialog manager, as the program's loop passes it.
    static void Key(HWND to, UINT message, WPARAM key);
    // The editor's three boxes, and typing into them.
    static MarkRecord Shown(HWND editor);
    static void Fill(HWND editor, const MarkRecord& row);

protected:
    std::wstring Profile() const { return dir_ / L"tolvare.ini"; }
    // The file's bytes, or "(none)".
    static std::string Bytes(const std::wstring& path) { return ReadFileBytes(path).value_or("(none)"); }

    TempDir dir_{L"tolvare win"};
    Boxes boxes;
};

// At 96 DPI and then at 144 DPI: the client area and every child, in tab order, with its text and
// style bits, at its twips rectangle converted at the window's DPI.
struct Placement {
    int id;
    const wchar_t* text;
    LONG style;
};
void ExpectLayout(const Window& form, const std::vector<Placement>& design);

}  // namespace tolvare::test
