#include "engine_exports.h"

#include "command_line.h"
#include "driver_detection.h"
#include "engine_state.h"
#include "initialise.h"
#include "install_record.h"
#include "pointer_check.h"
#include "restart.h"

int Tv4ParseCmdLine(DWORD* flags, const char* commandLine)
{
    EnsureInitialised();
    if (IsBadPointer(commandLine) || IsBadPointer(flags)) {
        InstallEngine.ErrorCode = ERRORCODE_BAD_ARGUMENT;
        return 0;
    }
    if (ParseCommandLine(commandLine, flags) == PARSE_REJECTED) {
        InstallEngine.ErrorCode = ERRORCODE_BAD_ARGUMENT;
        return 0;
    }
    return 1;
}

BYTE Tv4IsHaveInstall()
{
    EnsureInitialised();
    return HasInstallRecord();
}

DWORD Tv4GetVersion()
{
    EnsureInitialised();
    return GetDriverGeneration();
}

int WinGetVersion()
{
    EnsureInitialised();
    return EngineSettings.OsClass;
}

void ReBoot()
{
    EnsureInitialised();
    RestartWindows();
}

typedef BOOL(WINAPI* IsWow64ProcessFn)(HANDLE process, BOOL* isWow64);

int Is64Process()
{
    // Looked up at run time: Windows before XP SP2 has no such function, and then there is no 64-bit host.
    HMODULE kernel = GetModuleHandleA("kernel32");
    if (kernel == NULL)
        return 0;
    IsWow64ProcessFn isWow64Process =
        reinterpret_cast<IsWow64ProcessFn>(reinterpret_cast<void (*)()>(GetProcAddress(kernel, "IsWow64Process")));
    if (isWow64Process == NULL)
        return 0;
    BOOL isWow64 = FALSE;
    if (!isWow64Process(GetCurrentProcess(), &isWow64))
        return 0;
    return isWow64 ? 1 : 0;
}

int WINAPI InstTavrel(DWORD, DWORD, const char* commandLine)
{
    const int result = Tv4Setup(&NeedRestart, commandLine);
    return result == 1 || result == 2 ? 0 : InstallEngine.ErrorCode;
}

BYTE WINAPI Foo(DWORD, DWORD, DWORD, DWORD, DWORD)
{
    return InstTavrel(0, 0, "/i") == 0 ? 1 : 0;
}

int IsNeedRestart()
{
    return NeedRestart;
}
