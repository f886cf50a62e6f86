// Setup-API and driver-update entry points bound by name at initialisation; the deployment code calls
// them through this table so that the engine still loads where one of them is missing.
#ifndef TAVREL_ENGINE_SETUP_API_TABLE_H
#define TAVREL_ENGINE_SETUP_API_TABLE_H

#include <windows.h>
#include <setupapi.h>

// newdev.h declares this only for Windows 2000 and later targets; the engine builds for older ones.
typedef BOOL(WINAPI* UpdateDriverForPlugAndPlayDevicesFn)(HWND owner, LPCSTR hardwareId, LPCSTR infPath,
                                                          DWORD flags, BOOL* rebootRequired);

struct SetupApiTable {
    decltype(&SetupDiGetClassDevsA) GetClassDevs = NULL;
    decltype(&SetupDiEnumDeviceInfo) EnumDeviceInfo = NULL;
    decltype(&SetupDiGetDeviceRegistryPropertyA) GetDeviceRegistryProperty = NULL;
    decltype(&SetupDiCallClassInstaller) CallClassInstaller = NULL;
    decltype(&SetupDiDestroyDeviceInfoList) DestroyDeviceInfoList = NULL;
    decltype(&SetupDiGetINFClassA) GetInfClass = NULL;
    decltype(&SetupDiCreateDeviceInfoList) CreateDeviceInfoList = NULL;
    decltype(&SetupDiCreateDeviceInfoA) CreateDeviceInfo = NULL;
    decltype(&SetupDiSetDeviceRegistryPropertyA) SetDeviceRegistryProperty = NULL;
    decltype(&SetupDiDeleteDeviceInfo) DeleteDeviceInfo = NULL;
    decltype(&SetupCopyOEMInfA) CopyOemInf = NULL;  // optional: its users test it
    UpdateDriverForPlugAndPlayDevicesFn UpdateDriverForPlugAndPlayDevices = NULL;  // Windows 2000 and later
};

#endif
