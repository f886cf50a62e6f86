#include "engine_state.h"

EngineSettingsRecord EngineSettings;
SystemServicesRecord SystemServices;
InstallEngineRecord InstallEngine;
BYTE NeedRestart = 0;
