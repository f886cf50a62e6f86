// Installation and removal for the running Windows generation (EngineSettings.OsClass).
//   InstallForWindows(needsRestart, isSupportDos)  runs the install operation of the class (the DOS-capable
//       set or the WDM set where the class has both), on Vista with DOS support also writes TavrVdd.dll,
//       and after a success writes the installation record; nonzero on success.
//   RemoveForWindows(needsRestart)  runs the remove operation of the class, then always asks for a restart
//       and deletes the installation record, also after a failure; the operation's result.
#ifndef TAVREL_ENGINE_INSTALL_DISPATCH_H
#define TAVREL_ENGINE_INSTALL_DISPATCH_H

#include <windows.h>

int InstallForWindows(BYTE* needsRestart, BYTE isSupportDos);
int RemoveForWindows(BYTE* needsRestart);

#endif
