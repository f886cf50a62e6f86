// Small registry writes shared by the record and the driver parameters.
#ifndef TAVREL_ENGINE_REGISTRY_VALUES_H
#define TAVREL_ENGINE_REGISTRY_VALUES_H

#include <windows.h>

// Writes a 4-byte REG_DWORD; true when Windows accepted it.
bool SetDwordValue(HKEY key, const char* name, DWORD value);

#endif
