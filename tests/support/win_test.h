// What every Windows test shares: code page 932 bytes, started processes, message boxes answered
// as the user answers them, the program's windows opened on the test's thread, and the layout check.
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
std::wstring FromUtf8(std::string_view bytes);
std::wstring ShortPath(const std::wstring& path);        // the path itself when it has no short form
std::wstring SystemText(DWORD code);                     // the platform's own text for an error code
std::wstring WindowsPathOf(std::string_view buildPath);  // "/a/b" is "Z:\a\b" under Wine
inline std::wstring Quoted(const std::wstring& path) { return L"\"" + path + L"\""; }
bool PollUntil(const std::function<bool()>& ready, DWORD timeoutMs = 15000);

// A process started with the command line `"exe" arguments`, ended with the test.
struct Process {
    PROCESS_INFORMATION pi{};
    Process(const std::wstring& exe, const std::wstring& arguments);
    ~Process();
    Process(const Process&) = delete;
    bool Exits(DWORD timeoutMs = 15000) const { return WaitForSingleObject(pi.hProcess, timeoutMs) == 0; }
};
// What the probe program recorded in `log`: its command lines, once it has finished one.
std::wstring ProbeLog(const std::wstring& log);

// A message box as the user saw it. `icon`: 'S'top, 'Q'uestion, 'E'xclamation, '-' none, '?' another
// (a box of another process always reads '?'). `buttons`: those among IDOK..IDNO, ascending.
struct Box {
    std::wstring text, title;
    char icon = '-';
    std::vector<int> buttons;
    bool operator==(const Box&) const = default;
};
void PrintTo(const Box& box, std::ostream* os);
Box ReadBox(HWND dlg);
void Press(HWND dlg, int id);  // posted: it works across processes

// While it lives, answers each dialog of this thread with the next queued button once the dialog
// has initialised. One with no answer queued (or lacking the queued button) is closed with its
// safest button and fails the test, so that nothing ever hangs.
class Boxes {
public:
    Boxes();
    ~Boxes();
    Boxes& Answer(int id) { return answers_.push_back(id), *this; }
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
    // A window over `rows` as Form_Load prepares it, shown and active but not modal.
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
    static void PumpFor(DWORD ms);  // the program's own loop for a while
    static bool TakeQuit();         // the WM_QUIT that closing the last window posts, if any
    static void Click(HWND button) { SendMessageW(button, BM_CLICK, 0, 0); }
    static void Key(HWND to, UINT message, WPARAM key);  // through the dialog manager
    static std::string Bytes(const std::wstring& path) { return ReadFileBytes(path).value_or("(none)"); }

protected:
    TempDir dir_{L"tolvare win"};
    const std::wstring profile_ = dir_ / L"tolvare.ini";
    Boxes boxes;
};

// At 96 and then at 144 DPI: the client area and every child in tab order, with its text and style
// bits, at the design's twips rectangle (in the client area) converted at the window's DPI.
struct Placement {
    int id;
    const wchar_t* text;
    LONG style;
    RectTw tw;
};
void ExpectLayout(const Window& form, SIZE clientTw, const std::vector<Placement>& design);

}  // namespace tolvare::test
