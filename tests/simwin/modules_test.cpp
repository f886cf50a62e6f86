// Module loading: the search order (planted libraries), images, reference counts, exports and
// the resources behind FindResourceA.
#include <gtest/gtest.h>
#include <simwin/sim.h>

namespace {

int Answer() { return 42; }

class Modules : public ::testing::Test {
 protected:
  void SetUp() override {
    sim::Reset(sim::Os::WinXP);
    sim::SetExePath("C:\\Downloads\\Installer.exe");
    sim::Image engine;
    engine.name = "InstDll";
    engine.Export("Answer", &Answer);
    engine.onLoad = [this](HMODULE) {
      ++loads;
      return loadResult;
    };
    engine.onUnload = [this](HMODULE) { ++unloads; };
    sim::RegisterImage(engine);
    sim::Image planted;
    planted.name = "Planted";
    sim::RegisterImage(planted);
  }

  int loads = 0;
  int unloads = 0;
  BOOL loadResult = TRUE;
};

TEST_F(Modules, BareNameSearchesExeFolderThenSystemThenWindows) {
  struct Row {
    const char* name;
    std::vector<std::string> files;  // where "InstDll.dll" images are placed
    std::string loaded;
  };
  const Row rows[] = {
      {"only system", {"C:\\WINDOWS\\system32\\InstDll.dll"}, "C:\\WINDOWS\\system32\\InstDll.dll"},
      {"planted beside exe wins", {"C:\\WINDOWS\\system32\\InstDll.dll", "C:\\Downloads\\InstDll.dll"},
       "C:\\Downloads\\InstDll.dll"},
      {"windows folder last", {"C:\\WINDOWS\\InstDll.dll"}, "C:\\WINDOWS\\InstDll.dll"},
      {"system before windows", {"C:\\WINDOWS\\InstDll.dll", "C:\\WINDOWS\\system32\\InstDll.dll"},
       "C:\\WINDOWS\\system32\\InstDll.dll"},
  };
  for (const Row& row : rows) {
    for (const char* folder : {"C:\\Downloads", "C:\\WINDOWS\\system32", "C:\\WINDOWS"})
      sim::RemovePath(std::string(folder) + "\\InstDll.dll");
    for (const std::string& file : row.files) sim::InstallImage(file, "InstDll");
    HMODULE module = LoadLibraryA("InstDll");  // ".dll" is added
    ASSERT_NE(module, nullptr) << row.name;
    char path[MAX_PATH];
    ASSERT_GT(GetModuleFileNameA(module, path, sizeof path), 0u) << row.name;
    EXPECT_EQ(std::string(path), row.loaded) << row.name;
    EXPECT_EQ(sim::LoadHistory().back(), row.loaded) << row.name;
    EXPECT_TRUE(FreeLibrary(module)) << row.name;
  }
}

TEST_F(Modules, AlteredSearchPathResolvesImportsBesideTheLibrary) {
  sim::FindImage("InstDll")->imports = {"SetupApi.dll"};
  sim::InstallImage("C:\\WINDOWS\\system32\\InstDll.dll", "InstDll");
  sim::InstallImage("C:\\Downloads\\SetupApi.dll", "Planted");

  HMODULE safe = LoadLibraryExA("C:\\WINDOWS\\system32\\InstDll.dll", nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  ASSERT_NE(safe, nullptr);
  EXPECT_TRUE(sim::IsLoaded("C:\\WINDOWS\\system32\\SetupApi.dll"));
  EXPECT_FALSE(sim::IsLoaded("Planted"));
  FreeLibrary(safe);
  EXPECT_FALSE(sim::IsLoaded("setupapi")) << "imports are released with the library";

  HMODULE unsafe = LoadLibraryA("C:\\WINDOWS\\system32\\InstDll.dll");
  ASSERT_NE(unsafe, nullptr);
  EXPECT_TRUE(sim::IsLoaded("Planted")) << "without the flag the executable's folder comes first";
  FreeLibrary(unsafe);
  EXPECT_TRUE(sim::Leaks().empty());
}

TEST_F(Modules, LoadFailuresGiveWindowsCodes) {
  sim::PutFile("C:\\WINDOWS\\system32\\Junk.dll", "MZ not an image");
  sim::InstallImage("C:\\WINDOWS\\system32\\InstDll.dll", "InstDll");
  struct Row {
    const char* name;
    const char* library;
    DWORD error;
  };
  for (const Row& row : {Row{"missing", "C:\\WINDOWS\\system32\\None.dll", ERROR_MOD_NOT_FOUND},
                         Row{"missing bare", "None.dll", ERROR_MOD_NOT_FOUND},
                         Row{"not an image", "Junk.dll", ERROR_BAD_EXE_FORMAT}}) {
    EXPECT_EQ(LoadLibraryA(row.library), nullptr) << row.name;
    EXPECT_EQ(GetLastError(), row.error) << row.name;
  }
  loadResult = FALSE;
  EXPECT_EQ(LoadLibraryA("InstDll.dll"), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DLL_INIT_FAILED));
  EXPECT_FALSE(sim::IsLoaded("InstDll"));
  sim::FindImage("InstDll")->imports = {"Missing.dll"};
  loadResult = TRUE;
  EXPECT_EQ(LoadLibraryA("InstDll.dll"), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
  EXPECT_EQ(loads, 1) << "initialisation runs only after the imports resolved";
}

TEST_F(Modules, ReferenceCountingRunsUnloadOnceAtZero) {
  sim::InstallImage("C:\\WINDOWS\\system32\\InstDll.dll", "InstDll");
  HMODULE first = LoadLibraryA("InstDll.dll");
  HMODULE second = LoadLibraryExA("c:\\windows\\SYSTEM32\\instdll.DLL", nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first, second);
  EXPECT_EQ(loads, 1);
  EXPECT_EQ(GetModuleHandleA("INSTDLL"), first);
  EXPECT_FALSE(DeleteFileA("C:\\WINDOWS\\system32\\InstDll.dll")) << "a loaded module's file is in use";
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));

