// What an installation does about the driver generation already on the machine.
//   ChooseInstallAction(installed, flags)  from the installed generation and the option flags
//                                          (OPT_DOS asks for the DOS-capable set, else the WDM set).
#ifndef TAVREL_ENGINE_INSTALL_DECISION_H
#define TAVREL_ENGINE_INSTALL_DECISION_H

#include <windows.h>

enum InstallAction {
    ACTION_INSTALL,             // nothing in the way
    ACTION_REMOVE_THEN_INSTALL, // an unrecorded driver, or the same set again without "/N"
    ACTION_ASK_WDM_OVER_DOS,    // the DOS-capable set is installed; the user decides
    ACTION_ASK_DOS_OVER_WDM,    // the WDM set is installed; the user decides
    ACTION_REFUSE_SAME_SET,     // the same set is installed and "/N" was given
    ACTION_REFUSE_SILENT        // the DOS-capable set is installed and nobody can be asked
};

InstallAction ChooseInstallAction(DWORD installedGeneration, DWORD flags);

#endif
