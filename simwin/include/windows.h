// The Win32 subset the product uses, declared for the native build against the simulated
// Windows (library "simwin"). Product code includes <windows.h> exactly as for mingw.
#pragma once

#include "simwin/win_types.h"
#include "simwin/win_errors.h"
#include "simwin/win_base.h"
#include "simwin/win_registry.h"
#include "simwin/win_security.h"
#include "simwin/win_user.h"

// Further parts of the simulation add their own headers; each is picked up when it exists,
// so adding an area never needs an edit here.
#if __has_include("simwin/winuser_ui.h")
#include "simwin/winuser_ui.h"
#endif
#if __has_include("simwin/wingdi.h")
#include "simwin/wingdi.h"
#endif
#if __has_include("winsvc.h")
#include "winsvc.h"
#endif
#if __has_include("simwin/win_profile.h")
#include "simwin/win_profile.h"
#endif
