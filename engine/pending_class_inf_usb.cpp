// Class-INF USB set and DOS-capable installation: not built yet.
// Until it is built, each operation fails without touching anything.
#include "class_inf_usb.h"

int InstallClassInfUsb(BYTE*)
{
    return 0;
}

int InstallDosSupport(BYTE*)
{
    return 0;
}

bool BeginsWith(const char*, const char*)
{
    return false;
}

