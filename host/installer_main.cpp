// The application object of Installer.exe; only the executable defines it (tests make their own).
#include "installer_app.h"

CInstallerApp theApp;
