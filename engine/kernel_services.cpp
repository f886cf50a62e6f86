#include "kernel_services.h"

#include <string.h>
#include <windows.h>
#include <winsvc.h>

#include "bounded_path.h"
#include "devinfo_handle.h"
#include "engine_state.h"
#include "parallel_values.h"
#include "service_handle.h"
#include "system_paths.h"
#include "unique_handle.h"

static const char kParallelService[] = "TAVRELNT";
static const char kParametersKey[] = "System\\CurrentControlSet\\Services\\TAVRELNT\\Parameters";
static const DWORD kPropertyBufferSize = 8192;

static void StopAndDelete(SC_HANDLE service)
{
    SERVICE_STATUS status;
    ControlService(service, SERVICE_CONTROL_STOP, &status);
    DeleteService(service);
}

int WriteParallelParameters()
{
    UniqueKey key;
    if (RegCreateKeyA(HKEY_LOCAL_MACHINE, kParametersKey, key.out()) != ERROR_SUCCESS)
        return 0;
    WriteParallelValues(key.get(), ParallelSupportValue());
    return 1;
}

int ProbeParallelDevice()
{
    UniqueFile device(CreateFileA("\\\\.\\TAVRELNT", GENERIC_READ | GENERIC_WRITE, 0, NULL, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, NULL));
    return device.valid() ? 1 : 0;
}

int InstallParallelService(BYTE* needsRestart)
{
    char system32[kPathBufferSize];
    char vddPath[kPathBufferSize];
    char driverPath[kPathBufferSize];
    if (!GetSystem32Path(system32, sizeof system32) ||
        !ComposePath(vddPath, sizeof vddPath, system32, "\\TavrVdd.dll") ||
        !ComposePath(driverPath, sizeof driverPath, system32, "\\drivers\\Tavrelnt.sys"))
        return 0;

    UniqueService manager(OpenSCManagerA(NULL, NULL, SC_MANAGER_ALL_ACCESS));
    if (!manager.valid())
        return 0;
    {
        // The old handle is closed at once: an open handle would keep the deleted service alive and the
        // creation below would be refused.
        UniqueService old(OpenServiceA(manager.get(), kParallelService, SERVICE_ALL_ACCESS));
        if (old.valid())
            StopAndDelete(old.get());
    }

    if (!ExtractPayloadFile("TavrVdd.dll", vddPath) || !ExtractPayloadFile("Tavrelnt.sys", driverPath))
        return 0;

    {
        UniqueKey parameters;
        if (RegCreateKeyA(HKEY_LOCAL_MACHINE, kParametersKey, parameters.out()) != ERROR_SUCCESS)
            return 0;
        if (EngineSettings.SupportParallel == 0 && EngineSettings.SupportUsb == 0)
            return 0;
        WriteParallelValues(parameters.get(), ParallelSupportValue());
    }

    // A service that cannot be created (the old one still marked for deletion) is a failed installation,
    // not one that waits for a restart: the restart completes the old deletion and takes the service key,
    // parameters included, with it, so no driver would load afterwards.
    UniqueService service(CreateServiceA(manager.get(), kParallelService, kParallelService, SERVICE_ALL_ACCESS,
                                         SERVICE_KERNEL_DRIVER, SERVICE_AUTO_START, SERVICE_ERROR_NORMAL, driverPath,
                                         NULL, NULL, NULL, NULL, NULL));
    if (!service.valid())
        return 0;
    if (!StartServiceA(service.get(), 0, NULL)) {
        *needsRestart = 1;
        return 1;
    }
    Sleep(2000);  // the driver needs a moment to find its ports before its device answers
    *needsRestart = ProbeParallelDevice() ? 0 : 1;
    return 1;
}

