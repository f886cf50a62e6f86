/* The settings the installer leaves for the parallel-port driver under its service key. */
#ifndef TAVREL_PARPORT_PARAMETERS_H
#define TAVREL_PARPORT_PARAMETERS_H

#include <ntddk.h>
#include "tavrel_ioctl.h"

/* Reads "Support", "TestBusy" and "DisablePort1".."DisablePort3" from the "Parameters"
 * subkey of service_key. Missing values (or a missing key) read as 0, the defaults:
 * both tokens, no busy test, no port left out. */
void ReadParportParameters(PUNICODE_STRING service_key, TAVREL_PARAMETERS *out);

#endif
