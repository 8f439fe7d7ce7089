// Shared set-up of the registration window tests: a temp folder holding the profile, the real
// Win32 system, a clean table, an answerer for the message boxes, and the layout check.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <memory>

#include "core/profile.h"
#include "tests/support/dialog_answerer.h"
#include "tests/support/expect_message.h"
#include "tests/support/test_files.h"
#include "win32/window.h"

namespace tolvare::testing {

// A control of the design in tab order: its text and the style bits it must carry (alignment,
// "&" shown as itself).
struct Placement {
    int id;
    const wchar_t* text;
    LONG style;
};

class RegistrationTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override { Pump(); }

    // The window over a table of `rows`, as Form_Load prepares it, shown and active but not
    // modal: the test drives it.
    template <class Form, class... Args>
    static std::unique_ptr<Form> Open(const std::vector<MarkRecord>& rows, Args... args) {
        GetMarkProfileAll(markTable);  // as the list is opened: the file is what the user has seen
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
    static void Click(HWND button) { SendMessageW(button, BM_CLICK, 0, 0); }
    // Types a registration into the editor's three boxes.
    static void Fill(HWND editor, const MarkRecord& row);
    static void Pump() {
        for (MSG msg; PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE);) DispatchMessageW(&msg);
    }
    // Removes the WM_QUIT that closing the program's last window posts; true if there was one.
    static bool TakeQuit() {
        MSG msg;
        return PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != FALSE;
    }
    std::wstring Profile() const { return dir_ / L"tolvare.ini"; }
    // The file's bytes, or "(none)" when it does not exist.
    static std::string Bytes(const std::wstring& path) {
        return test::ReadFileBytes(path).value_or("(none)");
    }

    test::TempDir dir_{L"tolvare reg"};
    test::DialogAnswerer boxes;
};

// At 96 DPI and then at 144 DPI (moving the window there): the client area and each child, in
// creation order, against the design.
void ExpectLayout(const Window& form, const std::vector<Placement>& design);

}  // namespace tolvare::testing
