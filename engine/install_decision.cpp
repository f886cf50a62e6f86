#include "install_decision.h"

#include "driver_detection.h"
#include "engine_state.h"

// The two sets exclude each other. A silent WDM request over the DOS-capable set is refused, since it
// would take DOS support away unasked; a silent DOS-capable request over the WDM set installs over it.
// "/N" matters only when the same set is installed; a driver without a record is always replaced.
InstallAction ChooseInstallAction(DWORD installedGeneration, DWORD flags)
{
    const bool wantsDosSet = (flags & OPT_DOS) != 0;
    const bool reinstall = (flags & OPT_REINSTALL) != 0;
    const bool interactive = (flags & OPT_INTERACTIVE) != 0;

    switch (installedGeneration) {
    case GENERATION_UNRECORDED:
        return ACTION_REMOVE_THEN_INSTALL;
    case GENERATION_DOS_SET:
        if (wantsDosSet)
            return reinstall ? ACTION_REMOVE_THEN_INSTALL : ACTION_REFUSE_SAME_SET;
        return interactive ? ACTION_ASK_WDM_OVER_DOS : ACTION_REFUSE_SILENT;
    case GENERATION_WDM_SET:
        if (wantsDosSet)
            return interactive ? ACTION_ASK_DOS_OVER_WDM : ACTION_INSTALL;
        return reinstall ? ACTION_REMOVE_THEN_INSTALL : ACTION_REFUSE_SAME_SET;
    default:
        return ACTION_INSTALL;
    }
}
