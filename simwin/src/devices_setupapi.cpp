// Device information sets of SetupApi.dll on the simulated machine: class lists, new root devices,
// registry properties and the class installer's register and remove functions.
#include <setupapi.h>

#include "devices.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

using namespace sim::detail;
using sim::RegValue;

namespace {


BOOL Fail(const std::string& function, std::vector<std::string> args, DWORD error) {
  SetError(error);
  Record(function, std::move(args), "0");
  return FALSE;
}

BOOL Succeed(const std::string& function, std::vector<std::string> args) {
  SetError(0);
  Record(function, std::move(args), "1");
  return TRUE;
}

// A fault the test injected for this call (its main argument is the first one recorded).
bool Injected(const std::string& function, const std::vector<std::string>& args) {
  const sim::Fault* fault = TakeFault(function, args.empty() ? "" : args[0]);
  if (!fault) return false;
  Fail(function, args, fault->error);
  return true;
}

DevInfoSet* SetOf(HDEVINFO handle) {
  auto found = DevState().sets.find(reinterpret_cast<uintptr_t>(handle));
  return found == DevState().sets.end() ? nullptr : &found->second;
}

std::string SetText(HDEVINFO handle) { return HandleText(handle); }

// The element a caller's SP_DEVINFO_DATA stands for; `error` says why there is none.
DevInfoElement* ElementOf(DevInfoSet& set, PSP_DEVINFO_DATA data, DWORD& error) {
  if (!data || data->cbSize != sizeof(SP_DEVINFO_DATA)) {
    error = data ? ERROR_INVALID_USER_BUFFER : ERROR_INVALID_PARAMETER;
    return nullptr;
  }
  for (DevInfoElement& element : set.elements)
    if (element.id == data->Reserved) return &element;
  error = ERROR_INVALID_PARAMETER;
  return nullptr;
}

void Fill(PSP_DEVINFO_DATA data, const DevInfoElement& element) {
  data->ClassGuid = element.classGuid;
  data->DevInst = static_cast<DWORD>(element.id);
  data->Reserved = element.id;
}

DevInfoElement NewElement(const std::string& instanceId, const GUID& classGuid, bool registered) {
  DevInfoElement element;
  element.id = DevState().nextElement++;
  element.instanceId = instanceId;
  element.classGuid = classGuid;
  element.registered = registered;
  return element;
}

std::string ClassNameOf(const std::string& guid) {
  // The classes the simulation knows by name; others keep only their GUID.
  if (IEquals(guid, sim::kUsbClassGuid)) return "USB";
  return "";
}

// The lowest free instance number under ROOT\<name>, counting registered nodes and elements that
// other sets created but have not registered yet.
std::string GenerateRootId(const std::string& name) {
  for (unsigned n = 0;; ++n) {
    char number[8];
    std::snprintf(number, sizeof number, "%04u", n);
    std::string id = "ROOT\\" + Upper(name) + "\\" + number;
    bool taken = NodeExists(id);
    for (const auto& [handle, set] : DevState().sets)
      for (const DevInfoElement& element : set.elements) taken = taken || IEquals(element.instanceId, id);
    if (!taken) return id;
  }
}

bool WellFormed(DWORD property, const BYTE* data, DWORD size) {
  switch (property) {
    case SPDRP_HARDWAREID:
    case SPDRP_COMPATIBLEIDS:
    case SPDRP_UPPERFILTERS:
    case SPDRP_LOWERFILTERS:  // a list ends with an empty string
      return size >= 2 && data[size - 1] == 0 && data[size - 2] == 0;
    case SPDRP_CONFIGFLAGS:
      return size == sizeof(DWORD);
    default:
      return size >= 1 && data[size - 1] == 0;
  }
}

DWORD PropertyType(DWORD property) {
  switch (property) {
    case SPDRP_HARDWAREID:
    case SPDRP_COMPATIBLEIDS:
    case SPDRP_UPPERFILTERS:
    case SPDRP_LOWERFILTERS: return REG_MULTI_SZ;
    case SPDRP_CONFIGFLAGS: return REG_DWORD;
    default: return REG_SZ;
  }
}

void RegisterElement(DevInfoElement& element) {
  std::string key = InstanceKey(element.instanceId);
  sim::CreateKey(key);
  std::string guid = GuidText(element.classGuid);
  sim::SetString(key, "ClassGUID", guid);
  std::string className = ClassNameOf(guid);
  if (!className.empty()) sim::SetString(key, "Class", className);
  for (const auto& [property, value] : element.pendingProperties) SetNodeProperty(element.instanceId, property, value);
  element.pendingProperties.clear();
  element.registered = true;
  // The root enumerator reports its devices as soon as they exist.
  DevState().present.insert(Upper(element.instanceId));
}

}  // namespace

