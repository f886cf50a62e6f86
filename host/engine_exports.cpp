#include "engine_exports.h"

#include "bounded_path.h"

const char kEngineFileName[] = "InstDll.dll";

DWORD g_dwOptionFlags = 0;
HMODULE g_hEngine = NULL;
PFN_TV4SETUP g_pfnTv4Setup = NULL;
PFN_TV4PARSECMDLINE g_pfnTv4ParseCmdLine = NULL;
PFN_TV4ISHAVEINSTALL g_pfnTv4IsHaveInstall = NULL;
PFN_TV4GETVERSION g_pfnTv4GetVersion = NULL;
PFN_WINGETVERSION g_pfnWinGetVersion = NULL;
PFN_REBOOT g_pfnReBoot = NULL;
PFN_IS64PROCESS g_pfnIs64Process = NULL;

// GetProcAddress gives a generic function pointer; going through void(*)() keeps the conversion
// to the export's real type free of cast warnings.
template <class Function>
static bool BindExport(HMODULE module, LPCSTR name, Function& slot)
{
    slot = reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
    return slot != NULL;
}

static void ForgetEngineExports()
{
    g_pfnTv4Setup = NULL;
    g_pfnTv4ParseCmdLine = NULL;
    g_pfnTv4IsHaveInstall = NULL;
    g_pfnTv4GetVersion = NULL;
    g_pfnWinGetVersion = NULL;
    g_pfnReBoot = NULL;
    g_pfnIs64Process = NULL;
}

int BindEngineExports(LPCSTR enginePath)
{
    ForgetEngineExports();
    g_hEngine = LoadLibraryExA(enginePath, NULL, LOAD_WITH_ALTERED_SEARCH_PATH);
    if (g_hEngine == NULL)
        return 0;
    // Every export is looked up, in this order, even after one is missing.
    bool all = BindExport(g_hEngine, "Tv4Setup", g_pfnTv4Setup);
    all &= BindExport(g_hEngine, "Tv4ParseCmdLine", g_pfnTv4ParseCmdLine);
    all &= BindExport(g_hEngine, "Tv4IsHaveInstall", g_pfnTv4IsHaveInstall);
    all &= BindExport(g_hEngine, "Tv4GetVersion", g_pfnTv4GetVersion);
    all &= BindExport(g_hEngine, "WinGetVersion", g_pfnWinGetVersion);
    all &= BindExport(g_hEngine, "ReBoot", g_pfnReBoot);
    all &= BindExport(g_hEngine, "Is64Process", g_pfnIs64Process);
    return all ? 1 : 0;
}

int UnloadAndDeleteEngine(HMODULE module, LPCSTR fileName)
{
    if (module != NULL) {
        FreeLibrary(module);
        if (module == g_hEngine) {
            g_hEngine = NULL;
            ForgetEngineExports();
        }
    }

    char windowsDir[kPathBufferSize];
    UINT length = GetWindowsDirectoryA(windowsDir, kPathBufferSize);
    char path[kPathBufferSize];
    if (length == 0 || length >= kPathBufferSize ||
        !ComposePath(path, sizeof(path), windowsDir, "\\system32\\", fileName))
        return 1;
    SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(path);
    return 1;
}