int CreateAndStartService(const char* serviceName, const char* loadOrderGroup, const char* imagePath,
                          BYTE* needsRestart)
{
    char path[kPathBufferSize];
    if (imagePath != NULL && strnlen(imagePath, kPathBufferSize) < kPathBufferSize) {
        memcpy(path, imagePath, strlen(imagePath) + 1);
    } else {
        char system32[kPathBufferSize];
        if (!GetSystem32Path(system32, sizeof system32) ||
            !ComposePath(path, sizeof path, system32, "\\drivers\\", serviceName) ||
            !AppendPath(path, sizeof path, ".sys"))
            return 0;
    }

    UniqueService manager(OpenSCManagerA(NULL, NULL, SC_MANAGER_ALL_ACCESS));
    if (!manager.valid())
        return 0;
    UniqueService service(CreateServiceA(manager.get(), serviceName, serviceName, SERVICE_ALL_ACCESS,
                                         SERVICE_KERNEL_DRIVER, SERVICE_AUTO_START, SERVICE_ERROR_NORMAL, path,
                                         loadOrderGroup, NULL, NULL, NULL, NULL));
    if (!service.valid())
        return 0;
    *needsRestart = StartServiceA(service.get(), 0, NULL) ? 0 : 1;
    return 1;
}

int StopAndDeleteService(const char* serviceName)
{
    UniqueService manager(OpenSCManagerA(NULL, NULL, SC_MANAGER_ALL_ACCESS));
    if (!manager.valid())
        return 0;
    UniqueService service(OpenServiceA(manager.get(), serviceName, SERVICE_ALL_ACCESS));
    if (!service.valid())
        return GetLastError() == ERROR_SERVICE_DOES_NOT_EXIST ? 1 : 0;
    StopAndDelete(service.get());
    return 1;
}

// The property is a list of zero-terminated strings that ends at an empty string or at the byte count
// the read returned; a string cut off by that count is compared only as far as it goes.
static bool ListHasExactly(const char* list, DWORD size, const char* name)
{
    const size_t nameLength = strlen(name);
    DWORD offset = 0;
    while (offset < size && list[offset] != '\0') {
        const size_t length = strnlen(list + offset, size - offset);
        if (length == nameLength && memcmp(list + offset, name, length) == 0)
            return true;
        offset += static_cast<DWORD>(length) + 1;
    }
    return false;
}

// Asks the device installer to remove every device, present or not, that the service drives. False when
// the device list cannot be had; *allRemoved turns 0 when one removal fails, and the walk goes on.
static bool RemoveDevicesOfService(const char* serviceName, int* allRemoved)
{
    const SetupApiTable& api = SystemServices.SetupApi;
    UniqueDevInfo devices(api.GetClassDevs(NULL, NULL, NULL, DIGCF_ALLCLASSES), api.DestroyDeviceInfoList);
    if (!devices.valid())
        return false;
    char property[kPropertyBufferSize];
    SP_DEVINFO_DATA device;
    for (DWORD index = 0;; ++index) {
        memset(&device, 0, sizeof device);
        device.cbSize = sizeof device;
        if (!api.EnumDeviceInfo(devices.get(), index, &device))
            break;
        DWORD required = 0;
        if (!api.GetDeviceRegistryProperty(devices.get(), &device, SPDRP_SERVICE, NULL,
                                           reinterpret_cast<BYTE*>(property), sizeof property, &required))
            continue;  // usually a device without a service
        const DWORD size = required < sizeof property ? required : sizeof property;
        if (ListHasExactly(property, size, serviceName) &&
            !api.CallClassInstaller(DIF_REMOVE, devices.get(), &device))
            *allRemoved = 0;
    }
    return true;
}

int RemoveServiceAndDevices(const char* serviceName)
{
    int result = 1;
    if (!RemoveDevicesOfService(serviceName, &result))
        return 0;
    UniqueService manager(OpenSCManagerA(NULL, NULL, SC_MANAGER_ALL_ACCESS));
    if (!manager.valid())
        return 0;
    UniqueService service(OpenServiceA(manager.get(), serviceName, SERVICE_ALL_ACCESS));
    if (service.valid())
        StopAndDelete(service.get());
    return result;
}
