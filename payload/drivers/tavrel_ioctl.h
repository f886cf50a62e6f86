/* The one request the parallel-port drivers answer, shared by the drivers and the
 * programs that talk to them (kernel and user mode, both pointer sizes). */
#ifndef TAVREL_IOCTL_H
#define TAVREL_IOCTL_H

#define TAVREL_DEVICE_NAME_W   L"\\Device\\TAVRELNT"
#define TAVREL_DOS_NAME_W      L"\\DosDevices\\TAVRELNT"
#define TAVREL_USER_PATH_A     "\\\\.\\TAVRELNT"

/* CTL_CODE(FILE_DEVICE_UNKNOWN, 0x800, METHOD_BUFFERED, FILE_ANY_ACCESS), spelled out so
 * that this header needs neither winioctl.h nor the driver kit. */
#define IOCTL_TAVREL_GET_PARAMETERS 0x00222000u

/* Bits of TAVREL_PARAMETERS.present: which values the driver found in its "Parameters"
 * key. A value that is missing (or not a 4-byte REG_DWORD) reads as 0. */
#define TAVREL_HAS_SUPPORT       0x01u
#define TAVREL_HAS_TESTBUSY      0x02u
#define TAVREL_HAS_DISABLEPORT1  0x04u /* DisablePort2 is 0x08, DisablePort3 0x10 */

typedef struct TAVREL_PARAMETERS {
    unsigned int support;         /* 0 both tokens, 1 parallel only, 2 USB only */
    unsigned int test_busy;       /* 1: detect a busy printer before talking to the token */
    unsigned int disable_port[3]; /* base I/O addresses left out of the port search, 0 = none */
    unsigned int present;         /* TAVREL_HAS_* */
} TAVREL_PARAMETERS;

#endif
