// Driver packages on the simulated machine: the class of an INF, copies into the INF store
// (SetupCopyOEMInfA) and driver installation for a hardware id (newdev.dll). Driver files are not
// copied: the product stages them itself, and a device starts only when its driver file is in place.
#include <newdev.h>
#include <setupapi.h>

#include "devices.h"
#include "services_model.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

using namespace sim::detail;
using sim::RegValue;

namespace {

const char kClassKey[] = "HKLM\\System\\CurrentControlSet\\Control\\Class\\";

BOOL Fail(const std::string& function, std::vector<std::string> args, DWORD error) {
  SetError(error);
  Record(function, std::move(args), "0");
  return FALSE;
}

std::string Folder(const std::string& path) {
  size_t slash = path.find_last_of('\\');
  return slash == std::string::npos ? "" : path.substr(0, slash + 1);
}

// A bare INF name is looked for in the INF directory.
std::string InfLocation(const std::string& name) {
  return name.find('\\') == std::string::npos ? M().windowsDir + "\\inf\\" + name : name;
}

bool HasSignature(const InfFile& inf) {
  std::string signature = inf.Value("Version", "Signature");
  return IEquals(signature, "$Windows NT$") || IEquals(signature, "$Chicago$") || IEquals(signature, "$Windows 95$");
}

// The ServiceBinary as Windows writes it to ImagePath: dirids 12 and 11 become system32\DRIVERS and system32.
std::string ImagePath(std::string binary) {
  const std::pair<const char*, const char*> dirids[] = {{"%12%", "system32\\DRIVERS"}, {"%11%", "system32"}};
  for (const auto& [dirid, folder] : dirids)
    if (binary.compare(0, std::strlen(dirid), dirid) == 0) return folder + binary.substr(std::strlen(dirid));
  return binary;
}

struct DriverMatch {
  std::string description;
  std::string manufacturer;
  std::string installSection;  // decorated with ".NT" when the INF has that form
  std::string matchingId;
};

bool FindDriver(const InfFile& inf, const std::string& hardwareId, DriverMatch& match) {
  auto manufacturers = inf.sections.find("Manufacturer");
  if (manufacturers == inf.sections.end()) return false;
  for (const InfLine& maker : manufacturers->second) {
    if (maker.fields.empty()) continue;
    auto models = inf.sections.find(maker.fields[0]);
    if (models == inf.sections.end()) continue;
    for (const InfLine& model : models->second)
      for (size_t i = 1; i < model.fields.size(); ++i)
        if (IEquals(model.fields[i], hardwareId)) {
          match.description = model.key;
          match.manufacturer = maker.key;
          match.installSection = inf.sections.count(model.fields[0] + ".NT") ? model.fields[0] + ".NT" : model.fields[0];
          match.matchingId = model.fields[i];
          return true;
        }
  }
  return false;
}

// The AddService entries of the install section create or reconfigure their services in the
// service manager; the one flagged SPSVCINST_ASSOCSERVICE (2) becomes the device's function driver.
// A service marked for deletion cannot be set up again before a restart.
bool InstallServices(const InfFile& inf, const std::string& installSection, std::string& associated, DWORD& error) {
  auto services = inf.sections.find(installSection + ".Services");
  if (services == inf.sections.end()) return true;
  for (const InfLine& line : services->second) {
    if (!IEquals(line.key, "AddService") || line.fields.size() < 3) continue;
    const std::string& name = line.fields[0];
    const std::string& section = line.fields[2];
    std::shared_ptr<sim::ServiceState> existing = ServiceNamed(name);
    if (existing && existing->markedForDeletion) {
      error = ERROR_SERVICE_MARKED_FOR_DELETE;
      return false;
    }
    sim::ServiceState config = existing ? *existing : sim::ServiceState();
    config.name = existing ? existing->name : name;
    config.displayName = inf.Value(section, "DisplayName");
    config.type = std::strtoul(inf.Value(section, "ServiceType").c_str(), nullptr, 0);
    config.start = std::strtoul(inf.Value(section, "StartType").c_str(), nullptr, 0);
    config.errorControl = std::strtoul(inf.Value(section, "ErrorControl").c_str(), nullptr, 0);
    config.imagePath = ImagePath(inf.Value(section, "ServiceBinary"));
    if (!inf.Value(section, "LoadOrderGroup").empty()) config.group = inf.Value(section, "LoadOrderGroup");
    if (existing) {
      *existing = config;
      WriteServiceKey(*existing);
    } else {
      sim::AddService(config);
    }
    if (!inf.Value(section, "Description").empty())
      sim::SetString(ServiceKeyPath(name), "Description", inf.Value(section, "Description"));
    if (std::strtoul(line.fields[1].c_str(), nullptr, 0) & 2) associated = name;
  }
  return true;
}

// The software key of the device under Control\Class\{guid}\nnnn, made once per device.
std::string DriverKey(const std::string& instanceId, const std::string& classGuid) {
  std::optional<RegValue> driver = NodeProperty(instanceId, SPDRP_DRIVER);
  if (driver) return std::string(driver->data.begin(), driver->data.end()).c_str();
  for (unsigned n = 0;; ++n) {
    char number[8];
    std::snprintf(number, sizeof number, "%04u", n);
    std::string name = classGuid + "\\" + number;
    if (!sim::KeyExists(kClassKey + name)) return name;
  }
}

void SetText(const std::string& instanceId, DWORD property, const std::string& text) {
  SetNodeProperty(instanceId, property, RegValue{REG_SZ, std::vector<BYTE>(text.c_str(), text.c_str() + text.size() + 1)});
}

bool AlreadyInstalled(const std::string& instanceId, const std::string& storeName) {
  std::optional<RegValue> driver = NodeProperty(instanceId, SPDRP_DRIVER);
  if (!driver) return false;
  std::string key = kClassKey + std::string(std::string(driver->data.begin(), driver->data.end()).c_str());
  return IEquals(sim::GetString(key, "InfPath").value_or(""), storeName);
}

bool InstallOn(const std::string& instanceId, const InfFile& inf, const DriverMatch& match, const std::string& storeName,
               DWORD& error) {
  std::string service;
  if (!InstallServices(inf, match.installSection, service, error)) return false;
  std::string classGuid = inf.Value("Version", "ClassGUID");
  std::string driverKey = DriverKey(instanceId, classGuid);
  std::string key = kClassKey + driverKey;
  sim::CreateKey(key);
  sim::SetString(key, "InfPath", storeName);
  sim::SetString(key, "InfSection", match.installSection);
  sim::SetString(key, "MatchingDeviceId", match.matchingId);
  sim::SetString(key, "DriverDesc", match.description);
  SetText(instanceId, SPDRP_CLASS, inf.Value("Version", "Class"));
  SetText(instanceId, SPDRP_CLASSGUID, classGuid);
  SetText(instanceId, SPDRP_DRIVER, driverKey);
  SetText(instanceId, SPDRP_DEVICEDESC, match.description);
  SetText(instanceId, SPDRP_MFG, match.manufacturer);
  if (!service.empty()) SetText(instanceId, SPDRP_SERVICE, service);
  StartNode(instanceId);
  return true;
}

std::vector<std::string> PresentWithId(const std::string& hardwareId) {
  std::vector<std::string> found;
  for (const std::string& id : RegisteredInstances()) {
    if (!IsPresent(id)) continue;
    for (DWORD property : {SPDRP_HARDWAREID, SPDRP_COMPATIBLEIDS}) {
      std::optional<RegValue> ids = NodeProperty(id, property);
      bool match = false;
      for (const std::string& each : ids ? MultiSz(ids->data) : std::vector<std::string>()) match = match || IEquals(each, hardwareId);
      if (match) {
        found.push_back(id);
        break;
      }
    }
  }
  return found;
}

}  // namespace

