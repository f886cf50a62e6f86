/* Installs one of the payload's kernel drivers by hand as a service and checks it from the
 * same process (Wine ends a prefix's drivers when its last program exits):
 *
 *   driver_check parallel   TAVRELNT from system32\drivers\Tavrelnt.sys, with a "Parameters"
 *                           key written first: the device \\.\TAVRELNT opens, the parameter
 *                           request returns what was written, bad requests fail, and the
 *                           service stops again (the driver unloads)
 *   driver_check load NAME  service NAME from system32\drivers\NAME.sys: starts and stops
 *
 * Prints each check; exit code 0 when all pass. */
#include <windows.h>
#include <stdio.h>
#include <string.h>
#include "tavrel_ioctl.h"

static int g_failures;

static void Check(int ok, const char *what)
{
    printf("%s: %s\n", ok ? "ok  " : "FAIL", what);
    if (!ok)
        g_failures++;
}

static BOOL WriteDword(HKEY key, const char *name, DWORD value)
{
    return RegSetValueExA(key, name, 0, REG_DWORD, (const BYTE *)&value, sizeof value) == ERROR_SUCCESS;
}

/* Values chosen so that every field differs, one value is absent and one has the wrong type. */
static BOOL WriteParameters(void)
{
    HKEY key;
    BOOL ok;

    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Services\\TAVRELNT\\Parameters", 0,
                        NULL, 0, KEY_ALL_ACCESS, NULL, &key, NULL) != ERROR_SUCCESS)
        return FALSE;
    ok = WriteDword(key, "Support", 2) && WriteDword(key, "TestBusy", 1) && WriteDword(key, "DisablePort1", 632) &&
         WriteDword(key, "DisablePort2", 956) &&
         RegSetValueExA(key, "DisablePort3", 0, REG_SZ, (const BYTE *)"888", 4) == ERROR_SUCCESS;
    RegCloseKey(key);
    return ok;
}

static SC_HANDLE CreateAndStart(SC_HANDLE manager, const char *name, const char *file)
{
    char image[MAX_PATH];
    SC_HANDLE service;
    UINT length = GetSystemDirectoryA(image, MAX_PATH);

    if (length == 0 || length + strlen(file) + 10 > MAX_PATH)
        return NULL;
    strcat(image, "\\drivers\\");
    strcat(image, file);
    service = CreateServiceA(manager, name, name, SERVICE_ALL_ACCESS, SERVICE_KERNEL_DRIVER, SERVICE_DEMAND_START,
                             SERVICE_ERROR_NORMAL, image, NULL, NULL, NULL, NULL, NULL);
    Check(service != NULL, "service created");
    if (!service)
        return NULL;
    if (!StartServiceA(service, 0, NULL)) {
        printf("     StartService error %lu\n", GetLastError());
        Check(0, "service started");
        DeleteService(service);
        CloseServiceHandle(service);
        return NULL;
    }
    Check(1, "service started");
    return service;
}

/* Bounded: about five seconds. */
static void StopAndDelete(SC_HANDLE service)
{
    SERVICE_STATUS status;
    int i;

    ControlService(service, SERVICE_CONTROL_STOP, &status);
    for (i = 0; i < 50; i++) {
        if (QueryServiceStatus(service, &status) && status.dwCurrentState == SERVICE_STOPPED)
            break;
        Sleep(100);
    }
    Check(status.dwCurrentState == SERVICE_STOPPED, "service stopped (driver unloaded)");
    DeleteService(service);
    CloseServiceHandle(service);
}

static HANDLE OpenDevice(void)
{
    HANDLE device = INVALID_HANDLE_VALUE;
    int i;

    for (i = 0; i < 50 && device == INVALID_HANDLE_VALUE; i++) {
        device = CreateFileA(TAVREL_USER_PATH_A, GENERIC_READ | GENERIC_WRITE, 0, NULL, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, NULL);
        if (device == INVALID_HANDLE_VALUE)
            Sleep(100);
    }
    return device;
}

static void CheckParameterRequest(HANDLE device)
{
    TAVREL_PARAMETERS got;
    DWORD returned = 0;
    char small[4];
    BOOL ok;

    memset(&got, 0xAA, sizeof got);
    ok = DeviceIoControl(device, IOCTL_TAVREL_GET_PARAMETERS, NULL, 0, &got, sizeof got, &returned, NULL);
    Check(ok && returned == sizeof got, "parameter request answered with the whole record");
    printf("     Support=%u TestBusy=%u DisablePort=%u,%u,%u present=0x%02x\n", got.support, got.test_busy,
           got.disable_port[0], got.disable_port[1], got.disable_port[2], got.present);
    Check(got.support == 2 && got.test_busy == 1, "Support and TestBusy reached the driver");
    Check(got.disable_port[0] == 632 && got.disable_port[1] == 956, "DisablePort1 and DisablePort2 reached the driver");
    Check(got.disable_port[2] == 0, "DisablePort3 stored as text is ignored");
    /* DisablePort2's bit follows DisablePort1's. */
    Check(got.present == (TAVREL_HAS_SUPPORT | TAVREL_HAS_TESTBUSY | TAVREL_HAS_DISABLEPORT1 | (TAVREL_HAS_DISABLEPORT1 << 1)),
          "present mask names the four DWORD values");

    ok = DeviceIoControl(device, IOCTL_TAVREL_GET_PARAMETERS, NULL, 0, small, sizeof small, &returned, NULL);
    Check(!ok && GetLastError() == ERROR_INSUFFICIENT_BUFFER, "too small a buffer is refused");
    ok = DeviceIoControl(device, IOCTL_TAVREL_GET_PARAMETERS + 4, NULL, 0, &got, sizeof got, &returned, NULL);
    Check(!ok && GetLastError() == ERROR_INVALID_FUNCTION, "unknown request is refused");
}

static void CheckParallel(SC_HANDLE manager)
{
    SC_HANDLE service;
    HANDLE device;

    Check(WriteParameters(), "Parameters key written");
    service = CreateAndStart(manager, "TAVRELNT", "Tavrelnt.sys");
    if (!service)
        return;
    device = OpenDevice();
    Check(device != INVALID_HANDLE_VALUE, "\\\\.\\TAVRELNT opens");
    if (device != INVALID_HANDLE_VALUE) {
        CheckParameterRequest(device);
        CloseHandle(device);
    }
    StopAndDelete(service);
}

static void CheckLoad(SC_HANDLE manager, const char *name)
{
    char file[64];
    SC_HANDLE service;

    if (strlen(name) + 5 > sizeof file) {
        Check(0, "service name fits");
        return;
    }
    strcpy(file, name);
    strcat(file, ".sys");
    service = CreateAndStart(manager, name, file);
    if (service)
        StopAndDelete(service);
}

int main(int argc, char **argv)
{
    SC_HANDLE manager;

    if (argc < 2 || (strcmp(argv[1], "load") == 0 && argc < 3)) {
        fprintf(stderr, "usage: driver_check parallel | load NAME\n");
        return 2;
    }
    manager = OpenSCManagerA(NULL, NULL, SC_MANAGER_ALL_ACCESS);
    Check(manager != NULL, "service manager opened");
    if (!manager)
        return 1;
    if (strcmp(argv[1], "parallel") == 0)
        CheckParallel(manager);
    else
        CheckLoad(manager, argv[2]);
    CloseServiceHandle(manager);
    return g_failures == 0 ? 0 : 1;
}
