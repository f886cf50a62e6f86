// Readability test of a caller's pointer argument. Only a result of exactly 1 from IsBadCodePtr counts
// as bad, so a platform that cannot tell lets the call through.
#ifndef TAVREL_ENGINE_POINTER_CHECK_H
#define TAVREL_ENGINE_POINTER_CHECK_H

#include <windows.h>

inline bool IsBadPointer(const void* pointer)
{
    return IsBadCodePtr(reinterpret_cast<FARPROC>(const_cast<void*>(pointer))) == 1;
}

#endif
