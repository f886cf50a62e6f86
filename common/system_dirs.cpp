#include "system_dirs.h"

#include <string.h>
#include <windows.h>

#include "bounded_path.h"

int GetWindowsDirFromSystemDir(char* out)
{
    char systemDir[kPathBufferSize];
    memset(systemDir, 0, sizeof systemDir);
    // GetSystemDirectoryA reports the size it needs, without writing, when the buffer is too small.
    const UINT length = GetSystemDirectoryA(systemDir, sizeof systemDir);
    if (length == 0 || length >= sizeof systemDir)
        return 0;

    for (UINT i = length; i > 0; --i) {
        if (systemDir[i - 1] == '\\') {
            systemDir[i - 1] = '\0';
            memcpy(out, systemDir, i);
            return 1;
        }
    }
    return 0;
}
