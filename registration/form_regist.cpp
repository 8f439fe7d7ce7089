// Form_regist: checks the three boxes in their fixed order and stores one registration.
#include "registration/form_regist.h"

#include <commctrl.h>

#include <algorithm>

#include "core/profile.h"
#include "core/globals.h"
#include "core/texts.h"
#include "core/system.h"
#include "core/text.h"
#include "registration/form_list.h"
#include "registration/regist_check.h"
#include "win32/input_method.h"
#include "core/texts.h"

namespace tolvare {

namespace {

constexpr int kClientWidthTw = 6345;
constexpr int kClientHeightTw = 2025;

constexpr DWORD kLabelStyle = WS_VISIBLE | SS_RIGHT;
constexpr DWORD kBoxStyle = WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL;
constexpr DWORD kButtonStyle = WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON;

int BoxOf(RegistField field) {
    switch (field) {
    case RegistField::kMark: return FormRegist::kTextMark;
    case RegistField::kProgram: return FormRegist::kTextProgram;
    case RegistField::kName: return FormRegist::kTextName;
    }
    return FormRegist::kTextMark;
}

}  // namespace

bool FormRegist::Create(HWND owner) {
    // Topmost from the start as well: Wine ignores HWND_TOPMOST for a window not yet shown.
    if (!CreateTop(kClassName, text::kRegistCaption, WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU,
                   WS_EX_DLGMODALFRAME | WS_EX_TOPMOST, owner, kClientWidthTw, kClientHeightTw)) {
        return false;
    }
    // Creation order is the tab order.
    AddControl(L"STATIC", text::kRegistMarkLabel, kLabelStyle, 0, kLabel2, {75, 150, 1140, 240});
    HWND mark = AddControl(L"EDIT", L"", kBoxStyle, WS_EX_CLIENTEDGE, kTextMark, {1350, 150, 3540, 270});
    AddControl(L"STATIC", text::kRegistProgramLabel, kLabelStyle, 0, kLabel6, {75, 525, 1140, 240});
    HWND program =
        AddControl(L"EDIT", L"", kBoxStyle, WS_EX_CLIENTEDGE, kTextProgram, {1350, 525, 3540, 270});
    AddControl(L"BUTTON", text::kRegistBrowse, kButtonStyle, 0, kCommandBrowse, {5025, 525, 1215, 315});
    AddControl(L"STATIC", text::kRegistNameLabel, kLabelStyle, 0, kLabel4, {75, 900, 1140, 240});
    HWND name = AddControl(L"EDIT", L"", kBoxStyle, WS_EX_CLIENTEDGE, kTextName, {1350, 900, 3540, 270});
    AddControl(L"BUTTON", text::kOk, kButtonStyle, 0, kCommandOk, {1875, 1425, 1215, 315});
    AddControl(L"BUTTON", text::kCancel, kButtonStyle, 0, kCommandCancel, {3225, 1425, 1215, 315});
    if (mark == nullptr || program == nullptr || name == nullptr) return CreateFailed();

    // An extension is half-width letters and digits: typed without the input method.
    TurnOffInputMethod(mark, /*children=*/false);

    // Dropped files arrive at the program box itself; it hands them to this window's handler.
    SubclassControl(program);
    DragAcceptFiles(program, TRUE);

    tooltip_ =
        CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                        CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, hwnd(), nullptr,
                        GetModuleHandleW(nullptr), nullptr);
    if (tooltip_ != nullptr) {
        SendMessageW(tooltip_, WM_SETFONT, reinterpret_cast<WPARAM>(uiFont()), FALSE);
        AddHint(mark, text::kRegistMarkHint);
        AddHint(name, text::kRegistNameHint);
    }
    return true;
}

void FormRegist::AddHint(HWND box, const wchar_t* hint) {
    TTTOOLINFOW info{};
    info.cbSize = sizeof info;
    info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    info.hwnd = hwnd();
    info.uId = reinterpret_cast<UINT_PTR>(box);
    info.lpszText = const_cast<wchar_t*>(hint);
    SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
}

void FormRegist::OnFontsReplaced() {
    if (tooltip_ != nullptr) SendMessageW(tooltip_, WM_SETFONT, reinterpret_cast<WPARAM>(uiFont()), FALSE);
}

std::wstring FormRegist::BoxText(int id) const { return WindowText(Control(id)); }

