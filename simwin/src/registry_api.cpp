// advapi32 registry functions and SHDeleteKeyA over the simulated registry tree.
#include "machine.h"

#include <cstring>

using namespace sim::detail;

namespace {

const DWORD kWow64Flags = KEY_WOW64_64KEY | KEY_WOW64_32KEY;

bool IsNt() { return M().profile.IsNt(); }

std::shared_ptr<RegKey> PredefinedKey(HKEY key) {
  switch (reinterpret_cast<ULONG_PTR>(key) & 0xFFFFFFFFu) {
    case 0x80000000u: return M().roots["HKCR"];
    case 0x80000001u: return M().roots["HKCU"];
    case 0x80000002u: return M().roots["HKLM"];
    case 0x80000003u: return M().roots["HKU"];
    case 0x80000005u: return M().roots["HKCC"];
    default: return nullptr;
  }
}

// The key a handle stands for, with the access it was opened for.
struct Opened {
  std::shared_ptr<RegKey> key;
  REGSAM access = 0;
  LONG error = ERROR_SUCCESS;
};

Opened FromHandle(HKEY handle) {
  if (std::shared_ptr<RegKey> root = PredefinedKey(handle)) return {root, KEY_ALL_ACCESS | MAXIMUM_ALLOWED, 0};
  auto it = M().keys.find(reinterpret_cast<uintptr_t>(handle));
  if (it == M().keys.end()) return {nullptr, 0, ERROR_INVALID_HANDLE};
  if (it->second.key->deleted) return {it->second.key, it->second.access, ERROR_KEY_DELETED};
  return {it->second.key, it->second.access, ERROR_SUCCESS};
}

std::string HandlePath(HKEY handle) {
  Opened opened = FromHandle(handle);
  return opened.key ? KeyPath(*opened.key) : "(invalid " + HandleText(handle) + ")";
}

std::string JoinPath(HKEY handle, LPCSTR subKey) {
  std::string path = HandlePath(handle);
  if (subKey && *subKey) path += std::string("\\") + subKey;
  return path;
}

bool Allows(REGSAM granted, REGSAM needed) { return !IsNt() || (granted & needed) == needed; }

// What an open of `key` for `desired` is granted, or 0 when refused.
REGSAM Grant(const RegKey& key, REGSAM desired) {
  if (!IsNt()) return KEY_ALL_ACCESS;
  REGSAM wanted = desired & ~kWow64Flags;
  REGSAM allowed = key.allowed & KEY_ALL_ACCESS;
  if (wanted & MAXIMUM_ALLOWED) return allowed;
  if (wanted == 0) return READ_CONTROL;
  return (wanted & ~key.allowed) ? 0 : wanted;
}

HKEY NewHandle(const std::shared_ptr<RegKey>& key, REGSAM access) {
  uintptr_t value = M().nextKey;
  M().nextKey += 4;
  M().keys[value] = KeyHandle{key, access};
  return reinterpret_cast<HKEY>(value);
}

LONG Finish(const char* function, std::vector<std::string> args, LONG code) {
  SetError(static_cast<DWORD>(code));
  Record(function, std::move(args), Dec(code));
  return code;
}

std::vector<std::string> SplitSubKey(LPCSTR subKey) {
  std::vector<std::string> parts;
  std::string part;
  for (const char* c = subKey ? subKey : ""; *c; ++c) {
    if (*c == '\\') {
      if (!part.empty()) parts.push_back(part);
      part.clear();
    } else {
      part += *c;
    }
  }
  if (!part.empty()) parts.push_back(part);
  return parts;
}

// The key that subKey names below key, or null when a part of the path does not exist.
std::shared_ptr<RegKey> FindSubKey(std::shared_ptr<RegKey> key, LPCSTR subKey) {
  for (const std::string& part : SplitSubKey(subKey)) {
    auto it = key->children.find(part);
    if (it == key->children.end()) return nullptr;
    key = it->second;
  }
  return key;
}

// The key a deletion names: null with the error in `code` when a fault is injected, the handle is bad,
// the key does not exist, or it is a root (roots cannot be deleted).
std::shared_ptr<RegKey> DeletionTarget(const char* function, HKEY key, LPCSTR subKey, const std::string& path,
                                       LONG& code) {
  if (const sim::Fault* fault = TakeFault(function, path)) {
    code = fault->error;
    return nullptr;
  }
  Opened opened = FromHandle(key);
  if (opened.error) {
    code = opened.error;
    return nullptr;
  }
  std::shared_ptr<RegKey> target = FindSubKey(opened.key, subKey);
  code = target == nullptr ? ERROR_FILE_NOT_FOUND : target->parent == nullptr ? ERROR_ACCESS_DENIED : ERROR_SUCCESS;
  return code == ERROR_SUCCESS ? target : nullptr;
}

LONG OpenKey(const char* function, HKEY parent, LPCSTR subKey, REGSAM desired, PHKEY result) {
  std::vector<std::string> args{JoinPath(parent, subKey), Hex(desired)};
  if (result) *result = nullptr;
  if (result == nullptr) return Finish(function, args, ERROR_INVALID_PARAMETER);
  if (const sim::Fault* fault = TakeFault(function, args[0])) return Finish(function, args, fault->error);
  Opened opened = FromHandle(parent);
  if (opened.error) return Finish(function, args, opened.error);
  if (IsNt() && subKey && *subKey == '\\') return Finish(function, args, ERROR_BAD_PATHNAME);
  std::shared_ptr<RegKey> key = FindSubKey(opened.key, subKey);
  if (key == nullptr) return Finish(function, args, ERROR_FILE_NOT_FOUND);
  REGSAM granted = Grant(*key, desired);
  if (granted == 0) return Finish(function, args, ERROR_ACCESS_DENIED);
  *result = NewHandle(key, granted);
  return Finish(function, args, ERROR_SUCCESS);
}

LONG CreateKey(const char* function, HKEY parent, LPCSTR subKey, REGSAM desired, PHKEY result,
               LPDWORD disposition) {
  std::vector<std::string> args{JoinPath(parent, subKey), Hex(desired)};
  if (result) *result = nullptr;
  if (result == nullptr) return Finish(function, args, ERROR_INVALID_PARAMETER);
  if (const sim::Fault* fault = TakeFault(function, args[0])) return Finish(function, args, fault->error);
  Opened opened = FromHandle(parent);
  if (opened.error) return Finish(function, args, opened.error);
  if (IsNt() && subKey && *subKey == '\\') return Finish(function, args, ERROR_BAD_PATHNAME);
  std::shared_ptr<RegKey> key = opened.key;
  DWORD how = REG_OPENED_EXISTING_KEY;
  for (const std::string& part : SplitSubKey(subKey)) {
    auto it = key->children.find(part);
    if (it != key->children.end()) {
      key = it->second;
      continue;
    }
    // Creating a key needs the right to add subkeys to its parent.
    if (IsNt() && (key->allowed & KEY_CREATE_SUB_KEY) == 0) return Finish(function, args, ERROR_ACCESS_DENIED);
    auto child = std::make_shared<RegKey>();
    child->name = part;
    child->parent = key.get();
    key->children[part] = child;
    key = child;
    how = REG_CREATED_NEW_KEY;
  }
  REGSAM granted = Grant(*key, desired);
  if (granted == 0) return Finish(function, args, ERROR_ACCESS_DENIED);
  *result = NewHandle(key, granted);
  if (disposition) *disposition = how;
  return Finish(function, args, ERROR_SUCCESS);
}

std::pair<std::string, sim::RegValue>* FindValue(RegKey& key, LPCSTR name) {
  std::string wanted = name ? name : "";
  for (auto& value : key.values)
    if (IEquals(value.first, wanted)) return &value;
  return nullptr;
}

// Copies `name` into a caller's character buffer the way the enumeration functions do.
LONG CopyName(const std::string& name, LPSTR buffer, LPDWORD count) {
  if (buffer == nullptr || count == nullptr) return ERROR_INVALID_PARAMETER;
  if (name.size() >= *count) return ERROR_MORE_DATA;
  std::memcpy(buffer, name.c_str(), name.size() + 1);
  *count = static_cast<DWORD>(name.size());
  return ERROR_SUCCESS;
}

LONG CopyData(const sim::RegValue& value, LPDWORD type, LPBYTE data, LPDWORD size) {
  if (type) *type = value.type;
  DWORD needed = static_cast<DWORD>(value.data.size());
  if (data == nullptr) {
    if (size) *size = needed;
    return ERROR_SUCCESS;
  }
  if (size == nullptr) return ERROR_INVALID_PARAMETER;
  if (*size < needed) {
    *size = needed;
    return ERROR_MORE_DATA;
  }
  if (needed) std::memcpy(data, value.data.data(), needed);
  *size = needed;
  return ERROR_SUCCESS;
}

// SHDeleteKeyA's walk: children first, each key opened as SHDeleteKeyA opens it.
LONG DeleteTree(const std::shared_ptr<RegKey>& key) {
  if (IsNt() && Grant(*key, KEY_ENUMERATE_SUB_KEYS | KEY_QUERY_VALUE | DELETE) == 0) return ERROR_ACCESS_DENIED;
  while (!key->children.empty()) {
    LONG code = DeleteTree(key->children.begin()->second);
    if (code != ERROR_SUCCESS) return code;
  }
  DetachKey(key);
  return ERROR_SUCCESS;
}

}  // namespace

