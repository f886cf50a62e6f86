// Where the engine file goes, which file is loaded, and paths that must not be used.
#include <algorithm>
#include <cctype>

#include "host_fixture.h"

namespace {

std::string Upper(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return (char)std::toupper(c); });
  return text;
}

bool Mapped(const std::string& path) {
  for (const std::string& loaded : sim::LoadHistory())
    if (Upper(loaded) == Upper(path)) return true;
  return false;
}

// The file is overwritten when it can be; a read-only leftover fails the create with code 5, and the
// clean-up clears its attributes so that the next run can write the engine.
TEST_F(HostTest, StaleReadOnlyEngineFileFailsOnceAndTheNextRunSucceeds) {
  sim::PutFile(kEnginePath, "stale engine", FILE_ATTRIBUTE_READONLY);
  sim::ExpectMessageBox(IDOK, "error!");

  EXPECT_EQ(RunInstaller("/i"), 1603);
  ASSERT_EQ(sim::MessageBoxes().size(), 1u);
  EXPECT_EQ(sim::MessageBoxes()[0].text, "Create 'C:\\WINDOWS\\system32\\InstDll.dll' error!:win error code:5");
  EXPECT_EQ(sim::MessageBoxes()[0].caption, "");
  EXPECT_EQ(engineLog().Calls(), "");
  ExpectDeleteAttemptedAfterClearingAttributes(kEnginePath);

  engine().parsedFlags = 0x19;
  EXPECT_EQ(RunInstaller("/i"), 0);
  EXPECT_EQ(sim::MessageBoxes().size(), 1u);
  EXPECT_EQ(engineLog().Calls(), "Is64Process,Tv4ParseCmdLine,Tv4Setup");
  EXPECT_FALSE(sim::FileExists(kEnginePath));
}

TEST_F(HostTest, EngineIsWrittenToSystem32BesideTheSystemDirectoryOfEveryGeneration) {
  struct Row {
    sim::Os os;
    const char* windowsDir;
    const char* enginePath;
  } rows[] = {{sim::Os::Win98, "C:\\WINDOWS", "C:\\WINDOWS\\system32\\InstDll.dll"},
              {sim::Os::WinME, "C:\\WINDOWS", "C:\\WINDOWS\\system32\\InstDll.dll"},
              {sim::Os::Win2000, "C:\\WINNT", "C:\\WINNT\\system32\\InstDll.dll"},
              {sim::Os::Vista, "C:\\Windows", "C:\\Windows\\system32\\InstDll.dll"}};
  for (const Row& row : rows) {
    SCOPED_TRACE(sim::OsName(row.os));
    sim::Profile profile = sim::ProfileFor(row.os);
    profile.windowsDir = row.windowsDir;
    ResetMachine(profile);
    engine().parsedFlags = 0x418;

    EXPECT_EQ(RunInstaller("/?"), 0);

    EXPECT_GE(sim::FindCall("CreateFileA", row.enginePath), 0) << sim::JournalText();
    EXPECT_TRUE(Mapped(row.enginePath));
    EXPECT_FALSE(sim::FileExists(row.enginePath));
  }
}

// A DLL planted beside the installer (a downloads folder) must never run: the engine is loaded by
// its full path, and its own imports resolve from its folder, not from the installer's.
TEST_F(HostTest, LibrariesPlantedBesideTheInstallerAreNotLoaded) {
  sim::Image planted;
  planted.name = "Planted";
  planted.onLoad = [](HMODULE) {
    ADD_FAILURE() << "a planted library was loaded";
    return TRUE;
  };
  sim::RegisterImage(planted);
  sim::InstallImage("C:\\Downloads\\InstDll.dll", "Planted");
  sim::InstallImage("C:\\Downloads\\setupapi.dll", "Planted");
  engine().parsedFlags = 0x19;

  EXPECT_EQ(RunInstaller("/i"), 0);

  long load = sim::FindCall("LoadLibraryExA", kEnginePath);
  ASSERT_GE(load, 0) << sim::JournalText();
  EXPECT_EQ(sim::Journal()[load].args.back(), "0x8");
  EXPECT_TRUE(Mapped(kEnginePath));
  EXPECT_TRUE(Mapped("C:\\WINDOWS\\system32\\SetupApi.dll"));
  EXPECT_FALSE(Mapped("C:\\Downloads\\InstDll.dll"));
  EXPECT_FALSE(Mapped("C:\\Downloads\\setupapi.dll"));
}

// Paths live in 255-byte buffers. One that fits exactly is used; one byte more is never shortened
// (a shortened path names another file), and a system directory without any folder gives no
// Windows directory to put the engine in: nothing is then written, loaded or deleted.
TEST_F(HostTest, EnginePathMustFitItsBufferAndHaveAWindowsDirectory) {
  const size_t kTail = std::string("\\system32\\InstDll.dll").size();
  auto windowsDirFor = [&](size_t pathLength) { return "C:\\" + std::string(pathLength - kTail - 3, 'w'); };
  struct Row {
    std::string name;
    std::string windowsDir;
    std::string systemDir;
    bool usable;
  } rows[] = {
      {"engine path of 254 characters", windowsDirFor(254), windowsDirFor(254) + "\\system32", true},
      {"engine path of 255 characters", windowsDirFor(255), windowsDirFor(255) + "\\system32", false},
      {"engine path of 300 characters", windowsDirFor(300), windowsDirFor(300) + "\\system32", false},
      {"system directory without a backslash", "C:\\WINDOWS", "SYSTEM32", false},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    ResetMachine(sim::Os::WinXP);
    sim::MakeDirectory(row.windowsDir + "\\system32");
    sim::SetWindowsDirectory(row.windowsDir);
    sim::SetSystemDirectory(row.systemDir);
    std::string enginePath = row.windowsDir + "\\system32\\InstDll.dll";
    engine().parsedFlags = 0x418;
    sim::FindImage("FakeEngine")->imports.clear();  // the made-up system directory has no SetupApi.dll

    int exitCode = RunInstaller("/?");

    if (row.usable) {
      EXPECT_EQ(exitCode, 0);
      EXPECT_TRUE(Mapped(enginePath));
      ExpectDeleteAttemptedAfterClearingAttributes(enginePath);
    } else {
      EXPECT_EQ(exitCode, 1603);
      EXPECT_EQ(sim::CountCalls("CreateFileA"), 0u);
      EXPECT_EQ(sim::CountCalls("LoadLibraryExA"), 0u);
      EXPECT_TRUE(sim::MessageBoxes().empty());
      EXPECT_FALSE(sim::FileExists(enginePath));
    }
  }
}

}  // namespace
