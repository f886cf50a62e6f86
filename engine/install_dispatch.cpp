#include "install_dispatch.h"

#include "bounded_path.h"
#include "class_inf_usb.h"
#include "engine_state.h"
#include "install_record.h"
#include "nt4_deploy.h"
#include "nt_removal.h"
#include "pnp_install.h"
#include "system_paths.h"
#include "win9x_deploy.h"

typedef int (*DeploymentOperation)(BYTE* needsRestart);

// The Vista WDM set, then the DOS-support library beside the system's own DOS drivers. A library that
// cannot be written fails the whole installation, so no record claims DOS support that is not there.
static int InstallVistaWithDosLibrary(BYTE* needsRestart)
{
    if (!InstallPnpDriversVista(needsRestart))
        return 0;
    char system32[kPathBufferSize];
    char path[kPathBufferSize];
    if (GetSystem32Path(system32, sizeof system32) && ComposePath(path, sizeof path, system32, "\\", "TavrVdd.dll") &&
        ExtractPayloadFile("TavrVdd.dll", path))
        return 1;
    *needsRestart = 0;
    return 0;
}

struct Deployment {
    int osClass;
    DeploymentOperation installWdmSet;  // without OPT_DOS
    DeploymentOperation installDosSet;  // with OPT_DOS
    DeploymentOperation remove;
};

// Windows 9x and NT 4.0 have one driver arrangement each, and Windows 2000 only the DOS-capable set,
// whatever the option asks; the record still follows the option.
static const Deployment kDeployments[] = {
    {OS_WIN95, InstallStaticVxd, InstallStaticVxd, RemoveStaticVxd},
    {OS_WIN98, InstallWin98, InstallWin98, RemoveWin98Me},
    {OS_WINME, InstallWinMe, InstallWinMe, RemoveWin98Me},
    {OS_NT4, InstallNt4, InstallNt4, RemoveNt4},
    {OS_WIN2000, InstallDosSupport, InstallDosSupport, RemoveNtDrivers},
    {OS_WINXP, InstallPnpDrivers, InstallDosSupport, RemoveNtDrivers},
    {OS_WIN2003, InstallPnpDrivers, InstallDosSupport, RemoveNtDrivers},
    {OS_VISTA, InstallPnpDriversVista, InstallVistaWithDosLibrary, RemoveNtDrivers},
};

static const Deployment* DeploymentForThisWindows()
{
    for (const Deployment& deployment : kDeployments) {
        if (deployment.osClass == EngineSettings.OsClass)
            return &deployment;
    }
    return NULL;
}

int InstallForWindows(BYTE* needsRestart, BYTE isSupportDos)
{
    *needsRestart = 0;
    const Deployment* deployment = DeploymentForThisWindows();
    if (deployment == NULL)
        return 0;
    const int result = (isSupportDos ? deployment->installDosSet : deployment->installWdmSet)(needsRestart);
    if (result)
        WriteInstallRecord(isSupportDos);
    return result;
}

int RemoveForWindows(BYTE* needsRestart)
{
    *needsRestart = 0;
    const Deployment* deployment = DeploymentForThisWindows();
    const int result = deployment != NULL ? deployment->remove(needsRestart) : 0;
    // Removed drivers may still be loaded until Windows restarts, and the record must not outlive a
    // removal that stopped half-way.
    *needsRestart = 1;
    DeleteInstallRecord();
    return result;
}
