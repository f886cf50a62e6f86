// The engine's state: three records of static lifetime and the needs-restart byte of InstTavrel/Foo.
// Each record's member initialisers are its values at library load.
#ifndef TAVREL_ENGINE_STATE_H
#define TAVREL_ENGINE_STATE_H

#include <windows.h>

#include "setup_api_table.h"

// Option flags of a command line.
const DWORD OPT_INSTALL = 0x1;
const DWORD OPT_REMOVE = 0x2;
const DWORD OPT_DOS = 0x4;
const DWORD OPT_REINSTALL = 0x8;
const DWORD OPT_INTERACTIVE = 0x10;
const DWORD OPT_HELP = 0x400;

// OS classes.
enum {
    OS_WIN95 = 0,
    OS_WIN98 = 1,
    OS_WINME = 2,
    OS_NT4 = 3,
    OS_WIN2000 = 4,
    OS_WINXP = 5,
    OS_WIN2003 = 6,
    OS_VISTA = 7,
    OS_UNSUPPORTED = 0x1234
};

// Language of the engine's messages.
enum { LANGUAGE_CHINESE = 1, LANGUAGE_ENGLISH = 2 };

// Engine error codes (InstallEngine.ErrorCode).
enum {
    ERRORCODE_HELP_SHOWN = 0,
    ERRORCODE_BAD_ARGUMENT = 1,
    ERRORCODE_AT_LOAD = 2,
    ERRORCODE_SETUP_FAILED = 3,
    ERRORCODE_ALREADY_INSTALLED = 6
};

struct EngineSettingsRecord {
    int Language = LANGUAGE_CHINESE;
    BYTE SupportParallel = 1;
    BYTE SupportUsb = 1;
    BYTE TestBusy = 0;
    DWORD DisablePort[3] = {0, 0, 0};  // ports 278, 378, 3BC
    HMODULE Module = NULL;
    int OsClass = OS_WIN95;
};

struct SystemServicesRecord {
    HMODULE SetupApiModule = NULL;
    HMODULE NewDevModule = NULL;
    BYTE Initialised = 0;
    SetupApiTable SetupApi;
};

struct InstallEngineRecord {
    int ErrorCode = ERRORCODE_AT_LOAD;
};

extern EngineSettingsRecord EngineSettings;
extern SystemServicesRecord SystemServices;
extern InstallEngineRecord InstallEngine;
extern BYTE NeedRestart;

#endif
