// The class-INF USB driver set and the DOS-capable installation.
#include "class_inf_usb.h"

int InstallClassInfUsb(BYTE*)
{
    return 0;
}

int InstallDosSupport(BYTE*)
{
    return 0;
}

bool BeginsWith(const char* text, const char* prefix)
{
    while (*prefix != '\0') {
        if (*text != *prefix)
            return false;
        ++text;
        ++prefix;
    }
    return true;
}
