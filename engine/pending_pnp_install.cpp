// Plug-and-Play installation: not built yet.
// Until it is built, each operation fails without touching anything.
#include "pnp_install.h"

int InstallPnpDrivers(BYTE*)
{
    return 0;
}

int InstallPnpDriversVista(BYTE*)
{
    return 0;
}

int CreateRootDevice(const char*, const char*)
{
    return 0;
}

void UpdateUsbDriver(const char*, DWORD, BOOL*)
{
}

