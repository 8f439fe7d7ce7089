// Form_list: the window that lists every registration and adds, edits, deletes and saves them.
#pragma once

#include <windows.h>

#include <vector>

#include "win32/window.h"

namespace tolvare {

class FormList : public Window {
public:
    // Control ids in tab order (never IDOK/IDCANCEL: the dialog manager owns those).
    enum : int {
        kLabel1 = 200,
        kListMark,
        kCommandAdd,
        kCommandDelete,
        kCommandEdit,
        kCommandOk,
        kCommandCancel,
        kCommandSave,
        kFrame1,
        kLabel8,
        kLabelMark,
        kLabel12,
        kLabelProgram,
        kLabel10,
        kLabelName,
    };
    // The system menu's Send To item: a WM_SYSCOMMAND id has its low 4 bits free, below 0xF000.
    static constexpr UINT kMenuSendTo = 0x0010;
    static constexpr wchar_t kClassName[] = L"TolvareFormList";

    // Creates the hidden window with its controls; `modal` decides what unloading it does.
    bool Create(HWND owner, bool modal);

    void Form_Load();
    void List_mark_Click();
    void List_mark_DblClick();
    void List_mark_KeyDown(int keyCode);
    void Command_add_Click();
    void Command_edit_Click();
    void Command_delete_Click();
    void Command_ok_Click();
    void Command_cancel_Click();
    void Command_save_Click();
    // The system menu's Send To item. Its text follows the folder as it was when the list opened
    // and when the item was last chosen: opening the menu never reads the folder, which may be
    // redirected to a slow network share.
    void Menu_sendto_Click();

    // Refills the list from markTable, one line per row.
    void SetListMark();

    HWND Control(int id) const { return GetDlgItem(hwnd(), id); }

    // The open list windows of this thread, found by their caption as the editor looks for them.
    static std::vector<FormList*> OpenLists();

protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    std::optional<LRESULT> ControlMessage(HWND control, UINT msg, WPARAM wParam, LPARAM lParam) override;
    void OnDestroyed() override;

private:
    void ShowSendToState(bool inSendTo);
    // After a save: the list as the save left the table, nothing selected.
    void ShowSavedTable();

    bool openedModal_ = false;
};

// Opens the registration list, the one program-wide instance: modeless (from start-up) or modal
// to the active window (from the selection window).
void ShowFormList(bool modal);

}  // namespace tolvare
