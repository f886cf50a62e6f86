#include "restart.h"

#include <windows.h>

#include "engine_state.h"
#include "unique_handle.h"

static void EnableShutdownPrivilege()
{
    UniqueFile token;
    HANDLE opened = NULL;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES, &opened))
        return;
    token.reset(opened);
    TOKEN_PRIVILEGES privileges;
    ZeroMemory(&privileges, sizeof privileges);
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
    if (!LookupPrivilegeValueA(NULL, "SeShutdownPrivilege", &privileges.Privileges[0].Luid))
        return;
    AdjustTokenPrivileges(token.get(), FALSE, &privileges, sizeof privileges, NULL, NULL);
}

void RestartWindows()
{
    const int osClass = EngineSettings.OsClass;
    // Windows 95, 98 and ME have no privileges; every other class, unsupported included, is treated as NT.
    if (osClass != OS_WIN95 && osClass != OS_WIN98 && osClass != OS_WINME)
        EnableShutdownPrivilege();
    ExitWindowsEx(EWX_REBOOT, 0);
}
