// Removal of the NT-family driver sets: devices and services, then files, then registry keys.
#include "nt_removal.h"

#include <windows.h>
#include <shlwapi.h>

#include "bounded_path.h"
#include "kernel_services.h"

namespace {

// In removal order: the package's USB service, the parallel-port service, the class INF's USB service.
const char* const kServices[] = {"Tavrel_USB", "TAVRELNT", "tavrusb"};

const char kServicesKey[] = "System\\CurrentControlSet\\Services\\";
// Root-enumerated parallel-port devices of the package live here, one instance per installation.
const char kRootDevicesKey[] = "System\\CurrentControlSet\\Enum\\Root\\USB";

}  // namespace

int RemoveNtDrivers(BYTE* needsRestart)
{
    for (const char* service : kServices)
        RemoveServiceAndDevices(service);

    DeleteNtDriverFiles();

    for (const char* service : kServices) {
        char keyPath[kPathBufferSize];
        if (ComposePath(keyPath, sizeof keyPath, kServicesKey, service))
            SHDeleteKeyA(HKEY_LOCAL_MACHINE, keyPath);
    }
    DeleteKeyTreeForced(kRootDevicesKey);

    if (needsRestart != NULL)
        *needsRestart = 0;
    return 1;
}
