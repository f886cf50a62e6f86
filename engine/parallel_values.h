// The values through which the parallel-port drivers (the NT service and the Windows 9x VxD) take the
// command-line options: "Support", "TestBusy" and "DisablePort1".."DisablePort3".
#ifndef TAVREL_ENGINE_PARALLEL_VALUES_H
#define TAVREL_ENGINE_PARALLEL_VALUES_H

#include <windows.h>

// 0 both tokens, 1 parallel-port token only (/P1), 2 USB token only (/P2); both off also gives 0.
DWORD ParallelSupportValue();

// Writes "Support" (as given), "TestBusy" and one "DisablePort<n>" per disabled port.
void WriteParallelValues(HKEY key, DWORD support);

#endif
