// Device nodes in the simulated registry, their presence and start, the INF store, and the test
// control functions of sim_devices.h.
#include "devices.h"
#include "services_model.h"

#include <cstdio>

namespace sim::detail {

namespace {

std::vector<std::string> Split(const std::string& id) {
  std::vector<std::string> parts;
  size_t pos = 0;
  for (size_t slash; (slash = id.find('\\', pos)) != std::string::npos; pos = slash + 1) parts.push_back(id.substr(pos, slash - pos));
  parts.push_back(id.substr(pos));
  return parts;
}

// The function driver of a node: its Service property, or "".
std::string ServiceOf(const std::string& instanceId) {
  std::optional<RegValue> service = NodeProperty(instanceId, SPDRP_SERVICE);
  return service ? std::string(service->data.begin(), service->data.end()).c_str() : "";
}

// A Plug-and-Play driver the device installer started unloads with its last present device.
void StopIfUnused(const std::string& service) {
  if (service.empty() || !DevState().pnpStarted.count(service)) return;
  for (const std::string& other : RegisteredInstances())
    if (IsPresent(other) && IEquals(ServiceOf(other), service)) return;
  DevState().pnpStarted.erase(service);
  if (std::shared_ptr<ServiceState> state = ServiceNamed(service)) StopDriver(*state);
}

}  // namespace

DeviceState& DevState() {
  Machine& m = M();
  if (!m.deviceState) m.deviceState = std::make_shared<DeviceState>();
  return *m.deviceState;
}

std::string InstanceKey(const std::string& instanceId) {
  std::vector<std::string> parts = Split(instanceId);
  // Windows names the root enumerator's key "Root" and reports its instances as "ROOT\...".
  if (IEquals(parts[0], "ROOT")) parts[0] = "Root";
  std::string key = kEnumKey;
  for (const std::string& part : parts) key += "\\" + part;
  return key;
}

bool NodeExists(const std::string& instanceId) {
  return Split(instanceId).size() == 3 && KeyExists(InstanceKey(instanceId));
}

bool IsPresent(const std::string& instanceId) { return DevState().present.count(Upper(instanceId)) != 0; }

std::vector<std::string> RegisteredInstances() {
  std::vector<std::string> ids;
  for (const std::string& enumerator : SubKeys(kEnumKey))
    for (const std::string& device : SubKeys(std::string(kEnumKey) + "\\" + enumerator))
      for (const std::string& instance : SubKeys(std::string(kEnumKey) + "\\" + enumerator + "\\" + device))
        ids.push_back(Upper(enumerator + "\\" + device + "\\" + instance));
  return ids;
}

const char* PropertyValueName(DWORD property) {
  switch (property) {
    case SPDRP_DEVICEDESC: return "DeviceDesc";
    case SPDRP_HARDWAREID: return "HardwareID";
    case SPDRP_COMPATIBLEIDS: return "CompatibleIDs";
    case SPDRP_SERVICE: return "Service";
    case SPDRP_CLASS: return "Class";
    case SPDRP_CLASSGUID: return "ClassGUID";
    case SPDRP_DRIVER: return "Driver";
    case SPDRP_CONFIGFLAGS: return "ConfigFlags";
    case SPDRP_MFG: return "Mfg";
    case SPDRP_FRIENDLYNAME: return "FriendlyName";
    case SPDRP_LOCATION_INFORMATION: return "LocationInformation";
    case SPDRP_UPPERFILTERS: return "UpperFilters";
    case SPDRP_LOWERFILTERS: return "LowerFilters";
    default: return nullptr;
  }
}

std::optional<RegValue> NodeProperty(const std::string& instanceId, DWORD property) {
  if (property == SPDRP_ENUMERATOR_NAME) {
    std::string enumerator = Upper(Split(instanceId)[0]);
    RegValue value{REG_SZ, std::vector<BYTE>(enumerator.begin(), enumerator.end())};
    value.data.push_back(0);
    return value;
  }
  const char* name = PropertyValueName(property);
  if (!name) return std::nullopt;
  return GetValue(InstanceKey(instanceId), name);
}

void SetNodeProperty(const std::string& instanceId, DWORD property, const RegValue& value) {
  SetValue(InstanceKey(instanceId), PropertyValueName(property), value.type, value.data);
}

std::vector<std::string> MultiSz(const std::vector<BYTE>& data) {
  std::vector<std::string> items;
  std::string current;
  for (BYTE byte : data) {
    if (byte != 0) {
      current += static_cast<char>(byte);
    } else {
      if (current.empty()) break;
      items.push_back(current);
      current.clear();
    }
  }
  if (!current.empty()) items.push_back(current);
  return items;
}

void StartNode(const std::string& instanceId) {
  if (!IsPresent(instanceId)) return;
  std::shared_ptr<ServiceState> service = ServiceNamed(ServiceOf(instanceId));
  if (!service || service->running) return;
  // The service manager decides: image file in place, not disabled, no scripted start failure.
  if (StartDriver(*service) == 0) DevState().pnpStarted.insert(service->name);
}

void RemoveNode(const std::string& instanceId) {
  std::string service = ServiceOf(instanceId);
  DeleteKeyTree(InstanceKey(instanceId));
  DevState().present.erase(Upper(instanceId));
  StopIfUnused(service);
}

std::string StoreInf(const std::string& sourcePath, const std::string& location, bool& alreadyThere) {
  std::string infDir = M().windowsDir + "\\inf\\";
  std::optional<std::string> content = FileContent(sourcePath);
  alreadyThere = false;
  std::set<unsigned> used;
  for (const std::string& file : ListDirectory(infDir)) {
    unsigned number = 0;
    char tail[8] = "";
    if (std::sscanf(Upper(file).c_str(), "OEM%u.IN%1[F]", &number, tail) != 2 || Upper(file) != "OEM" + std::to_string(number) + ".INF")
      continue;
    used.insert(number);
    if (content && FileContent(infDir + file) == *content) {
      alreadyThere = true;
      return "oem" + std::to_string(number) + ".inf";
    }
  }
  unsigned freeNumber = 0;
  while (used.count(freeNumber)) ++freeNumber;
  std::string name = "oem" + std::to_string(freeNumber) + ".inf";
  PutFile(infDir + name, content ? *content : std::string());
  PutFile(infDir + "oem" + std::to_string(freeNumber) + ".pnf", "PNF " + location);
  std::vector<OemInf>& store = DevState().oemInfs;
  for (auto it = store.begin(); it != store.end();) it = IEquals(it->name, name) ? store.erase(it) : it + 1;
  store.push_back(OemInf{name, sourcePath, location});
  return name;
}

std::vector<std::string> DeviceLeaks() {
  std::vector<std::string> leaks;
  for (const auto& [handle, set] : DevState().sets) {
    char text[64];
    std::snprintf(text, sizeof text, "device information set 0x%llX", static_cast<unsigned long long>(handle));
    leaks.push_back(text);
  }
  return leaks;
}

}  // namespace sim::detail

