// Which action an installation takes for each installed generation and option set.
#include <gtest/gtest.h>

#include "driver_detection.h"
#include "engine_state.h"
#include "install_decision.h"

namespace {

const DWORD kInteractive = OPT_INSTALL | OPT_INTERACTIVE | OPT_REINSTALL;
const DWORD kSilent = OPT_INSTALL | OPT_REINSTALL;

const char* ActionName(InstallAction action)
{
    switch (action) {
    case ACTION_INSTALL: return "install";
    case ACTION_REMOVE_THEN_INSTALL: return "remove, then install";
    case ACTION_ASK_WDM_OVER_DOS: return "ask: WDM over DOS";
    case ACTION_ASK_DOS_OVER_WDM: return "ask: DOS over WDM";
    case ACTION_REFUSE_SAME_SET: return "refuse: same set";
    case ACTION_REFUSE_SILENT: return "refuse: silent conflict";
    }
    return "?";
}

}  // namespace

TEST(InstallDecision, EveryInstalledGenerationAgainstEveryRequest)
{
    const struct {
        const char* name;
        DWORD installed;
        DWORD flags;
        InstallAction action;
    } rows[] = {
        {"nothing, WDM", GENERATION_NONE, kSilent, ACTION_INSTALL},
        {"nothing, DOS with /N", GENERATION_NONE, (kInteractive | OPT_DOS) & ~OPT_REINSTALL, ACTION_INSTALL},
        {"stale record value 0x30000", 0x30000, kInteractive | OPT_DOS, ACTION_INSTALL},
        {"unrecorded, WDM, interactive", GENERATION_UNRECORDED, kInteractive, ACTION_REMOVE_THEN_INSTALL},
        {"unrecorded, DOS, silent with /N", GENERATION_UNRECORDED, (kSilent | OPT_DOS) & ~OPT_REINSTALL,
         ACTION_REMOVE_THEN_INSTALL},
        {"DOS set, DOS", GENERATION_DOS_SET, kSilent | OPT_DOS, ACTION_REMOVE_THEN_INSTALL},
        {"DOS set, DOS with /N", GENERATION_DOS_SET, (kInteractive | OPT_DOS) & ~OPT_REINSTALL,
         ACTION_REFUSE_SAME_SET},
        {"DOS set, WDM, silent", GENERATION_DOS_SET, kSilent, ACTION_REFUSE_SILENT},
        {"DOS set, WDM, silent with /N", GENERATION_DOS_SET, kSilent & ~OPT_REINSTALL, ACTION_REFUSE_SILENT},
        {"DOS set, WDM, interactive with /N", GENERATION_DOS_SET, kInteractive & ~OPT_REINSTALL,
         ACTION_ASK_WDM_OVER_DOS},
        {"WDM set, DOS, interactive", GENERATION_WDM_SET, kInteractive | OPT_DOS, ACTION_ASK_DOS_OVER_WDM},
        {"WDM set, DOS, silent", GENERATION_WDM_SET, kSilent | OPT_DOS, ACTION_INSTALL},
        {"WDM set, DOS, silent with /N", GENERATION_WDM_SET, (kSilent | OPT_DOS) & ~OPT_REINSTALL, ACTION_INSTALL},
        {"WDM set, WDM", GENERATION_WDM_SET, kInteractive, ACTION_REMOVE_THEN_INSTALL},
        {"WDM set, WDM with /N", GENERATION_WDM_SET, kSilent & ~OPT_REINSTALL, ACTION_REFUSE_SAME_SET},
    };
    for (const auto& row : rows)
        EXPECT_STREQ(ActionName(ChooseInstallAction(row.installed, row.flags)), ActionName(row.action)) << row.name;
}
