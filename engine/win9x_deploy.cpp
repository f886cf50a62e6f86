// Windows 95, 98 and ME: the static VxD, registered under the key Windows reads at start-up, and on 98
// and ME the class-INF USB set beside it.
#include "win9x_deploy.h"

#include <newdev.h>

#include "bounded_path.h"
#include "class_inf_usb.h"
#include "deploy_paths.h"
#include "engine_state.h"
#include "install_record.h"
#include "parallel_values.h"
#include "system_paths.h"
#include "unique_handle.h"

static const char kVxdFile[] = "Tavrel9x.vxd";
static const char kVxdDevice[] = "\\\\.\\TAVREL9X";
static const char kVxdKey[] = "System\\CurrentControlSet\\Services\\vxd\\Tavrel9x";
static const char kUsbEnumKey[] = "Enum\\USB\\Vid_0f2b&Pid_0001";
static const char kUsbHardwareId[] = "USB\\Vid_0f2b&Pid_0001";

static bool IsVxdRunning()
{
    UniqueFile device(CreateFileA(kVxdDevice, GENERIC_READ | GENERIC_WRITE, 0, NULL, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, NULL));
    return device.valid();
}

// 0 both attachments, 1 parallel port only, 2 USB only; the Windows 95 VxD serves the parallel port only.
static DWORD VxdSupport()
{
    return EngineSettings.OsClass == OS_WIN95 ? 1 : ParallelSupportValue();
}

// The key is opened, not recreated, so values of an earlier installation that these options do not
// write (a "DisablePort2", say) stay.
static void WriteVxdValues()
{
    UniqueKey key;
    DWORD disposition = 0;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, kVxdKey, 0, NULL, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, NULL,
                        key.out(), &disposition) != ERROR_SUCCESS)
        return;
    RegSetValueExA(key.get(), "StaticVxd", 0, REG_SZ, reinterpret_cast<const BYTE*>(kVxdFile), sizeof kVxdFile);
    WriteParallelValues(key.get(), VxdSupport());
}

int InstallStaticVxd(BYTE* needsRestart)
{
    *needsRestart = 0;
    char vxdPath[kPathBufferSize];
    if (!SystemDirPath(vxdPath, kVxdFile))
        return 0;
    // A running VxD of that name keeps running until Windows restarts; the new file waits for that.
    if (IsVxdRunning())
        *needsRestart = 1;
    WriteVxdValues();
    return ExtractPayloadFile(kVxdFile, vxdPath);
}

int InstallVxdWithUsbClass(BYTE* needsRestart)
{
    if (!InstallStaticVxd(needsRestart))
        return 0;
    // The USB set reports 0 on success, which must not hide the restart a running VxD needs.
    BYTE usbRestart = 0;
    const int result = InstallClassInfUsb(*needsRestart == 0 ? needsRestart : &usbRestart);
    // Windows rebuilds its driver index from the INF directory, so it will find the new class INF.
    char driverIndex[kPathBufferSize];
    if (WindowsDirPath(driverIndex, "\\inf\\", "Drvidx.bin"))
        DeleteFileForced(driverIndex);
    return result;
}

int InstallWin98(BYTE* needsRestart)
{
    BYTE restart = 0;
    const int result = InstallVxdWithUsbClass(&restart);
    *needsRestart = 1;
    return result;
}

// Forces the USB token onto the class INF where the driver-update entry point is bound (it is not on
// Windows ME, where Windows installs the token from the INF when it is next plugged in).
static void UpdateUsbDriverFromClassInf(BYTE* needsRestart)
{
    const UpdateDriverForPlugAndPlayDevicesFn update = SystemServices.SetupApi.UpdateDriverForPlugAndPlayDevices;
    char infPath[kPathBufferSize];
    if (update == NULL || !WindowsDirPath(infPath, "\\inf\\", "TavrUsb.inf"))
        return;
    BOOL rebootRequired = FALSE;
    update(NULL, kUsbHardwareId, infPath, INSTALLFLAG_FORCE, &rebootRequired);
    if (*needsRestart != 1)
        *needsRestart = rebootRequired ? 1 : 0;
}

int InstallWinMe(BYTE* needsRestart)
{
    BYTE restart = 0;
    const int result = InstallVxdWithUsbClass(&restart);
    if (result)
        UpdateUsbDriverFromClassInf(&restart);
    *needsRestart = restart;
    return result;
}

int RemoveStaticVxd(BYTE* needsRestart)
{
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kVxdKey);
    char vxdPath[kPathBufferSize];
    if (SystemDirPath(vxdPath, kVxdFile))
        DeleteFileForced(vxdPath);
    *needsRestart = 1;
    return 1;
}

int RemoveWin98Me(BYTE* needsRestart)
{
    const DWORD isSupportDos = ReadIsSupportDos();
    RemoveStaticVxd(needsRestart);
    {
        // Windows 9x deletes a key with its subkeys, so the device's whole tree goes.
        UniqueKey root;
        if (RegOpenKeyA(HKEY_LOCAL_MACHINE, "Enum\\Root", root.out()) == ERROR_SUCCESS)
            RegDeleteKeyA(root.get(), "Tavrel4");
    }
    DeleteWin98DriverFiles(isSupportDos);
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kUsbEnumKey);
    *needsRestart = 1;
    return 1;
}

static void DeleteDriversDirFile(const char* name)
{
    char path[kPathBufferSize];
    if (DriversDirPath(path, name))
        DeleteFileForced(path);
}

static void DeleteInfDirFile(const char* name)
{
    char path[kPathBufferSize];
    if (WindowsDirPath(path, "\\inf\\", name))
        DeleteFileForced(path);
}

int DeleteWin98DriverFiles(DWORD isSupportDos)
{
    DeleteDriversDirFile("TavrUsb.sys");
    DeleteInfDirFile("TavrUsb.inf");
    DeleteInfDirFile("TavrUsb.pnf");
    // The WDM set of older setup programs; an installation recorded as DOS-capable keeps it.
    if (isSupportDos == 0) {
        DeleteDriversDirFile("Tl4USB98.sys");
        DeleteDriversDirFile("Tl4_98.sys");
        DeleteInfDirFile("Tavrel98.inf");
        DeleteInfDirFile("Tavrel98.pnf");
    }
    return 1;
}