extern "C" {

HDEVINFO WINAPI SetupDiCreateDeviceInfoList(const GUID* classGuid, HWND) {
  std::vector<std::string> args{classGuid ? GuidText(*classGuid) : "(null)"};
  if (Injected("SetupDiCreateDeviceInfoList", args)) {
    M().journal.back().result = "INVALID_HANDLE_VALUE";
    return INVALID_HANDLE_VALUE;
  }
  DevInfoSet set;
  set.hasClass = classGuid != nullptr;
  if (classGuid) set.classGuid = *classGuid;
  uintptr_t handle = DevState().nextSet++;
  DevState().sets[handle] = set;
  Record("SetupDiCreateDeviceInfoList", args, HandleText(reinterpret_cast<HDEVINFO>(handle)));
  SetError(0);
  return reinterpret_cast<HDEVINFO>(handle);
}

HDEVINFO WINAPI SetupDiGetClassDevsA(const GUID* classGuid, PCSTR enumerator, HWND, DWORD flags) {
  std::vector<std::string> args{classGuid ? GuidText(*classGuid) : "(null)", Str(enumerator), Hex(flags)};
  auto invalid = [&](DWORD error) {
    Fail("SetupDiGetClassDevsA", args, error);
    M().journal.back().result = "INVALID_HANDLE_VALUE";
    return INVALID_HANDLE_VALUE;
  };
  if (const sim::Fault* fault = TakeFault("SetupDiGetClassDevsA", args[0])) return invalid(fault->error);
  bool allClasses = (flags & DIGCF_ALLCLASSES) != 0;
  if (!classGuid && !allClasses) return invalid(ERROR_INVALID_PARAMETER);

  DevInfoSet set;
  set.hasClass = classGuid && !allClasses;
  if (set.hasClass) set.classGuid = *classGuid;
  for (const std::string& id : RegisteredInstances()) {
    if ((flags & DIGCF_PRESENT) && !IsPresent(id)) continue;
    std::optional<sim::DeviceNode> node = sim::FindDeviceNode(id);
    GUID guid{};
    ParseGuid(node->classGuid, guid);
    if (set.hasClass && !IEquals(node->classGuid, GuidText(*classGuid))) continue;
    if (enumerator && !IEquals(id.substr(0, id.find('\\')), enumerator) && !IEquals(id, enumerator)) continue;
    set.elements.push_back(NewElement(id, guid, true));
  }
  uintptr_t handle = DevState().nextSet++;
  DevState().sets[handle] = set;
  Record("SetupDiGetClassDevsA", args, HandleText(reinterpret_cast<HDEVINFO>(handle)));
  SetError(0);
  return reinterpret_cast<HDEVINFO>(handle);
}

BOOL WINAPI SetupDiEnumDeviceInfo(HDEVINFO handle, DWORD index, PSP_DEVINFO_DATA data) {
  std::vector<std::string> args{SetText(handle), Dec(index)};
  if (Injected("SetupDiEnumDeviceInfo", args)) return FALSE;
  DevInfoSet* set = SetOf(handle);
  if (!set) return Fail("SetupDiEnumDeviceInfo", args, ERROR_INVALID_HANDLE);
  if (!data) return Fail("SetupDiEnumDeviceInfo", args, ERROR_INVALID_PARAMETER);
  if (data->cbSize != sizeof(SP_DEVINFO_DATA)) return Fail("SetupDiEnumDeviceInfo", args, ERROR_INVALID_USER_BUFFER);
  if (index >= set->elements.size()) return Fail("SetupDiEnumDeviceInfo", args, ERROR_NO_MORE_ITEMS);
  Fill(data, set->elements[index]);
  return Succeed("SetupDiEnumDeviceInfo", args);
}

BOOL WINAPI SetupDiCreateDeviceInfoA(HDEVINFO handle, PCSTR name, const GUID* classGuid, PCSTR description, HWND,
                                     DWORD flags, PSP_DEVINFO_DATA data) {
  std::vector<std::string> args{Str(name), classGuid ? GuidText(*classGuid) : "(null)", Str(description), Hex(flags)};
  const char* function = "SetupDiCreateDeviceInfoA";
  if (Injected(function, args)) return FALSE;
  DevInfoSet* set = SetOf(handle);
  if (!set) return Fail(function, args, ERROR_INVALID_HANDLE);
  if (!name || !classGuid) return Fail(function, args, ERROR_INVALID_PARAMETER);
  if (flags & ~(DICD_GENERATE_ID | DICD_INHERIT_CLASSDRVS)) return Fail(function, args, ERROR_INVALID_FLAGS);
  if (data && data->cbSize != sizeof(SP_DEVINFO_DATA)) return Fail(function, args, ERROR_INVALID_USER_BUFFER);
  if (set->hasClass && GuidText(set->classGuid) != GuidText(*classGuid)) return Fail(function, args, ERROR_CLASS_MISMATCH);

  std::string id;
  if (flags & DICD_GENERATE_ID) {
    // With a generated id the name is one enumerator-free component, such as "USB".
    if (!*name || std::string(name).find('\\') != std::string::npos) return Fail(function, args, ERROR_INVALID_DEVINST_NAME);
    id = GenerateRootId(name);
  } else {
    id = Upper(name);
    size_t slashes = std::count(id.begin(), id.end(), '\\');
    if (slashes != 2) return Fail(function, args, ERROR_INVALID_DEVINST_NAME);
    if (NodeExists(id)) return Fail(function, args, ERROR_DEVINST_ALREADY_EXISTS);
  }
  DevInfoElement element = NewElement(id, *classGuid, false);
  if (description) {
    RegValue value{REG_SZ, std::vector<BYTE>(description, description + std::strlen(description) + 1)};
    element.pendingProperties[SPDRP_DEVICEDESC] = value;
  }
  set->elements.push_back(element);
  if (data) Fill(data, element);
  Succeed(function, args);
  M().journal.back().result = "1 " + id;
  return TRUE;
}

BOOL WINAPI SetupDiSetDeviceRegistryPropertyA(HDEVINFO handle, PSP_DEVINFO_DATA data, DWORD property,
                                              const BYTE* buffer, DWORD size) {
  std::vector<std::string> args{Hex(property), Dec(size)};
  const char* function = "SetupDiSetDeviceRegistryPropertyA";
  if (Injected(function, args)) return FALSE;
  DevInfoSet* set = SetOf(handle);
  if (!set) return Fail(function, args, ERROR_INVALID_HANDLE);
  DWORD error = 0;
  DevInfoElement* element = ElementOf(*set, data, error);
  if (!element) return Fail(function, args, error);
  if (element->removed) return Fail(function, args, ERROR_NO_SUCH_DEVINST);
  if (!PropertyValueName(property) || property == SPDRP_CLASS || property == SPDRP_CLASSGUID || property == SPDRP_DRIVER)
    return Fail(function, args, ERROR_INVALID_REG_PROPERTY);
  if (!buffer || !WellFormed(property, buffer, size)) return Fail(function, args, ERROR_INVALID_DATA);
  RegValue value{PropertyType(property), std::vector<BYTE>(buffer, buffer + size)};
  if (element->registered)
    SetNodeProperty(element->instanceId, property, value);
  else
    element->pendingProperties[property] = value;
  return Succeed(function, args);
}

BOOL WINAPI SetupDiGetDeviceRegistryPropertyA(HDEVINFO handle, PSP_DEVINFO_DATA data, DWORD property, PDWORD type,
                                              PBYTE buffer, DWORD size, PDWORD required) {
  std::vector<std::string> args{Hex(property), Dec(size)};
  const char* function = "SetupDiGetDeviceRegistryPropertyA";
  if (Injected(function, args)) return FALSE;
  DevInfoSet* set = SetOf(handle);
  if (!set) return Fail(function, args, ERROR_INVALID_HANDLE);
  DWORD error = 0;
  DevInfoElement* element = ElementOf(*set, data, error);
  if (!element) return Fail(function, args, error);
  if (property >= SPDRP_MAXIMUM_PROPERTY) return Fail(function, args, ERROR_INVALID_REG_PROPERTY);
  if (!buffer && size) return Fail(function, args, ERROR_INVALID_PARAMETER);
  std::optional<RegValue> value;
  if (!element->registered) {
    auto found = element->pendingProperties.find(property);
    if (found != element->pendingProperties.end()) value = found->second;
  } else if (!element->removed) {
    value = NodeProperty(element->instanceId, property);
  }
  if (!value) return Fail(function, args, ERROR_INVALID_DATA);
  if (type) *type = value->type;
  if (required) *required = static_cast<DWORD>(value->data.size());
  if (size < value->data.size()) return Fail(function, args, ERROR_INSUFFICIENT_BUFFER);
  std::copy(value->data.begin(), value->data.end(), buffer);
  return Succeed(function, args);
}

BOOL WINAPI SetupDiCallClassInstaller(DI_FUNCTION installFunction, HDEVINFO handle, PSP_DEVINFO_DATA data) {
  std::vector<std::string> args{Hex(installFunction)};
  const char* function = "SetupDiCallClassInstaller";
  DevInfoSet* set = SetOf(handle);
  DWORD error = 0;
  DevInfoElement* element = set ? ElementOf(*set, data, error) : nullptr;
  if (element) args.push_back(element->instanceId);
  if (Injected(function, args)) return FALSE;
  if (!set) return Fail(function, args, ERROR_INVALID_HANDLE);
  if (installFunction == DIF_REGISTERDEVICE || installFunction == DIF_REMOVE) {
    if (!element) return Fail(function, args, error);
    if (element->removed) return Fail(function, args, ERROR_NO_SUCH_DEVINST);
  }
  if (installFunction == DIF_REGISTERDEVICE) {
    if (element->registered) return Fail(function, args, ERROR_DEVINST_ALREADY_EXISTS);
    RegisterElement(*element);
  } else if (installFunction == DIF_REMOVE) {
    if (!element->registered) return Fail(function, args, ERROR_DEVINFO_NOT_REGISTERED);
    RemoveNode(element->instanceId);
    element->removed = true;
  }
  return Succeed(function, args);
}

BOOL WINAPI SetupDiDeleteDeviceInfo(HDEVINFO handle, PSP_DEVINFO_DATA data) {
  DevInfoSet* set = SetOf(handle);
  DWORD error = 0;
  DevInfoElement* element = set ? ElementOf(*set, data, error) : nullptr;
  std::vector<std::string> args{element ? element->instanceId : std::string()};
  const char* function = "SetupDiDeleteDeviceInfo";
  if (Injected(function, args)) return FALSE;
  if (!set) return Fail(function, args, ERROR_INVALID_HANDLE);
  if (!element) return Fail(function, args, error);
  // Only the element goes; a registered device stays on the machine.
  for (auto it = set->elements.begin(); it != set->elements.end(); ++it)
    if (it->id == element->id) {
      set->elements.erase(it);
      break;
    }
  return Succeed(function, args);
}

BOOL WINAPI SetupDiDestroyDeviceInfoList(HDEVINFO handle) {
  std::vector<std::string> args{SetText(handle)};
  if (Injected("SetupDiDestroyDeviceInfoList", args)) return FALSE;
  if (!DevState().sets.erase(reinterpret_cast<uintptr_t>(handle)))
    return Fail("SetupDiDestroyDeviceInfoList", args, ERROR_INVALID_HANDLE);
  return Succeed("SetupDiDestroyDeviceInfoList", args);
}

}  // extern "C"
