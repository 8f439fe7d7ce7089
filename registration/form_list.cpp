// Form_list: lists markTable, shows one row's details, and adds, edits, deletes and saves rows.
#include "registration/form_list.h"

#include <commctrl.h>

#include "core/profile.h"
#include "core/globals.h"
#include "core/texts.h"
#include "registration/form_regist.h"
#include "core/system.h"
#include "core/text.h"
#include "core/texts.h"
#include "registration/send_to.h"

namespace tolvare {

namespace {

constexpr int kClientWidthTw = 5565;
constexpr int kClientHeightTw = 5130;
constexpr RectTw kFrameOffset{150, 2850, 0, 0};
constexpr int kListFontPoints = 9;
constexpr int32_t kProgramLabelBytes = 100;

constexpr DWORD kButtonStyle = WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON;
constexpr DWORD kCaptionStyle = WS_VISIBLE | SS_RIGHT;
constexpr DWORD kValueStyle = WS_VISIBLE | SS_NOPREFIX;

constexpr int kKeyInsert = 45;
constexpr int kKeyEnter = 13;
constexpr int kKeyDelete = 46;

std::wstring ListLine(const MarkRecord& row) { return row.mark + L"\t>" + row.name; }

}  // namespace

bool FormList::Create(HWND owner, bool modal) {
    openedModal_ = modal;
    // Opened modally, it cannot be minimised: it would leave its disabled owner on screen with
    // nothing to take the keyboard.
    const DWORD minimize = modal ? 0 : WS_MINIMIZEBOX;
    if (!CreateTop(kClassName, text::kListCaption, WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | minimize, 0,
                   owner, kClientWidthTw, kClientHeightTw)) {
        return false;
    }
    // Creation order is the tab order.
    AddControl(L"STATIC", text::kListLabel1, WS_VISIBLE, 0, kLabel1, {150, 75, 3240, 240});
    HWND list =
        AddControl(L"LISTBOX", L"",
                   WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_USETABSTOPS | LBS_NOINTEGRALHEIGHT,
                   WS_EX_CLIENTEDGE, kListMark, {150, 375, 3840, 2400});
    AddControl(L"BUTTON", text::kListAdd, kButtonStyle, 0, kCommandAdd, {4200, 450, 1215, 315});
    AddControl(L"BUTTON", text::kListDelete, kButtonStyle, 0, kCommandDelete, {4200, 900, 1215, 315});
    AddControl(L"BUTTON", text::kListEdit, kButtonStyle, 0, kCommandEdit, {4200, 1350, 1215, 315});
    AddControl(L"BUTTON", text::kOk, kButtonStyle, 0, kCommandOk, {750, 4575, 1215, 315});
    AddControl(L"BUTTON", text::kCancel, kButtonStyle, 0, kCommandCancel, {2175, 4575, 1215, 315});
    AddControl(L"BUTTON", text::kListSave, kButtonStyle, 0, kCommandSave, {3600, 4575, 1215, 315});
    AddControl(L"BUTTON", text::kListFrame, WS_VISIBLE | BS_GROUPBOX, 0, kFrame1, {150, 2850, 5265, 1440});
    AddControl(L"STATIC", text::kListMarkCaption, kCaptionStyle, 0, kLabel8, {75, 300, 840, 240},
               kFrameOffset);
    AddControl(L"STATIC", text::kListNoValue, kValueStyle, 0, kLabelMark, {975, 300, 2640, 240},
               kFrameOffset);
    AddControl(L"STATIC", text::kListProgramCaption, kCaptionStyle, 0, kLabel12, {75, 600, 840, 240},
               kFrameOffset);
    AddControl(L"STATIC", text::kListNoValue, kValueStyle, 0, kLabelProgram, {975, 600, 4140, 390},
               kFrameOffset);
    AddControl(L"STATIC", text::kListNameCaption, kCaptionStyle, 0, kLabel10, {75, 1050, 840, 240},
               kFrameOffset);
    AddControl(L"STATIC", text::kListNoValue, kValueStyle, 0, kLabelName, {975, 1050, 2640, 240},
               kFrameOffset);
    if (list == nullptr) return CreateFailed();

    // A fixed-pitch Japanese font, so that the column after the tab lines up.
    if (HFONT font = MakeFont(L"ＭＳ ゴシック", kListFontPoints, SHIFTJIS_CHARSET)) {
        SendMessageW(list, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        // A list box keeps the line count of its old font until it is sized again.
        MoveControl(list, ControlRect(list));
    }
    SubclassControl(list);
    if (HMENU menu = GetSystemMenu(hwnd(), FALSE)) {
        AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
        AppendMenuW(menu, MF_STRING, kMenuSendTo, text::kListSendToAdd);
        ShowSendToState(InSendTo());
    }
    CentreOnScreen();
    return true;
}

void FormList::Form_Load() {
    SetWindowTextW(hwnd(), text::kListCaption);
    if (markCount > 0) SetListMark();
}

void FormList::SetListMark() {
    HWND list = Control(kListMark);
    // Without redraw, and with the storage reserved at once, a large table fills in one go
    // instead of repainting and regrowing the list for every line.
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    SendMessageW(list, LB_RESETCONTENT, 0, 0);
    const int rows = markTable.UBound();
    size_t chars = 0;
    for (int i = 1; i <= rows; ++i) chars += markTable[i].mark.size() + markTable[i].name.size() + 3;
    SendMessageW(list, LB_INITSTORAGE, static_cast<WPARAM>(rows),
                 static_cast<LPARAM>(chars * sizeof(wchar_t)));
    for (int i = 1; i <= rows; ++i) {
        // A line that cannot be added is skipped; the rest still are.
        try {
            const std::wstring line = ListLine(markTable[i]);
            SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
        } catch (...) {
        }
    }
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
}

void FormList::List_mark_Click() {
    const LRESULT index = SendMessageW(Control(kListMark), LB_GETCURSEL, 0, 0);
    if (index == LB_ERR || index >= markTable.UBound()) {
        selectedMark = 0;
        return;
    }
    selectedMark = static_cast<int16_t>(index + 1);
    const MarkRecord& row = markTable[selectedMark];
    SetWindowTextW(Control(kLabelMark), row.mark.c_str());
    std::wstring program = row.program;
    // A long path shows its end, where the program's own name is.
    if (const int32_t length = GetByteLen(program); length > kProgramLabelBytes) {
        program = L"~" + GetByteMid(program, length - (kProgramLabelBytes - 1), kProgramLabelBytes);
    }
    SetWindowTextW(Control(kLabelProgram), program.c_str());
    SetWindowTextW(Control(kLabelName), row.name.c_str());
}

void FormList::List_mark_DblClick() { Command_edit_Click(); }

void FormList::List_mark_KeyDown(int keyCode) {
    switch (keyCode) {
    case kKeyInsert: Command_add_Click(); break;
    case kKeyEnter: Command_edit_Click(); break;
    case kKeyDelete: Command_delete_Click(); break;
    default: break;
    }
}

void FormList::Command_add_Click() {
    selectedMark = 0;
    editorCaller = kCallerList;
    ShowFormRegist();
}

void FormList::Command_edit_Click() {
    if (selectedMark == 0) {
        Sys().MessageBox(text::kSelectToEdit, text::kTitle, kMbOk | kMbIconExclamation);
        return;
    }
    editorCaller = kCallerList;
    ShowFormRegist();
}

void FormList::Command_delete_Click() {
    if (selectedMark == 0) {
        Sys().MessageBox(text::kSelectToDelete, text::kTitle, kMbOk | kMbIconExclamation);
        return;
    }
    const std::wstring question = markTable[selectedMark].mark + text::kAskDeleteAfterMark;
    if (Sys().MessageBox(question, text::kTitle, kMbYesNo | kMbIconQuestion) != kIdYes) return;
    const int rows = markTable.UBound();
    for (int i = 1; i <= rows; ++i) {
        if (i > selectedMark) markTable[i - 1] = markTable[i];
    }
    --markCount;
    if (rows == 1 || markCount < 0) {
        markTable.Erase();
    } else {
        markTable.Resize(markCount);
    }
    selectedMark = 0;
    SetListMark();
}

void FormList::Command_ok_Click() {
    // Closed only once the profile holds the list: after a declined or failed save the user's
    // changes stay on screen (sorted, as a save leaves them).
    if (SaveMarkProfileAll(markTable) == SaveResult::kSaved) {
        Unload();
        return;
    }
    ShowSavedTable();
}

void FormList::Command_cancel_Click() { Unload(); }

void FormList::Command_save_Click() {
    if (SaveMarkProfileAll(markTable) != SaveResult::kDeclined) ShowSavedTable();
}

void FormList::ShowSavedTable() {
    // The save has sorted the table: a row number kept from before would name another row.
    selectedMark = 0;
    if (markCount > 0) SetListMark();
}

void FormList::ShowSendToState(bool inSendTo) {
    ModifyMenuW(GetSystemMenu(hwnd(), FALSE), kMenuSendTo, MF_BYCOMMAND | MF_STRING, kMenuSendTo,
                inSendTo ? text::kListSendToRemove : text::kListSendToAdd);
}

void FormList::Menu_sendto_Click() {
    SysError err;
    // The folder is read again: it may have changed since the list opened.
    const bool inSendTo = InSendTo();
    if (inSendTo ? RemoveFromSendTo(err) : AddToSendTo(err)) {
        ShowSendToState(!inSendTo);
    } else {
        ShowSendToState(inSendTo);
        Sys().MessageBox(err.text, text::kTitle, kMbOk | kMbIconStop);
    }
}

void FormList::OnDestroyed() {
    // The modeless list is the program's last window once everything else has gone.
    if (!openedModal_ && !Window::AnyOpen()) PostQuitMessage(0);
}

std::vector<FormList*> FormList::OpenLists() {
    std::vector<FormList*> found;
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND hwnd, LPARAM param) -> BOOL {
            wchar_t cls[64] = {};
            GetClassNameW(hwnd, cls, 64);
            if (lstrcmpW(cls, kClassName) == 0 && WindowText(hwnd) == text::kListCaption) {
                auto* window = reinterpret_cast<Window*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
                if (auto* list = dynamic_cast<FormList*>(window)) {
                    reinterpret_cast<std::vector<FormList*>*>(param)->push_back(list);
                }
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

LRESULT FormList::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case kListMark:
            if (HIWORD(wParam) == LBN_SELCHANGE) List_mark_Click();
            if (HIWORD(wParam) == LBN_DBLCLK) List_mark_DblClick();
            return 0;
        case kCommandAdd: Command_add_Click(); return 0;
        case kCommandDelete: Command_delete_Click(); return 0;
        case kCommandEdit: Command_edit_Click(); return 0;
        case kCommandOk: Command_ok_Click(); return 0;
        case kCommandCancel: Command_cancel_Click(); return 0;
        case kCommandSave: Command_save_Click(); return 0;
        default: break;
        }
        break;
    case WM_CLOSE: Command_cancel_Click(); return 0;
    case WM_SYSCOMMAND:
        if ((wParam & 0xFFF0) == kMenuSendTo) {
            Menu_sendto_Click();
            return 0;
        }
        break;
    default: break;
    }
    return Window::HandleMessage(msg, wParam, lParam);
}

std::optional<LRESULT> FormList::ControlMessage(HWND control, UINT msg, WPARAM wParam, LPARAM lParam) {
    const auto* keyMessage = reinterpret_cast<const MSG*>(lParam);
    switch (msg) {
    case WM_GETDLGCODE:
        // Enter belongs to the list (it edits); otherwise the dialog manager would take it.
        if (keyMessage != nullptr && keyMessage->message == WM_KEYDOWN && keyMessage->wParam == VK_RETURN) {
            return CallControlBase(control, msg, wParam, lParam) | DLGC_WANTMESSAGE;
        }
        break;
    case WM_KEYDOWN:
        // The key goes on to the list box as well (arrows still move the selection).
        List_mark_KeyDown(static_cast<int>(wParam));
        break;
    default: break;
    }
    return std::nullopt;
}

namespace {
FormList& TheFormList() {
    static FormList form;
    return form;
}
}  // namespace

void ShowFormList(bool modal) {
    FormList& form = TheFormList();
    HWND owner = modal ? Window::FrontWindow() : nullptr;
    if (!form.Create(owner, modal)) return;
    form.Form_Load();
    if (modal) {
        form.RunModal(owner);
    } else {
        ShowWindow(form.hwnd(), SW_SHOW);
        SetForegroundWindow(form.hwnd());
    }
}

}  // namespace tolvare
