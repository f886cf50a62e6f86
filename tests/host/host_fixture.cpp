#include "host_fixture.h"

#include "afxlite/app.h"
#include "installer_app.h"

const char* const HostTest::kExePath = "C:\\Downloads\\Installer.exe";
const char* const HostTest::kEnginePath = "C:\\WINDOWS\\system32\\InstDll.dll";

namespace {

FakeEngineScript g_script;
FakeEngineLog g_log;

int FakeIs64Process() {
  g_log.calls.push_back("Is64Process");
  return g_script.is64;
}

int FakeParseCmdLine(DWORD* flags, const char* commandLine) {
  g_log.calls.push_back("Tv4ParseCmdLine");
  g_log.parseCommandLine = commandLine;
  g_log.parseCommandLinePointer = commandLine;
  if (g_script.parseWritesFlags) *flags = g_script.parsedFlags;
  return g_script.parseResult;
}

int FakeSetup(BYTE* needRestart, const char* commandLine) {
  g_log.calls.push_back("Tv4Setup");
  g_log.needRestartOnEntry = *needRestart;
  g_log.setupCommandLine = commandLine;
  g_log.setupCommandLinePointer = commandLine;
  *needRestart = g_script.setupNeedsRestart;
  return g_script.setupResult;
}

int FakeIsHaveInstall() {
  g_log.calls.push_back("Tv4IsHaveInstall");
  return 0;
}

int FakeGetVersion() {
  g_log.calls.push_back("Tv4GetVersion");
  return 0x20002;
}

int FakeWinGetVersion() {
  g_log.calls.push_back("WinGetVersion");
  return 5;
}

void FakeReBoot() { g_log.calls.push_back("ReBoot"); }

}  // namespace

std::string FakeEngineLog::Calls() const {
  std::string text;
  for (const std::string& call : calls) text += (text.empty() ? "" : ",") + call;
  return text;
}

void HostTest::ResetMachine(const sim::Profile& profile) {
  sim::Reset(profile);
  sim::ui::Reset();
  g_script = FakeEngineScript();
  g_log = FakeEngineLog();

  sim::Image installer;
  installer.name = "Installer";
  std::string error;
  ASSERT_TRUE(sim::LoadRcScript(installer, TAVREL_SOURCE_DIR "/host/host.rc", &error)) << error;
  installer.SetResource("RESFILE", "INSTDLL.DLL", "SIMIMAGE:FakeEngine", MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED));
  sim::RegisterImage(installer);
  ASSERT_TRUE(sim::ui::LoadDialogTemplates("Installer", TAVREL_SOURCE_DIR "/host/host.rc", &error)) << error;
  sim::SetExe(kExePath, "Installer");

  sim::Image fake;
  fake.name = "FakeEngine";
  fake.imports = {"setupapi.dll"};
  fake.Export("Tv4Setup", &FakeSetup)
      .Export("Tv4ParseCmdLine", &FakeParseCmdLine)
      .Export("Tv4IsHaveInstall", &FakeIsHaveInstall)
      .Export("Tv4GetVersion", &FakeGetVersion)
      .Export("WinGetVersion", &FakeWinGetVersion)
      .Export("ReBoot", &FakeReBoot)
      .Export("Is64Process", &FakeIs64Process);
  sim::RegisterImage(fake);
}

void HostTest::TearDown() {
  EXPECT_TRUE(sim::ui::Problems().empty()) << sim::ui::Problems().front();
  EXPECT_TRUE(sim::UnexpectedMessageBoxes().empty()) << sim::UnexpectedMessageBoxes().front();
  EXPECT_TRUE(sim::Leaks().empty()) << sim::Leaks().front();
}

int HostTest::RunInstaller(const std::string& arguments) {
  commandLine_ = std::string("\"") + kExePath + "\"" + (arguments.empty() ? "" : " " + arguments);
  sim::SetCommandLine(commandLine_);
  CInstallerApp app;
  std::string args = arguments;
  return AfxWinMain(GetModuleHandleA(NULL), NULL, args.data(), SW_SHOWNORMAL);
}

FakeEngineScript& HostTest::engine() { return g_script; }
const FakeEngineLog& HostTest::engineLog() { return g_log; }

void HostTest::ExpectDeleteAttemptedAfterClearingAttributes(const std::string& path) {
  long clear = sim::FindCall("SetFileAttributesA", path);
  ASSERT_GE(clear, 0) << sim::JournalText();
  EXPECT_EQ(sim::Journal()[clear].args.back(), "0x80") << sim::Journal()[clear].Text();
  EXPECT_GE(sim::FindCall("DeleteFileA", path, clear + 1), 0) << sim::JournalText();
  EXPECT_FALSE(sim::FileExists(path));
}
