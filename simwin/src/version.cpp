// Version, locale and directory queries of kernel32.
#include "machine.h"

#include <cstring>

using namespace sim::detail;

namespace {

// Windows' contract for directory queries: a buffer too small gets nothing and the result is
// the size needed including the terminator; otherwise the length copied.
UINT CopyDirectory(const std::string& text, LPSTR buffer, UINT size) {
  if (buffer == nullptr || size <= text.size()) return static_cast<UINT>(text.size() + 1);
  std::memcpy(buffer, text.c_str(), text.size() + 1);
  return static_cast<UINT>(text.size());
}

}  // namespace

extern "C" {

BOOL WINAPI GetVersionExA(LPOSVERSIONINFOA info) {
  const sim::Profile& p = M().profile;
  BOOL ok = FALSE;
  if (const sim::Fault* fault = TakeFault("GetVersionExA", "")) {
    SetError(fault->error);
  } else if (p.getVersionExFails || info == nullptr) {
    SetError(ERROR_INVALID_PARAMETER);
  } else if (info->dwOSVersionInfoSize != sizeof(OSVERSIONINFOA) &&
             !(info->dwOSVersionInfoSize == sizeof(OSVERSIONINFOEXA) && p.IsNt() && p.major >= 4)) {
    // The extended form exists only from NT 4.0 SP6 on; 9x refuses it like any other size.
    SetError(ERROR_INSUFFICIENT_BUFFER);
  } else {
    info->dwMajorVersion = p.major;
    info->dwMinorVersion = p.minor;
    info->dwBuildNumber = p.build;
    info->dwPlatformId = p.platformId;
    std::memset(info->szCSDVersion, 0, sizeof info->szCSDVersion);
    std::strncpy(info->szCSDVersion, p.csdVersion.c_str(), sizeof info->szCSDVersion - 1);
    if (info->dwOSVersionInfoSize == sizeof(OSVERSIONINFOEXA)) {
      auto* ex = reinterpret_cast<LPOSVERSIONINFOEXA>(info);
      ex->wServicePackMajor = ex->wServicePackMinor = ex->wSuiteMask = 0;
      ex->wProductType = 1;
      ex->wReserved = 0;
    }
    ok = TRUE;
  }
  Record("GetVersionExA", {info ? Dec(info->dwOSVersionInfoSize) : "(null)"}, Dec(ok));
  return ok;
}

DWORD WINAPI GetVersion(void) {
  const sim::Profile& p = M().profile;
  DWORD version = (p.major & 0xFF) | ((p.minor & 0xFF) << 8) | ((p.build & 0x7FFF) << 16);
  if (!p.IsNt()) version |= 0x80000000u;
  Record("GetVersion", {}, Hex(version));
  return version;
}

LCID WINAPI GetSystemDefaultLCID(void) {
  Record("GetSystemDefaultLCID", {}, Hex(M().profile.lcid));
  return M().profile.lcid;
}

LANGID WINAPI GetSystemDefaultLangID(void) { return LANGIDFROMLCID(M().profile.lcid); }
LCID WINAPI GetUserDefaultLCID(void) { return M().profile.lcid; }
LANGID WINAPI GetUserDefaultLangID(void) { return LANGIDFROMLCID(M().profile.lcid); }
UINT WINAPI GetACP(void) { return M().profile.lcid == 0x804 ? 936 : 1252; }

UINT WINAPI GetSystemDirectoryA(LPSTR buffer, UINT size) {
  UINT result = CopyDirectory(M().systemDir, buffer, size);
  Record("GetSystemDirectoryA", {Dec(size)}, Dec(result));
  return result;
}

UINT WINAPI GetWindowsDirectoryA(LPSTR buffer, UINT size) {
  UINT result = CopyDirectory(M().windowsDir, buffer, size);
  Record("GetWindowsDirectoryA", {Dec(size)}, Dec(result));
  return result;
}

DWORD WINAPI GetTempPathA(DWORD size, LPSTR buffer) {
  DWORD result = CopyDirectory(M().windowsDir + "\\Temp\\", buffer, size);
  Record("GetTempPathA", {Dec(size)}, Dec(result));
  return result;
}

}  // extern "C"
