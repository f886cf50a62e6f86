// Device installer (SetupApi.dll) subset used by the product, on the simulated Windows.
#pragma once

#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef PVOID HDEVINFO;
typedef UINT DI_FUNCTION;

#define LINE_LEN 256
#define MAX_CLASS_NAME_LEN 32

typedef struct _SP_DEVINFO_DATA {
  DWORD cbSize;
  GUID ClassGuid;
  DWORD DevInst;
  ULONG_PTR Reserved;
} SP_DEVINFO_DATA, *PSP_DEVINFO_DATA;

#define DIGCF_DEFAULT 0x00000001
#define DIGCF_PRESENT 0x00000002
#define DIGCF_ALLCLASSES 0x00000004
#define DIGCF_PROFILE 0x00000008
#define DIGCF_DEVICEINTERFACE 0x00000010

#define DIF_SELECTDEVICE 0x00000001
#define DIF_INSTALLDEVICE 0x00000002
#define DIF_ASSIGNRESOURCES 0x00000003
#define DIF_PROPERTIES 0x00000004
#define DIF_REMOVE 0x00000005
#define DIF_FIRSTTIMESETUP 0x00000006
#define DIF_SELECTCLASSDRIVERS 0x00000008
#define DIF_VALIDATECLASSDRIVERS 0x00000009
#define DIF_INSTALLCLASSDRIVERS 0x0000000A
#define DIF_CALCDISKSPACE 0x0000000B
#define DIF_DESTROYPRIVATEDATA 0x0000000C
#define DIF_SELECTBESTCOMPATDRV 0x00000017
#define DIF_ALLOW_INSTALL 0x00000018
#define DIF_REGISTERDEVICE 0x00000019
#define DIF_INSTALLDEVICEFILES 0x00000022
#define DIF_UNREMOVE 0x00000024

#define DICD_GENERATE_ID 0x00000001
#define DICD_INHERIT_CLASSDRVS 0x00000002

#define SPDRP_DEVICEDESC 0x00000000
#define SPDRP_HARDWAREID 0x00000001
#define SPDRP_COMPATIBLEIDS 0x00000002
#define SPDRP_SERVICE 0x00000004
#define SPDRP_CLASS 0x00000007
#define SPDRP_CLASSGUID 0x00000008
#define SPDRP_DRIVER 0x00000009
#define SPDRP_CONFIGFLAGS 0x0000000A
#define SPDRP_MFG 0x0000000B
#define SPDRP_FRIENDLYNAME 0x0000000C
#define SPDRP_LOCATION_INFORMATION 0x0000000D
#define SPDRP_PHYSICAL_DEVICE_OBJECT_NAME 0x0000000E
#define SPDRP_UPPERFILTERS 0x00000011
#define SPDRP_LOWERFILTERS 0x00000012
#define SPDRP_ENUMERATOR_NAME 0x00000016

#define SPOST_NONE 0
#define SPOST_PATH 1
#define SPOST_URL 2

#define SP_COPY_DELETESOURCE 0x0000001
#define SP_COPY_REPLACEONLY 0x0000002
#define SP_COPY_NEWER 0x0000004
#define SP_COPY_NOOVERWRITE 0x0000008
#define SP_COPY_OEMINF_CATALOG_ONLY 0x0040000
#define SP_COPY_FORCE_NEWER 0x0002000

#define SPDRP_MAXIMUM_PROPERTY 0x00000025

// Device installer errors (customer bit and error severity set).
#define ERROR_WRONG_INF_STYLE 0xE0000100L
#define ERROR_NO_ASSOCIATED_CLASS 0xE0000200L
#define ERROR_CLASS_MISMATCH 0xE0000201L
#define ERROR_NO_DRIVER_SELECTED 0xE0000203L
#define ERROR_INVALID_DEVINST_NAME 0xE0000205L
#define ERROR_INVALID_CLASS 0xE0000206L
#define ERROR_DEVINST_ALREADY_EXISTS 0xE0000207L
#define ERROR_DEVINFO_NOT_REGISTERED 0xE0000208L
#define ERROR_INVALID_REG_PROPERTY 0xE0000209L
#define ERROR_NO_SUCH_DEVINST 0xE000020BL
#ifndef ERROR_INVALID_FLAGS
#define ERROR_INVALID_FLAGS 1004L
#endif
#ifndef ERROR_INVALID_USER_BUFFER
#define ERROR_INVALID_USER_BUFFER 1784L
#endif

HDEVINFO WINAPI SetupDiGetClassDevsA(const GUID* ClassGuid, PCSTR Enumerator, HWND hwndParent, DWORD Flags);
BOOL WINAPI SetupDiEnumDeviceInfo(HDEVINFO DeviceInfoSet, DWORD MemberIndex, PSP_DEVINFO_DATA DeviceInfoData);
BOOL WINAPI SetupDiGetDeviceRegistryPropertyA(HDEVINFO DeviceInfoSet, PSP_DEVINFO_DATA DeviceInfoData,
                                              DWORD Property, PDWORD PropertyRegDataType, PBYTE PropertyBuffer,
                                              DWORD PropertyBufferSize, PDWORD RequiredSize);
BOOL WINAPI SetupDiCallClassInstaller(DI_FUNCTION InstallFunction, HDEVINFO DeviceInfoSet,
                                      PSP_DEVINFO_DATA DeviceInfoData);
BOOL WINAPI SetupDiDestroyDeviceInfoList(HDEVINFO DeviceInfoSet);
BOOL WINAPI SetupDiGetINFClassA(PCSTR InfName, LPGUID ClassGuid, PSTR ClassName, DWORD ClassNameSize,
                                PDWORD RequiredSize);
HDEVINFO WINAPI SetupDiCreateDeviceInfoList(const GUID* ClassGuid, HWND hwndParent);
BOOL WINAPI SetupDiCreateDeviceInfoA(HDEVINFO DeviceInfoSet, PCSTR DeviceName, const GUID* ClassGuid,
                                     PCSTR DeviceDescription, HWND hwndParent, DWORD CreationFlags,
                                     PSP_DEVINFO_DATA DeviceInfoData);
BOOL WINAPI SetupDiSetDeviceRegistryPropertyA(HDEVINFO DeviceInfoSet, PSP_DEVINFO_DATA DeviceInfoData,
                                              DWORD Property, const BYTE* PropertyBuffer,
                                              DWORD PropertyBufferSize);
BOOL WINAPI SetupDiDeleteDeviceInfo(HDEVINFO DeviceInfoSet, PSP_DEVINFO_DATA DeviceInfoData);
BOOL WINAPI SetupCopyOEMInfA(PCSTR SourceInfFileName, PCSTR OEMSourceMediaLocation, DWORD OEMSourceMediaType,
                             DWORD CopyStyle, PSTR DestinationInfFileName, DWORD DestinationInfFileNameSize,
                             PDWORD RequiredSize, PSTR* DestinationInfFileNameComponent);

#ifdef __cplusplus
}
#endif