  FreeLibrary(first);
  EXPECT_EQ(unloads, 0);
  FreeLibrary(second);
  EXPECT_EQ(unloads, 1);
  EXPECT_EQ(GetModuleHandleA("InstDll.dll"), nullptr);
  EXPECT_FALSE(FreeLibrary(first));
  EXPECT_TRUE(DeleteFileA("C:\\WINDOWS\\system32\\InstDll.dll"));
}

TEST_F(Modules, ExportsAreCaseSensitiveAndRemovable) {
  sim::InstallImage("C:\\WINDOWS\\system32\\InstDll.dll", "InstDll");
  HMODULE module = LoadLibraryA("InstDll.dll");
  ASSERT_NE(module, nullptr);
  auto answer = reinterpret_cast<int (*)()>(reinterpret_cast<void (*)()>(GetProcAddress(module, "Answer")));
  ASSERT_NE(answer, nullptr);
  EXPECT_EQ(answer(), 42);
  EXPECT_EQ(GetProcAddress(module, "answer"), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PROC_NOT_FOUND));
  sim::RemoveExport("InstDll", "Answer");
  EXPECT_EQ(GetProcAddress(module, "Answer"), nullptr);
  FreeLibrary(module);
}

TEST_F(Modules, Kernel32OffersIsWow64ProcessPerProfile) {
  struct Row {
    sim::Wow64 mode;
    bool exported;
    BOOL callResult;
    BOOL wow64;
  };
  for (const Row& row : {Row{sim::Wow64::No, true, TRUE, FALSE}, Row{sim::Wow64::Yes, true, TRUE, TRUE},
                         Row{sim::Wow64::CallFails, true, FALSE, FALSE}, Row{sim::Wow64::Absent, false, FALSE, FALSE}}) {
    sim::SetWow64(row.mode);
    HMODULE kernel32 = GetModuleHandleA("kernel32");
    ASSERT_NE(kernel32, nullptr);
    using IsWow64 = BOOL (*)(HANDLE, PBOOL);
    auto query = reinterpret_cast<IsWow64>(reinterpret_cast<void (*)()>(GetProcAddress(kernel32, "IsWow64Process")));
    EXPECT_EQ(query != nullptr, row.exported) << static_cast<int>(row.mode);
    if (!query) continue;
    BOOL wow64 = FALSE;
    EXPECT_EQ(query(GetCurrentProcess(), &wow64), row.callResult) << static_cast<int>(row.mode);
    EXPECT_EQ(wow64, row.wow64) << static_cast<int>(row.mode);
  }
  EXPECT_EQ(sim::ProfileFor(sim::Os::WinXP64).wow64, sim::Wow64::Yes);
}

TEST_F(Modules, BuiltinSetupLibrariesExportWhatTheEngineBinds) {
  HMODULE setupapi = LoadLibraryA("SetupApi.dll");
  ASSERT_NE(setupapi, nullptr);
  for (const char* name : {"SetupDiGetClassDevsA", "SetupDiEnumDeviceInfo", "SetupDiGetDeviceRegistryPropertyA",
                           "SetupDiCallClassInstaller", "SetupDiDestroyDeviceInfoList", "SetupDiGetINFClassA",
                           "SetupDiCreateDeviceInfoList", "SetupDiCreateDeviceInfoA",
                           "SetupDiSetDeviceRegistryPropertyA", "SetupDiDeleteDeviceInfo", "SetupCopyOEMInfA"})
    EXPECT_NE(GetProcAddress(setupapi, name), nullptr) << name;
  HMODULE newdev = LoadLibraryA("C:\\WINDOWS\\system32\\newdev.dll");
  ASSERT_NE(newdev, nullptr);
  EXPECT_NE(GetProcAddress(newdev, "UpdateDriverForPlugAndPlayDevicesA"), nullptr);
  FreeLibrary(newdev);
  FreeLibrary(setupapi);
  EXPECT_TRUE(sim::Leaks().empty());
  sim::RemovePath("C:\\WINDOWS\\system32\\newdev.dll");
  EXPECT_EQ(LoadLibraryA("newdev.dll"), nullptr);
}

TEST_F(Modules, ResourcesAreFoundByNameAndTypeWithoutCase) {
  sim::Image host;
  host.name = "Installer";
  host.SetResource("RESFILE", "INSTDLL.DLL", "SIMIMAGE:InstDll").SetResource("#2", "#129", "bitmap");
  sim::RegisterImage(host);
  sim::SetExe("C:\\Downloads\\Installer.exe", "Installer");
  sim::OverrideResource("Installer", "resfile", "instdll.dll", "replaced");

  HRSRC found = FindResourceA(nullptr, "InstDll.dll", "ResFile");
  ASSERT_NE(found, nullptr);
  EXPECT_EQ(SizeofResource(nullptr, found), 8u);
  HGLOBAL loaded = LoadResource(nullptr, found);
  ASSERT_NE(loaded, nullptr);
  EXPECT_EQ(std::string(static_cast<const char*>(LockResource(loaded)), 8), "replaced");
  EXPECT_NE(FindResourceA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(129), RT_BITMAP), nullptr);
  EXPECT_EQ(FindResourceA(nullptr, "Other.dll", "RESFILE"), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_NAME_NOT_FOUND));
}

}  // namespace
