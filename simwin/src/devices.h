// Device installer state shared by the devices*.cpp sources. Not for tests or product code.
#pragma once

#include <setupapi.h>
#include <simwin/sim_devices.h>

#include "machine.h"

#include <map>
#include <set>

namespace sim::detail {

// One element of a device information set. Until DIF_REGISTERDEVICE an element created by
// SetupDiCreateDeviceInfoA exists only here, with its properties kept beside it.
struct DevInfoElement {
  ULONG_PTR id = 0;
  std::string instanceId;
  GUID classGuid{};
  bool registered = false;
  bool removed = false;
  std::map<DWORD, RegValue> pendingProperties;
};

struct DevInfoSet {
  bool hasClass = false;
  GUID classGuid{};
  std::vector<DevInfoElement> elements;
};

struct DeviceState {
  std::map<uintptr_t, DevInfoSet> sets;
  uintptr_t nextSet = 0xD0000;
  ULONG_PTR nextElement = 1;
  std::set<std::string> present;  // upper-case instance ids
  std::deque<DriverUpdateOutcome> updates;
  std::set<std::string, CaseLess> pnpStarted;  // services started for their devices
  std::vector<OemInf> oemInfs;
  unsigned nextPlugged = 1;
};
DeviceState& DevState();

// ---------------------------------------------------------------- INF text
struct InfLine {
  std::string key;                  // "" for a line without '='
  std::string value;                // raw, after '='
  std::vector<std::string> fields;  // value split at commas, %strings% replaced, quotes removed
};
struct InfFile {
  std::map<std::string, std::vector<InfLine>, CaseLess> sections;
  const InfLine* Find(const std::string& section, const std::string& key) const;
  std::string Value(const std::string& section, const std::string& key) const;  // first field or ""
};
// Reads an INF of the simulated disk; false when the file is missing.
bool ReadInf(const std::string& path, InfFile& inf);
bool ParseGuid(const std::string& text, GUID& guid);
std::string GuidText(const GUID& guid);

// ---------------------------------------------------------------- device nodes
std::string InstanceKey(const std::string& instanceId);  // registry path of the node
bool NodeExists(const std::string& instanceId);
bool IsPresent(const std::string& instanceId);
std::vector<std::string> RegisteredInstances();          // in registry order
// Value name of a stored property; null for properties Windows computes or does not store.
const char* PropertyValueName(DWORD property);
std::optional<RegValue> NodeProperty(const std::string& instanceId, DWORD property);
void SetNodeProperty(const std::string& instanceId, DWORD property, const RegValue& value);
std::vector<std::string> MultiSz(const std::vector<BYTE>& data);
// Starts a present node's function driver through the service manager.
void StartNode(const std::string& instanceId);
void RemoveNode(const std::string& instanceId);

// ---------------------------------------------------------------- INF store
// Copies the INF into the store (or finds an identical copy); the store name, e.g. "oem0.inf".
std::string StoreInf(const std::string& sourcePath, const std::string& location, bool& alreadyThere);

std::vector<std::string> DeviceLeaks();

}  // namespace sim::detail
