// Windows classification, message language, binding of the setup API and retrying a failed initialisation.
#include "engine_fixture.h"
#include "engine_exports.h"
#include "initialise.h"

namespace {

const char kSetupApiImage[] = "SetupApi";
const char kNewDevImage[] = "newdev";
const char kSystem32[] = "C:\\WINDOWS\\system32\\";

bool EverLoaded(const std::string& fileName)
{
    for (const std::string& path : sim::LoadHistory())
        if (path.size() >= fileName.size() &&
            strcasecmp(path.c_str() + path.size() - fileName.size(), fileName.c_str()) == 0)
            return true;
    return false;
}

}  // namespace

TEST_F(EngineTest, ClassifiesEveryWindowsGeneration)
{
    for (sim::Os os : sim::AllOs()) {
        Boot(os);
        EXPECT_EQ(WinGetVersion(), ExpectedOsClass(os)) << sim::OsName(os);
        EXPECT_EQ(SystemServices.Initialised, ExpectedOsClass(os) == OS_UNSUPPORTED ? 0 : 1) << sim::OsName(os);
        Unload();
    }
}

TEST_F(EngineTest, FailingVersionQueryFallsBackToFamilyAndChinese)
{
    const struct {
        sim::Os os;
        int osClass;
    } rows[] = {
        {sim::Os::Win95, OS_WIN95}, {sim::Os::Win98, OS_WIN95}, {sim::Os::WinME, OS_WIN95},
        {sim::Os::NT4, OS_NT4},     {sim::Os::WinXP, OS_NT4},   {sim::Os::Vista, OS_NT4},
    };
    for (const auto& row : rows) {
        sim::Profile profile = sim::ProfileFor(row.os);
        profile.getVersionExFails = true;
        profile.lcid = 0x409;
        Boot(profile);
        EXPECT_EQ(WinGetVersion(), row.osClass) << sim::OsName(row.os);
        EXPECT_EQ(EngineSettings.Language, LANGUAGE_CHINESE) << sim::OsName(row.os);
        Unload();
    }
}

TEST_F(EngineTest, VersionQueryUsesTheClassicStructureSize)
{
    WinGetVersion();
    const std::vector<sim::Call> calls = sim::Calls("GetVersionExA");
    ASSERT_EQ(calls.size(), 1u) << sim::JournalText();
    EXPECT_EQ(calls[0].result, "1") << calls[0].Text();
}

TEST_F(EngineTest, LanguageFollowsOnlyTheMainlandChineseLocale)
{
    const struct {
        LCID lcid;
        int language;
    } rows[] = {{0x804, LANGUAGE_CHINESE}, {0x404, LANGUAGE_ENGLISH}, {0xC04, LANGUAGE_ENGLISH},
                {0x409, LANGUAGE_ENGLISH}, {0x407, LANGUAGE_ENGLISH}};
    for (const auto& row : rows) {
        Boot(sim::Os::Win98, row.lcid);
        WinGetVersion();
        EXPECT_EQ(EngineSettings.Language, row.language) << Hex(row.lcid);
        Unload();
    }
}

TEST_F(EngineTest, LoadDefaultsBeforeInitialisation)
{
    EXPECT_EQ(EngineSettings.OsClass, OS_WIN95);
    EXPECT_EQ(EngineSettings.Language, LANGUAGE_CHINESE);
    EXPECT_EQ(EngineSettings.SupportParallel, 1);
    EXPECT_EQ(EngineSettings.SupportUsb, 1);
    EXPECT_EQ(EngineSettings.TestBusy, 0);
    EXPECT_EQ(InstallEngine.ErrorCode, ERRORCODE_AT_LOAD);
    EXPECT_EQ(SystemServices.Initialised, 0);
    EXPECT_EQ(IsNeedRestart(), 0);
}

TEST_F(EngineTest, EachRequiredSetupApiEntryIsNeeded)
{
    const char* const required[] = {
        "SetupDiGetClassDevsA",       "SetupDiEnumDeviceInfo",           "SetupDiGetDeviceRegistryPropertyA",
        "SetupDiCallClassInstaller",  "SetupDiDestroyDeviceInfoList",    "SetupDiGetINFClassA",
        "SetupDiCreateDeviceInfoList", "SetupDiCreateDeviceInfoA",       "SetupDiSetDeviceRegistryPropertyA",
        "SetupDiDeleteDeviceInfo",
    };
    for (const char* entry : required) {
        Boot(sim::Os::WinXP);
        sim::RemoveExport(kSetupApiImage, entry);
        // The class is still reported; everything that needs initialisation fails quietly.
        EXPECT_EQ(WinGetVersion(), OS_WINXP) << entry;
        EXPECT_EQ(SystemServices.Initialised, 0) << entry;
        BYTE restart = 7;
        EXPECT_EQ(Tv4Setup(&restart, "/i"), 0) << entry;
        EXPECT_EQ(InstallEngine.ErrorCode, ERRORCODE_AT_LOAD) << entry;
        EXPECT_TRUE(sim::MessageBoxes().empty()) << entry;
        Unload();
    }
}

TEST_F(EngineTest, SetupCopyOemInfIsOptional)
{
    sim::RemoveExport(kSetupApiImage, "SetupCopyOEMInfA");
    EXPECT_EQ(WinGetVersion(), OS_WINXP);
    EXPECT_EQ(SystemServices.Initialised, 1);
    EXPECT_EQ(SystemServices.SetupApi.CopyOemInf, nullptr);
    EXPECT_NE(SystemServices.SetupApi.DeleteDeviceInfo, nullptr);
}

