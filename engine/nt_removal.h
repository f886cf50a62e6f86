// Removal of every NT-family driver set on Windows 2000 and later.
//
// Removal never fails: whatever is missing counts as removed and every result is ignored.
//   RemoveNtDrivers(flag)       devices and services of the three driver sets, files, staged copies, INF-store
//                               copies, service keys and the root-device tree; flag = 0 (when not null), 1.
//   DeleteNtDriverFiles()       the file part: files in place (attributes reset first), staged copies, both
//                               INF-store scans. 1.
//   DeleteStagedFile(name)      deletes the last path component of `name` from <windows>\Temp, creating that
//                               folder when missing; the DeleteFileA result, 0 when the folder cannot be had.
//   RemoveOemInfCopies(section, text, key, count)
//                               deletes <windows>\inf\oemN.inf and oemN.pnf for N < count when the INF's
//                               [section] key begins with `text` (case-sensitive); an empty text matches
//                               nothing. 1.
//   DeleteKeyTreeForced(path)   gives every key of HKLM\path a NULL DACL, then deletes the tree. 1.
//   OpenKeyTreeSecurity(p, sub) the NULL-DACL walk, children before their parent; 0 when the key cannot be
//                               opened for enumeration even after its own DACL was reset.
//   ResetKeySecurity(p, sub)    gives one key a NULL DACL; 1 when set.
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
