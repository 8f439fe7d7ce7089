// The editor's program box filled without typing: the real file-open dialog driven from a hook,
// and drops built exactly as the shell sends them.
#include <windows.h>
#include <dlgs.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/globals.h"
#include "registration/form_regist.h"
#include "tests/support/dialog_answerer.h"
#include "tests/support/test_files.h"
#include "win32/win32_system.h"
#include "win32/window.h"

namespace tolvare {
namespace {

using namespace tolvare::test;
using F = FormRegist;

class ChooserDropTest : public ::testing::Test {
protected:
    void SetUp() override {
        static Win32System system;
        SetSystem(&system);
        selectedMark = 0;  // a new registration: the boxes start empty
        ASSERT_TRUE(form_.Create(nullptr));
        form_.Form_Load();
        SetWindowTextW(Box(F::kTextMark), L"TXT");
        SetWindowTextW(Box(F::kTextProgram), L"typed before");
    }
    HWND Box(int id) const { return form_.Control(id); }

    TempDir dir_{L"tolvare chooser"};
    FormRegist form_;
};

TEST_F(ChooserDropTest, BrowseOffersProgramsFirstAndOpenReplacesTheBoxWhileCancelLeavesIt) {
    const std::wstring toolDir = dir_.MakeDir(L"tool dir"), path = toolDir + L"\\editor.exe";
    ASSERT_TRUE(WriteFileBytes(path, "MZ"));
    const auto currentFolder = [] {
        wchar_t folder[MAX_PATH] = {};
        GetCurrentDirectoryW(MAX_PATH, folder);
        return std::wstring(folder);
    };
    const std::wstring startFolder = currentFolder();
    for (const bool open : {false, true}) {
        SCOPED_TRACE(open ? "Open" : "Cancel");
        DialogAnswerer boxes;
        boxes.SetCustomHandler([&](HWND dlg) {
            HWND name = GetDlgItem(dlg, cmb13) ? GetDlgItem(dlg, cmb13) : GetDlgItem(dlg, edt1);
            HWND filter = GetDlgItem(dlg, cmb1);
            if (name == nullptr || filter == nullptr) return false;  // a message box, not ours
            EXPECT_EQ(GetWindow(dlg, GW_OWNER), form_.hwnd());
            EXPECT_EQ(WindowText(dlg), L"実行するﾌｧｲﾙを指定してください。");
            EXPECT_EQ(WindowText(name), L"");
            EXPECT_FALSE(IsWindowVisible(GetDlgItem(dlg, chx1)));  // the read-only box
            EXPECT_EQ(SendMessageW(filter, CB_GETCURSEL, 0, 0), 0);
            wchar_t selected[64] = {};
            SendMessageW(filter, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(selected));
            EXPECT_STREQ(selected, L"プログラム");
            // Into the program's folder first, as a user browses there, then the file.
            SetWindowTextW(name, toolDir.c_str());
            SendMessageW(dlg, WM_COMMAND, IDOK, 0);
            SetWindowTextW(name, path.c_str());
            PressButton(dlg, open ? IDOK : IDCANCEL);
            return true;
        });
        SendMessageW(Box(F::kCommandBrowse), BM_CLICK, 0, 0);
        ASSERT_EQ(boxes.Seen().size(), 1u) << "the file dialog never came";
        EXPECT_EQ(WindowText(Box(F::kTextProgram)), open ? path : L"typed before");
        EXPECT_EQ(currentFolder(), startFolder) << "the programs started later inherit it";
    }
}

TEST_F(ChooserDropTest, OnlyTheProgramBoxTakesTheFirstDroppedFileAsDelivered) {
    const struct {
        int box;
        std::vector<std::wstring> files;
        std::wstring program;  // the program box afterwards
    } cases[] = {
        {F::kTextProgram, {}, L"typed before"},  // a drop without a file list
        {F::kTextMark, {L"C:\\dropped.exe"}, L"typed before"},
        // Last, as the only drop that changes the box.
        {F::kTextProgram,
         {L"C:\\ツール\\first tool.exe  ", L"C:\\second.exe", L"D:\\third.txt"},
         L"C:\\ツール\\first tool.exe  "},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.files.size());
        // An HDROP as the shell builds it: a DROPFILES header, then the wide names, each
        // NUL-ended, and one more NUL.
        std::wstring list;
        for (const auto& f : c.files) list += f + L'\0';
        list += L'\0';
        HGLOBAL drop = GlobalAlloc(GHND, sizeof(DROPFILES) + list.size() * sizeof(wchar_t));
        auto* header = static_cast<DROPFILES*>(GlobalLock(drop));
        ASSERT_NE(header, nullptr);
        *header = {sizeof(DROPFILES), {}, FALSE, TRUE};
        memcpy(header + 1, list.data(), list.size() * sizeof(wchar_t));
        GlobalUnlock(drop);

        // The shell sends WM_DROPFILES only to windows that accept files.
        EXPECT_EQ((GetWindowLongPtrW(Box(c.box), GWL_EXSTYLE) & WS_EX_ACCEPTFILES) != 0,
                  c.box == F::kTextProgram);
        SendMessageW(Box(c.box), WM_DROPFILES, reinterpret_cast<WPARAM>(drop), 0);
        EXPECT_EQ(WindowText(Box(F::kTextProgram)), c.program);
        EXPECT_EQ(WindowText(Box(F::kTextMark)), L"TXT");
        if (c.box == F::kTextProgram) {
            EXPECT_EQ(GlobalSize(drop), 0u) << "the receiver releases the drop";
        } else {
            DragFinish(static_cast<HDROP>(drop));
        }
    }
}

}  // namespace
}  // namespace tolvare
