// Windows NT 4.0 deployment: not built yet.
// Until it is built, each operation fails without touching anything.
#include "nt4_deploy.h"

int InstallNt4(BYTE*)
{
    return 0;
}

int InstallNt4UsbStack(BYTE*)
{
    return 0;
}

int RemoveNt4(BYTE*)
{
    return 0;
}

int DeleteNt4DriverFiles()
{
    return 0;
}

