#include "exit_codes.h"

// Tv4Setup returns 0 on failure, 2 when the user declined one of its questions, anything else on success.
int SilentSetupExitCode(int result, BYTE needRestart)
{
    if (result == 0)
        return kExitSetupFailed;
    if (result == 2)
        return kExitUserDeclined;
    return needRestart ? kExitRestartNeeded : kExitSuccess;
}
