#include "parallel_values.h"

#include "engine_state.h"
#include "registry_values.h"

static const DWORD kPortAddress[3] = {0x278, 0x378, 0x3BC};

DWORD ParallelSupportValue()
{
    if (EngineSettings.SupportParallel == 1 && EngineSettings.SupportUsb == 0)
        return 1;
    if (EngineSettings.SupportParallel == 0 && EngineSettings.SupportUsb == 1)
        return 2;
    return 0;
}

// Values already under the key are left alone: the driver reads only the names written here, and the
// counter numbers the disabled ports without gaps whatever order the options came in.
void WriteParallelValues(HKEY key, DWORD support)
{
    SetDwordValue(key, "Support", support);
    SetDwordValue(key, "TestBusy", EngineSettings.TestBusy == 1 ? 1 : 0);
    int counter = 1;
    for (int port = 0; port < 3; ++port) {
        if (!EngineSettings.DisablePort[port])
            continue;
        char name[32];
        wsprintfA(name, "DisablePort%d", counter++);
        SetDwordValue(key, name, kPortAddress[port]);
    }
}
