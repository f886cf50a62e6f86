// The lstr* string helpers of kernel32.
#include "machine.h"

#include <cstring>
#include <strings.h>

extern "C" {

int WINAPI lstrlenA(LPCSTR text) { return text ? static_cast<int>(std::strlen(text)) : 0; }

LPSTR WINAPI lstrcpyA(LPSTR to, LPCSTR from) {
  if (!to || !from) return nullptr;
  return std::strcpy(to, from);
}

LPSTR WINAPI lstrcpynA(LPSTR to, LPCSTR from, int max) {
  if (!to || !from || max <= 0) return nullptr;
  size_t length = std::min(std::strlen(from), static_cast<size_t>(max - 1));
  std::memcpy(to, from, length);
  to[length] = '\0';
  return to;
}

LPSTR WINAPI lstrcatA(LPSTR to, LPCSTR from) {
  if (!to || !from) return nullptr;
  return std::strcat(to, from);
}

int WINAPI lstrcmpA(LPCSTR a, LPCSTR b) { return std::strcmp(a ? a : "", b ? b : ""); }

int WINAPI lstrcmpiA(LPCSTR a, LPCSTR b) { return strcasecmp(a ? a : "", b ? b : ""); }

}  // extern "C"
