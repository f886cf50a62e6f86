// One-time initialisation: OS class and message language, then the setup API table.
//   EnsureInitialised  1 when initialised (now or before), 0 otherwise; only success is remembered,
//                      so the next export call tries again, classification included.
//   ClassifyWindows    sets EngineSettings.OsClass and EngineSettings.Language.
//   BindSetupApi       loads SetupApi.dll (and newdev.dll on Windows 2000 and later) and fills the table.
#ifndef TAVREL_ENGINE_INITIALISE_H
#define TAVREL_ENGINE_INITIALISE_H

int EnsureInitialised();
void ClassifyWindows();
int BindSetupApi();
void ReleaseSetupApi();

#endif
