#include "deploy_paths.h"

#include <windows.h>

#include "bounded_path.h"
#include "system_paths.h"

// Both directory queries return the length without the terminator when it fits and the size needed
// (with the terminator) when it does not, so any result of the buffer size or more means "not read".
static bool Fits(UINT length)
{
    return length != 0 && length < kPathBufferSize;
}

int WindowsDirPath(char* out, const char* tail, const char* name)
{
    char windowsDir[kPathBufferSize] = {0};
    if (!Fits(GetWindowsDirectoryA(windowsDir, kPathBufferSize))) {
        out[0] = '\0';
        return 0;
    }
    return ComposePath(out, kPathBufferSize, windowsDir, tail, name);
}

int DriversDirPath(char* out, const char* name)
{
    char system32[kPathBufferSize] = {0};
    if (!GetSystem32Path(system32, sizeof system32)) {
        out[0] = '\0';
        return 0;
    }
    return ComposePath(out, kPathBufferSize, system32, "\\drivers\\", name);
}

int SystemDirPath(char* out, const char* name)
{
    char systemDir[kPathBufferSize] = {0};
    if (!Fits(GetSystemDirectoryA(systemDir, kPathBufferSize))) {
        out[0] = '\0';
        return 0;
    }
    return ComposePath(out, kPathBufferSize, systemDir, "\\", name);
}

void DeleteFileForced(const char* path)
{
    SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(path);
}
