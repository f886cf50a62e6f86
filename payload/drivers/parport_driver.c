/* Parallel-port token driver. Built three times from this file: TAVRELNT.SYS, the legacy
 * kernel service of NT 4.0 to XP, and (with TAVREL_WDM) TAVREL4.SYS / VIS_TAVREL4.SYS,
 * the function driver of the root-enumerated device "TavrelBus\Tavrel". Each variant
 * exposes \\.\TAVRELNT, reads its settings once when it loads and reports them through
 * IOCTL_TAVREL_GET_PARAMETERS; talking to the token itself is the vendor's driver's job. */
#include <ntddk.h>
#include "tavrel_ioctl.h"
#include "parport_parameters.h"
#ifdef TAVREL_WDM
#include "wdm_stack.h"
#endif

#ifndef TAVREL_EDITION
#define TAVREL_EDITION "NT"
#endif

static TAVREL_PARAMETERS g_parameters;

static NTSTATUS Complete(PIRP irp, NTSTATUS status, ULONG_PTR information)
{
    irp->IoStatus.Status = status;
    irp->IoStatus.Information = information;
    IoCompleteRequest(irp, IO_NO_INCREMENT);
    return status;
}

static NTSTATUS DeviceControl(PIRP irp)
{
    PIO_STACK_LOCATION stack = IoGetCurrentIrpStackLocation(irp);
    TAVREL_PARAMETERS *out = (TAVREL_PARAMETERS *)irp->AssociatedIrp.SystemBuffer;

    if (stack->Parameters.DeviceIoControl.IoControlCode != IOCTL_TAVREL_GET_PARAMETERS)
        return Complete(irp, STATUS_INVALID_DEVICE_REQUEST, 0);
    if (stack->Parameters.DeviceIoControl.OutputBufferLength < sizeof(TAVREL_PARAMETERS) || !out)
        return Complete(irp, STATUS_BUFFER_TOO_SMALL, 0);
    *out = g_parameters;
    return Complete(irp, STATUS_SUCCESS, sizeof(TAVREL_PARAMETERS));
}

static NTSTATUS NTAPI Dispatch(PDEVICE_OBJECT device, PIRP irp)
{
    switch (IoGetCurrentIrpStackLocation(irp)->MajorFunction) {
    case IRP_MJ_CREATE:
    case IRP_MJ_CLOSE:
    case IRP_MJ_CLEANUP:
        return Complete(irp, STATUS_SUCCESS, 0);
    case IRP_MJ_DEVICE_CONTROL:
        return DeviceControl(irp);
    default:
#ifdef TAVREL_WDM
        return WdmPassDown(device, irp);
#else
        (void)device;
        return Complete(irp, STATUS_INVALID_DEVICE_REQUEST, 0);
#endif
    }
}

#ifdef TAVREL_WDM
static NTSTATUS NTAPI AddDevice(PDRIVER_OBJECT driver, PDEVICE_OBJECT pdo)
{
    return WdmAddFunctionDevice(driver, pdo, TAVREL_DEVICE_NAME_W, TAVREL_DOS_NAME_W);
}

/* Plug and Play has removed every device before it unloads us. */
static VOID NTAPI Unload(PDRIVER_OBJECT driver)
{
    (void)driver;
}

static NTSTATUS CreateDevices(PDRIVER_OBJECT driver)
{
    driver->DriverExtension->AddDevice = AddDevice;
    return STATUS_SUCCESS;
}
#else
static VOID NTAPI Unload(PDRIVER_OBJECT driver)
{
    UNICODE_STRING link;

    RtlInitUnicodeString(&link, TAVREL_DOS_NAME_W);
    IoDeleteSymbolicLink(&link);
    if (driver->DeviceObject)
        IoDeleteDevice(driver->DeviceObject);
}

static NTSTATUS CreateDevices(PDRIVER_OBJECT driver)
{
    UNICODE_STRING name, link;
    PDEVICE_OBJECT device = NULL;
    NTSTATUS status;

    RtlInitUnicodeString(&name, TAVREL_DEVICE_NAME_W);
    RtlInitUnicodeString(&link, TAVREL_DOS_NAME_W);
    status = IoCreateDevice(driver, 0, &name, FILE_DEVICE_UNKNOWN, 0, FALSE, &device);
    if (!NT_SUCCESS(status))
        return status;
    status = IoCreateSymbolicLink(&link, &name);
    if (!NT_SUCCESS(status)) {
        IoDeleteDevice(device);
        return status;
    }
    device->Flags |= DO_BUFFERED_IO;
    return STATUS_SUCCESS;
}
#endif

NTSTATUS NTAPI DriverEntry(PDRIVER_OBJECT driver, PUNICODE_STRING registry_path)
{
    unsigned int i;

    ReadParportParameters(registry_path, &g_parameters);
    DbgPrint("TAVRELNT (" TAVREL_EDITION " build): Support=%u TestBusy=%u DisablePort=%u,%u,%u\n",
             g_parameters.support, g_parameters.test_busy, g_parameters.disable_port[0],
             g_parameters.disable_port[1], g_parameters.disable_port[2]);
    for (i = 0; i <= IRP_MJ_MAXIMUM_FUNCTION; i++)
        driver->MajorFunction[i] = Dispatch;
    driver->DriverUnload = Unload;
    return CreateDevices(driver);
}
