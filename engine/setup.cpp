#include "engine_exports.h"

#include "command_line.h"
#include "conflict_prompts.h"
#include "driver_detection.h"
#include "engine_state.h"
#include "initialise.h"
#include "install_decision.h"
#include "install_dispatch.h"
#include "pointer_check.h"

// The installed set is replaced only where that is safe or the user agreed; see ChooseInstallAction.
// A removal made first is not undone when the installation then fails: the old drivers are gone either way.
static int RunInstall(BYTE* needsRestart, DWORD flags)
{
    InstallAction action = ChooseInstallAction(GetDriverGeneration(), flags);
    if (action == ACTION_REFUSE_SAME_SET) {
        *needsRestart = 0;
        InstallEngine.ErrorCode = ERRORCODE_ALREADY_INSTALLED;
        return 0;
    }
    if (action == ACTION_REFUSE_SILENT) {
        InstallEngine.ErrorCode = ERRORCODE_BAD_ARGUMENT;
        return 0;
    }
    if (action == ACTION_ASK_WDM_OVER_DOS || action == ACTION_ASK_DOS_OVER_WDM) {
        const int answer = AskConflictPrompt(action);
        if (answer == IDNO) {
            if (action == ACTION_ASK_DOS_OVER_WDM)
                InstallEngine.ErrorCode = ERRORCODE_ALREADY_INSTALLED;
            return 2;
        }
        // A box that could not be shown answered nothing: install over what is there.
        action = answer == IDYES ? ACTION_REMOVE_THEN_INSTALL : ACTION_INSTALL;
    }

    const bool removedFirst = action == ACTION_REMOVE_THEN_INSTALL;
    if (removedFirst) {
        BYTE removalRestart = 0;
        if (!RemoveForWindows(&removalRestart)) {
            InstallEngine.ErrorCode = ERRORCODE_SETUP_FAILED;
            return 0;
        }
    }
    if (!InstallForWindows(needsRestart, (flags & OPT_DOS) ? 1 : 0)) {
        InstallEngine.ErrorCode = ERRORCODE_SETUP_FAILED;
        return 0;
    }
    if (removedFirst)
        *needsRestart = 1;
    return 1;
}

static int RunRemove(BYTE* needsRestart)
{
    if (RemoveForWindows(needsRestart))
        return 1;
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
