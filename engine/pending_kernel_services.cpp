// Kernel services: not built yet.
// Until it is built, each operation fails without touching anything.
#include "kernel_services.h"

int InstallParallelService(BYTE*)
{
    return 0;
}

int WriteParallelParameters()
{
    return 0;
}

int ProbeParallelDevice()
{
    return 0;
}

int CreateAndStartService(const char*, const char*, const char*, BYTE*)
{
    return 0;
}

int StopAndDeleteService(const char*)
{
    return 0;
}

int RemoveServiceAndDevices(const char*)
{
    return 0;
}

