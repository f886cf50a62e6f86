/* Device co-installer of the USB token (TL4COINST.DLL, and its Vista build). The package
 * INF registers it as "Tl4CoInst.dll,TavrCoInstaller"; the device installer calls it
 * before and after every class-installer request. It has nothing to add, so every
 * request goes on as the class installer decides. */
#include <windows.h>
#include <setupapi.h>

BOOL WINAPI CoInstallerMain(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    (void)instance;
    (void)reason;
    (void)reserved;
    return TRUE;
}

DWORD CALLBACK TavrCoInstaller(DI_FUNCTION request, HDEVINFO devices, PSP_DEVINFO_DATA device,
                               PCOINSTALLER_CONTEXT_DATA context)
{
    (void)request;
    (void)devices;
    (void)device;
    (void)context;
    return NO_ERROR;
}
