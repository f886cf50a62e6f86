// advapi32 service-manager functions over the simulated service control manager.
// Windows 95, 98 and ME have no service manager: every call fails with ERROR_CALL_NOT_IMPLEMENTED.
#include "services_model.h"

namespace sim::detail {
namespace {

const DWORD kRpcServerUnavailable = 1722;

SC_HANDLE NewHandle(const std::shared_ptr<ServiceState>& service, DWORD access) {
  uintptr_t value = Scm().nextHandle;
  Scm().nextHandle += 4;
  Scm().handles[value] = ServiceHandle{service, access};
  if (service) ++service->openHandles;
  return reinterpret_cast<SC_HANDLE>(value);
}

ServiceHandle* Lookup(SC_HANDLE handle) {
  auto it = Scm().handles.find(reinterpret_cast<uintptr_t>(handle));
  return it == Scm().handles.end() ? nullptr : &it->second;
}

std::string Text(SC_HANDLE handle) {
  const ServiceHandle* found = Lookup(handle);
  if (!found) return HandleText(handle);
  return found->service ? found->service->name : "manager";
}

// The failure a call must report before it does anything: no service manager, a fault, or a bad handle.
DWORD Precondition(const std::string& function, const std::string& argument) {
  if (!M().profile.IsNt()) return ERROR_CALL_NOT_IMPLEMENTED;
  if (const Fault* fault = TakeFault(function, argument)) return fault->error;
  return 0;
}

// A service handle with the access it needs, or the error to report.
DWORD ServiceAccess(SC_HANDLE handle, DWORD needed, ServiceHandle** out) {
  ServiceHandle* found = Lookup(handle);
  if (!found || !found->service) return ERROR_INVALID_HANDLE;
  if ((found->access & needed) != needed) return ERROR_ACCESS_DENIED;
  *out = found;
  return 0;
}

SC_HANDLE FailHandle(const std::string& function, std::vector<std::string> args, DWORD error) {
  SetError(error);
  Record(function, std::move(args), "(null)");
  return nullptr;
}

BOOL Finish(const std::string& function, std::vector<std::string> args, DWORD error) {
  SetError(error);
  Record(function, std::move(args), error ? "0" : "1");
  return error ? FALSE : TRUE;
}

SERVICE_STATUS StatusOf(const ServiceState& service) {
  SERVICE_STATUS status = {};
  status.dwServiceType = service.type;
  status.dwCurrentState = service.running ? SERVICE_RUNNING : SERVICE_STOPPED;
  status.dwControlsAccepted = service.running ? SERVICE_ACCEPT_STOP : 0;
  return status;
}

std::string Opt(LPCSTR text) { return Str(text); }

}  // namespace
}  // namespace sim::detail

using namespace sim;
using namespace sim::detail;

