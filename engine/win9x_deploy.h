// Installation and removal on Windows 95, 98 and ME: the static VxD, with the class-INF USB set on 98 and ME.
#ifndef TAVREL_ENGINE_WIN9X_DEPLOY_H
#define TAVREL_ENGINE_WIN9X_DEPLOY_H

#include <windows.h>

int InstallStaticVxd(BYTE* needsRestart);
int InstallVxdWithUsbClass(BYTE* needsRestart);
int InstallWin98(BYTE* needsRestart);
int InstallWinMe(BYTE* needsRestart);
int RemoveStaticVxd(BYTE* needsRestart);
int RemoveWin98Me(BYTE* needsRestart);
int DeleteWin98DriverFiles(DWORD isSupportDos);

#endif