extern "C" {

LONG WINAPI RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD, REGSAM desired, PHKEY result) {
  return OpenKey("RegOpenKeyExA", key, subKey, desired, result);
}

LONG WINAPI RegOpenKeyA(HKEY key, LPCSTR subKey, PHKEY result) {
  return OpenKey("RegOpenKeyA", key, subKey, MAXIMUM_ALLOWED, result);
}

LONG WINAPI RegCreateKeyExA(HKEY key, LPCSTR subKey, DWORD, LPSTR, DWORD, REGSAM desired, LPSECURITY_ATTRIBUTES,
                            PHKEY result, LPDWORD disposition) {
  return CreateKey("RegCreateKeyExA", key, subKey, desired, result, disposition);
}

LONG WINAPI RegCreateKeyA(HKEY key, LPCSTR subKey, PHKEY result) {
  return CreateKey("RegCreateKeyA", key, subKey, MAXIMUM_ALLOWED, result, nullptr);
}

LONG WINAPI RegCloseKey(HKEY key) {
  std::vector<std::string> args{HandlePath(key)};
  if (PredefinedKey(key)) return Finish("RegCloseKey", args, ERROR_SUCCESS);
  if (M().keys.erase(reinterpret_cast<uintptr_t>(key)) == 0) return Finish("RegCloseKey", args, ERROR_INVALID_HANDLE);
  return Finish("RegCloseKey", args, ERROR_SUCCESS);
}

