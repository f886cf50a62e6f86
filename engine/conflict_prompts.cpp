#include "conflict_prompts.h"

#include <windows.h>

#include "bounded_path.h"
#include "engine_state.h"
#include "engine_strings.h"

int AskConflictPrompt(InstallAction action)
{
    const bool chinese = EngineSettings.Language == LANGUAGE_CHINESE;
    const bool wdmOverDos = action == ACTION_ASK_WDM_OVER_DOS;
    const UINT textId = wdmOverDos ? (chinese ? IDS_PROMPT_WDM_OVER_DOS_CHINESE : IDS_PROMPT_WDM_OVER_DOS_ENGLISH)
                                   : (chinese ? IDS_PROMPT_DOS_OVER_WDM_CHINESE : IDS_PROMPT_DOS_OVER_WDM_ENGLISH);
    char text[kPathBufferSize];
    char caption[kPathBufferSize];
    text[0] = caption[0] = '\0';
    LoadStringA(EngineSettings.Module, textId, text, sizeof text);
    LoadStringA(EngineSettings.Module, chinese ? IDS_PROMPT_CAPTION_CHINESE : IDS_PROMPT_CAPTION_ENGLISH, caption,
                sizeof caption);
    return MessageBoxA(NULL, text, caption, MB_YESNO | MB_ICONINFORMATION);
}
