// Shell light-weight utilities used by the product, on the simulated Windows.
#pragma once

#include <windows.h>

#ifdef __cplusplus
extern "C" {
#endif

BOOL WINAPI PathFileExistsA(LPCSTR pszPath);
DWORD WINAPI SHDeleteKeyA(HKEY hkey, LPCSTR pszSubKey);

#define PathFileExists PathFileExistsA
#define SHDeleteKey SHDeleteKeyA

#ifdef __cplusplus
}
#endif
