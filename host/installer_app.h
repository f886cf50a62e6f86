// CInstallerApp: the whole life of Installer.exe happens in InitInstance.
//
// The engine is written from the "RESFILE" resource to <Windows>\system32\InstDll.dll, loaded from
// there and bound; on 64-bit Windows nothing more happens; the engine parses the command line; then
// "/?" ends, "/i" or "/r" runs setup silently with the unchanged command line, and a command line
// without options opens the wizard. Whatever happened, the engine is unloaded and its file deleted.
// InitInstance returns FALSE (no message loop); the exit code says how it went (exit_codes.h).
#ifndef TAVREL_HOST_INSTALLER_APP_H
#define TAVREL_HOST_INSTALLER_APP_H

#include "afxlite/app.h"

class CInstallerDlg;

class CInstallerApp : public CWinApp {
public:
    CInstallerApp() : CWinApp(NULL) {}
    ~CInstallerApp() override {}

    BOOL InitInstance() override;

private:
    // Everything up to the clean-up; returns the exit code.
    int RunEngine(CInstallerDlg& dlg);
};

#endif
