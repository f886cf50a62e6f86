// Installation and removal on Windows NT 4.0: the parallel-port service and the private USB stack.
#ifndef TAVREL_ENGINE_NT4_DEPLOY_H
#define TAVREL_ENGINE_NT4_DEPLOY_H

#include <windows.h>

int InstallNt4(BYTE* needsRestart);
int InstallNt4UsbStack(BYTE* needsRestart);
int RemoveNt4(BYTE* needsRestart);
int DeleteNt4DriverFiles();

#endif
