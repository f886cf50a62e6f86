#include "driver_detection.h"

#include <shlwapi.h>

#include "bounded_path.h"
#include "engine_state.h"
#include "install_record.h"
#include "system_paths.h"
#include "unique_handle.h"

static bool DeviceOpens(const char* device)
{
    UniqueFile file(CreateFileA(device, GENERIC_READ | GENERIC_WRITE, 0, NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                NULL));
    return file.valid();
}

// The VxD file is looked for in two places. Windows loads a static VxD from the platform's system directory
// (C:\WINDOWS\SYSTEM), and that is where every installation on Windows 95, 98 and ME puts it; older setup
// programs put it under the Windows directory's system32 folder, which is what GetSystem32Path names on these
// systems. Probing only the latter would miss a driver installed without a record, and the next installation
// would then not remove it first.
static bool VxdFileExists()
{
    char directory[kPathBufferSize];
    char path[kPathBufferSize];
    if (GetSystem32Path(directory, sizeof directory) &&
        ComposePath(path, sizeof path, directory, "\\tavrel9x.vxd") && PathFileExistsA(path))
        return true;
    const UINT length = GetSystemDirectoryA(directory, sizeof directory);
    return length != 0 && length < sizeof directory &&
           ComposePath(path, sizeof path, directory, "\\tavrel9x.vxd") && PathFileExistsA(path);
}

BYTE IsDevicePresent()
{
    switch (EngineSettings.OsClass) {
    case OS_WIN95:
    case OS_WIN98:
        return DeviceOpens("\\\\.\\TAVREL9X") || VxdFileExists() ? 1 : 0;
    case OS_WINME:
        return 0;
    default:
        return DeviceOpens("\\\\.\\TAVRELNT") ? 1 : 0;
    }
}

static bool ServiceKeyExists(const char* path)
{
    UniqueKey key;
    return RegOpenKeyA(HKEY_LOCAL_MACHINE, path, key.out()) == ERROR_SUCCESS;
}

BYTE HasLegacyServiceKey()
{
    return ServiceKeyExists("System\\CurrentControlSet\\Services\\TAVRELNT") ||
                   ServiceKeyExists("System\\CurrentControlSet\\Services\\Tavrel_USB")
               ? 1
               : 0;
}

DWORD GetDriverGeneration()
{
    if (HasInstallRecord()) {
        // The record wins over every probe, whatever it holds.
        UniqueKey key;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kInstallRecordKey, 0, KEY_ALL_ACCESS, key.out()) != ERROR_SUCCESS)
            return GENERATION_NONE;
        DWORD value = 0, size = sizeof value, type = 0;
        if (RegQueryValueExA(key.get(), "Tv4Ver", NULL, &type, reinterpret_cast<BYTE*>(&value), &size) !=
            ERROR_SUCCESS)
            return GENERATION_NONE;
        return value;
    }
    if (IsDevicePresent() || HasLegacyServiceKey())
        return GENERATION_UNRECORDED;
    return GENERATION_NONE;
}
