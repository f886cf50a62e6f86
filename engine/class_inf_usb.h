// The class-INF USB driver set (TavrUsb.inf with TavrUsb.sys) and the DOS-capable installation of
// Windows 2000, XP and Server 2003.
#ifndef TAVREL_ENGINE_CLASS_INF_USB_H
#define TAVREL_ENGINE_CLASS_INF_USB_H

#include <windows.h>

int InstallClassInfUsb(BYTE* needsRestart);
int InstallDosSupport(BYTE* needsRestart);
// Comments out every "CopyFiles" of the INF at infPath by turning its "C" into ";", keeping the length.
// 1 done; 0 when the file cannot be opened, sized, read whole or written back whole.
int DisableCopyFilesInPlace(const char* infPath);
// Case-sensitive, byte-wise prefix test; an empty prefix begins every text.
bool BeginsWith(const char* text, const char* prefix);

#endif
