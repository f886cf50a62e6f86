// Copies of our INF files in the system's INF store (oemN.inf with its precompiled oemN.pnf).
#include "nt_removal.h"

#include <string.h>
#include <windows.h>

#include "bounded_path.h"
#include "class_inf_usb.h"
#include "deploy_paths.h"

int RemoveOemInfCopies(const char* section, const char* expectedText, const char* keyName, int count)
{
    // An empty text begins every value, and the store holds other vendors' drivers.
    if (expectedText == NULL || expectedText[0] == '\0')
        return 1;
    char infDir[kPathBufferSize];
    if (!WindowsDirPath(infDir, "\\inf\\"))
        return 1;

    for (int number = 0; number < count; ++number) {
        char name[16];
        char path[kPathBufferSize];
        wsprintfA(name, "oem%d.inf", number);
        if (!ComposePath(path, sizeof path, infDir, name))
            continue;

        char value[kPathBufferSize];
        memset(value, 0, sizeof value);
        GetPrivateProfileStringA(section, keyName, "mopa", value, sizeof value, path);
        if (!BeginsWith(value, expectedText))
            continue;

        DeleteFileA(path);
        wsprintfA(name, "oem%d.pnf", number);
        if (ComposePath(path, sizeof path, infDir, name))
            DeleteFileA(path);
    }
    return 1;
}
