// Process exit codes, in the values unattended deployment tools understand.
#ifndef TAVREL_HOST_EXIT_CODES_H
#define TAVREL_HOST_EXIT_CODES_H

#include <windows.h>

const int kExitSuccess = 0;               // done, also after "/?" and after the wizard
const int kExitUserDeclined = 1602;       // the user said No to one of the engine's questions
const int kExitSetupFailed = 1603;        // setup failed, or the engine could not be written, loaded or bound
const int kExitPlatformUnsupported = 1633;  // 64-bit Windows: nothing was done
const int kExitCommandLineRejected = 1639;  // the engine rejected the command line (it showed its help)
const int kExitRestartNeeded = 3010;      // done, and Windows must restart for it to take effect

// The exit code for a silent Tv4Setup that returned `result` and wrote `needRestart`.
int SilentSetupExitCode(int result, BYTE needRestart);

#endif
