// Which generation of the token's drivers is on the machine: the installation record when there is one,
// otherwise probes for a running driver, its file and its service keys.
#ifndef TAVREL_ENGINE_DRIVER_DETECTION_H
#define TAVREL_ENGINE_DRIVER_DETECTION_H

#include <windows.h>

const DWORD GENERATION_NONE = 0;
const DWORD GENERATION_UNRECORDED = 0x10001;
const DWORD GENERATION_DOS_SET = 0x20001;
const DWORD GENERATION_WDM_SET = 0x20002;

BYTE IsDevicePresent();
BYTE HasLegacyServiceKey();
DWORD GetDriverGeneration();

#endif
