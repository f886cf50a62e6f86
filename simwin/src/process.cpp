// The process: command line, exit, WOW64 query, errors, virtual time and pointer checks.
#include "machine.h"

#include <simwin/sim_services.h>

using namespace sim::detail;

extern "C" {

DWORD WINAPI GetLastError(void) { return M().lastError; }

void WINAPI SetLastError(DWORD error) { M().lastError = error; }

LPSTR WINAPI GetCommandLineA(void) {
  Record("GetCommandLineA", {}, M().commandLine);
  return &M().commandLine[0];
}

void WINAPI ExitProcess(UINT code) {
  Record("ExitProcess", {Dec(code)}, "");
  throw sim::ProcessExit{code};
}

BOOL WINAPI IsWow64Process(HANDLE process, PBOOL wow64) {
  std::vector<std::string> args{HandleText(process)};
  BOOL ok = TRUE;
  if (const sim::Fault* fault = TakeFault("IsWow64Process", "")) {
    ok = FALSE;
    SetError(fault->error);
  } else if (M().profile.wow64 == sim::Wow64::CallFails || wow64 == nullptr) {
    ok = FALSE;
    SetError(wow64 ? ERROR_ACCESS_DENIED : ERROR_INVALID_PARAMETER);
  } else {
    *wow64 = M().profile.wow64 == sim::Wow64::Yes ? TRUE : FALSE;
    SetError(ERROR_SUCCESS);
  }
  Record("IsWow64Process", args, Dec(ok));
  return ok;
}

void WINAPI Sleep(DWORD milliseconds) {
  M().clock += milliseconds;
  M().sleeps.push_back(milliseconds);
  Record("Sleep", {Dec(milliseconds)}, "");
}

DWORD WINAPI GetTickCount(void) {
  // Machines have been up for a while; the count follows the virtual clock.
  return 3600000u + M().clock;
}

BOOL WINAPI IsBadCodePtr(FARPROC pointer) {
  const void* address = reinterpret_cast<const void*>(pointer);
  BOOL bad = address == nullptr || M().badPointers.count(address) ? TRUE : FALSE;
  Record("IsBadCodePtr", {HandleText(address)}, Dec(bad));
  return bad;
}

BOOL WINAPI IsBadReadPtr(const void* pointer, UINT_PTR size) {
  return (pointer == nullptr && size) || M().badPointers.count(pointer) ? TRUE : FALSE;
}

BOOL WINAPI IsBadWritePtr(LPVOID pointer, UINT_PTR size) {
  return (pointer == nullptr && size) || M().badPointers.count(pointer) ? TRUE : FALSE;
}

}  // extern "C"

namespace sim {

DWORD Now() { return M().clock; }
std::vector<DWORD> Sleeps() { return M().sleeps; }
void MarkBadPointer(const void* pointer) { M().badPointers.insert(pointer); }

std::vector<std::string> Leaks() {
  std::vector<std::string> leaks;
  for (const std::string& path : OpenKeyPaths()) leaks.push_back("open key " + path);
  for (const std::string& path : OpenFilePaths()) leaks.push_back("open file " + path);
  for (const std::string& set : DeviceLeaks()) leaks.push_back("open " + set);
  for (const detail::Module& module : M().modules)
    if (!module.pinned) leaks.push_back("loaded module " + module.path + " (" + std::to_string(module.refCount) + ")");
  for (const std::string& handle : ServiceHandleLeaks()) leaks.push_back("open service handle " + handle);
  return leaks;
}

}  // namespace sim
