#include "nt4_deploy.h"

#include <windows.h>
#include <shlwapi.h>

#include "bounded_path.h"
#include "deploy_paths.h"
#include "engine_state.h"
#include "kernel_services.h"
#include "system_paths.h"

// The private USB stack, in the order its services are created. Only the host controller driver has a
// load-order group.
struct UsbStackService {
    const char* name;
    const char* file;
    const char* group;
};
static const UsbStackService kUsbStack[] = {
    {"usbhcd", "usbhcd.sys", "Extended base"},
    {"usbhub", "usbhub.sys", NULL},
    {"tvusbnt", "tvusbnt.sys", NULL},
};
static const int kUsbStackSize = sizeof kUsbStack / sizeof kUsbStack[0];

int InstallNt4UsbStack(BYTE* needsRestart)
{
    if (!EngineSettings.SupportUsb)
        return 1;
    char images[kUsbStackSize][kPathBufferSize];
    for (int i = 0; i < kUsbStackSize; ++i)
        if (!DriversDirPath(images[i], kUsbStack[i].file))
            return 0;

    for (int i = 0; i < kUsbStackSize; ++i)
        if (!StopAndDeleteService(kUsbStack[i].name))
            return 0;
    for (int i = 0; i < kUsbStackSize; ++i)
        DeleteFileForced(images[i]);

    int notStarted = 0;
    for (int i = 0; i < kUsbStackSize; ++i) {
        // A file that cannot be written has been reported to the user; the service is still created, so
        // that putting the file in place and restarting completes the installation.
        ExtractPayloadFile(kUsbStack[i].file, images[i]);
        if (!CreateAndStartService(kUsbStack[i].name, kUsbStack[i].group, images[i], needsRestart))
            return 0;
        if (*needsRestart == 1) {
            ++notStarted;
            *needsRestart = 0;
        }
    }
    *needsRestart = notStarted > 0 ? 1 : 0;
    return 1;
}

int InstallNt4(BYTE* needsRestart)
{
    BYTE own = 0;
    if (!InstallParallelService(&own))
        return 0;
    if (own == 1)
        *needsRestart = 1;
    if (!InstallNt4UsbStack(&own))
        return 0;
    if (*needsRestart == 0)
        *needsRestart = own;
    return 1;
}

int DeleteNt4DriverFiles()
{
    char system32[kPathBufferSize];
    char path[kPathBufferSize];
    if (!GetSystem32Path(system32, sizeof system32))
        return 1;
    if (ComposePath(path, sizeof path, system32, "\\TavrVdd.dll"))
        DeleteFileForced(path);
    static const char* const kDrivers[] = {"TavrelNt.sys", "tvusbnt.sys", "usbhub.sys", "usbhcd.sys"};
    for (const char* driver : kDrivers)
        if (DriversDirPath(path, driver))
            DeleteFileForced(path);
    return 1;
}

int RemoveNt4(BYTE*)
{
    static const char* const kServices[] = {"TAVRELNT", "tvusbnt", "usbhub", "usbhcd"};
    for (const char* service : kServices)
        StopAndDeleteService(service);
    DeleteNt4DriverFiles();
    // The keys go now even where the service manager still holds a service marked for deletion; the
    // restart that follows every removal completes it.
    static const char* const kKeys[] = {
        "System\\CurrentControlSet\\Services\\TAVRELNT", "System\\CurrentControlSet\\Services\\tvusbnt",
        "System\\CurrentControlSet\\Services\\usbhub", "System\\CurrentControlSet\\Services\\usbhcd"};
    for (const char* key : kKeys)
        SHDeleteKeyA(HKEY_LOCAL_MACHINE, key);
    return 1;
}
