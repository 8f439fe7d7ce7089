// Temporary: stands in for the windows whose own files have not landed yet, so that the exe links.
// Delete this file (and its lines in win32/CMakeLists.txt) once registration/ and launcher/ define
// ShowFormList, ShowFormRegist and ShowFormSelect.
#include "win32/forms.h"

#include <windows.h>

namespace tolvare {

namespace {
void Placeholder(const wchar_t* window) {
    MessageBoxW(GetActiveWindow(), window, L"TOLVARE (placeholder)", MB_OK | MB_ICONINFORMATION);
}
}  // namespace

#ifndef TOLVARE_HAS_FORM_LIST
void ShowFormList(bool) { Placeholder(L"Form_list"); }
#endif
#ifndef TOLVARE_HAS_FORM_REGIST
void ShowFormRegist() { Placeholder(L"Form_regist"); }
#endif
#ifndef TOLVARE_HAS_FORM_SELECT
void ShowFormSelect() { Placeholder(L"Form_select"); }
#endif

}  // namespace tolvare
