// Every way start-up can end, as one table: what the user sees, what was called, the exit code, and
// that the engine is unloaded and its file deleted on every path.
#include <algorithm>
#include <functional>

#include "host_fixture.h"

namespace {

struct FailureRow {
  const char* name;
  const char* arguments;
  std::function<void(FakeEngineScript&)> arrange;
  const char* expectedBox;   // "" for none; the caption must be empty
  const char* engineCalls;   // the stand-in engine's exports called, in order
  int exitCode;
};

const char* const kEngine = "C:\\WINDOWS\\system32\\InstDll.dll";

void RemoveEngineResource() {
  sim::Image* installer = sim::FindImage("Installer");
  auto& resources = installer->resources;
  for (auto it = resources.begin(); it != resources.end();)
    it = it->name == "INSTDLL.DLL" ? resources.erase(it) : it + 1;
}

std::vector<FailureRow> Rows() {
  std::vector<FailureRow> rows = {
      {"engine resource missing", "/i", [](FakeEngineScript&) { RemoveEngineResource(); }, "", "", 1603},
      {"engine resource empty", "/i",
       [](FakeEngineScript&) { sim::OverrideResource("Installer", "RESFILE", "INSTDLL.DLL", ""); }, "", "", 1603},
      {"engine file not created", "/i",
       [](FakeEngineScript&) { sim::FailOnce("CreateFileA", ERROR_SHARING_VIOLATION, kEngine); },
       "Create 'C:\\WINDOWS\\system32\\InstDll.dll' error!:win error code:32", "", 1603},
      {"write fails", "/i", [](FakeEngineScript&) { sim::FailOnce("WriteFile", ERROR_DISK_FULL, kEngine); },
       "Write File error!", "", 1603},
      {"short write", "/i", [](FakeEngineScript&) { sim::ShortWrite(5, kEngine); }, "File size error!", "", 1603},
      {"library does not load", "/i",
       [](FakeEngineScript&) { sim::OverrideResource("Installer", "RESFILE", "INSTDLL.DLL", "MZ not an image"); }, "",
       "", 1603},
      {"64-bit Windows", "/i", [](FakeEngineScript& e) { e.is64 = 1; }, "", "Is64Process", 1633},
      {"64-bit answer other than 1 goes on", "/?",
       [](FakeEngineScript& e) {
         e.is64 = 2;
         e.parsedFlags = 0x418;
       },
       "", "Is64Process,Tv4ParseCmdLine", 0},
      {"command line rejected", "/s", [](FakeEngineScript& e) { e.parseResult = 0; }, "",
       "Is64Process,Tv4ParseCmdLine", 1639},
      {"help", "/?", [](FakeEngineScript& e) { e.parsedFlags = 0x418; }, "", "Is64Process,Tv4ParseCmdLine", 0},
      {"silent install done", "/i/s", [](FakeEngineScript& e) { e.parsedFlags = 0x9; }, "",
       "Is64Process,Tv4ParseCmdLine,Tv4Setup", 0},
      {"silent install needs restart", "/i/s",
       [](FakeEngineScript& e) {
         e.parsedFlags = 0x9;
         e.setupNeedsRestart = 1;
       },
       "", "Is64Process,Tv4ParseCmdLine,Tv4Setup", 3010},
      {"silent install fails", "/i/s",
       [](FakeEngineScript& e) {
         e.parsedFlags = 0x9;
         e.setupResult = 0;
         e.setupNeedsRestart = 1;
       },
       "", "Is64Process,Tv4ParseCmdLine,Tv4Setup", 1603},
      {"silent setup declined by the user", "/i",
       [](FakeEngineScript& e) {
         e.parsedFlags = 0x19;
         e.setupResult = 2;
       },
       "", "Is64Process,Tv4ParseCmdLine,Tv4Setup", 1602},
      {"silent removal with another success value", "/r",
       [](FakeEngineScript& e) {
         e.parsedFlags = 0x1A;
         e.setupResult = 7;
       },
       "", "Is64Process,Tv4ParseCmdLine,Tv4Setup", 0},
  };
  for (const char* missing :
       {"Tv4Setup", "Tv4ParseCmdLine", "Tv4IsHaveInstall", "Tv4GetVersion", "WinGetVersion", "ReBoot", "Is64Process"}) {
    rows.push_back({missing, "/i", [missing](FakeEngineScript&) { sim::RemoveExport("FakeEngine", missing); }, "", "",
                    1603});
  }
  return rows;
}

TEST_F(HostTest, EveryEndOfStartUpUnloadsAndDeletesTheEngine) {
  for (const FailureRow& row : Rows()) {
    SCOPED_TRACE(std::string("row: ") + row.name);
    ResetMachine(sim::Os::WinXP);
    row.arrange(engine());
    if (*row.expectedBox) sim::ExpectMessageBox(IDOK, row.expectedBox);

    int exitCode = RunInstaller(row.arguments);

    EXPECT_EQ(exitCode, row.exitCode);
    EXPECT_EQ(engineLog().Calls(), row.engineCalls);
    const auto& boxes = sim::MessageBoxes();
    if (*row.expectedBox) {
      ASSERT_EQ(boxes.size(), 1u);
      EXPECT_EQ(boxes[0].text, row.expectedBox);
      EXPECT_EQ(boxes[0].caption, "");
      EXPECT_EQ(boxes[0].type, (UINT)MB_OK);
      EXPECT_EQ(boxes[0].owner, nullptr);
    } else {
      EXPECT_TRUE(boxes.empty()) << boxes[0].text;
    }
    EXPECT_FALSE(sim::IsLoaded("FakeEngine"));
    const auto history = sim::LoadHistory();
    size_t mapped = std::count(history.begin(), history.end(), std::string(kEngine));
    EXPECT_EQ(sim::CountCalls("FreeLibrary"), mapped);
    ExpectDeleteAttemptedAfterClearingAttributes(kEngine);
    EXPECT_TRUE(sim::ui::Dialogs().empty());
    EXPECT_TRUE(sim::Leaks().empty()) << sim::Leaks().front();
  }
}

}  // namespace
