// The system libraries every simulated machine has, with the functions the product binds at
// run time by name.
#include "machine.h"

#include <newdev.h>
#include <setupapi.h>

namespace sim::detail {

void RegisterBuiltinImages() {
  Image kernel32;
  kernel32.name = "kernel32";
  kernel32.Export("GetVersionExA", &GetVersionExA).Export("LoadLibraryA", &LoadLibraryA);
  RegisterImage(kernel32);

  Image user32;
  user32.name = "user32";
  user32.Export("MessageBoxA", &MessageBoxA).Export("ExitWindowsEx", &ExitWindowsEx);
  RegisterImage(user32);

  Image advapi32;
  advapi32.name = "advapi32";
  advapi32.Export("RegOpenKeyExA", &RegOpenKeyExA).Export("RegSetKeySecurity", &RegSetKeySecurity);
  RegisterImage(advapi32);

  Image setupapi;
  setupapi.name = "setupapi";
  setupapi.Export("SetupDiGetClassDevsA", &SetupDiGetClassDevsA)
      .Export("SetupDiEnumDeviceInfo", &SetupDiEnumDeviceInfo)
      .Export("SetupDiGetDeviceRegistryPropertyA", &SetupDiGetDeviceRegistryPropertyA)
      .Export("SetupDiCallClassInstaller", &SetupDiCallClassInstaller)
      .Export("SetupDiDestroyDeviceInfoList", &SetupDiDestroyDeviceInfoList)
      .Export("SetupDiGetINFClassA", &SetupDiGetINFClassA)
      .Export("SetupDiCreateDeviceInfoList", &SetupDiCreateDeviceInfoList)
      .Export("SetupDiCreateDeviceInfoA", &SetupDiCreateDeviceInfoA)
      .Export("SetupDiSetDeviceRegistryPropertyA", &SetupDiSetDeviceRegistryPropertyA)
      .Export("SetupDiDeleteDeviceInfo", &SetupDiDeleteDeviceInfo)
      .Export("SetupCopyOEMInfA", &SetupCopyOEMInfA);
  RegisterImage(setupapi);

  Image newdev;
  newdev.name = "newdev";
  newdev.imports = {"SetupApi.dll"};
  newdev.Export("UpdateDriverForPlugAndPlayDevicesA", &UpdateDriverForPlugAndPlayDevicesA);
  RegisterImage(newdev);
}

}  // namespace sim::detail
