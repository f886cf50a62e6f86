/* Loads an engine library by the full path given and prints what its detection exports answer:
 *   IsHaveInstall <0|1>
 *   GetVersion 0x<hex>
 *   WinGetVersion 0x<hex>   (the Windows class the engine sees)
 * Exit code 0 when all were called, 2 when the library or an export is missing. */
#include <windows.h>
#include <stdio.h>

/* The exports use the C calling convention and take no arguments; the installation flag is the low
 * byte of the result. */
typedef int(__cdecl *IsHaveInstallFn)(void);
typedef DWORD(__cdecl *GetVersionFn)(void);
typedef int(__cdecl *WinGetVersionFn)(void);

int main(int argc, char **argv)
{
    if (argc != 2) {
        printf("usage: engine_query.exe FULL-PATH-OF-ENGINE\n");
        return 2;
    }
    HMODULE engine = LoadLibraryExA(argv[1], NULL, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (!engine) {
        printf("ERROR cannot load %s: win error %lu\n", argv[1], GetLastError());
        return 2;
    }
    IsHaveInstallFn isHaveInstall = (IsHaveInstallFn)(void *)GetProcAddress(engine, "Tv4IsHaveInstall");
    GetVersionFn getVersion = (GetVersionFn)(void *)GetProcAddress(engine, "Tv4GetVersion");
    WinGetVersionFn winGetVersion = (WinGetVersionFn)(void *)GetProcAddress(engine, "WinGetVersion");
    if (!isHaveInstall || !getVersion || !winGetVersion) {
        printf("ERROR export missing\n");
        FreeLibrary(engine);
        return 2;
    }
    printf("IsHaveInstall %u\n", (unsigned)(isHaveInstall() & 0xFF));
    printf("GetVersion 0x%lX\n", (unsigned long)getVersion());
    printf("WinGetVersion 0x%X\n", (unsigned)winGetVersion());
    FreeLibrary(engine);
    return 0;
}
