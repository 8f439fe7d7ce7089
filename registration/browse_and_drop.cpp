// The editor's two ways to fill the program box without typing: the browse button's file-open
// dialog and a file dropped from the shell.
#include <windows.h>
#include <commdlg.h>
#include <shellapi.h>

#include <cwchar>
#include <string>

#include "core/text.h"
#include "core/texts.h"
#include "registration/form_regist.h"

namespace tolvare {

namespace {

constexpr DWORD kFileChars = 256;

}  // namespace

void FormRegist::Command_add_Click() {
    // The dialog starts with an empty name box: a buffer of blanks would be offered to the user
    // as a file name to edit away.
    std::wstring file(kFileChars, L'\0');
    OPENFILENAMEW request{};
    request.lStructSize = sizeof(OPENFILENAMEW);
    request.hwndOwner = hwnd();
    request.lpstrFilter = text::kBrowseFilter;
    request.nFilterIndex = 1;
    request.lpstrFile = file.data();
    request.nMaxFile = kFileChars;
    request.lpstrTitle = text::kBrowseTitle;
    // The current folder stays where it was: every program started later would inherit it.
    request.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    // Cancel, and a name too long for the buffer, leave the box as it was, without a word.
    if (!GetOpenFileNameW(&request)) return;
    file.resize(wcsnlen(file.c_str(), kFileChars));
    SetWindowTextW(Control(kTextProgram), Trim(file).c_str());
}

void FormRegist::Text_program_OLEDragDrop(HDROP drop) {
    // Only the first file counts, as the shell delivered it; an empty list changes nothing.
    const UINT length = DragQueryFileW(drop, 0, nullptr, 0);
    if (length != 0 && length != 0xFFFFFFFFu) {
        std::wstring path(static_cast<size_t>(length) + 1, L'\0');
        path.resize(DragQueryFileW(drop, 0, path.data(), length + 1));
        if (!path.empty()) SetWindowTextW(Control(kTextProgram), path.c_str());
    }
    DragFinish(drop);
}

}  // namespace tolvare
