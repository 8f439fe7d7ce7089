// Form_regist: the modal, topmost dialog that adds one registration or changes one.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include "win32/window.h"

namespace tolvare {

class FormRegist : public Window {
public:
    // Control ids in tab order (never IDOK/IDCANCEL: the dialog manager owns those).
    enum : int {
        kLabel2 = 100,
        kTextMark,
        kLabel6,
        kTextProgram,
        kCommandBrowse,  // Command_add: the browse button (参照), Command_add_Click
        kLabel4,
        kTextName,
        kCommandOk,
        kCommandCancel,
    };
    static constexpr wchar_t kClassName[] = L"TolvareFormRegist";

    // Creates the hidden dialog with its controls; Form_Load then prepares each showing.
    bool Create(HWND owner);

    void Form_Load();
    void Command_ok_Click();
    void Command_cancel_Click();
    // The browse button and the drop onto the program box.
    void Command_add_Click();
    void Text_program_OLEDragDrop(HDROP drop);

    HWND Control(int id) const { return GetDlgItem(hwnd(), id); }

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    std::optional<LRESULT> ControlMessage(HWND control, UINT msg, WPARAM wParam, LPARAM lParam) override;
    // The tool tip is no placed control: it takes the new font here.
    void OnFontsReplaced() override;

private:
    void AddHint(HWND box, const wchar_t* hint);
    // Enter and Esc, as the dialog manager hands them over.
    void DialogKey(WORD command);
    std::wstring BoxText(int id) const;
    // Start-up's row written with the whole table; false when the profile was not written.
    bool SaveStartupRow();

    HWND tooltip_ = nullptr;
};

// Opens the registration editor, modal and topmost; returns when it is closed.
void ShowFormRegist();

}  // namespace tolvare
