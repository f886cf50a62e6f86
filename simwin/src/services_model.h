// State of the simulated service control manager, shared by services_model.cpp and services_api.cpp.
#pragma once

#include <simwin/sim_services.h>

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "machine.h"

namespace sim::detail {

// What the test scripted for a service name; survives deletion and re-creation.
struct ServiceBehaviour {
  DWORD startError = 0;
  bool refusesStop = false;
  std::set<std::string> devices;  // upper-case device names
};

struct ServiceHandle {
  std::shared_ptr<ServiceState> service;  // null for a manager handle
  DWORD access = 0;
};

struct ServiceManager {
  std::vector<std::shared_ptr<ServiceState>> services;  // in creation order, marked ones included
  std::map<std::string, ServiceBehaviour, CaseLess> behaviour;
  std::map<uintptr_t, ServiceHandle> handles;
  uintptr_t nextHandle = 0x5C000;
  DWORD managerAllowed = 0xFFFFFFFF;
};
ServiceManager& Scm();

std::string ServiceKeyPath(const std::string& name);   // "HKLM\\System\\CurrentControlSet\\Services\\<name>"
std::shared_ptr<ServiceState> ServiceNamed(const std::string& name);
void WriteServiceKey(const ServiceState& service);
// Starts the driver: 0, or the error StartServiceA reports (missing image, scripted failure...).
DWORD StartDriver(ServiceState& service);
void StopDriver(ServiceState& service);
// Removes a service marked for deletion once it is stopped and its last handle is closed.
void CollectDeleted(const std::shared_ptr<ServiceState>& service);
void ResetServices();

}  // namespace sim::detail
