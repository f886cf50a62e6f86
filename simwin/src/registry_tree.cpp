// The registry tree and its test control: roots, paths, values, access refusal.
#include "machine.h"

#include <cstring>

namespace sim {

using namespace detail;

namespace {

struct RootName {
  const char* shortName;
  const char* longName;
};
const RootName kRoots[] = {{"HKCR", "HKEY_CLASSES_ROOT"}, {"HKCU", "HKEY_CURRENT_USER"},
                           {"HKLM", "HKEY_LOCAL_MACHINE"}, {"HKU", "HKEY_USERS"},
                           {"HKCC", "HKEY_CURRENT_CONFIG"}};

std::vector<std::string> SplitKeyPath(const std::string& path) {
  std::vector<std::string> parts;
  std::string part;
  for (char c : path) {
    if (c == '\\') {
      if (!part.empty()) parts.push_back(part);
      part.clear();
    } else {
      part += c;
    }
  }
  if (!part.empty()) parts.push_back(part);
  return parts;
}

std::shared_ptr<RegKey> RootFor(const std::string& name) {
  for (const RootName& root : kRoots)
    if (IEquals(name, root.shortName) || IEquals(name, root.longName)) return M().roots[root.shortName];
  return nullptr;
}

// Walks a "HKLM\\A\\B" path; creates missing keys when asked.
std::shared_ptr<RegKey> Walk(const std::string& path, bool create) {
  std::vector<std::string> parts = SplitKeyPath(path);
  if (parts.empty()) return nullptr;
  std::shared_ptr<RegKey> key = RootFor(parts[0]);
  for (size_t i = 1; key && i < parts.size(); ++i) {
    auto it = key->children.find(parts[i]);
    if (it != key->children.end()) {
      key = it->second;
    } else if (create) {
      auto child = std::make_shared<RegKey>();
      child->name = parts[i];
      child->parent = key.get();
      key->children[parts[i]] = child;
      key = child;
    } else {
      return nullptr;
    }
  }
  return key;
}

// Open handles may outlive the keys above them: a deleted key keeps its full path as its name
// and forgets its parent.
void MarkDeleted(RegKey& key) {
  for (auto& child : key.children) MarkDeleted(*child.second);
  key.name = KeyPath(key);
  key.parent = nullptr;
  key.deleted = true;
}

}  // namespace

namespace detail {

std::string KeyPath(const RegKey& key) {
  return key.parent ? KeyPath(*key.parent) + "\\" + key.name : key.name;
}

void DetachKey(const std::shared_ptr<RegKey>& key) {
  RegKey* parent = key->parent;
  std::string name = key->name;
  MarkDeleted(*key);
  parent->children.erase(name);
}

std::shared_ptr<RegKey> KeyAt(const std::string& path) { return Walk(path, false); }

void ResetRegistry() {
  Machine& m = M();
  m.roots.clear();
  for (const RootName& root : kRoots) {
    auto key = std::make_shared<RegKey>();
    key->name = root.shortName;
    m.roots[root.shortName] = key;
  }
  CreateKey("HKLM\\System\\CurrentControlSet\\Services");
  CreateKey("HKLM\\System\\CurrentControlSet\\Control");
  CreateKey("HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion");
  CreateKey("HKCU\\Software");
}

}  // namespace detail

bool KeyExists(const std::string& path) { return Walk(path, false) != nullptr; }

void CreateKey(const std::string& path) { Walk(path, true); }

void DeleteKeyTree(const std::string& path) {
  std::shared_ptr<RegKey> key = Walk(path, false);
  if (key && key->parent) DetachKey(key);
}

void SetValue(const std::string& keyPath, const std::string& name, DWORD type, const std::vector<BYTE>& data) {
  std::shared_ptr<RegKey> key = Walk(keyPath, true);
  if (!key) return;
  for (auto& value : key->values) {
    if (IEquals(value.first, name)) {
      value.second = RegValue{type, data};
      return;
    }
  }
  key->values.emplace_back(name, RegValue{type, data});
}

void SetDword(const std::string& keyPath, const std::string& name, DWORD value) {
  std::vector<BYTE> bytes(4);
  std::memcpy(bytes.data(), &value, 4);
  SetValue(keyPath, name, REG_DWORD, bytes);
}

void SetString(const std::string& keyPath, const std::string& name, const std::string& value, DWORD type) {
  std::vector<BYTE> bytes(value.begin(), value.end());
  bytes.push_back(0);
  SetValue(keyPath, name, type, bytes);
}

std::optional<RegValue> GetValue(const std::string& keyPath, const std::string& name) {
  std::shared_ptr<RegKey> key = Walk(keyPath, false);
  if (!key) return std::nullopt;
  for (const auto& value : key->values)
    if (IEquals(value.first, name)) return value.second;
  return std::nullopt;
}

std::optional<DWORD> GetDword(const std::string& keyPath, const std::string& name) {
  std::optional<RegValue> value = GetValue(keyPath, name);
  if (!value || value->type != REG_DWORD || value->data.size() != 4) return std::nullopt;
  DWORD result;
  std::memcpy(&result, value->data.data(), 4);
  return result;
}

std::optional<std::string> GetString(const std::string& keyPath, const std::string& name) {
  std::optional<RegValue> value = GetValue(keyPath, name);
  if (!value) return std::nullopt;
  std::string text(value->data.begin(), value->data.end());
  return text.substr(0, text.find('\0'));
}

std::vector<std::string> SubKeys(const std::string& keyPath) {
  std::vector<std::string> names;
  if (std::shared_ptr<RegKey> key = Walk(keyPath, false))
    for (const auto& child : key->children) names.push_back(child.second->name);
  return names;
}

std::vector<std::string> ValueNames(const std::string& keyPath) {
  std::vector<std::string> names;
  if (std::shared_ptr<RegKey> key = Walk(keyPath, false))
    for (const auto& value : key->values) names.push_back(value.first);
  return names;
}

void DenyKeyAccess(const std::string& path, REGSAM allowed) { Walk(path, true)->allowed = allowed; }

const std::vector<KeySecurityChange>& KeySecurityChanges() { return M().securityChanges; }

size_t OpenKeyCount() { return M().keys.size(); }

std::vector<std::string> OpenKeyPaths() {
  std::vector<std::string> paths;
  for (const auto& entry : M().keys) paths.push_back(KeyPath(*entry.second.key));
  return paths;
}

}  // namespace sim
