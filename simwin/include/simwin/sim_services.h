// Test control of the simulated service control manager (see simwin/README.md, "Service manager").
// Services live in the manager's memory; CreateServiceA also writes their registry key
// HKLM\System\CurrentControlSet\Services\<name>, and a simulated restart rebuilds the manager from
// those keys, as Windows does at boot.
#pragma once

#include <simwin/sim.h>

#include <optional>
#include <string>
#include <vector>

namespace sim {

struct ServiceState {
  std::string name;          // as created
  std::string displayName;
  DWORD type = SERVICE_KERNEL_DRIVER;
  DWORD start = SERVICE_DEMAND_START;
  DWORD errorControl = SERVICE_ERROR_NORMAL;
  std::string imagePath;
  std::optional<std::string> group;   // nullopt when created without a load-order group
  bool running = false;
  bool markedForDeletion = false;
  int openHandles = 0;
};

// Puts a service into the manager (and its registry key), as if installed before the test.
void AddService(const ServiceState& service);
std::optional<ServiceState> FindService(const std::string& name);   // name without regard to case
std::vector<std::string> ServiceNames();                            // in creation order

// What the machine does with a service of this name, whenever it is (re)created:
// StartServiceA fails with `error` (0: starts normally when its image file exists).
void SetStartFailure(const std::string& name, DWORD error);
// The driver refuses SERVICE_CONTROL_STOP (ERROR_INVALID_SERVICE_CONTROL) and stays loaded.
void SetRefusesStop(const std::string& name, bool refuses = true);
// While the service runs, its driver exposes the device "\\\\.\\<deviceName>".
void BindDevice(const std::string& serviceName, const std::string& deviceName);

// OpenSCManagerA refuses (ERROR_ACCESS_DENIED) a request for more than `allowed`, as for a user without
// administrator rights (Windows grants such a user SC_MANAGER_CONNECT | SC_MANAGER_ENUMERATE_SERVICE |
// SC_MANAGER_QUERY_LOCK_STATUS). Reset grants everything.
void LimitServiceManagerAccess(DWORD allowed);

// The machine restarts: every service stops, services marked for deletion disappear with their
// keys, the manager is rebuilt from the service keys of the registry (a key with a "Type" value),
// and the automatic, system and boot start services whose image exists start. Open service handles
// die with the old session.
void Restart();

// Service-manager handles still open, as text ("service TAVRELNT", "manager").
std::vector<std::string> ServiceHandleLeaks();

}  // namespace sim
