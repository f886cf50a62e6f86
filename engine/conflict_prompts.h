// The two questions asked before one driver set replaces the other.
//   AskConflictPrompt(action)  shows the prompt of ACTION_ASK_WDM_OVER_DOS or ACTION_ASK_DOS_OVER_WDM in
//                              the engine's language (Yes/No, information icon, no owner) and returns
//                              MessageBoxA's answer: IDYES, IDNO, or 0 when the box could not be shown.
#ifndef TAVREL_ENGINE_CONFLICT_PROMPTS_H
#define TAVREL_ENGINE_CONFLICT_PROMPTS_H

#include "install_decision.h"

int AskConflictPrompt(InstallAction action);

#endif
