// Test control of the simulated device installer (SetupApi.dll, newdev.dll). Only tests include
// this header.
//
// Device nodes live where Windows keeps them: one registry key per instance under
// HKLM\System\CurrentControlSet\Enum (e.g. Enum\Root\USB\0000 for "ROOT\USB\0000"), with the
// values HardwareID (REG_MULTI_SZ), Class, ClassGUID, Service, Driver, DeviceDesc, ... Deleting
// that tree removes the devices. Whether a device is present is run-time state beside it.
#pragma once

#include <simwin/sim.h>

#include <optional>
#include <string>
#include <vector>

namespace sim {

inline constexpr char kUsbClassGuid[] = "{36FC9E60-C465-11CF-8056-444553540000}";
inline constexpr char kEnumKey[] = "HKLM\\System\\CurrentControlSet\\Enum";

struct DeviceNode {
  std::string instanceId;                // as Windows reports it: "ROOT\\USB\\0000"
  std::vector<std::string> hardwareIds;  // SPDRP_HARDWAREID
  std::string className;                 // SPDRP_CLASS
  std::string classGuid;                 // SPDRP_CLASSGUID, "{...}"
  std::string service;                   // SPDRP_SERVICE: the driver installed on it
  std::string driverInf;                 // INF-store name of its driver package ("oem0.inf"), "" without driver
  bool present = false;
};

// Adds a present device (a token plugged in) and returns its instance id. When `instanceId` is
// empty one is made from the first hardware id: "USB\\VID_0F2B&PID_0001\\5&0&0&<n>". A device
// that already has a driver starts at once.
std::string PlugInDevice(const std::vector<std::string>& hardwareIds, const std::string& instanceId = "",
                         const std::string& className = "USB", const std::string& classGuid = kUsbClassGuid);
// Registers a node as given (hardware ids, class, service, presence); the instance id is made as
// above when empty. Returns the instance id.
std::string AddDeviceNode(const DeviceNode& node);
void UnplugDevice(const std::string& instanceId);   // stays registered, no longer present
std::vector<DeviceNode> Devices();                  // registered nodes in registry order
std::optional<DeviceNode> FindDeviceNode(const std::string& instanceId);
// Instance ids of registered devices having this hardware id (case-insensitive).
std::vector<std::string> DevicesWithHardwareId(const std::string& hardwareId);

// What one call of UpdateDriverForPlugAndPlayDevicesA reports instead of its own result. A
// succeeding outcome still installs the driver on the matching present devices, if any.
struct DriverUpdateOutcome {
  bool succeed = true;
  DWORD error = 0;            // last error when failing
  bool rebootRequired = false;
  // Only for calls with this hardware id (any case), and then before outcomes for any call; "" for any call.
  std::string hardwareId;
};
// Outcomes are taken one per matching call, in order; without one the call does what Windows would
// (no reboot needed, ERROR_NO_SUCH_DEVINST when no present device has the hardware id).
void ScriptDriverUpdate(const DriverUpdateOutcome& outcome);
size_t PendingDriverUpdates();

// A present device with a driver starts its service through the service manager (sim_services.h:
// the image file must exist; BindDevice names the device the driver then exposes); the service
// stops again when its last present device is removed or unplugged.

// The system's INF store (<windows>\inf\oem<N>.inf with oem<N>.pnf) as SetupCopyOEMInfA and driver
// installations fill it.
struct OemInf {
  std::string name;            // "oem0.inf"
  std::string sourcePath;      // INF it was copied from
  std::string sourceLocation;  // what SPOST_PATH recorded ("" with SPOST_NONE)
};
std::vector<OemInf> OemInfs();

// Device information sets not yet destroyed (also listed by Leaks()).
size_t OpenDeviceInfoSetCount();

}  // namespace sim