extern "C" {

SC_HANDLE WINAPI OpenSCManagerA(LPCSTR lpMachineName, LPCSTR lpDatabaseName, DWORD dwDesiredAccess) {
  std::vector<std::string> args{Opt(lpMachineName), Opt(lpDatabaseName), Hex(dwDesiredAccess)};
  if (DWORD error = Precondition("OpenSCManagerA", Opt(lpDatabaseName)))
    return FailHandle("OpenSCManagerA", args, error);
  if (lpMachineName != nullptr && *lpMachineName != '\0')
    return FailHandle("OpenSCManagerA", args, kRpcServerUnavailable);  // only the local manager exists
  if (lpDatabaseName != nullptr && !IEquals(lpDatabaseName, SERVICES_ACTIVE_DATABASEA))
    return FailHandle("OpenSCManagerA", args, ERROR_INVALID_NAME);
  if ((dwDesiredAccess & ~Scm().managerAllowed) != 0) return FailHandle("OpenSCManagerA", args, ERROR_ACCESS_DENIED);
  SC_HANDLE handle = NewHandle(nullptr, dwDesiredAccess);
  SetError(ERROR_SUCCESS);
  Record("OpenSCManagerA", args, "manager");
  return handle;
}

SC_HANDLE WINAPI OpenServiceA(SC_HANDLE hSCManager, LPCSTR lpServiceName, DWORD dwDesiredAccess) {
  std::vector<std::string> args{Text(hSCManager), Opt(lpServiceName), Hex(dwDesiredAccess)};
  if (DWORD error = Precondition("OpenServiceA", Opt(lpServiceName))) return FailHandle("OpenServiceA", args, error);
  const ServiceHandle* manager = Lookup(hSCManager);
  if (!manager || manager->service) return FailHandle("OpenServiceA", args, ERROR_INVALID_HANDLE);
  if (lpServiceName == nullptr) return FailHandle("OpenServiceA", args, ERROR_INVALID_ADDRESS);
  auto service = ServiceNamed(lpServiceName);
  if (!service) return FailHandle("OpenServiceA", args, ERROR_SERVICE_DOES_NOT_EXIST);
  SC_HANDLE handle = NewHandle(service, dwDesiredAccess);
  SetError(ERROR_SUCCESS);
  Record("OpenServiceA", args, service->name);
  return handle;
}

SC_HANDLE WINAPI CreateServiceA(SC_HANDLE hSCManager, LPCSTR lpServiceName, LPCSTR lpDisplayName,
                                DWORD dwDesiredAccess, DWORD dwServiceType, DWORD dwStartType,
                                DWORD dwErrorControl, LPCSTR lpBinaryPathName, LPCSTR lpLoadOrderGroup,
                                LPDWORD lpdwTagId, LPCSTR lpDependencies, LPCSTR lpServiceStartName,
                                LPCSTR lpPassword) {
  std::vector<std::string> args{Text(hSCManager),      Opt(lpServiceName),    Opt(lpDisplayName),
                                Hex(dwDesiredAccess),  Hex(dwServiceType),    Hex(dwStartType),
                                Hex(dwErrorControl),   Opt(lpBinaryPathName), Opt(lpLoadOrderGroup),
                                lpdwTagId ? "tag" : "(null)", Opt(lpDependencies), Opt(lpServiceStartName),
                                lpPassword ? "password" : "(null)"};
  if (DWORD error = Precondition("CreateServiceA", Opt(lpServiceName)))
    return FailHandle("CreateServiceA", args, error);
  const ServiceHandle* manager = Lookup(hSCManager);
  if (!manager || manager->service) return FailHandle("CreateServiceA", args, ERROR_INVALID_HANDLE);
  if (!(manager->access & SC_MANAGER_CREATE_SERVICE)) return FailHandle("CreateServiceA", args, ERROR_ACCESS_DENIED);
  if (lpServiceName == nullptr || *lpServiceName == '\0' || std::string(lpServiceName).find('\\') != std::string::npos)
    return FailHandle("CreateServiceA", args, ERROR_INVALID_NAME);
  if (lpBinaryPathName == nullptr || *lpBinaryPathName == '\0')
    return FailHandle("CreateServiceA", args, ERROR_INVALID_PARAMETER);
  if (dwStartType > SERVICE_DISABLED || dwErrorControl > SERVICE_ERROR_CRITICAL ||
      ((dwStartType == SERVICE_BOOT_START || dwStartType == SERVICE_SYSTEM_START) &&
       !(dwServiceType & (SERVICE_KERNEL_DRIVER | SERVICE_FILE_SYSTEM_DRIVER))))
    return FailHandle("CreateServiceA", args, ERROR_INVALID_PARAMETER);
  if (auto existing = ServiceNamed(lpServiceName))
    return FailHandle("CreateServiceA", args,
                      existing->markedForDeletion ? ERROR_SERVICE_MARKED_FOR_DELETE : ERROR_SERVICE_EXISTS);
  auto service = std::make_shared<ServiceState>();
  service->name = lpServiceName;
  service->displayName = lpDisplayName && *lpDisplayName ? lpDisplayName : lpServiceName;
  service->type = dwServiceType;
  service->start = dwStartType;
  service->errorControl = dwErrorControl;
  service->imagePath = lpBinaryPathName;
  if (lpLoadOrderGroup && *lpLoadOrderGroup) service->group = std::string(lpLoadOrderGroup);
  Scm().services.push_back(service);
  WriteServiceKey(*service);
  if (lpdwTagId) *lpdwTagId = 0;
  SC_HANDLE handle = NewHandle(service, dwDesiredAccess);
  SetError(ERROR_SUCCESS);
  Record("CreateServiceA", args, service->name);
  return handle;
}

BOOL WINAPI StartServiceA(SC_HANDLE hService, DWORD dwNumServiceArgs, LPCSTR* lpServiceArgVectors) {
  (void)lpServiceArgVectors;
  std::vector<std::string> args{Text(hService), Dec(dwNumServiceArgs)};
  if (DWORD error = Precondition("StartServiceA", Text(hService))) return Finish("StartServiceA", args, error);
  ServiceHandle* handle = nullptr;
  if (DWORD error = ServiceAccess(hService, SERVICE_START, &handle)) return Finish("StartServiceA", args, error);
  return Finish("StartServiceA", args, StartDriver(*handle->service));
}

BOOL WINAPI ControlService(SC_HANDLE hService, DWORD dwControl, LPSERVICE_STATUS lpServiceStatus) {
  std::vector<std::string> args{Text(hService), Hex(dwControl)};
  if (DWORD error = Precondition("ControlService", Text(hService))) return Finish("ControlService", args, error);
  ServiceHandle* handle = nullptr;
  DWORD needed = dwControl == SERVICE_CONTROL_STOP ? SERVICE_STOP
                 : dwControl == SERVICE_CONTROL_INTERROGATE ? SERVICE_INTERROGATE
                                                            : SERVICE_PAUSE_CONTINUE;
  if (DWORD error = ServiceAccess(hService, needed, &handle)) return Finish("ControlService", args, error);
  if (lpServiceStatus == nullptr) return Finish("ControlService", args, ERROR_INVALID_ADDRESS);
  std::shared_ptr<ServiceState> service = handle->service;
  DWORD error = 0;
  if (!service->running) error = ERROR_SERVICE_NOT_ACTIVE;
  else if (dwControl != SERVICE_CONTROL_STOP && dwControl != SERVICE_CONTROL_INTERROGATE)
    error = ERROR_INVALID_SERVICE_CONTROL;  // drivers accept no pause
  else if (dwControl == SERVICE_CONTROL_STOP && Scm().behaviour[service->name].refusesStop)
    error = ERROR_INVALID_SERVICE_CONTROL;
  else if (dwControl == SERVICE_CONTROL_STOP)
    StopDriver(*service);
  *lpServiceStatus = StatusOf(*service);
  return Finish("ControlService", args, error);
}

BOOL WINAPI QueryServiceStatus(SC_HANDLE hService, LPSERVICE_STATUS lpServiceStatus) {
  std::vector<std::string> args{Text(hService)};
  if (DWORD error = Precondition("QueryServiceStatus", Text(hService)))
    return Finish("QueryServiceStatus", args, error);
  ServiceHandle* handle = nullptr;
  if (DWORD error = ServiceAccess(hService, SERVICE_QUERY_STATUS, &handle))
    return Finish("QueryServiceStatus", args, error);
  if (lpServiceStatus == nullptr) return Finish("QueryServiceStatus", args, ERROR_INVALID_ADDRESS);
  *lpServiceStatus = StatusOf(*handle->service);
  return Finish("QueryServiceStatus", args, 0);
}

BOOL WINAPI DeleteService(SC_HANDLE hService) {
  std::vector<std::string> args{Text(hService)};
  if (DWORD error = Precondition("DeleteService", Text(hService))) return Finish("DeleteService", args, error);
  ServiceHandle* handle = nullptr;
  if (DWORD error = ServiceAccess(hService, DELETE, &handle)) return Finish("DeleteService", args, error);
  ServiceState& service = *handle->service;
  if (service.markedForDeletion) return Finish("DeleteService", args, ERROR_SERVICE_MARKED_FOR_DELETE);
  service.markedForDeletion = true;
  // Windows notes the deletion in the key, so that a restart completes it.
  if (KeyExists(ServiceKeyPath(service.name))) SetDword(ServiceKeyPath(service.name), "DeleteFlag", 1);
  return Finish("DeleteService", args, 0);
}

BOOL WINAPI CloseServiceHandle(SC_HANDLE hSCObject) {
  std::vector<std::string> args{Text(hSCObject)};
  if (!M().profile.IsNt()) return Finish("CloseServiceHandle", args, ERROR_CALL_NOT_IMPLEMENTED);
  auto it = Scm().handles.find(reinterpret_cast<uintptr_t>(hSCObject));
  if (it == Scm().handles.end()) return Finish("CloseServiceHandle", args, ERROR_INVALID_HANDLE);
  std::shared_ptr<ServiceState> service = it->second.service;
  Scm().handles.erase(it);
  if (service) {
    --service->openHandles;
    CollectDeleted(service);
  }
  return Finish("CloseServiceHandle", args, 0);
}

}  // extern "C"
