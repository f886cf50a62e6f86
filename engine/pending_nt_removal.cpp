// Removal on Windows 2000 and later: not built yet.
// Until it is built, each operation fails without touching anything.
#include "nt_removal.h"

int RemoveNtDrivers(BYTE*)
{
    return 0;
}

int DeleteNtDriverFiles()
{
    return 0;
}

int DeleteStagedFile(const char*)
{
    return 0;
}

int RemoveOemInfCopies(const char*, const char*, const char*, int)
{
    return 0;
}

int DeleteKeyTreeForced(const char*)
{
    return 0;
}

int OpenKeyTreeSecurity(HKEY, const char*)
{
    return 0;
}

int ResetKeySecurity(HKEY, const char*)
{
    return 0;
}

