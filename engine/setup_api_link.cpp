// The engine library imports the setup API directly, not only through the table bound at run time:
// a system without it cannot load the engine at all, which the callers rely on to fail early.
#include <windows.h>
#include <setupapi.h>

extern "C" void* const kSetupApiImports[] = {
    reinterpret_cast<void*>(&SetupCopyOEMInfA),
    reinterpret_cast<void*>(&SetupDiCreateDeviceInfoList),
};