LONG WINAPI RegSetValueExA(HKEY key, LPCSTR name, DWORD, DWORD type, const BYTE* data, DWORD size) {
  std::vector<std::string> args{HandlePath(key), Str(name), Hex(type), Dec(size)};
  if (const sim::Fault* fault = TakeFault("RegSetValueExA", name ? name : ""))
    return Finish("RegSetValueExA", args, fault->error);
  Opened opened = FromHandle(key);
  if (opened.error) return Finish("RegSetValueExA", args, opened.error);
  if (!Allows(opened.access, KEY_SET_VALUE)) return Finish("RegSetValueExA", args, ERROR_ACCESS_DENIED);
  if (data == nullptr && size != 0) return Finish("RegSetValueExA", args, ERROR_INVALID_PARAMETER);
  sim::RegValue value{type, std::vector<BYTE>(data, data + size)};
  if (auto* existing = FindValue(*opened.key, name))
    existing->second = value;
  else
    opened.key->values.emplace_back(name ? name : "", value);
  return Finish("RegSetValueExA", args, ERROR_SUCCESS);
}

LONG WINAPI RegQueryValueExA(HKEY key, LPCSTR name, LPDWORD, LPDWORD type, LPBYTE data, LPDWORD size) {
  std::vector<std::string> args{HandlePath(key), Str(name), size ? Dec(*size) : "(null)"};
  if (const sim::Fault* fault = TakeFault("RegQueryValueExA", name ? name : ""))
    return Finish("RegQueryValueExA", args, fault->error);
  Opened opened = FromHandle(key);
  if (opened.error) return Finish("RegQueryValueExA", args, opened.error);
  if (!Allows(opened.access, KEY_QUERY_VALUE)) return Finish("RegQueryValueExA", args, ERROR_ACCESS_DENIED);
  auto* value = FindValue(*opened.key, name);
  if (value == nullptr) return Finish("RegQueryValueExA", args, ERROR_FILE_NOT_FOUND);
  return Finish("RegQueryValueExA", args, CopyData(value->second, type, data, size));
}

LONG WINAPI RegDeleteValueA(HKEY key, LPCSTR name) {
  std::vector<std::string> args{HandlePath(key), Str(name)};
  if (const sim::Fault* fault = TakeFault("RegDeleteValueA", name ? name : ""))
    return Finish("RegDeleteValueA", args, fault->error);
  Opened opened = FromHandle(key);
  if (opened.error) return Finish("RegDeleteValueA", args, opened.error);
  if (!Allows(opened.access, KEY_SET_VALUE)) return Finish("RegDeleteValueA", args, ERROR_ACCESS_DENIED);
  auto* value = FindValue(*opened.key, name);
  if (value == nullptr) return Finish("RegDeleteValueA", args, ERROR_FILE_NOT_FOUND);
  opened.key->values.erase(opened.key->values.begin() + (value - opened.key->values.data()));
  return Finish("RegDeleteValueA", args, ERROR_SUCCESS);
}

LONG WINAPI RegDeleteKeyA(HKEY key, LPCSTR subKey) {
  std::vector<std::string> args{JoinPath(key, subKey)};
  LONG code = ERROR_SUCCESS;
  std::shared_ptr<RegKey> target = DeletionTarget("RegDeleteKeyA", key, subKey, args[0], code);
  if (target == nullptr) return Finish("RegDeleteKeyA", args, code);
  if (IsNt()) {
    // NT deletes one key only: one with subkeys, or one the caller may not delete, is refused.
    if (!target->children.empty() || Grant(*target, DELETE) == 0)
      return Finish("RegDeleteKeyA", args, ERROR_ACCESS_DENIED);
  }
  DetachKey(target);
  return Finish("RegDeleteKeyA", args, ERROR_SUCCESS);
}

