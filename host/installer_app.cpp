#include "installer_app.h"

#include "bounded_path.h"
#include "engine_exports.h"
#include "exit_codes.h"
#include "installer_dlg.h"
#include "resource_file.h"
#include "system_dirs.h"

BOOL CInstallerApp::InitInstance()
{
    CInstallerDlg dlg;
    g_dwOptionFlags = 0;
    SetExitCode(RunEngine(dlg));
    UnloadAndDeleteEngine(g_hEngine, kEngineFileName);
    m_pMainWnd = NULL;
    return FALSE;
}

int CInstallerApp::RunEngine(CInstallerDlg& dlg)
{
    // Without a Windows directory the path would be "\system32\InstDll.dll" on whatever drive is
    // current, a folder nobody chose; and a path that does not fit is not shortened, since a
    // shortened path names another file. Either way nothing is written or loaded.
    char windowsDir[kPathBufferSize] = "";
    char enginePath[kPathBufferSize];
    if (!GetWindowsDirFromSystemDir(windowsDir) ||
        !ComposePath(enginePath, sizeof(enginePath), windowsDir, "\\system32\\", kEngineFileName))
        return kExitSetupFailed;
    if (!WriteResourceFile(m_hInstance, kEngineFileName, enginePath))
        return kExitSetupFailed;
    if (!BindEngineExports(enginePath))
        return kExitSetupFailed;

    if (g_pfnIs64Process() == 1)
        return kExitPlatformUnsupported;

    LPSTR commandLine = GetCommandLineA();
    if (!g_pfnTv4ParseCmdLine(&g_dwOptionFlags, commandLine))
        return kExitCommandLineRejected;

    if (g_dwOptionFlags & OPT_HELP)
        return kExitSuccess;
    if (g_dwOptionFlags & (OPT_INSTALL | OPT_REMOVE)) {
        BYTE needRestart = 0;
        int result = g_pfnTv4Setup(&needRestart, commandLine);
        return SilentSetupExitCode(result, needRestart);
    }

    // The wizard shows its messages only while the interactive bit is set.
    g_dwOptionFlags |= OPT_INTERACTIVE;
    m_pMainWnd = &dlg;
    dlg.DoModal();
    return kExitSuccess;
}
