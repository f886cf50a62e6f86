// Runs the host as a process would run on the simulated Windows, with a scripted stand-in engine.
//
// The executable image "Installer" carries the resources of host/host.rc (and its dialog templates);
// its INSTDLL.DLL resource is the text that makes the written file load the image "FakeEngine",
// whose seven exports record their calls and return what the test scripted in engine().
#pragma once

#include <gtest/gtest.h>
#include <simwin/sim.h>
#include <simwin/sim_ui.h>

#include <string>
#include <vector>

struct FakeEngineScript {
  int is64 = 0;
  int parseResult = 1;
  bool parseWritesFlags = true;  // false: as for a command line without any slash
  DWORD parsedFlags = 0x18;      // what a parse writes into the flags word
  int setupResult = 1;
  BYTE setupNeedsRestart = 0;
};

struct FakeEngineLog {
  std::vector<std::string> calls;  // export names in call order
  std::string parseCommandLine;
  const char* parseCommandLinePointer = nullptr;
  std::string setupCommandLine;
  const char* setupCommandLinePointer = nullptr;
  int needRestartOnEntry = -1;     // the byte Tv4Setup found before writing it
  std::string Calls() const;       // "Is64Process,Tv4ParseCmdLine"
};

class HostTest : public ::testing::Test {
 protected:
  static const char* const kExePath;     // C:\Downloads\Installer.exe
  static const char* const kEnginePath;  // C:\WINDOWS\system32\InstDll.dll

  void SetUp() override { ResetMachine(sim::Os::WinXP); }
  void TearDown() override;

  // A fresh machine of that generation with the installer and the stand-in engine registered.
  void ResetMachine(sim::Os os) { ResetMachine(sim::ProfileFor(os)); }
  void ResetMachine(const sim::Profile& profile);
  // Sets the process command line (after the quoted executable path) and runs WinMain's work;
  // returns the process exit code.
  int RunInstaller(const std::string& arguments);

  FakeEngineScript& engine();
  const FakeEngineLog& engineLog();

  // The engine file's clean-up happened: attributes cleared to normal, then the delete, for `path`.
  void ExpectDeleteAttemptedAfterClearingAttributes(const std::string& path);
  std::string commandLine_;
};
