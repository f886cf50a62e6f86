// Plug-and-Play installation of the signed WDM package: files staged and placed, a root-enumerated
// device for the parallel-port driver, the driver update for the USB token, then the probe that
// tells whether Windows must restart.
#include "pnp_install.h"

#include <windows.h>
#include <newdev.h>
#include <setupapi.h>
#include <stdlib.h>
#include <string.h>

#include "bounded_path.h"
#include "deploy_paths.h"
#include "devinfo_handle.h"
#include "engine_state.h"
#include "kernel_services.h"
#include "pointer_check.h"
#include "system_paths.h"

static const char kPackageInf[] = "Tavrel4.inf";
static const char kRootHardwareId[] = "TavrelBus\\Tavrel";
static const char kUsbHardwareId[] = "USB\\Vid_0f2b&Pid_0001";
static const char kRootDeviceName[] = "USB";
static const DWORD kOemNameSize = 260;
static const DWORD kClassNameSize = 32;
static const DWORD kRetryWaitMs = 1000;

namespace {

enum Destination { STAGING, DRIVERS, SYSTEM32 };

// One payload write: the resource of each package edition and where its plain name goes.
struct PackageFile {
    const char* xpResource;
    const char* vistaResource;
    const char* name;
    Destination destination;
    bool usbDriver;  // skipped when only the parallel port is supported
};

const PackageFile kPackageFiles[] = {
    {"Tavrel4.inf", "vis_Tavrel4.inf", "Tavrel4.inf", STAGING, false},
    {"Tavrel4.sys", "vis_Tavrel4.sys", "Tavrel4.sys", STAGING, false},
    {"Tavrel4.sys", "vis_Tavrel4.sys", "Tavrel4.sys", DRIVERS, false},
    {"Tavrel4USB.sys", "vis_Tavrel4USB.sys", "Tavrel4USB.sys", STAGING, true},
    {"tavrel4.cat", "vis_tavrel4.cat", "tavrel4.cat", STAGING, false},
    {"Tavrel4USB.sys", "vis_Tavrel4USB.sys", "Tavrel4USB.sys", DRIVERS, true},
    {"Tl4CoInst.dll", "vis_Tl4CoInst.dll", "Tl4CoInst.dll", STAGING, false},
    {"Tl4CoInst.dll", "vis_Tl4CoInst.dll", "Tl4CoInst.dll", SYSTEM32, false},
};

// The zero-filled hardware-id list the device installer expects: the id, its terminator, one more zero.
struct HardwareIdList {
    explicit HardwareIdList(const char* id)
        : size(static_cast<DWORD>(strlen(id) + 2)), bytes(static_cast<BYTE*>(calloc(size, 1)))
    {
        if (bytes != NULL)
            memcpy(bytes, id, size - 2);
    }
    ~HardwareIdList() { free(bytes); }
    HardwareIdList(const HardwareIdList&) = delete;
    HardwareIdList& operator=(const HardwareIdList&) = delete;
    DWORD size;
    BYTE* bytes;
};

} // namespace

// The bound driver-update entry when it can be called, else NULL.
static UpdateDriverForPlugAndPlayDevicesFn CallableUpdateEntry()
{
    UpdateDriverForPlugAndPlayDevicesFn update = SystemServices.SetupApi.UpdateDriverForPlugAndPlayDevices;
    if (update == NULL || IsBadPointer(reinterpret_cast<const void*>(update)))
        return NULL;
    return update;
}

static int DestinationPath(char* out, const PackageFile& file, const char* staging, const char* system32)
{
    switch (file.destination) {
    case STAGING:
        return ComposePath(out, kPathBufferSize, staging, "\\", file.name);
    case DRIVERS:
        return ComposePath(out, kPathBufferSize, system32, "\\drivers\\", file.name);
    case SYSTEM32:
        return ComposePath(out, kPathBufferSize, system32, "\\", file.name);
    }
    return 0;
}

static int WritePackageFiles(bool vista, bool parallelOnly, const char* staging, const char* system32)
{
    for (const PackageFile& file : kPackageFiles) {
        if (file.usbDriver && parallelOnly)
            continue;
        char path[kPathBufferSize] = {0};
        if (!DestinationPath(path, file, staging, system32))
            return 0;
        if (!ExtractPayloadFile(vista ? file.vistaResource : file.xpResource, path))
            return 0;
    }
    return 1;
}

// Puts the staged package into the system's INF store, so Windows finds it for a token plugged in later.
static void PreinstallPackage(const char* infPath, const char* staging)
{
    if (SystemServices.SetupApi.CopyOemInf == NULL)
        return;
    char sourceFolder[kPathBufferSize] = {0};
    if (!ComposePath(sourceFolder, sizeof sourceFolder, staging, "\\"))
        return;
    char oemName[kOemNameSize] = {0};
    SystemServices.SetupApi.CopyOemInf(infPath, sourceFolder, SPOST_PATH, SP_COPY_FORCE_NEWER, oemName, kOemNameSize,
                                       NULL, NULL);
}

