#include "initialise.h"

#include "bounded_path.h"
#include "engine_state.h"

int EnsureInitialised()
{
    if (SystemServices.Initialised == 1)
        return 1;
    ClassifyWindows();
    if (EngineSettings.OsClass == OS_UNSUPPORTED)
        return 0;
    const int bound = BindSetupApi();
    SystemServices.Initialised = bound == 1 ? 1 : 0;
    return bound;
}

static int ClassifyWindows9x(const OSVERSIONINFOA& version)
{
    if (version.dwMajorVersion != 4)
        return OS_UNSUPPORTED;
    switch (version.dwMinorVersion) {
    case 0: return OS_WIN95;
    case 10: return OS_WIN98;
    case 90: return OS_WINME;
    default: return OS_UNSUPPORTED;
    }
}

static int ClassifyWindowsNt(const OSVERSIONINFOA& version)
{
    switch (version.dwMajorVersion) {
    case 4: return OS_NT4;
    case 5:
        if (version.dwMinorVersion == 0)
            return OS_WIN2000;
        return version.dwMinorVersion == 1 ? OS_WINXP : OS_WIN2003;
    case 6: return OS_VISTA;
    default: return OS_UNSUPPORTED;
    }
}

void ClassifyWindows()
{
    EngineSettings.OsClass = OS_UNSUPPORTED;

    OSVERSIONINFOA version;
    ZeroMemory(&version, sizeof version);
    version.dwOSVersionInfoSize = sizeof version;  // 148: the form every generation accepts
    if (!GetVersionExA(&version)) {
        // Without version details only the family is known; the oldest member of each is assumed.
        EngineSettings.OsClass = (GetVersion() & 0x80000000u) == 0 ? OS_NT4 : OS_WIN95;
        EngineSettings.Language = LANGUAGE_CHINESE;
        return;
    }

    EngineSettings.Language = GetSystemDefaultLCID() == 0x804 ? LANGUAGE_CHINESE : LANGUAGE_ENGLISH;

    if (version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS)
        EngineSettings.OsClass = ClassifyWindows9x(version);
    else if (version.dwPlatformId == VER_PLATFORM_WIN32_NT)
        EngineSettings.OsClass = ClassifyWindowsNt(version);
}

// The table's entries are typed; GetProcAddress gives a generic pointer. Going through void(*)() keeps
// the compiler from warning about an incompatible function cast.
template <class Fn>
static void Bind(Fn& entry, HMODULE module, const char* name)
{
    entry = reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

// Loads a system library from the system directory by its full path: a bare name would also find a
// library planted beside the calling program.
static HMODULE LoadSystemLibrary(const char* fileName)
{
    char systemDir[kPathBufferSize];
    const UINT length = GetSystemDirectoryA(systemDir, sizeof systemDir);
    if (length == 0 || length >= sizeof systemDir)
        return NULL;
    char path[kPathBufferSize];
    if (!ComposePath(path, sizeof path, systemDir, "\\", fileName))
        return NULL;
    return LoadLibraryExA(path, NULL, LOAD_WITH_ALTERED_SEARCH_PATH);
}

static void ReleaseModule(HMODULE& module)
{
    if (module != NULL) {
        FreeLibrary(module);
        module = NULL;
    }
}

void ReleaseSetupApi()
{
    ReleaseModule(SystemServices.SetupApiModule);
    ReleaseModule(SystemServices.NewDevModule);
}

int BindSetupApi()
{
    SetupApiTable& table = SystemServices.SetupApi;

    ReleaseModule(SystemServices.SetupApiModule);
    SystemServices.SetupApiModule = LoadSystemLibrary("SetupApi.dll");
    HMODULE setupApi = SystemServices.SetupApiModule;
    if (setupApi == NULL)
        return 0;

    Bind(table.GetClassDevs, setupApi, "SetupDiGetClassDevsA");
    Bind(table.EnumDeviceInfo, setupApi, "SetupDiEnumDeviceInfo");
    Bind(table.GetDeviceRegistryProperty, setupApi, "SetupDiGetDeviceRegistryPropertyA");
    Bind(table.CallClassInstaller, setupApi, "SetupDiCallClassInstaller");
    Bind(table.DestroyDeviceInfoList, setupApi, "SetupDiDestroyDeviceInfoList");
    Bind(table.GetInfClass, setupApi, "SetupDiGetINFClassA");
    Bind(table.CreateDeviceInfoList, setupApi, "SetupDiCreateDeviceInfoList");
    Bind(table.CreateDeviceInfo, setupApi, "SetupDiCreateDeviceInfoA");
    Bind(table.SetDeviceRegistryProperty, setupApi, "SetupDiSetDeviceRegistryPropertyA");
    Bind(table.DeleteDeviceInfo, setupApi, "SetupDiDeleteDeviceInfo");
    Bind(table.CopyOemInf, setupApi, "SetupCopyOEMInfA");

    if (!table.GetClassDevs || !table.EnumDeviceInfo || !table.GetDeviceRegistryProperty ||
        !table.CallClassInstaller || !table.DestroyDeviceInfoList || !table.GetInfClass ||
        !table.CreateDeviceInfoList || !table.CreateDeviceInfo || !table.SetDeviceRegistryProperty ||
        !table.DeleteDeviceInfo)
        return 0;

    // The driver-update library exists from Windows 2000 on; older systems never need it.
    if (EngineSettings.OsClass <= OS_NT4)
        return 1;

    ReleaseModule(SystemServices.NewDevModule);
    table.UpdateDriverForPlugAndPlayDevices = NULL;
    SystemServices.NewDevModule = LoadSystemLibrary("newdev.dll");
    if (SystemServices.NewDevModule == NULL)
        return 0;
    Bind(table.UpdateDriverForPlugAndPlayDevices, SystemServices.NewDevModule, "UpdateDriverForPlugAndPlayDevicesA");
    return table.UpdateDriverForPlugAndPlayDevices != NULL ? 1 : 0;
}
