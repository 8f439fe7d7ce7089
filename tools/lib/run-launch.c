/* Starts a Windows program with an exact command line taken from the environment variable
   TOLVARE_RUN_CMDLINE, because `wine prog.exe ARGS` re-quotes its Unix arguments. Waits for
   the program and returns its exit code. Built by tools/run. */
#include <windows.h>

int wmain(void)
{
    static WCHAR cmdline[32768];
    DWORD n = GetEnvironmentVariableW(L"TOLVARE_RUN_CMDLINE", cmdline, 32768);
    if (n == 0 || n >= 32768)
        return 120;
    SetEnvironmentVariableW(L"TOLVARE_RUN_CMDLINE", NULL);
    STARTUPINFOW si = {sizeof si};
    PROCESS_INFORMATION pi;
    if (!CreateProcessW(NULL, cmdline, NULL, NULL, FALSE, 0, NULL, NULL, &si, &pi))
        return 121;
    CloseHandle(pi.hThread);
    WaitForSingleObject(pi.hProcess, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hProcess);
    return (int)code;
}
