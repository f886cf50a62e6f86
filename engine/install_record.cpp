#include "install_record.h"

#include "driver_detection.h"
#include "registry_values.h"
#include "unique_handle.h"

const char kInstallRecordKey[] = "SOFTWARE\\OVTv4InstallFlag";

BYTE HasInstallRecord()
{
    UniqueKey key;
    return RegOpenKeyExA(HKEY_LOCAL_MACHINE, kInstallRecordKey, 0, KEY_READ, key.out()) == ERROR_SUCCESS ? 1 : 0;
}

BYTE WriteInstallRecord(BYTE isSupportDos)
{
    UniqueKey key;
    DWORD disposition = 0;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, kInstallRecordKey, 0, NULL, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS,
                        NULL, key.out(), &disposition) != ERROR_SUCCESS)
        return 0;
    if (!SetDwordValue(key.get(), "IsSupportDos", isSupportDos))
        return 0;
    if (!SetDwordValue(key.get(), "InstallCount", 1))
        return 0;
    if (!SetDwordValue(key.get(), "Tv4Ver", isSupportDos == 1 ? GENERATION_DOS_SET : GENERATION_WDM_SET))
        return 0;
    return 1;
}

DWORD ReadIsSupportDos()
{
    UniqueKey key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kInstallRecordKey, 0, KEY_ALL_ACCESS, key.out()) != ERROR_SUCCESS)
        return 0;
    DWORD value = 0, size = sizeof value, type = 0;
    if (RegQueryValueExA(key.get(), "IsSupportDos", NULL, &type, reinterpret_cast<BYTE*>(&value), &size) !=
        ERROR_SUCCESS)
        return 0;
    return value;
}

void DeleteInstallRecord()
{
    {
        UniqueKey key;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kInstallRecordKey, 0, KEY_ALL_ACCESS, key.out()) != ERROR_SUCCESS)
            return;
        // Zeroed first, so that a record whose deletion fails no longer claims an installation.
        if (!SetDwordValue(key.get(), "InstallCount", 0) || !SetDwordValue(key.get(), "IsSupportDos", 0) ||
            !SetDwordValue(key.get(), "Tv4Ver", 0))
            return;
    }
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, kInstallRecordKey);
}
