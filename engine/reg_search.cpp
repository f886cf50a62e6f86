#include <windows.h>

#include "engine_exports.h"
#include "unique_handle.h"

// The parallel service's keys in the first control set, children before their parent.
static const char* const kStaleServiceKeys[] = {
    "SYSTEM\\ControlSet001\\Services\\TAVRELNT\\Enum",
    "SYSTEM\\ControlSet001\\Services\\TAVRELNT\\Parameters",
    "SYSTEM\\ControlSet001\\Services\\TAVRELNT",
};

static bool KeyOpensForReading(const char* path)
{
    UniqueKey key;
    return RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, key.out()) == ERROR_SUCCESS;
}

// Clears the parallel service of the first control set when a root device of an older, conflicting
// installation exists. The second round of deletions decides the result; after the first round removed
// the keys it fails, so the result is 1 only where the first round could not open them.
int RegSearch()
{
    if (!KeyOpensForReading("SYSTEM\\ControlSet001\\Enum\\Root\\KQUSB\\0000"))
        return 0;
    for (const char* path : kStaleServiceKeys) {
        if (KeyOpensForReading(path))
            RegDeleteKeyA(HKEY_LOCAL_MACHINE, path);
    }
    for (const char* path : kStaleServiceKeys) {
        if (RegDeleteKeyA(HKEY_LOCAL_MACHINE, path) != ERROR_SUCCESS)
            return 0;
    }
    return 1;
}
