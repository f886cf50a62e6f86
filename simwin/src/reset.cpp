// The machine as a whole: its single instance, Reset and the profile setters.
#include "machine.h"
#include "services_model.h"

namespace sim {

using namespace detail;

namespace detail {
Machine& M() {
  static Machine machine;
  return machine;
}
}  // namespace detail

static bool HasWdmDriverFolder(const Profile& profile) {
  // Windows 98 and ME keep WDM drivers in SYSTEM32\DRIVERS beside their SYSTEM folder.
  return profile.IsNt() || profile.os == Os::Win98 || profile.os == Os::Win98SE || profile.os == Os::WinME;
}

void Reset(const Profile& profile) {
  Machine& m = M();
  m = Machine();
  m.profile = profile;
  m.windowsDir = profile.windowsDir;
  m.systemDir = !profile.systemDir.empty()       ? profile.systemDir
                : profile.IsNt()                 ? profile.windowsDir + "\\system32"
                                                 : profile.windowsDir + "\\SYSTEM";
  m.profile.systemDir = m.systemDir;

  ResetRegistry();
  ResetFiles();
  MakeDirectory(m.windowsDir);
  MakeDirectory(m.systemDir);
  if (HasWdmDriverFolder(profile)) MakeDirectory(m.windowsDir + "\\system32\\drivers");
  MakeDirectory(m.windowsDir + "\\inf");
  MakeDirectory(m.windowsDir + "\\Temp");
  ResetModules();
  ResetServices();
  m.journal.clear();
}

void Reset(Os os) { Reset(ProfileFor(os)); }

const Profile& CurrentProfile() { return M().profile; }

void SetLocale(LCID lcid) { M().profile.lcid = lcid; }

void SetWow64(Wow64 mode) {
  M().profile.wow64 = mode;
  UpdateKernel32Exports();
}

void SetGetVersionExFails(bool fails) { M().profile.getVersionExFails = fails; }

void SetShutdownPrivilege(bool granted) { M().profile.shutdownPrivilege = granted; }

void SetSystemDirectory(const std::string& text) {
  M().systemDir = text;
  M().profile.systemDir = text;
}

void SetWindowsDirectory(const std::string& text) {
  M().windowsDir = text;
  M().profile.windowsDir = text;
}

}  // namespace sim
