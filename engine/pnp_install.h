// Plug-and-Play installation of the signed driver package on Windows XP, Server 2003 and Vista.
#ifndef TAVREL_ENGINE_PNP_INSTALL_H
#define TAVREL_ENGINE_PNP_INSTALL_H

#include <windows.h>

int InstallPnpDrivers(BYTE* needsRestart);
int InstallPnpDriversVista(BYTE* needsRestart);
int CreateRootDevice(const char* infPath, const char* hardwareId);
void UpdateUsbDriver(const char* infPath, DWORD nameBufferSize, BOOL* rebootRequired);

#endif
