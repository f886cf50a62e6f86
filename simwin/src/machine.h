// State of the simulated machine shared by the simwin sources. Not for tests or product code.
#pragma once

#include <simwin/sim.h>

#include <deque>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace sim::detail {

// ---------------------------------------------------------------- text helpers
std::string Upper(std::string text);
bool IEquals(const std::string& a, const std::string& b);
bool IContains(const std::string& haystack, const std::string& needle);
struct CaseLess {
  bool operator()(const std::string& a, const std::string& b) const;
};
std::string Hex(DWORD value);     // "0x1F"
std::string Dec(long long value);
std::string Str(LPCSTR text);     // "(null)" for null
std::string ResName(LPCSTR nameOrId);  // text, or "#<id>" for MAKEINTRESOURCE ids
std::string HandleText(const void* handle);

// ---------------------------------------------------------------- journal and faults
void Record(const std::string& function, std::vector<std::string> args, const std::string& result);
void SetError(DWORD error);
DWORD LastError();
// A pending fault for this call, consumed when found.
const Fault* TakeFault(const std::string& function, const std::string& argument);

// ---------------------------------------------------------------- registry
struct RegKey {
  std::string name;
  RegKey* parent = nullptr;
  std::map<std::string, std::shared_ptr<RegKey>, CaseLess> children;
  std::vector<std::pair<std::string, RegValue>> values;  // in creation order
  REGSAM allowed = 0xFFFFFFFF;
  bool deleted = false;
};
struct KeyHandle {
  std::shared_ptr<RegKey> key;
  REGSAM access;
};
std::string KeyPath(const RegKey& key);
std::shared_ptr<RegKey> KeyAt(const std::string& path);   // "HKLM\\A"; null when missing
void DetachKey(const std::shared_ptr<RegKey>& key);       // removes it (and its subtree) from its parent
void ResetRegistry();

// ---------------------------------------------------------------- files
struct FileEntry {
  std::string path;  // as created
  bool directory = false;
  DWORD attributes = FILE_ATTRIBUTE_NORMAL;
  std::vector<BYTE> data;
};
struct OpenFile {
  std::string key;   // upper-case normalised path, or "\\\\.\\NAME" for devices
  std::string path;  // as opened
  bool device = false;
  DWORD access = 0;
  DWORD share = 0;
  size_t position = 0;
};
// Normalised upper-case key of a path ("C:\\WINDOWS\\SYSTEM32"); empty when unusable.
std::string PathKey(const std::string& path);
// Why PathKey refused a path: ERROR_FILENAME_EXCED_RANGE, ERROR_INVALID_NAME or ERROR_PATH_NOT_FOUND.
DWORD PathError(const std::string& path);
bool IsDevicePath(const std::string& path);   // "\\\\.\\NAME"
bool IsLoadedImageFile(const std::string& key);
std::string ParentKey(const std::string& key);
std::string FileName(const std::string& path);   // after the last backslash
FileEntry* FindEntry(const std::string& path);
void ResetFiles();

// ---------------------------------------------------------------- modules
struct Module {
  std::string path;
  std::string image;
  HMODULE handle;
  int refCount;
  bool pinned;                   // built-in or executable: never unloaded
  std::vector<HMODULE> imports;  // modules loaded for its imports, released with it
};
Module* ModuleByHandle(HMODULE handle);   // NULL handle: the executable
void ResetModules();
void RegisterBuiltinImages();
void UpdateKernel32Exports();

// ---------------------------------------------------------------- device installer
std::vector<std::string> DeviceLeaks();   // device information sets not destroyed

// ---------------------------------------------------------------- processes and tokens
const uintptr_t kTokenHandleValue = 0x7A0C;

// ---------------------------------------------------------------- the machine
struct ExpectedBox {
  int answer;
  std::string textContains;
};

struct DeviceState;  // devices.h

struct Machine {
  Profile profile;
  std::string systemDir;
  std::string windowsDir;
  DWORD lastError = 0;
  DWORD clock = 0;
  std::vector<DWORD> sleeps;
  std::vector<Call> journal;
  std::vector<Fault> faults;
  std::set<const void*> badPointers;

  std::map<std::string, std::shared_ptr<RegKey>> roots;  // "HKLM", "HKCU", "HKCR", "HKU", "HKCC"
  std::map<uintptr_t, KeyHandle> keys;
  uintptr_t nextKey = 0x1000;
  std::vector<KeySecurityChange> securityChanges;

  std::map<std::string, FileEntry> files;  // by PathKey
  std::set<std::string> devices;           // upper-case names
  std::map<uintptr_t, OpenFile> openFiles;
  uintptr_t nextFile = 0x104;

  std::map<std::string, Image, CaseLess> images;
  std::vector<Module> modules;
  uintptr_t nextModule = 0x10000000;
  std::vector<std::string> loadHistory;
  std::string exePath;
  std::string exeImage;
  std::string commandLine;
  std::deque<const Resource*> resourceHandles;

  std::deque<ExpectedBox> answers;
  int defaultAnswer = IDOK;
  std::function<int(const MessageBoxRecord&)> boxHandler;
  std::vector<MessageBoxRecord> boxes;
  std::vector<ExitWindowsRecord> exits;
  bool tokenOpened = false;
  bool privilegeEnabled = false;

  std::shared_ptr<DeviceState> deviceState;  // created on first use, see devices.h
};
Machine& M();

}  // namespace sim::detail