TEST_F(EngineTest, DriverUpdateLibraryOnlyFromWindows2000On)
{
    for (sim::Os os : SupportedOs()) {
        const bool needed = ExpectedOsClass(os) >= OS_WIN2000;
        // Missing library, then missing entry: both fail where the library is needed, neither matters before.
        for (int missingEntry = 0; missingEntry < 2; ++missingEntry) {
            Boot(os);
            if (missingEntry)
                sim::RemoveExport(kNewDevImage, "UpdateDriverForPlugAndPlayDevicesA");
            else
                sim::RemovePath(std::string(sim::CurrentProfile().IsNt() ? kSystem32 : "C:\\WINDOWS\\SYSTEM\\") +
                                "newdev.dll");
            WinGetVersion();
            EXPECT_EQ(SystemServices.Initialised, needed ? 0 : 1) << sim::OsName(os) << " entry " << missingEntry;
            Unload();
        }
        Boot(os);
        WinGetVersion();
        EXPECT_EQ(SystemServices.Initialised, 1) << sim::OsName(os);
        EXPECT_EQ(EverLoaded("newdev.dll"), needed) << sim::OsName(os);
        EXPECT_EQ(SystemServices.SetupApi.UpdateDriverForPlugAndPlayDevices != nullptr, needed) << sim::OsName(os);
        Unload();
    }
}

TEST_F(EngineTest, SystemLibrariesComeFromTheSystemDirectoryByFullPath)
{
    // Libraries planted beside the calling program must never be mapped.
    sim::InstallImage("C:\\Downloads\\SetupApi.dll", kSetupApiImage);
    sim::InstallImage("C:\\Downloads\\newdev.dll", kNewDevImage);
    ASSERT_EQ(WinGetVersion(), OS_WINXP);
    ASSERT_EQ(SystemServices.Initialised, 1);
    EXPECT_EQ(sim::CountCalls("LoadLibraryExA", "C:\\WINDOWS\\system32\\SetupApi.dll"), 1u) << sim::JournalText();
    EXPECT_EQ(sim::CountCalls("LoadLibraryExA", "C:\\WINDOWS\\system32\\newdev.dll"), 1u) << sim::JournalText();
    EXPECT_EQ(sim::CountCalls("LoadLibraryA"), 0u) << sim::JournalText();
    for (const std::string& path : sim::LoadHistory())
        EXPECT_EQ(path.find("Downloads"), std::string::npos) << path;
}

TEST_F(EngineTest, FailedInitialisationIsRetriedClassificationIncluded)
{
    const std::string setupApiPath = std::string(kSystem32) + "SetupApi.dll";
    sim::RemovePath(setupApiPath);
    EXPECT_EQ(WinGetVersion(), OS_WINXP);
    EXPECT_EQ(SystemServices.Initialised, 0);

    sim::InstallImage(setupApiPath, kSetupApiImage);
    EXPECT_EQ(WinGetVersion(), OS_WINXP);
    EXPECT_EQ(SystemServices.Initialised, 1);
    EXPECT_EQ(sim::CountCalls("GetVersionExA"), 2u);

    // Once initialised, nothing is classified or loaded again.
    EXPECT_EQ(Tv4IsHaveInstall(), 0);
    EXPECT_EQ(sim::CountCalls("GetVersionExA"), 2u);
    EXPECT_EQ(sim::CountCalls("LoadLibraryExA", setupApiPath), 2u);
}

TEST_F(EngineTest, RetryAfterMissingEntryReleasesTheEarlierLibrary)
{
    sim::RemoveExport(kNewDevImage, "UpdateDriverForPlugAndPlayDevicesA");
    WinGetVersion();
    WinGetVersion();
    EXPECT_EQ(SystemServices.Initialised, 0);
    EXPECT_EQ(sim::CountCalls("FreeLibrary"), 2u) << sim::JournalText();
    // TearDown's leak check proves the unload released the last pair.
}

TEST_F(EngineTest, UnsupportedWindowsFailsSetupButKeepsOtherExportsWorking)
{
    for (sim::Os os : {sim::Os::NT351, sim::Os::Win70, sim::Os::UnknownPlatform}) {
        Boot(os);
        EXPECT_EQ(InstTavrel(0, 0, "/i"), ERRORCODE_AT_LOAD) << sim::OsName(os);
        EXPECT_EQ(WinGetVersion(), OS_UNSUPPORTED) << sim::OsName(os);
        EXPECT_EQ(Tv4IsHaveInstall(), 0) << sim::OsName(os);
        DWORD flags = 0;
        EXPECT_EQ(Tv4ParseCmdLine(&flags, "/r /s"), 1) << sim::OsName(os);
        EXPECT_EQ(flags, 0x0Au) << sim::OsName(os);
        Unload();
    }
}

TEST_F(EngineTest, Is64ProcessFollowsIsWow64Process)
{
    const struct {
        sim::Wow64 mode;
        int expected;
        const char* name;
    } rows[] = {{sim::Wow64::No, 0, "no"},
                {sim::Wow64::Yes, 1, "yes"},
                {sim::Wow64::Absent, 0, "absent"},
                {sim::Wow64::CallFails, 0, "call fails"}};
    for (const auto& row : rows) {
        sim::SetWow64(row.mode);
        EXPECT_EQ(Is64Process(), row.expected) << row.name;
    }
    EXPECT_EQ(sim::CountCalls("GetVersionExA"), 0u) << "Is64Process does not initialise";
}

TEST_F(EngineTest, UnloadReleasesBoundLibraries)
{
    ASSERT_EQ(WinGetVersion(), OS_WINXP);
    EXPECT_TRUE(sim::IsLoaded(std::string(kSystem32) + "SetupApi.dll"));
    Unload();
    EXPECT_FALSE(sim::IsLoaded(std::string(kSystem32) + "SetupApi.dll"));
    EXPECT_FALSE(sim::IsLoaded(std::string(kSystem32) + "newdev.dll"));
}
