// Shared set-up of the registration window tests: a temp folder holding the profile, the real
// Win32 system, a clean table, and an answerer for the message boxes the windows raise.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "core/profile.h"
#include "tests/support/dialog_answerer.h"
#include "tests/support/test_files.h"

namespace tolvare::testing {

using test::BoxIcon;
using test::StandardIconOf;

// Runs `action` from the next timer tick: the way to act inside a modal window's own loop.
void RunSoon(std::function<void()> action);

class RegistrationTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    static void SetTable(const std::vector<MarkRecord>& rows);
    std::wstring Profile() const { return dir_ / L"tolvare.ini"; }
    std::wstring Backup() const { return Profile() + L".bk"; }
    // The file's bytes, or "(none)" when it does not exist.
    static std::string Bytes(const std::wstring& path);

    test::TempDir dir_{L"tolvare reg"};
    test::DialogAnswerer boxes;
};

bool FileExists(const std::wstring& path);
std::wstring TextOf(HWND hwnd);
std::vector<std::wstring> ListLines(HWND list);
// A control's rectangle in its parent's client coordinates.
RECT ChildRect(HWND control);
// The rectangle of a design row in twips at a DPI.
RECT Expected(int leftTw, int topTw, int widthTw, int heightTw, int dpi);
void ExpectRect(HWND control, const RECT& want);
// Removes a WM_QUIT posted by a closed window; true if there was one.
bool TakeQuit();
// Handles this thread's pending messages.
void Pump();
// A visible top-level window of this thread with the class.
HWND FindOwnWindow(const wchar_t* className);

}  // namespace tolvare::testing
