// The class-INF USB driver set (TavrUsb.inf with TavrUsb.sys) and the DOS-capable installation of
// Windows 2000, XP and Server 2003.
#ifndef TAVREL_ENGINE_CLASS_INF_USB_H
#define TAVREL_ENGINE_CLASS_INF_USB_H

#include <windows.h>

int InstallClassInfUsb(BYTE* needsRestart);
int InstallDosSupport(BYTE* needsRestart);
// Case-sensitive, byte-wise prefix test; an empty prefix begins every text.
bool BeginsWith(const char* text, const char* prefix);

#endif
