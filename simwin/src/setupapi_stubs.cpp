// Device installer entry points, present so that the product can bind them; they fail until the
// device model of the simulation exists.
#include "machine.h"

#include <newdev.h>
#include <setupapi.h>

using namespace sim::detail;

namespace {

BOOL Fail(const char* function, std::vector<std::string> args) {
  DWORD error = ERROR_CALL_NOT_IMPLEMENTED;
  if (const sim::Fault* fault = TakeFault(function, args.empty() ? "" : args[0])) error = fault->error;
  SetError(error);
  Record(function, std::move(args), "0");
  return FALSE;
}

HDEVINFO FailSet(const char* function, std::vector<std::string> args) {
  Fail(function, std::move(args));
  M().journal.back().result = "INVALID_HANDLE_VALUE";
  return INVALID_HANDLE_VALUE;
}

}  // namespace

extern "C" {

HDEVINFO WINAPI SetupDiGetClassDevsA(const GUID*, PCSTR enumerator, HWND, DWORD flags) {
  return FailSet("SetupDiGetClassDevsA", {Str(enumerator), Hex(flags)});
}

BOOL WINAPI SetupDiEnumDeviceInfo(HDEVINFO, DWORD index, PSP_DEVINFO_DATA) {
  return Fail("SetupDiEnumDeviceInfo", {Dec(index)});
}

BOOL WINAPI SetupDiGetDeviceRegistryPropertyA(HDEVINFO, PSP_DEVINFO_DATA, DWORD property, PDWORD, PBYTE, DWORD size,
                                              PDWORD) {
  return Fail("SetupDiGetDeviceRegistryPropertyA", {Hex(property), Dec(size)});
}

BOOL WINAPI SetupDiCallClassInstaller(DI_FUNCTION function, HDEVINFO, PSP_DEVINFO_DATA) {
  return Fail("SetupDiCallClassInstaller", {Hex(function)});
}

BOOL WINAPI SetupDiDestroyDeviceInfoList(HDEVINFO) { return Fail("SetupDiDestroyDeviceInfoList", {}); }

BOOL WINAPI SetupDiGetINFClassA(PCSTR infName, LPGUID, PSTR, DWORD size, PDWORD) {
  return Fail("SetupDiGetINFClassA", {Str(infName), Dec(size)});
}

HDEVINFO WINAPI SetupDiCreateDeviceInfoList(const GUID*, HWND) { return FailSet("SetupDiCreateDeviceInfoList", {}); }

BOOL WINAPI SetupDiCreateDeviceInfoA(HDEVINFO, PCSTR name, const GUID*, PCSTR description, HWND, DWORD flags,
                                     PSP_DEVINFO_DATA) {
  return Fail("SetupDiCreateDeviceInfoA", {Str(name), Str(description), Hex(flags)});
}

BOOL WINAPI SetupDiSetDeviceRegistryPropertyA(HDEVINFO, PSP_DEVINFO_DATA, DWORD property, const BYTE*, DWORD size) {
  return Fail("SetupDiSetDeviceRegistryPropertyA", {Hex(property), Dec(size)});
}

BOOL WINAPI SetupDiDeleteDeviceInfo(HDEVINFO, PSP_DEVINFO_DATA) { return Fail("SetupDiDeleteDeviceInfo", {}); }

BOOL WINAPI SetupCopyOEMInfA(PCSTR source, PCSTR location, DWORD mediaType, DWORD style, PSTR, DWORD size, PDWORD,
                             PSTR*) {
  return Fail("SetupCopyOEMInfA", {Str(source), Str(location), Dec(mediaType), Hex(style), Dec(size)});
}

BOOL WINAPI UpdateDriverForPlugAndPlayDevicesA(HWND, LPCSTR hardwareId, LPCSTR infPath, DWORD flags, PBOOL reboot) {
  if (reboot) *reboot = FALSE;
  return Fail("UpdateDriverForPlugAndPlayDevicesA", {Str(hardwareId), Str(infPath), Hex(flags)});
}

}  // extern "C"
