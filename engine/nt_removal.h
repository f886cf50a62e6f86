// Removal of every NT-family driver set on Windows 2000 and later.
#ifndef TAVREL_ENGINE_NT_REMOVAL_H
#define TAVREL_ENGINE_NT_REMOVAL_H

#include <windows.h>

int RemoveNtDrivers(BYTE* needsRestart);
int DeleteNtDriverFiles();
int DeleteStagedFile(const char* fileName);
int RemoveOemInfCopies(const char* section, const char* expectedText, const char* keyName, int count);
int DeleteKeyTreeForced(const char* keyPath);
int OpenKeyTreeSecurity(HKEY parent, const char* subKey);
int ResetKeySecurity(HKEY parent, const char* subKey);

#endif