namespace sim {

using namespace detail;

std::string PlugInDevice(const std::vector<std::string>& hardwareIds, const std::string& instanceId,
                         const std::string& className, const std::string& classGuid) {
  DeviceNode node;
  node.hardwareIds = hardwareIds;
  node.instanceId = instanceId;
  node.className = className;
  node.classGuid = classGuid;
  node.present = true;
  return AddDeviceNode(node);
}

std::string AddDeviceNode(const DeviceNode& node) {
  std::string id = node.instanceId;
  if (id.empty()) id = Upper(node.hardwareIds.empty() ? "UNKNOWN" : node.hardwareIds[0]) + "\\5&0&0&" + std::to_string(DevState().nextPlugged++);
  id = Upper(id);
  std::string key = InstanceKey(id);
  CreateKey(key);
  if (!node.hardwareIds.empty()) {
    std::vector<BYTE> list;
    for (const std::string& hardwareId : node.hardwareIds) {
      list.insert(list.end(), hardwareId.begin(), hardwareId.end());
      list.push_back(0);
    }
    list.push_back(0);
    SetValue(key, "HardwareID", REG_MULTI_SZ, list);
  }
  if (!node.className.empty()) SetString(key, "Class", node.className);
  if (!node.classGuid.empty()) SetString(key, "ClassGUID", node.classGuid);
  if (!node.service.empty()) SetString(key, "Service", node.service);
  if (node.present) {
    DevState().present.insert(id);
    StartNode(id);
  } else {
    DevState().present.erase(id);
  }
  return id;
}

void UnplugDevice(const std::string& instanceId) {
  DevState().present.erase(Upper(instanceId));
  StopIfUnused(ServiceOf(instanceId));
}

std::optional<DeviceNode> FindDeviceNode(const std::string& instanceId) {
  if (!NodeExists(instanceId)) return std::nullopt;
  DeviceNode node;
  node.instanceId = Upper(instanceId);
  std::string key = InstanceKey(instanceId);
  if (std::optional<RegValue> ids = GetValue(key, "HardwareID")) node.hardwareIds = MultiSz(ids->data);
  node.className = GetString(key, "Class").value_or("");
  node.classGuid = GetString(key, "ClassGUID").value_or("");
  node.service = GetString(key, "Service").value_or("");
  if (std::optional<std::string> driver = GetString(key, "Driver"))
    node.driverInf = GetString("HKLM\\System\\CurrentControlSet\\Control\\Class\\" + *driver, "InfPath").value_or("");
  node.present = IsPresent(instanceId);
  return node;
}

std::vector<DeviceNode> Devices() {
  std::vector<DeviceNode> nodes;
  for (const std::string& id : RegisteredInstances())
    if (std::optional<DeviceNode> node = FindDeviceNode(id)) nodes.push_back(*node);
  return nodes;
}

std::vector<std::string> DevicesWithHardwareId(const std::string& hardwareId) {
  std::vector<std::string> ids;
  for (const DeviceNode& node : Devices())
    for (const std::string& id : node.hardwareIds)
      if (IEquals(id, hardwareId)) {
        ids.push_back(node.instanceId);
        break;
      }
  return ids;
}

void ScriptDriverUpdate(const DriverUpdateOutcome& outcome) { DevState().updates.push_back(outcome); }
size_t PendingDriverUpdates() { return DevState().updates.size(); }

std::vector<OemInf> OemInfs() {
  std::vector<OemInf> stored;
  for (const OemInf& inf : DevState().oemInfs)
    if (FileExists(M().windowsDir + "\\inf\\" + inf.name)) stored.push_back(inf);
  return stored;
}

size_t OpenDeviceInfoSetCount() { return DevState().sets.size(); }

}  // namespace sim
