#include "system_paths.h"

#include <string.h>
#include <windows.h>
#include <shlwapi.h>

#include "bounded_path.h"
#include "engine_state.h"
#include "pointer_check.h"
#include "resource_file.h"
#include "system_dirs.h"

int ExtractPayloadFile(const char* resourceName, const char* path)
{
    return WriteResourceFile(EngineSettings.Module, resourceName, path);
}

int GetSystem32Path(char* out, size_t size)
{
    if (out == NULL)
        return 0;
    memset(out, 0, size);
    // Without a Windows directory the result would be a bare "\system32" on whatever drive is current,
    // and drivers written there would never load: report the failure instead.
    char windowsDir[kPathBufferSize];
    memset(windowsDir, 0, sizeof windowsDir);
    if (!GetWindowsDirFromSystemDir(windowsDir))
        return 0;
    return ComposePath(out, size, windowsDir, "\\system32");
}

int EnsureDirectory(const char* path)
{
    if (IsBadPointer(path))
        return 0;
    if (PathFileExistsA(path))
        return 1;
    return CreateDirectoryA(path, NULL) ? 1 : 0;
}
