// The loaded engine (InstDll.dll) as the host and its wizard see it: the option flags, the module,
// the seven exports the host binds, and the clean-up that unloads the engine and deletes its file.
//
// The exports use the C calling convention (the default of both compilers, so no keyword is
// written); the ones with arguments take the pointer first.
#ifndef TAVREL_HOST_ENGINE_EXPORTS_H
#define TAVREL_HOST_ENGINE_EXPORTS_H

#include <windows.h>

// Option bits the host and the wizard test; the engine's command-line parser sets them.
const DWORD OPT_INSTALL = 0x1;
const DWORD OPT_REMOVE = 0x2;
const DWORD OPT_INTERACTIVE = 0x10;
const DWORD OPT_HELP = 0x400;

// The engine file's name, both as resource name and as file name in the system32 directory.
extern const char kEngineFileName[];

typedef int (*PFN_TV4SETUP)(BYTE* pNeedRestart, LPCSTR commandLine);
typedef int (*PFN_TV4PARSECMDLINE)(DWORD* pOptionFlags, LPCSTR commandLine);
typedef int (*PFN_TV4ISHAVEINSTALL)();
typedef int (*PFN_TV4GETVERSION)();
typedef int (*PFN_WINGETVERSION)();
typedef void (*PFN_REBOOT)();
typedef int (*PFN_IS64PROCESS)();

extern DWORD g_dwOptionFlags;
extern HMODULE g_hEngine;
extern PFN_TV4SETUP g_pfnTv4Setup;
extern PFN_TV4PARSECMDLINE g_pfnTv4ParseCmdLine;
extern PFN_TV4ISHAVEINSTALL g_pfnTv4IsHaveInstall;
extern PFN_TV4GETVERSION g_pfnTv4GetVersion;
extern PFN_WINGETVERSION g_pfnWinGetVersion;
extern PFN_REBOOT g_pfnReBoot;
extern PFN_IS64PROCESS g_pfnIs64Process;

// Loads the engine from `enginePath` (the full path it was just written to; its own imports resolve
// from the system directory, never from the installer's folder) into g_hEngine and binds the seven
// exports. 1 when the library loaded and all seven bound; the library stays loaded either way.
int BindEngineExports(LPCSTR enginePath);

// Frees `module` when not null and deletes `fileName` from the system32 folder of GetWindowsDirectoryA,
// after clearing its attributes (a stale read-only file must not survive). A path that would not
// fit its buffer is not tried. Returns 1. Also forgets the bound exports when `module` is the engine.
int UnloadAndDeleteEngine(HMODULE module, LPCSTR fileName);

#endif
