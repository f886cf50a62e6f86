// Test control of the simulated Windows. Only tests include this header; product code sees
// nothing but <windows.h> and friends. The machine is process-global, like Windows itself:
// a test fixture calls sim::Reset(...) in SetUp and asserts on the records below.
// Paths are Windows paths ("C:\\WINDOWS\\system32\\x.dll"), matched without regard to case.
// Registry paths start with a root name: "HKLM\\SOFTWARE\\X" (also HKCU, HKCR, HKU and the
// long forms "HKEY_LOCAL_MACHINE\\...").
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace sim {

// ---------------------------------------------------------------- machine profile
enum class Os {
  Win95, Win98, Win98SE, WinME,
  NT351, NT4, Win2000, WinXP, WinXP64, Server2003, Vista, Win61, Win70,
  UnknownPlatform  // platform id 3: neither the 9x nor the NT family
};

enum class Wow64 {
  No,         // IsWow64Process exists and reports FALSE
  Yes,        // IsWow64Process exists and reports TRUE (32-bit process on 64-bit Windows)
  Absent,     // kernel32 exports no IsWow64Process
  CallFails   // IsWow64Process exists but fails (ERROR_ACCESS_DENIED)
};

struct Profile {
  Os os = Os::WinXP;
  DWORD platformId = VER_PLATFORM_WIN32_NT;
  DWORD major = 5, minor = 1, build = 2600;
  std::string csdVersion;          // e.g. "Service Pack 2"
  LCID lcid = 0x409;               // system default locale; 0x804 selects the GBK code page
  Wow64 wow64 = Wow64::No;
  bool getVersionExFails = false;  // GetVersionExA fails whatever the size field says
  std::string windowsDir = "C:\\WINDOWS";
  std::string systemDir;           // empty: derived (9x: <windows>\SYSTEM, NT: <windows>\system32)
  bool shutdownPrivilege = true;   // the token may enable SeShutdownPrivilege (NT family)
  bool IsNt() const { return platformId == VER_PLATFORM_WIN32_NT; }
};

// The documented version numbers of each generation, with the defaults above.
Profile ProfileFor(Os os);
const char* OsName(Os os);        // "Win95", "WinXP", ... for test names
std::vector<Os> AllOs();

// Puts the whole machine into a known state: fresh registry (the keys
// HKLM\System\CurrentControlSet\Services, HKLM\SOFTWARE, HKCU\Software), standard folders (C:\WINDOWS, the system directory,
// <windows>\system32\drivers on NT, <windows>\inf, <windows>\Temp), the built-in module files
// in the system directory, no devices, no faults, empty journal and records, virtual clock at 0,
// executable C:\Downloads\Installer.exe with an empty image, command line "\"<exe>\"".
void Reset(const Profile& profile);
void Reset(Os os = Os::WinXP);
const Profile& CurrentProfile();

// Changes after Reset (they take effect on the next call into the simulation).
void SetLocale(LCID lcid);
void SetWow64(Wow64 mode);             // also adds/removes kernel32's IsWow64Process export
void SetGetVersionExFails(bool fails);
void SetShutdownPrivilege(bool granted);
// What GetSystemDirectoryA reports (no folder is created; may be any text, even without a
// backslash or longer than MAX_PATH).
void SetSystemDirectory(const std::string& text);
void SetWindowsDirectory(const std::string& text);

// ---------------------------------------------------------------- journal
// Every simulated call appends one record. Arguments are rendered as text: strings as given
// ("(null)" for a null pointer, "#12" for MAKEINTRESOURCE ids), handles as what they stand for
// (a key's full path such as "HKLM\\SOFTWARE\\X", a file's path, a module's path), access masks,
// flags and types in hex ("0x20019"), sizes, counts and ids in decimal.
struct Call {
  std::string function;
  std::vector<std::string> args;
  std::string result;   // "1"/"0" for BOOL, the error code for registry calls, the path for handles...
  DWORD lastError = 0;  // GetLastError after the call (for registry calls: the returned code)
  std::string Text() const;  // "RegOpenKeyExA(HKLM\\X, 0x20019) = 2 [2]"
};
const std::vector<Call>& Journal();
void ClearJournal();
std::string JournalText();  // one call per line, for failure messages
// Calls of `function`; when `argument` is not empty only calls having an argument equal to it
// (case-insensitive).
std::vector<Call> Calls(const std::string& function, const std::string& argument = "");
size_t CountCalls(const std::string& function, const std::string& argument = "");
// Index of the first matching call at or after `from`, or -1.
long FindCall(const std::string& function, const std::string& argument = "", size_t from = 0);

// ---------------------------------------------------------------- faults
// A fault makes a simulated function fail with `error` (the call returns its failure value and
// sets the last error, registry calls return the code). `argument` narrows it to calls whose main
// argument equals it, case-insensitively: the path for file calls (also for WriteFile/ReadFile/
// CloseHandle on a handle of that path), "HKLM\\..." full key path for registry calls (for
// RegSetValueExA/RegQueryValueExA/RegDeleteValueA: the value name), the name as passed to
// LoadLibrary*, the resource name for FindResourceA, the export name for GetProcAddress.
// times: how many matching calls fail; -1 for always.
struct Fault {
  std::string function;
  std::string argument;
  DWORD error = ERROR_ACCESS_DENIED;
  int times = 1;
  // WriteFile only: when >= 0 the call succeeds but writes only this many bytes (a short write).
  long shortWriteBytes = -1;
};
void InjectFault(const Fault& fault);
void FailOnce(const std::string& function, DWORD error, const std::string& argument = "");
void FailAlways(const std::string& function, DWORD error, const std::string& argument = "");
void ShortWrite(DWORD bytesWritten, const std::string& path = "", int times = 1);
void ClearFaults();

// ---------------------------------------------------------------- registry
struct RegValue {
  DWORD type = REG_NONE;
  std::vector<BYTE> data;
};
bool KeyExists(const std::string& path);
void CreateKey(const std::string& path);                 // with all missing parents
void DeleteKeyTree(const std::string& path);             // no-op when missing
void SetValue(const std::string& keyPath, const std::string& name, DWORD type, const std::vector<BYTE>& data);
void SetDword(const std::string& keyPath, const std::string& name, DWORD value);
void SetString(const std::string& keyPath, const std::string& name, const std::string& value, DWORD type = REG_SZ);
std::optional<RegValue> GetValue(const std::string& keyPath, const std::string& name);
std::optional<DWORD> GetDword(const std::string& keyPath, const std::string& name);   // only REG_DWORD of 4 bytes
std::optional<std::string> GetString(const std::string& keyPath, const std::string& name);  // up to the first NUL
std::vector<std::string> SubKeys(const std::string& keyPath);     // names as created
std::vector<std::string> ValueNames(const std::string& keyPath);
// Refuses opens of this key that request access outside `allowed` (ERROR_ACCESS_DENIED), as an
// ACL would; also applies to RegCreateKeyExA on an existing key and to deleting it (needs DELETE).
// RegSetKeySecurity with a present NULL DACL lifts the refusal.
void DenyKeyAccess(const std::string& path, REGSAM allowed);
struct KeySecurityChange {
  std::string path;
  SECURITY_INFORMATION info;
  bool daclPresent;
  bool nullDacl;
};
const std::vector<KeySecurityChange>& KeySecurityChanges();
size_t OpenKeyCount();
std::vector<std::string> OpenKeyPaths();  // one entry per open handle

// ---------------------------------------------------------------- files and devices
// Creates the file with its parent folders; replaces content and attributes of an existing one.
void PutFile(const std::string& path, const std::string& content, DWORD attributes = FILE_ATTRIBUTE_NORMAL);
void PutFile(const std::string& path, const std::vector<BYTE>& content, DWORD attributes = FILE_ATTRIBUTE_NORMAL);
void MakeDirectory(const std::string& path);   // with parents
void RemovePath(const std::string& path);      // file or folder tree; no-op when missing
bool FileExists(const std::string& path);
bool DirectoryExists(const std::string& path);
std::optional<std::string> FileContent(const std::string& path);
DWORD Attributes(const std::string& path);     // INVALID_FILE_ATTRIBUTES when missing
void SetAttributes(const std::string& path, DWORD attributes);
std::vector<std::string> ListDirectory(const std::string& path);  // names, folders and files
// Devices opened as "\\\\.\\NAME" with CreateFileA; `name` without the prefix.
void AddDevice(const std::string& name);
void RemoveDevice(const std::string& name);
bool DeviceExists(const std::string& name);
size_t OpenFileCount();
std::vector<std::string> OpenFilePaths();

// ---------------------------------------------------------------- modules
// A module image stands for a DLL or EXE: exports, resources and the code that runs at load and
// unload (static construction + DllMain). A file whose content is "SIMIMAGE:<image name>" loads
// that image. Resource types and names are kept upper-case; numeric ids as "#<n>".
struct Resource {
  std::string type;   // "RESFILE", "#2" (RT_BITMAP) ...
  std::string name;   // "INSTDLL.DLL", "#129" ...
  WORD language = 0;
  std::vector<BYTE> bytes;
};
struct StringResource {
  WORD language = 0;
  UINT id = 0;
  std::string utf8;   // the text as written in the script, UTF-8
};
struct Image {
  std::string name;                        // e.g. "InstDll"; matched case-insensitively
  std::map<std::string, FARPROC> exports;  // export names are case-sensitive, as in Windows
  std::vector<Resource> resources;
  std::vector<StringResource> strings;
  std::vector<std::string> imports;        // DLL names resolved when the image loads (search order applies)
  std::function<BOOL(HMODULE)> onLoad;     // FALSE fails the load with ERROR_DLL_INIT_FAILED
  std::function<void(HMODULE)> onUnload;

  template <class F>
  Image& Export(const std::string& exportName, F* function) {
    // Through the generic function pointer type, which converts to any other without a warning.
    exports[exportName] = reinterpret_cast<FARPROC>(reinterpret_cast<void (*)()>(function));
    return *this;
  }
  // Adds or replaces one resource (type and name are upper-cased; "#<n>" for ids).
  Image& SetResource(const std::string& type, const std::string& resourceName, const std::vector<BYTE>& bytes,
                     WORD language = 0);
  Image& SetResource(const std::string& type, const std::string& resourceName, const std::string& bytes,
                     WORD language = 0);
  Image& SetString(UINT id, const std::string& utf8, WORD language = 0);
};
void RegisterImage(const Image& image);      // replaces an image of the same name
Image* FindImage(const std::string& name);   // to change a registered image (e.g. erase an export)
void RemoveExport(const std::string& imageName, const std::string& exportName);
// Writes "SIMIMAGE:<imageName>" to `path`.
void InstallImage(const std::string& path, const std::string& imageName);

// The process executable: its path (GetModuleFileNameA(NULL), first folder of the search order)
// and its image (GetModuleHandleA(NULL), resources of the NULL module). Writes the image file.
void SetExe(const std::string& path, const std::string& imageName);
void SetExePath(const std::string& path);
void SetCommandLine(const std::string& commandLine);  // what GetCommandLineA returns

struct LoadedModule {
  std::string path;
  std::string image;
  HMODULE handle;
  int refCount;
};
std::vector<LoadedModule> LoadedModules();       // built-ins and the executable included
bool IsLoaded(const std::string& pathOrImage);   // full path, or image name
std::vector<std::string> LoadHistory();           // full path of every module actually mapped, in order

// Resource scripts: reads a subset of .rc (see README) into `image`. On failure returns false
// and describes the problem in *error (file and line).
bool LoadRcScript(Image& image, const std::string& rcPath, std::string* error = nullptr);
// Convenience: registers/updates image `imageName` from a script; false with *error on failure.
bool LoadRcScriptInto(const std::string& imageName, const std::string& rcPath, std::string* error = nullptr);
// Replaces one resource's bytes in a registered image.
void OverrideResource(const std::string& imageName, const std::string& type, const std::string& resourceName,
                      const std::string& bytes);

// Converts UTF-8 text to the bytes of the system ANSI code page of `lcid` (GBK for 0x804,
// Windows-1252 otherwise); characters it cannot represent become '?'.
std::string ToAnsi(const std::string& utf8, LCID lcid);

// ---------------------------------------------------------------- user interface
struct MessageBoxRecord {
  HWND owner;
  std::string text;      // raw bytes as passed
  std::string caption;   // raw bytes; "(null)" for a null caption
  UINT type;
  int answer;
  bool expected;         // false when no scripted answer was left
};
// Queues the answer to the next message box. When `textContains` is not empty, a box whose text
// does not contain it still takes the answer but is recorded as unexpected.
void ExpectMessageBox(int answer, const std::string& textContains = "");
void SetDefaultMessageBoxAnswer(int answer);   // for unexpected boxes; IDOK after Reset
// Called for every box instead of the script when set (the host's wizard tests need to act while
// a box is up); its result is the answer.
void SetMessageBoxHandler(std::function<int(const MessageBoxRecord&)> handler);
const std::vector<MessageBoxRecord>& MessageBoxes();
std::vector<std::string> UnexpectedMessageBoxes();  // "caption | text" of each unexpected box
size_t PendingMessageBoxAnswers();

struct ExitWindowsRecord {
  UINT flags;
  DWORD reason;
  bool privilegeEnabled;  // SeShutdownPrivilege enabled at the time (always true on 9x)
};
const std::vector<ExitWindowsRecord>& ExitWindowsCalls();
bool ShutdownPrivilegeEnabled();

// ExitProcess throws this natively; a test catches it.
struct ProcessExit {
  UINT code;
};

// ---------------------------------------------------------------- time and pointers
DWORD Now();                              // virtual milliseconds since Reset
std::vector<DWORD> Sleeps();               // arguments of every Sleep call, in order
void MarkBadPointer(const void* pointer);  // IsBadCodePtr reports it bad

// ---------------------------------------------------------------- leak check
// Open registry and file handles and modules loaded beyond the built-ins and the executable,
// as text; empty when clean.
std::vector<std::string> Leaks();

}  // namespace sim
