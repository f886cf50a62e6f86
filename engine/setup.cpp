#include "engine_exports.h"

#include "command_line.h"
#include "engine_state.h"
#include "initialise.h"
#include "pointer_check.h"

// Installation and removal for the running Windows generation (InstallForWindows and RemoveForWindows,
// with the conflict rules between the two driver generations) are not part of this build yet: until they
// are, every such request fails as a failed installation or removal would.
static int RunInstall(BYTE* /*needsRestart*/, DWORD /*flags*/)
{
    InstallEngine.ErrorCode = ERRORCODE_SETUP_FAILED;
    return 0;
}

static int RunRemove(BYTE* /*needsRestart*/)
{
    InstallEngine.ErrorCode = ERRORCODE_SETUP_FAILED;
    return 0;
}

int Tv4Setup(BYTE* needsRestart, const char* commandLine)
{
    // A null or unreadable byte pointer is not written; the pointer test below then rejects the call.
    const bool byteUsable = needsRestart != NULL && !IsBadPointer(needsRestart);
    if (byteUsable)
        *needsRestart = 0;

    // OsClass is read before this call initialises the engine; the host has initialised it by then.
    if (EngineSettings.OsClass == OS_VISTA)
        RegSearch();

    if (IsBadPointer(commandLine) || !byteUsable) {
        InstallEngine.ErrorCode = ERRORCODE_BAD_ARGUMENT;
        return 0;
    }

    DWORD flags = 0;
    const int parsed = ParseCommandLine(commandLine, &flags);
    if (parsed == PARSE_REJECTED) {
        InstallEngine.ErrorCode = ERRORCODE_BAD_ARGUMENT;
        return 0;
    }
    if (parsed == PARSE_HELP) {
        InstallEngine.ErrorCode = ERRORCODE_HELP_SHOWN;
        return 1;
    }

    if (!EnsureInitialised())
        return 0;

    if (flags & OPT_INSTALL)
        return RunInstall(needsRestart, flags);
    if (flags & OPT_REMOVE)
        return RunRemove(needsRestart);
    InstallEngine.ErrorCode = ERRORCODE_BAD_ARGUMENT;
    return 0;
}
