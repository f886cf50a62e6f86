// Version profiles of each Windows generation, with the numbers those systems report.
#include "machine.h"

namespace sim {

namespace {

struct OsRow {
  Os os;
  const char* name;
  DWORD platformId, major, minor, build;
  const char* csd;
};

// Windows 9x puts major and minor into the high word of the build number as well.
constexpr DWORD Build9x(DWORD major, DWORD minor, DWORD build) { return (major << 24) | (minor << 16) | build; }

const OsRow kRows[] = {
    {Os::Win95, "Win95", VER_PLATFORM_WIN32_WINDOWS, 4, 0, Build9x(4, 0, 950), ""},
    {Os::Win98, "Win98", VER_PLATFORM_WIN32_WINDOWS, 4, 10, Build9x(4, 10, 1998), ""},
    {Os::Win98SE, "Win98SE", VER_PLATFORM_WIN32_WINDOWS, 4, 10, Build9x(4, 10, 2222), " A "},
    {Os::WinME, "WinME", VER_PLATFORM_WIN32_WINDOWS, 4, 90, Build9x(4, 90, 3000), " "},
    {Os::NT351, "NT351", VER_PLATFORM_WIN32_NT, 3, 51, 1057, "Service Pack 5"},
    {Os::NT4, "NT4", VER_PLATFORM_WIN32_NT, 4, 0, 1381, "Service Pack 6"},
    {Os::Win2000, "Win2000", VER_PLATFORM_WIN32_NT, 5, 0, 2195, "Service Pack 4"},
    {Os::WinXP, "WinXP", VER_PLATFORM_WIN32_NT, 5, 1, 2600, "Service Pack 2"},
    {Os::WinXP64, "WinXP64", VER_PLATFORM_WIN32_NT, 5, 2, 3790, "Service Pack 2"},
    {Os::Server2003, "Server2003", VER_PLATFORM_WIN32_NT, 5, 2, 3790, "Service Pack 1"},
    {Os::Vista, "Vista", VER_PLATFORM_WIN32_NT, 6, 0, 6002, "Service Pack 2"},
    {Os::Win61, "Win61", VER_PLATFORM_WIN32_NT, 6, 1, 7601, "Service Pack 1"},
    {Os::Win70, "Win70", VER_PLATFORM_WIN32_NT, 7, 0, 9000, ""},
    {Os::UnknownPlatform, "UnknownPlatform", 3, 4, 0, 1000, ""},
};

const OsRow& RowFor(Os os) {
  for (const OsRow& row : kRows)
    if (row.os == os) return row;
  return kRows[0];
}

}  // namespace

Profile ProfileFor(Os os) {
  const OsRow& row = RowFor(os);
  Profile profile;
  profile.os = os;
  profile.platformId = row.platformId;
  profile.major = row.major;
  profile.minor = row.minor;
  profile.build = row.build;
  profile.csdVersion = row.csd;
  // XP x64 is a 64-bit system: the 32-bit installer runs under WOW64 there.
  profile.wow64 = os == Os::WinXP64 ? Wow64::Yes : Wow64::No;
  return profile;
}

const char* OsName(Os os) { return RowFor(os).name; }

std::vector<Os> AllOs() {
  std::vector<Os> all;
  for (const OsRow& row : kRows) all.push_back(row.os);
  return all;
}

}  // namespace sim
