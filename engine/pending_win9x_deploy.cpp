// Windows 95, 98 and ME deployment: not built yet.
// Until it is built, each operation fails without touching anything.
#include "win9x_deploy.h"

int InstallStaticVxd(BYTE*)
{
    return 0;
}

int InstallVxdWithUsbClass(BYTE*)
{
    return 0;
}

int InstallWin98(BYTE*)
{
    return 0;
}

int InstallWinMe(BYTE*)
{
    return 0;
}

int RemoveStaticVxd(BYTE*)
{
    return 0;
}

int RemoveWin98Me(BYTE*)
{
    return 0;
}

int DeleteWin98DriverFiles(DWORD)
{
    return 0;
}

