// The engine library's exports, under their plain names (engine/InstDll.def).
// All use the C calling convention except InstTavrel and Foo, which use the standard Windows convention
// (12 and 20 bytes of arguments) for setup programs that call the library themselves.
//
//   Tv4Setup(needsRestart, commandLine)  install or remove: 0 failed (reason in the engine error code),
//                                        1 done or help shown, 2 the user declined a conflict prompt
//   Tv4ParseCmdLine(flags, commandLine)  1 accepted or help shown (OPT_HELP in flags), 0 rejected
//   Tv4IsHaveInstall()                   1 when the installation record exists
//   Tv4GetVersion()                      the installed driver generation
//   WinGetVersion()                      the OS class, 0x1234 when Windows is unsupported
//   ReBoot()                             restart Windows
//   Is64Process()                        1 for a 32-bit process on 64-bit Windows
//   InstTavrel(a, b, commandLine)        Tv4Setup with the engine's own needs-restart byte: 0 for results 1
//                                        and 2, else the engine error code
//   Foo(a, b, c, d, e)                   InstTavrel with "/i": 1 when that gave 0
//   IsNeedRestart()                      the needs-restart byte of the last InstTavrel or Foo
//   RegSearch()                          clean-up of a stale parallel service before Vista installations
#ifndef TAVREL_ENGINE_EXPORTS_H
#define TAVREL_ENGINE_EXPORTS_H

#include <windows.h>

extern "C" {
int Tv4Setup(BYTE* needsRestart, const char* commandLine);
int Tv4ParseCmdLine(DWORD* flags, const char* commandLine);
BYTE Tv4IsHaveInstall();
DWORD Tv4GetVersion();
int WinGetVersion();
void ReBoot();
int Is64Process();
int WINAPI InstTavrel(DWORD unused1, DWORD unused2, const char* commandLine);
BYTE WINAPI Foo(DWORD unused1, DWORD unused2, DWORD unused3, DWORD unused4, DWORD unused5);
int IsNeedRestart();
int RegSearch();
}

#endif
