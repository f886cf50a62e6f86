/* Virtual DOS driver (TAVRVDD.DLL). A DOS program reaches it through the NT DOS machine:
 * RegisterModule names this library with "VDDRegisterInit" and "VDDDispatch", the DOS
 * machine calls the first once and the second for every DispatchCall. Returning without
 * setting the carry flag tells the DOS side that registration succeeded. This build
 * registers and answers nothing further: the DOS bridge to the token is the vendor's. */
#include <windows.h>

BOOL WINAPI VddMain(HINSTANCE instance, DWORD reason, LPVOID reserved)
{
    (void)instance;
    (void)reason;
    (void)reserved;
    return TRUE;
}

VOID WINAPI VDDRegisterInit(VOID)
{
}

VOID WINAPI VDDDispatch(VOID)
{
}