static int InstallPackage(bool vista, BYTE* needsRestart)
{
    if (!WriteParallelParameters())
        return 0;
    const bool parallelOnly = EngineSettings.SupportParallel == 1 && EngineSettings.SupportUsb == 0;

    char staging[kPathBufferSize] = {0};
    if (!WindowsDirPath(staging, "\\Temp") || !EnsureDirectory(staging))
        return 0;
    // Without the system32 directory the drivers would land in the root of the current drive.
    char system32[kPathBufferSize] = {0};
    if (!GetSystem32Path(system32, sizeof system32))
        return 0;
    if (!WritePackageFiles(vista, parallelOnly, staging, system32))
        return 0;

    char infPath[kPathBufferSize] = {0};
    if (!ComposePath(infPath, sizeof infPath, staging, "\\", kPackageInf))
        return 0;
    if (vista)
        PreinstallPackage(infPath, staging);

    CreateRootDevice(infPath, kRootHardwareId);

    BOOL rebootRequired = FALSE;
    if (EngineSettings.SupportUsb == 1 && CallableUpdateEntry() != NULL)
        UpdateUsbDriver(infPath, kOemNameSize, &rebootRequired);

    const BYTE restart = rebootRequired ? 1 : (ProbeParallelDevice() ? 0 : 1);
    if (needsRestart != NULL)
        *needsRestart = restart;
    return 1;
}

int InstallPnpDrivers(BYTE* needsRestart)
{
    return InstallPackage(false, needsRestart);
}

int InstallPnpDriversVista(BYTE* needsRestart)
{
    return InstallPackage(true, needsRestart);
}

// Registers one more device under ROOT\USB with the INF's class and the hardware id, so the package's
// driver has a device to run on, then installs that driver on it. A device that cannot be made is
// not an installation failure: the USB driver and the probe still decide the outcome.
static void RegisterRootDevice(const char* infPath, const char* hardwareId, const HardwareIdList& ids)
{
    const SetupApiTable& api = SystemServices.SetupApi;
    if (api.GetInfClass == NULL || api.CreateDeviceInfo == NULL || api.SetDeviceRegistryProperty == NULL ||
        api.CallClassInstaller == NULL)
        return;
    GUID classGuid;
    memset(&classGuid, 0, sizeof classGuid);
    char className[kClassNameSize] = {0};
    if (!api.GetInfClass(infPath, &classGuid, className, kClassNameSize, NULL))
        return;
    UniqueDevInfo set(SetupDiCreateDeviceInfoList(&classGuid, NULL), api.DestroyDeviceInfoList);
    if (!set.valid())
        return;
    SP_DEVINFO_DATA device;
    memset(&device, 0, sizeof device);
    device.cbSize = sizeof device;
    if (!api.CreateDeviceInfo(set.get(), kRootDeviceName, &classGuid, NULL, NULL, DICD_GENERATE_ID, &device))
        return;
    if (api.SetDeviceRegistryProperty(set.get(), &device, SPDRP_HARDWAREID, ids.bytes, ids.size) &&
        api.CallClassInstaller(DIF_REGISTERDEVICE, set.get(), &device)) {
        UpdateDriverForPlugAndPlayDevicesFn update = CallableUpdateEntry();
        BOOL rebootRequired = FALSE;
        if (update != NULL)
            update(NULL, hardwareId, infPath, INSTALLFLAG_FORCE, &rebootRequired);
    }
    // Drops the element from the set only; a registered device stays.
    if (api.DeleteDeviceInfo != NULL)
        api.DeleteDeviceInfo(set.get(), &device);
}

int CreateRootDevice(const char* infPath, const char* hardwareId)
{
    HardwareIdList ids(hardwareId);
    if (ids.bytes != NULL)
        RegisterRootDevice(infPath, hardwareId, ids);
    return 1;
}

void UpdateUsbDriver(const char* infPath, DWORD nameBufferSize, BOOL* rebootRequired)
{
    UpdateDriverForPlugAndPlayDevicesFn update = CallableUpdateEntry();
    if (update == NULL)
        return;
    BOOL localReboot = FALSE;
    BOOL* reboot = rebootRequired != NULL ? rebootRequired : &localReboot;
    if (update(NULL, kUsbHardwareId, infPath, INSTALLFLAG_FORCE, reboot))
        return;

    // No token took the driver: put the package into the INF store for one plugged in later.
    char oemName[kOemNameSize] = {0};
    DWORD required = 0;
    const DWORD nameSize = nameBufferSize < sizeof oemName ? nameBufferSize : static_cast<DWORD>(sizeof oemName);
    SetupCopyOEMInfA(infPath, NULL, SPOST_PATH, 0, oemName, nameSize, &required, NULL);

    if (!update(NULL, kUsbHardwareId, infPath, INSTALLFLAG_FORCE, reboot))
        Sleep(kRetryWaitMs);
    BOOL discarded = FALSE;
    update(NULL, kUsbHardwareId, infPath, INSTALLFLAG_FORCE, &discarded);
}
