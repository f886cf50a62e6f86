// Kernel-driver services of the NT family and the parallel-port service "TAVRELNT".
//   InstallParallelService(flag)   replaces "TAVRELNT", writes its files and parameters, starts it, probes
//                                  \\.\TAVRELNT after 2000 ms; 1 with the flag set (1 = restart needed), 0 failed.
//   WriteParallelParameters()      the "Parameters" values from EngineSettings; 0 when the key cannot be had.
//   ProbeParallelDevice()          1 when \\.\TAVRELNT opens.
//   CreateAndStartService(name, group, imagePath, flag)  auto-start kernel driver; 0 only when not created.
//   StopAndDeleteService(name)     1 also when there is no such service.
//   RemoveServiceAndDevices(name)  removes every device whose Service property is `name`, then the service.
#ifndef TAVREL_ENGINE_KERNEL_SERVICES_H
#define TAVREL_ENGINE_KERNEL_SERVICES_H

#include <windows.h>

int InstallParallelService(BYTE* needsRestart);
int WriteParallelParameters();
int ProbeParallelDevice();
int CreateAndStartService(const char* serviceName, const char* loadOrderGroup, const char* imagePath,
                          BYTE* needsRestart);
int StopAndDeleteService(const char* serviceName);
int RemoveServiceAndDevices(const char* serviceName);

#endif
