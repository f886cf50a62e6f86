#include <windows.h>

#include "engine_state.h"
#include "initialise.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH)
        EngineSettings.Module = instance;
    else if (reason == DLL_PROCESS_DETACH)
        ReleaseSetupApi();
    return TRUE;
}
