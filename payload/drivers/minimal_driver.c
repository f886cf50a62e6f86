/* Stand-in for the USB drivers: it loads, announces itself and unloads cleanly. Built as
 * a legacy kernel service (the NT 4.0 stack: USBHCD.SYS, USBHUB.SYS, TVUSBNT.SYS) and,
 * with TAVREL_WDM, as a pass-through function driver for a Plug-and-Play device
 * (TAVRUSB.SYS, TAVREL4USB.SYS, VIS_TAVREL4USB.SYS). It does not talk to the token. */
#include <ntddk.h>
#ifdef TAVREL_WDM
#include "wdm_stack.h"
#endif

#ifndef TAVREL_DRIVER_NAME
#error TAVREL_DRIVER_NAME names the file this build produces
#endif

static VOID NTAPI Unload(PDRIVER_OBJECT driver)
{
    (void)driver;
    DbgPrint(TAVREL_DRIVER_NAME ": unloaded\n");
}

#ifdef TAVREL_WDM
static NTSTATUS NTAPI AddDevice(PDRIVER_OBJECT driver, PDEVICE_OBJECT pdo)
{
    return WdmAddFunctionDevice(driver, pdo, NULL, NULL);
}

static NTSTATUS NTAPI PassDown(PDEVICE_OBJECT device, PIRP irp)
{
    return WdmPassDown(device, irp);
}
#endif

NTSTATUS NTAPI DriverEntry(PDRIVER_OBJECT driver, PUNICODE_STRING registry_path)
{
    (void)registry_path;
    DbgPrint(TAVREL_DRIVER_NAME ": loaded\n");
#ifdef TAVREL_WDM
    {
        unsigned int i;
        for (i = 0; i <= IRP_MJ_MAXIMUM_FUNCTION; i++)
            driver->MajorFunction[i] = PassDown;
        driver->DriverExtension->AddDevice = AddDevice;
    }
#endif
    driver->DriverUnload = Unload;
    return STATUS_SUCCESS;
}