extern "C" {

BOOL WINAPI SetupDiGetINFClassA(PCSTR infName, LPGUID classGuid, PSTR className, DWORD size, PDWORD required) {
  std::vector<std::string> args{Str(infName), Dec(size)};
  const char* function = "SetupDiGetINFClassA";
  if (const sim::Fault* fault = TakeFault(function, args[0])) return Fail(function, args, fault->error);
  if (!infName || !classGuid || (!className && size)) return Fail(function, args, ERROR_INVALID_PARAMETER);
  InfFile inf;
  if (!ReadInf(InfLocation(infName), inf)) return Fail(function, args, ERROR_FILE_NOT_FOUND);
  if (!HasSignature(inf)) return Fail(function, args, ERROR_WRONG_INF_STYLE);
  std::string name = inf.Value("Version", "Class");
  GUID guid{};
  ParseGuid(inf.Value("Version", "ClassGUID"), guid);
  if (required) *required = static_cast<DWORD>(name.size() + 1);
  if (size < name.size() + 1) return Fail(function, args, ERROR_INSUFFICIENT_BUFFER);
  *classGuid = guid;
  std::memcpy(className, name.c_str(), name.size() + 1);
  SetError(0);
  Record(function, args, "1 " + name + " " + GuidText(guid));
  return TRUE;
}

BOOL WINAPI SetupCopyOEMInfA(PCSTR source, PCSTR location, DWORD mediaType, DWORD style, PSTR destination,
                             DWORD size, PDWORD required, PSTR* component) {
  std::vector<std::string> args{Str(source),   Str(location),  Dec(mediaType), Hex(style), Dec(size),
                                required ? "DWORD*" : "(null)", component ? "PSTR*" : "(null)"};
  const char* function = "SetupCopyOEMInfA";
  if (const sim::Fault* fault = TakeFault(function, args[0])) return Fail(function, args, fault->error);
  if (!source || mediaType > SPOST_URL) return Fail(function, args, ERROR_INVALID_PARAMETER);
  InfFile inf;
  if (!ReadInf(source, inf)) return Fail(function, args, ERROR_FILE_NOT_FOUND);
  if (!HasSignature(inf)) return Fail(function, args, ERROR_WRONG_INF_STYLE);

  std::string recorded = mediaType == SPOST_NONE ? "" : location ? location : Folder(source);
  bool alreadyThere = false;
  std::string name = StoreInf(source, recorded, alreadyThere);
  std::string full = M().windowsDir + "\\inf\\" + name;
  if (required) *required = static_cast<DWORD>(full.size() + 1);
  if (destination) {
    if (size < full.size() + 1) return Fail(function, args, ERROR_INSUFFICIENT_BUFFER);
    std::memcpy(destination, full.c_str(), full.size() + 1);
    if (component) *component = destination + full.size() - name.size();
  }
  if (alreadyThere && (style & SP_COPY_NOOVERWRITE)) return Fail(function, args, ERROR_FILE_EXISTS);
  SetError(0);
  Record(function, args, "1 " + full);
  return TRUE;
}

BOOL WINAPI UpdateDriverForPlugAndPlayDevicesA(HWND, LPCSTR hardwareId, LPCSTR infPath, DWORD flags, PBOOL reboot) {
  std::vector<std::string> args{Str(hardwareId), Str(infPath), Hex(flags), reboot ? "BOOL*" : "(null)"};
  const char* function = "UpdateDriverForPlugAndPlayDevicesA";
  if (const sim::Fault* fault = TakeFault(function, args[0])) return Fail(function, args, fault->error);
  std::optional<sim::DriverUpdateOutcome> scripted;
  std::deque<sim::DriverUpdateOutcome>& updates = DevState().updates;
  // An outcome scripted for this hardware id comes before one scripted for any call.
  auto chosen = std::find_if(updates.begin(), updates.end(),
                             [&](const sim::DriverUpdateOutcome& o) { return IEquals(o.hardwareId, Str(hardwareId)); });
  if (chosen == updates.end())
    chosen = std::find_if(updates.begin(), updates.end(), [](const sim::DriverUpdateOutcome& o) { return o.hardwareId.empty(); });
  if (chosen != updates.end()) {
    scripted = *chosen;
    updates.erase(chosen);
  }
  if (scripted && !scripted->succeed) return Fail(function, args, scripted->error);
  if (flags & ~(INSTALLFLAG_FORCE | INSTALLFLAG_READONLY | INSTALLFLAG_NONINTERACTIVE))
    return Fail(function, args, ERROR_INVALID_FLAGS);
  if (!hardwareId || !*hardwareId || !infPath) return Fail(function, args, ERROR_INVALID_PARAMETER);
  InfFile inf;
  if (!ReadInf(infPath, inf)) return Fail(function, args, ERROR_FILE_NOT_FOUND);

  std::vector<std::string> devices = PresentWithId(hardwareId);
  if (devices.empty() && !scripted) return Fail(function, args, ERROR_NO_SUCH_DEVINST);
  DriverMatch match;
  if (!FindDriver(inf, hardwareId, match)) return Fail(function, args, ERROR_NO_DRIVER_SELECTED);

  if (!devices.empty()) {
    bool alreadyThere = false;
    std::string storeName = StoreInf(infPath, Folder(infPath), alreadyThere);
    bool allCurrent = true;
    for (const std::string& id : devices) allCurrent = allCurrent && AlreadyInstalled(id, storeName);
    // Without INSTALLFLAG_FORCE the same driver is not installed again.
    if (allCurrent && !(flags & INSTALLFLAG_FORCE)) return Fail(function, args, ERROR_NO_MORE_ITEMS);
    for (const std::string& id : devices) {
      DWORD error = 0;
      if (!InstallOn(id, inf, match, storeName, error)) return Fail(function, args, error);
    }
  }
  if (reboot) *reboot = scripted && scripted->rebootRequired ? TRUE : FALSE;
  SetError(0);
  Record(function, args, "1");
  return TRUE;
}

}  // extern "C"
