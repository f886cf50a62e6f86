// The file part of the NT-family removal: driver files in place, staged copies, INF-store copies.
#include "nt_removal.h"

#include <string.h>
#include <windows.h>

#include "bounded_path.h"
#include "deploy_paths.h"
#include "system_paths.h"

namespace {

enum Folder { SYSTEM32, DRIVERS, INF };

struct InstalledFile {
    Folder folder;
    const char* name;
};

// Everything the three driver sets put in place, in deletion order.
const InstalledFile kInstalledFiles[] = {
    {SYSTEM32, "TavrVdd.dll"},   {DRIVERS, "TavrelNt.sys"},   {DRIVERS, "TavrUsb.sys"},
    {INF, "TavrUsb.inf"},        {INF, "TavrUsb.pnf"},        {INF, "Tavrel4.inf"},
    {DRIVERS, "Tavrel4.sys"},    {DRIVERS, "Tavrel4USB.sys"}, {SYSTEM32, "Tl4CoInst.dll"},
};

const char* const kStagedFiles[] = {
    "TavrVdd.dll", "TavrelNt.sys", "TavrUsb.sys", "TavrUsb.inf", "Tavrel4.inf",
    "Tavrel4.sys", "Tavrel4USB.sys", "Tl4CoInst.dll", "tavrel4.cat",
};

// 0 when the folder cannot be had: the file would otherwise be looked for under "\..." of whatever drive
// is current, which may hold someone else's file of that name.
int InstalledFilePath(char* out, const InstalledFile& file)
{
    switch (file.folder) {
    case SYSTEM32: {
        char system32Dir[kPathBufferSize];
        return GetSystem32Path(system32Dir, sizeof system32Dir) &&
               ComposePath(out, kPathBufferSize, system32Dir, "\\", file.name);
    }
    case DRIVERS:
        return DriversDirPath(out, file.name);
    case INF:
        return WindowsDirPath(out, "\\inf\\", file.name);
    }
    return 0;
}

}  // namespace

int DeleteNtDriverFiles()
{
    for (const InstalledFile& file : kInstalledFiles) {
        char path[kPathBufferSize];
        if (InstalledFilePath(path, file))
            DeleteFileForced(path);
    }

    for (const char* name : kStagedFiles)
        DeleteStagedFile(name);

    RemoveOemInfCopies("Strings", "^-^ Orvanta Corp", "MSFT", 64);
    RemoveOemInfCopies("Strings", "Orvanta TAVREL4", "Tavrel.DeviceDesc", 64);
    return 1;
}

int DeleteStagedFile(const char* fileName)
{
    if (fileName == NULL)
        return 0;
    const char* lastBackslash = strrchr(fileName, '\\');
    const char* name = lastBackslash != NULL ? lastBackslash + 1 : fileName;
    // An empty name would make the target the staging folder itself.
    if (*name == '\0')
        return 0;

    char stagingDir[kPathBufferSize];
    if (!WindowsDirPath(stagingDir, "\\Temp") || !EnsureDirectory(stagingDir))
        return 0;
    char path[kPathBufferSize];
    if (!ComposePath(path, sizeof path, stagingDir, "\\", name))
        return 0;
    return DeleteFileA(path) ? 1 : 0;
}
