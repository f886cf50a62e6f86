// The installation record: HKLM\SOFTWARE\OVTv4InstallFlag with the REG_DWORD values "IsSupportDos",
// "InstallCount" (1 after an installation, not a counter) and "Tv4Ver" (the installed driver generation).
#ifndef TAVREL_ENGINE_INSTALL_RECORD_H
#define TAVREL_ENGINE_INSTALL_RECORD_H

#include <windows.h>

extern const char kInstallRecordKey[];

BYTE HasInstallRecord();
BYTE WriteInstallRecord(BYTE isSupportDos);
DWORD ReadIsSupportDos();
void DeleteInstallRecord();

#endif
