// The simulated service control manager: services, their registry keys, scripted driver behaviour,
// devices a running driver exposes, and the restart that rebuilds everything from the registry.
#include "services_model.h"

#include <algorithm>

namespace sim {

using namespace detail;

namespace detail {

ServiceManager& Scm() {
  static ServiceManager manager;
  return manager;
}

void ResetServices() { Scm() = ServiceManager(); }

std::string ServiceKeyPath(const std::string& name) { return "HKLM\\System\\CurrentControlSet\\Services\\" + name; }

std::shared_ptr<ServiceState> ServiceNamed(const std::string& name) {
  for (const auto& service : Scm().services)
    if (IEquals(service->name, name)) return service;
  return nullptr;
}

void WriteServiceKey(const ServiceState& service) {
  const std::string key = ServiceKeyPath(service.name);
  CreateKey(key);
  SetDword(key, "Type", service.type);
  SetDword(key, "Start", service.start);
  SetDword(key, "ErrorControl", service.errorControl);
  if (!service.imagePath.empty()) SetString(key, "ImagePath", service.imagePath, REG_EXPAND_SZ);
  if (service.group) SetString(key, "Group", *service.group);
  SetString(key, "DisplayName", service.displayName);
}

// The file a driver's image path names: a full path, "\SystemRoot\..." or a path relative to the
// Windows directory ("System32\drivers\x.sys"); without an image path Windows loads
// System32\drivers\<name>.sys.
static std::string DriverFile(const ServiceState& service) {
  const std::string& windows = M().windowsDir;
  const std::string image = service.imagePath;
  if (image.empty()) return windows + "\\System32\\drivers\\" + service.name + ".sys";
  const std::string systemRoot = "\\SystemRoot\\";
  if (image.size() > systemRoot.size() && IEquals(image.substr(0, systemRoot.size()), systemRoot))
    return windows + "\\" + image.substr(systemRoot.size());
  if (image.size() > 1 && image[1] == ':') return image;
  return windows + "\\" + image;
}

DWORD StartDriver(ServiceState& service) {
  if (service.markedForDeletion) return ERROR_SERVICE_MARKED_FOR_DELETE;
  if (service.running) return ERROR_SERVICE_ALREADY_RUNNING;
  if (service.start == SERVICE_DISABLED) return ERROR_SERVICE_DISABLED;
  const FileEntry* file = FindEntry(DriverFile(service));
  if (file == nullptr || file->directory) return ERROR_FILE_NOT_FOUND;
  const ServiceBehaviour& behaviour = Scm().behaviour[service.name];
  if (behaviour.startError != 0) return behaviour.startError;
  service.running = true;
  for (const std::string& device : behaviour.devices) AddDevice(device);
  return 0;
}

void StopDriver(ServiceState& service) {
  service.running = false;
  for (const std::string& device : Scm().behaviour[service.name].devices) RemoveDevice(device);
}

void CollectDeleted(const std::shared_ptr<ServiceState>& service) {
  if (!service->markedForDeletion || service->running || service->openHandles > 0) return;
  auto& services = Scm().services;
  services.erase(std::remove(services.begin(), services.end(), service), services.end());
  DeleteKeyTree(ServiceKeyPath(service->name));
}

}  // namespace detail

void AddService(const ServiceState& service) {
  auto state = std::make_shared<ServiceState>(service);
  state->openHandles = 0;
  if (auto old = ServiceNamed(service.name)) {
    auto& services = Scm().services;
    services.erase(std::remove(services.begin(), services.end(), old), services.end());
  }
  Scm().services.push_back(state);
  WriteServiceKey(*state);
  if (state->markedForDeletion) SetDword(ServiceKeyPath(state->name), "DeleteFlag", 1);
  if (state->running)
    for (const std::string& device : Scm().behaviour[state->name].devices) AddDevice(device);
}

std::optional<ServiceState> FindService(const std::string& name) {
  auto service = ServiceNamed(name);
  if (!service) return std::nullopt;
  return *service;
}

std::vector<std::string> ServiceNames() {
  std::vector<std::string> names;
  for (const auto& service : Scm().services) names.push_back(service->name);
  return names;
}

void SetStartFailure(const std::string& name, DWORD error) { Scm().behaviour[name].startError = error; }

void SetRefusesStop(const std::string& name, bool refuses) { Scm().behaviour[name].refusesStop = refuses; }

void BindDevice(const std::string& serviceName, const std::string& deviceName) {
  Scm().behaviour[serviceName].devices.insert(Upper(deviceName));
  auto service = ServiceNamed(serviceName);
  if (service && service->running) AddDevice(deviceName);
}

void LimitServiceManagerAccess(DWORD allowed) { Scm().managerAllowed = allowed; }

// A service key as the manager reads it at boot.
static std::optional<ServiceState> ServiceFromKey(const std::string& name) {
  const std::string key = ServiceKeyPath(name);
  std::optional<DWORD> type = GetDword(key, "Type");
  if (!type) return std::nullopt;
  ServiceState service;
  service.name = name;
  service.type = *type;
  service.start = GetDword(key, "Start").value_or(SERVICE_DEMAND_START);
  service.errorControl = GetDword(key, "ErrorControl").value_or(SERVICE_ERROR_NORMAL);
  service.imagePath = GetString(key, "ImagePath").value_or("");
  service.group = GetString(key, "Group");
  service.displayName = GetString(key, "DisplayName").value_or(name);
  return service;
}

void Restart() {
  ServiceManager& scm = Scm();
  for (const auto& service : scm.services) StopDriver(*service);
  scm.handles.clear();
  scm.services.clear();
  const std::string root = "HKLM\\System\\CurrentControlSet\\Services";
  for (const std::string& name : SubKeys(root)) {
    if (GetDword(ServiceKeyPath(name), "DeleteFlag").value_or(0) != 0) {
      DeleteKeyTree(ServiceKeyPath(name));
      continue;
    }
    if (std::optional<ServiceState> service = ServiceFromKey(name))
      scm.services.push_back(std::make_shared<ServiceState>(*service));
  }
  for (const auto& service : scm.services)
    if (service->start <= SERVICE_AUTO_START) StartDriver(*service);
}

std::vector<std::string> ServiceHandleLeaks() {
  std::vector<std::string> leaks;
  for (const auto& [value, handle] : Scm().handles)
    leaks.push_back(handle.service ? "service " + handle.service->name : "manager");
  return leaks;
}

}  // namespace sim
