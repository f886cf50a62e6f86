// Directories derived from the system directory.
//
//   GetWindowsDirFromSystemDir(out)  out (at least kPathBufferSize bytes) = the system directory without its
//                                    last "\component", e.g. C:\WINDOWS\SYSTEM -> C:\WINDOWS. Returns 1, or 0 with
//                                    out untouched when the system directory holds no backslash or does not fit
//                                    254 characters (a shortened directory would be another directory).
#ifndef TAVREL_COMMON_SYSTEM_DIRS_H
#define TAVREL_COMMON_SYSTEM_DIRS_H

int GetWindowsDirFromSystemDir(char* out);

#endif
