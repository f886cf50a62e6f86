#include "wdm_stack.h"

/* Only the first device carries the name; a second root device (a repeated installation
 * registers one more) still gets a working, unnamed stack. *named tells which one it is. */
static NTSTATUS CreateFunctionDevice(PDRIVER_OBJECT driver, PCWSTR device_name, PDEVICE_OBJECT *fdo,
                                     BOOLEAN *named)
{
    UNICODE_STRING name;
    NTSTATUS status;

    if (device_name) {
        RtlInitUnicodeString(&name, device_name);
        status = IoCreateDevice(driver, sizeof(WDM_FDO_EXTENSION), &name, FILE_DEVICE_UNKNOWN, 0, FALSE, fdo);
        *named = NT_SUCCESS(status);
        if (status != STATUS_OBJECT_NAME_COLLISION)
            return status;
    }
    *named = FALSE;
    return IoCreateDevice(driver, sizeof(WDM_FDO_EXTENSION), NULL, FILE_DEVICE_UNKNOWN, 0, FALSE, fdo);
}

NTSTATUS WdmAddFunctionDevice(PDRIVER_OBJECT driver, PDEVICE_OBJECT pdo, PCWSTR device_name, PCWSTR link_name)
{
    PDEVICE_OBJECT fdo = NULL;
    WDM_FDO_EXTENSION *ext;
    UNICODE_STRING link, target;
    BOOLEAN named = FALSE;
    NTSTATUS status = CreateFunctionDevice(driver, device_name, &fdo, &named);

    if (!NT_SUCCESS(status))
        return status;
    ext = (WDM_FDO_EXTENSION *)fdo->DeviceExtension;
    ext->link_name = NULL;
    ext->lower = IoAttachDeviceToDeviceStack(fdo, pdo);
    if (!ext->lower) {
        IoDeleteDevice(fdo);
        return STATUS_NO_SUCH_DEVICE;
    }
    if (named && link_name) {
        RtlInitUnicodeString(&link, link_name);
        RtlInitUnicodeString(&target, device_name);
        if (NT_SUCCESS(IoCreateSymbolicLink(&link, &target)))
            ext->link_name = link_name;
    }
    fdo->Flags |= DO_POWER_PAGABLE | DO_BUFFERED_IO;
    fdo->Flags &= ~DO_DEVICE_INITIALIZING;
    return STATUS_SUCCESS;
}

static NTSTATUS PassPower(WDM_FDO_EXTENSION *ext, PIRP irp)
{
    PoStartNextPowerIrp(irp);
    IoSkipCurrentIrpStackLocation(irp);
    return PoCallDriver(ext->lower, irp);
}

static NTSTATUS PassPnp(PDEVICE_OBJECT fdo, WDM_FDO_EXTENSION *ext, PIRP irp)
{
    UCHAR minor = IoGetCurrentIrpStackLocation(irp)->MinorFunction;
    PDEVICE_OBJECT lower = ext->lower;
    UNICODE_STRING link;
    NTSTATUS status;

    switch (minor) {
    case IRP_MN_QUERY_REMOVE_DEVICE:
    case IRP_MN_CANCEL_REMOVE_DEVICE:
    case IRP_MN_SURPRISE_REMOVAL:
    case IRP_MN_QUERY_STOP_DEVICE:
    case IRP_MN_CANCEL_STOP_DEVICE:
    case IRP_MN_STOP_DEVICE:
    case IRP_MN_REMOVE_DEVICE:
        /* Nothing of ours stands in the way of these; say so to the bus driver. */
        irp->IoStatus.Status = STATUS_SUCCESS;
        break;
    default:
        break;
    }
    IoSkipCurrentIrpStackLocation(irp);
    status = IoCallDriver(lower, irp);
    if (minor == IRP_MN_REMOVE_DEVICE) {
        if (ext->link_name) {
            RtlInitUnicodeString(&link, ext->link_name);
            IoDeleteSymbolicLink(&link);
        }
        IoDetachDevice(lower);
        IoDeleteDevice(fdo);
    }
    return status;
}

NTSTATUS WdmPassDown(PDEVICE_OBJECT fdo, PIRP irp)
{
    WDM_FDO_EXTENSION *ext = (WDM_FDO_EXTENSION *)fdo->DeviceExtension;

    switch (IoGetCurrentIrpStackLocation(irp)->MajorFunction) {
    case IRP_MJ_PNP:
        return PassPnp(fdo, ext, irp);
    case IRP_MJ_POWER:
        return PassPower(ext, irp);
    default:
        IoSkipCurrentIrpStackLocation(irp);
        return IoCallDriver(ext->lower, irp);
    }
}
