// Security descriptors, the process token's shutdown privilege and ExitWindowsEx.
#include "machine.h"

#include <cstring>

using namespace sim::detail;

namespace {

const HANDLE kProcessPseudoHandle = reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-1));
const HANDLE kTokenHandle = reinterpret_cast<HANDLE>(kTokenHandleValue);
const DWORD kShutdownLuid = 19;  // the value NT assigns to SeShutdownPrivilege

BOOL Finish(const char* function, std::vector<std::string> args, BOOL ok, DWORD error) {
  SetError(error);
  Record(function, std::move(args), Dec(ok));
  return ok;
}

}  // namespace

extern "C" {

BOOL WINAPI InitializeSecurityDescriptor(PSECURITY_DESCRIPTOR descriptor, DWORD revision) {
  std::vector<std::string> args{Dec(revision)};
  if (const sim::Fault* fault = TakeFault("InitializeSecurityDescriptor", ""))
    return Finish("InitializeSecurityDescriptor", args, FALSE, fault->error);
  if (descriptor == nullptr || revision != SECURITY_DESCRIPTOR_REVISION)
    return Finish("InitializeSecurityDescriptor", args, FALSE, ERROR_INVALID_PARAMETER);
  std::memset(descriptor, 0, sizeof(SECURITY_DESCRIPTOR));
  static_cast<SECURITY_DESCRIPTOR*>(descriptor)->Revision = SECURITY_DESCRIPTOR_REVISION;
  return Finish("InitializeSecurityDescriptor", args, TRUE, ERROR_SUCCESS);
}

BOOL WINAPI SetSecurityDescriptorDacl(PSECURITY_DESCRIPTOR descriptor, BOOL present, PACL dacl, BOOL defaulted) {
  std::vector<std::string> args{Dec(present), dacl ? "acl" : "(null)", Dec(defaulted)};
  if (const sim::Fault* fault = TakeFault("SetSecurityDescriptorDacl", ""))
    return Finish("SetSecurityDescriptorDacl", args, FALSE, fault->error);
  auto* sd = static_cast<SECURITY_DESCRIPTOR*>(descriptor);
  if (sd == nullptr || sd->Revision != SECURITY_DESCRIPTOR_REVISION)
    return Finish("SetSecurityDescriptorDacl", args, FALSE, ERROR_INVALID_PARAMETER);
  sd->Control = static_cast<WORD>(sd->Control & ~(SE_DACL_PRESENT | SE_DACL_DEFAULTED));
  if (present) sd->Control |= SE_DACL_PRESENT;
  if (present && defaulted) sd->Control |= SE_DACL_DEFAULTED;
  sd->Dacl = present ? dacl : nullptr;
  return Finish("SetSecurityDescriptorDacl", args, TRUE, ERROR_SUCCESS);
}

HANDLE WINAPI GetCurrentProcess(void) {
  Record("GetCurrentProcess", {}, HandleText(kProcessPseudoHandle));
  return kProcessPseudoHandle;
}

DWORD WINAPI GetCurrentProcessId(void) { return 0x4D2; }
DWORD WINAPI GetCurrentThreadId(void) { return 0x4D6; }

BOOL WINAPI OpenProcessToken(HANDLE process, DWORD access, PHANDLE token) {
  std::vector<std::string> args{HandleText(process), Hex(access)};
  if (token) *token = nullptr;
  if (const sim::Fault* fault = TakeFault("OpenProcessToken", ""))
    return Finish("OpenProcessToken", args, FALSE, fault->error);
  if (!M().profile.IsNt()) return Finish("OpenProcessToken", args, FALSE, ERROR_CALL_NOT_IMPLEMENTED);
  if (token == nullptr || process != kProcessPseudoHandle)
    return Finish("OpenProcessToken", args, FALSE, ERROR_INVALID_PARAMETER);
  *token = kTokenHandle;
  M().tokenOpened = true;
  return Finish("OpenProcessToken", args, TRUE, ERROR_SUCCESS);
}

BOOL WINAPI LookupPrivilegeValueA(LPCSTR system, LPCSTR name, PLUID luid) {
  std::vector<std::string> args{Str(system), Str(name)};
  if (const sim::Fault* fault = TakeFault("LookupPrivilegeValueA", Str(name)))
    return Finish("LookupPrivilegeValueA", args, FALSE, fault->error);
  if (!M().profile.IsNt()) return Finish("LookupPrivilegeValueA", args, FALSE, ERROR_CALL_NOT_IMPLEMENTED);
  if (luid == nullptr || name == nullptr || !IEquals(name, SE_SHUTDOWN_NAME))
    return Finish("LookupPrivilegeValueA", args, FALSE, ERROR_NO_SUCH_PRIVILEGE);
  luid->LowPart = kShutdownLuid;
  luid->HighPart = 0;
  return Finish("LookupPrivilegeValueA", args, TRUE, ERROR_SUCCESS);
}

BOOL WINAPI AdjustTokenPrivileges(HANDLE token, BOOL disableAll, PTOKEN_PRIVILEGES state, DWORD length,
                                  PTOKEN_PRIVILEGES previous, PDWORD returnLength) {
  std::vector<std::string> args{HandleText(token), Dec(disableAll),
                                state ? Dec(state->PrivilegeCount) : "(null)", Dec(length)};
  if (state && state->PrivilegeCount > 0) {
    args.push_back(Dec(state->Privileges[0].Luid.LowPart));
    args.push_back(Hex(state->Privileges[0].Attributes));
  }
  (void)previous;
  (void)returnLength;
  if (const sim::Fault* fault = TakeFault("AdjustTokenPrivileges", ""))
    return Finish("AdjustTokenPrivileges", args, FALSE, fault->error);
  if (!M().profile.IsNt()) return Finish("AdjustTokenPrivileges", args, FALSE, ERROR_CALL_NOT_IMPLEMENTED);
  if (token != kTokenHandle || !M().tokenOpened) return Finish("AdjustTokenPrivileges", args, FALSE, ERROR_INVALID_HANDLE);
  if (disableAll) {
    M().privilegeEnabled = false;
    return Finish("AdjustTokenPrivileges", args, TRUE, ERROR_SUCCESS);
  }
  if (state == nullptr) return Finish("AdjustTokenPrivileges", args, FALSE, ERROR_INVALID_PARAMETER);
  bool touchesShutdown = false;
  bool enable = false;
  for (DWORD i = 0; i < state->PrivilegeCount; ++i) {
    if (state->Privileges[i].Luid.LowPart == kShutdownLuid && state->Privileges[i].Luid.HighPart == 0) {
      touchesShutdown = true;
      enable = (state->Privileges[i].Attributes & SE_PRIVILEGE_ENABLED) != 0;
    }
  }
  // Windows reports success even when the token does not hold the privilege; only the last
  // error tells.
  if (touchesShutdown && !M().profile.shutdownPrivilege)
    return Finish("AdjustTokenPrivileges", args, TRUE, ERROR_NOT_ALL_ASSIGNED);
  if (touchesShutdown) M().privilegeEnabled = enable;
  return Finish("AdjustTokenPrivileges", args, TRUE, ERROR_SUCCESS);
}

BOOL WINAPI ExitWindowsEx(UINT flags, DWORD reason) {
  std::vector<std::string> args{Hex(flags), Hex(reason)};
  bool privileged = !M().profile.IsNt() || M().privilegeEnabled;
  M().exits.push_back(sim::ExitWindowsRecord{flags, reason, privileged});
  if (const sim::Fault* fault = TakeFault("ExitWindowsEx", "")) return Finish("ExitWindowsEx", args, FALSE, fault->error);
  bool needsPrivilege = (flags & (EWX_SHUTDOWN | EWX_REBOOT | EWX_POWEROFF)) != 0;
  if (needsPrivilege && !privileged) return Finish("ExitWindowsEx", args, FALSE, ERROR_PRIVILEGE_NOT_HELD);
  return Finish("ExitWindowsEx", args, TRUE, ERROR_SUCCESS);
}

}  // extern "C"

namespace sim {

const std::vector<ExitWindowsRecord>& ExitWindowsCalls() { return detail::M().exits; }
bool ShutdownPrivilegeEnabled() { return detail::M().privilegeEnabled; }

}  // namespace sim
