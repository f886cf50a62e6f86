/* The function-device half shared by the WDM drivers: one device object on top of the
 * device the bus (or the root enumerator) created, passing down what it does not own. */
#ifndef TAVREL_WDM_STACK_H
#define TAVREL_WDM_STACK_H

#include <ntddk.h>

typedef struct WDM_FDO_EXTENSION {
    PDEVICE_OBJECT lower;     /* next device down the stack */
    PCWSTR link_name;         /* symbolic link to delete on removal, or NULL */
} WDM_FDO_EXTENSION;

/* Creates the function device (named when device_name is given; a second device of the
 * same driver falls back to an unnamed one) and attaches it above pdo. */
NTSTATUS WdmAddFunctionDevice(PDRIVER_OBJECT driver, PDEVICE_OBJECT pdo,
                              PCWSTR device_name, PCWSTR link_name);

/* Passes a Plug-and-Play, power or other request down the stack, tearing the device
 * down on IRP_MN_REMOVE_DEVICE. */
NTSTATUS WdmPassDown(PDEVICE_OBJECT fdo, PIRP irp);

#endif
