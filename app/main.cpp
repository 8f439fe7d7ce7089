// The entry point: start-up decides everything; the message loop runs only if it left a window open.
#include <windows.h>

#include "core/startup.h"
#include "launcher/form_select.h"
#include "registration/form_list.h"
#include "registration/form_regist.h"
#include "win32/win32_system.h"
#include "win32/window.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    // DLLs (the delay-loaded UI ones included) come from System32 only, never the exe's folder.
    SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    static tolvare::Win32System system(
        {tolvare::ShowFormList, tolvare::ShowFormRegist, tolvare::ShowFormSelect});
    tolvare::SetSystem(&system);
    try {
        tolvare::Main();
        if (tolvare::Window::AnyOpen()) return tolvare::Window::RunMessageLoop();
    } catch (...) {
        tolvare::ReportInternalError();
        return 1;
    }
    return 0;
}