void FormRegist::Form_Load() {
    // Topmost so that it never hides behind the selection window or another program.
    SetWindowPos(hwnd(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    CentreOnScreen();
    std::wstring caption = text::kRegistCaption;
    if (selectedMark > 0) {
        caption += text::kRegistChange;
        if (selectedMark <= markTable.UBound()) {
            const MarkRecord& row = markTable[selectedMark];
            SetWindowTextW(Control(kTextMark), row.mark.c_str());
            SetWindowTextW(Control(kTextProgram), row.program.c_str());
            SetWindowTextW(Control(kTextName), row.name.c_str());
        }
        EnableWindow(Control(kTextMark), FALSE);
        // The locked box loses the focus that the activation above gave it: typing goes to the
        // program box instead of nowhere.
        SetFocus(Control(kTextProgram));
    } else {
        caption += text::kRegistAdd;
        for (int id : {kTextMark, kTextProgram, kTextName}) SetWindowTextW(Control(id), L"");
        EnableWindow(Control(kTextMark), TRUE);
    }
    SetWindowTextW(hwnd(), caption.c_str());
}

void FormRegist::Command_ok_Click() {
    const std::wstring mark = BoxText(kTextMark);
    const std::wstring program = BoxText(kTextProgram);
    std::wstring name = BoxText(kTextName);
    if (auto failure = CheckRegist(mark, program, name, markTable, markCount, selectedMark)) {
        Sys().MessageBox(failure->message, text::kErrorTitle, kMbOk | kMbIconStop);
        HWND box = Control(BoxOf(failure->field));
        // An extension handed over by start-up cannot be edited: only Cancel is left.
        if (!IsWindowEnabled(box)) box = Control(kCommandCancel);
        SetFocus(box);
        return;
    }
    if (name.empty()) {
        name = DefaultDescription(program);
        SetWindowTextW(Control(kTextName), name.c_str());
    }
    if (selectedMark == 0) {
        ++markCount;
        markTable.Resize(markCount);
        selectedMark = markCount;
    }
    markTable[selectedMark] = StoredRow(mark, program, name);
    if (editorCaller == kCallerList) {
        for (FormList* list : FormList::OpenLists()) {
            selectedMark = 0;
            SortMarkTable(markTable);
            list->SetListMark();
        }
    } else if (editorCaller == kCallerStartup && !SaveStartupRow()) {
        return;  // not written: the dialog stays open with what the user typed
    }
    Unload();
}

bool FormRegist::SaveStartupRow() {
    const MarkRecord row = markTable[selectedMark];
    if (SaveMarkProfileAll(markTable) == SaveResult::kSaved) return true;
    // The save has sorted the table: the row being changed is found again for the next OK.
    const auto& rows = markTable.Rows();
    const auto at = std::find(rows.begin(), rows.end(), row);
    if (at != rows.end()) selectedMark = static_cast<int16_t>(at - rows.begin() + 1);
    return false;
}

void FormRegist::Command_cancel_Click() { Unload(); }

LRESULT FormRegist::HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
    switch (msg) {
    case WM_COMMAND:
        if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
            DialogKey(LOWORD(wParam));
            return 0;
        }
        if (HIWORD(wParam) == BN_CLICKED) {
            switch (LOWORD(wParam)) {
            case kCommandOk: Command_ok_Click(); return 0;
            case kCommandCancel: Command_cancel_Click(); return 0;
            case kCommandBrowse: Command_add_Click(); return 0;
            default: break;
            }
        }
        break;
    case WM_CLOSE: Command_cancel_Click(); return 0;
    default: break;
    }
    return Window::HandleMessage(msg, wParam, lParam);
}

void FormRegist::DialogKey(WORD command) {
    // The dialog manager turns Esc into IDCANCEL and Enter into IDOK. Esc cancels as the title
    // bar does; Enter in a text box is OK, and on a button presses that button, as in a dialog.
    if (command == IDCANCEL) {
        Command_cancel_Click();
        return;
    }
    HWND focus = GetFocus();
    const int id = focus != nullptr && GetParent(focus) == hwnd() ? GetDlgCtrlID(focus) : 0;
    if (id == kTextMark || id == kTextProgram || id == kTextName) {
        Command_ok_Click();
    } else if (id == kCommandOk || id == kCommandCancel || id == kCommandBrowse) {
        SendMessageW(focus, BM_CLICK, 0, 0);
    }
}

std::optional<LRESULT> FormRegist::ControlMessage(HWND control, UINT msg, WPARAM wParam, LPARAM) {
    if (msg == WM_DROPFILES && control == Control(kTextProgram)) {
        Text_program_OLEDragDrop(reinterpret_cast<HDROP>(wParam));
        return 0;
    }
    return std::nullopt;
}

namespace {
FormRegist& TheFormRegist() {
    static FormRegist form;
    return form;
}
}  // namespace

void ShowFormRegist() {
    FormRegist& form = TheFormRegist();
    if (form.IsModalRunning()) return;
    HWND owner = Window::FrontWindow();
    if (form.hwnd() == nullptr && !form.Create(owner)) return;
    form.Form_Load();
    form.RunModal(owner);
}

}  // namespace tolvare