LONG WINAPI RegEnumKeyExA(HKEY key, DWORD index, LPSTR name, LPDWORD count, LPDWORD, LPSTR, LPDWORD, PFILETIME) {
  std::vector<std::string> args{HandlePath(key), Dec(index)};
  if (const sim::Fault* fault = TakeFault("RegEnumKeyExA", args[0])) return Finish("RegEnumKeyExA", args, fault->error);
  Opened opened = FromHandle(key);
  if (opened.error) return Finish("RegEnumKeyExA", args, opened.error);
  if (!Allows(opened.access, KEY_ENUMERATE_SUB_KEYS)) return Finish("RegEnumKeyExA", args, ERROR_ACCESS_DENIED);
  if (index >= opened.key->children.size()) return Finish("RegEnumKeyExA", args, ERROR_NO_MORE_ITEMS);
  auto it = opened.key->children.begin();
  std::advance(it, index);
  return Finish("RegEnumKeyExA", args, CopyName(it->second->name, name, count));
}

LONG WINAPI RegEnumKeyA(HKEY key, DWORD index, LPSTR name, DWORD size) {
  return RegEnumKeyExA(key, index, name, &size, nullptr, nullptr, nullptr, nullptr);
}

LONG WINAPI RegEnumValueA(HKEY key, DWORD index, LPSTR name, LPDWORD nameCount, LPDWORD, LPDWORD type, LPBYTE data,
                          LPDWORD size) {
  std::vector<std::string> args{HandlePath(key), Dec(index)};
  if (const sim::Fault* fault = TakeFault("RegEnumValueA", args[0])) return Finish("RegEnumValueA", args, fault->error);
  Opened opened = FromHandle(key);
  if (opened.error) return Finish("RegEnumValueA", args, opened.error);
  if (!Allows(opened.access, KEY_QUERY_VALUE)) return Finish("RegEnumValueA", args, ERROR_ACCESS_DENIED);
  if (index >= opened.key->values.size()) return Finish("RegEnumValueA", args, ERROR_NO_MORE_ITEMS);
  const auto& value = opened.key->values[index];
  LONG code = CopyName(value.first, name, nameCount);
  if (code == ERROR_SUCCESS) code = CopyData(value.second, type, data, size);
  return Finish("RegEnumValueA", args, code);
}

LONG WINAPI RegSetKeySecurity(HKEY key, SECURITY_INFORMATION info, PSECURITY_DESCRIPTOR descriptor) {
  std::vector<std::string> args{HandlePath(key), Hex(info)};
  if (const sim::Fault* fault = TakeFault("RegSetKeySecurity", args[0]))
    return Finish("RegSetKeySecurity", args, fault->error);
  if (!IsNt()) return Finish("RegSetKeySecurity", args, ERROR_CALL_NOT_IMPLEMENTED);
  Opened opened = FromHandle(key);
  if (opened.error) return Finish("RegSetKeySecurity", args, opened.error);
  if (descriptor == nullptr) return Finish("RegSetKeySecurity", args, ERROR_INVALID_PARAMETER);
  if ((info & DACL_SECURITY_INFORMATION) && !Allows(opened.access, WRITE_DAC))
    return Finish("RegSetKeySecurity", args, ERROR_ACCESS_DENIED);
  const auto* sd = static_cast<const SECURITY_DESCRIPTOR*>(descriptor);
  bool present = (sd->Control & SE_DACL_PRESENT) != 0;
  bool nullDacl = present && sd->Dacl == nullptr;
  M().securityChanges.push_back(sim::KeySecurityChange{KeyPath(*opened.key), info, present, nullDacl});
  // A NULL DACL grants everyone every access.
  if ((info & DACL_SECURITY_INFORMATION) && nullDacl) opened.key->allowed = 0xFFFFFFFF;
  return Finish("RegSetKeySecurity", args, ERROR_SUCCESS);
}

LONG WINAPI RegFlushKey(HKEY key) {
  Opened opened = FromHandle(key);
  return Finish("RegFlushKey", {HandlePath(key)}, opened.error);
}

DWORD WINAPI SHDeleteKeyA(HKEY key, LPCSTR subKey) {
  std::vector<std::string> args{JoinPath(key, subKey)};
  LONG code = ERROR_SUCCESS;
  std::shared_ptr<RegKey> target = DeletionTarget("SHDeleteKeyA", key, subKey, args[0], code);
  if (target == nullptr) return Finish("SHDeleteKeyA", args, code);
  return Finish("SHDeleteKeyA", args, DeleteTree(target));
}

}  // extern "C"
