// Tv4Setup up to the install/remove dispatch, the standard-convention entries, RegSearch and ReBoot.
#include "engine_exports.h"
#include "engine_fixture.h"

TEST_F(EngineTest, SetupParsesInitialisesAndDispatches)
{
    const struct {
        const char* text;
        int result;
        int errorCode;
        bool usageBox;
        bool initialised;
    } rows[] = {
        {"/?", 1, ERRORCODE_HELP_SHOWN, true, false},
        {"/i /r /?", 1, ERRORCODE_HELP_SHOWN, true, false},
        {"/i /r", 0, ERRORCODE_BAD_ARGUMENT, true, false},
        {"/s", 0, ERRORCODE_BAD_ARGUMENT, true, false},
        {"C:\\setup.exe", 0, ERRORCODE_BAD_ARGUMENT, false, true},
    };
    for (const auto& row : rows) {
        Boot(sim::Os::WinXP);
        if (row.usageBox)
            sim::ExpectMessageBox(IDOK);
        BYTE restart = 1;
        EXPECT_EQ(Tv4Setup(&restart, row.text), row.result) << row.text;
        EXPECT_EQ(restart, 0) << row.text;
        EXPECT_EQ(InstallEngine.ErrorCode, row.errorCode) << row.text;
        EXPECT_EQ(sim::MessageBoxes().size(), row.usageBox ? 1u : 0u) << row.text;
        EXPECT_EQ(SystemServices.Initialised, row.initialised ? 1 : 0) << row.text;
        EXPECT_EQ(sim::CountCalls("GetVersionExA"), row.initialised ? 1u : 0u) << row.text;
        Unload();
    }
}

TEST_F(EngineTest, SetupRejectsBadPointersWithoutWritingThroughThem)
{
    const char* text = "/i";
    sim::MarkBadPointer(text);
    BYTE restart = 1;
    EXPECT_EQ(Tv4Setup(&restart, text), 0);
    EXPECT_EQ(restart, 0);
    EXPECT_EQ(InstallEngine.ErrorCode, ERRORCODE_BAD_ARGUMENT);

    InstallEngine.ErrorCode = ERRORCODE_AT_LOAD;
    EXPECT_EQ(Tv4Setup(nullptr, "/i"), 0);
    EXPECT_EQ(InstallEngine.ErrorCode, ERRORCODE_BAD_ARGUMENT);

    InstallEngine.ErrorCode = ERRORCODE_AT_LOAD;
    BYTE unreadable = 1;
    sim::MarkBadPointer(&unreadable);
    EXPECT_EQ(Tv4Setup(&unreadable, "/i"), 0);
    EXPECT_EQ(unreadable, 1);
    EXPECT_EQ(InstallEngine.ErrorCode, ERRORCODE_BAD_ARGUMENT);
    EXPECT_EQ(SystemServices.Initialised, 0);
}

TEST_F(EngineTest, SetupOnUnsupportedWindowsKeepsTheErrorCode)
{
    Boot(sim::Os::Win70);
    InstallEngine.ErrorCode = ERRORCODE_ALREADY_INSTALLED;
    BYTE restart = 1;
    EXPECT_EQ(Tv4Setup(&restart, "/r"), 0);
    EXPECT_EQ(InstallEngine.ErrorCode, ERRORCODE_ALREADY_INSTALLED);
    EXPECT_EQ(restart, 0);
}

TEST_F(EngineTest, StandardConventionEntriesWrapSetup)
{
    // Help succeeds, so InstTavrel gives 0 and the engine's own restart byte is cleared.
    NeedRestart = 1;
    sim::ExpectMessageBox(IDOK);
    EXPECT_EQ(InstTavrel(5, 6, "/?"), 0);
    EXPECT_EQ(IsNeedRestart(), 0);

    EXPECT_EQ(InstTavrel(0, 0, "C:\\setup.exe"), ERRORCODE_BAD_ARGUMENT);
    EXPECT_EQ(sim::CountCalls("GetVersionExA"), 1u);

    // A caller's own byte leaves the engine's alone.
    NeedRestart = 1;
    BYTE own = 1;
    sim::ExpectMessageBox(IDOK);
    EXPECT_EQ(Tv4Setup(&own, "/?"), 1);
    EXPECT_EQ(own, 0);
    EXPECT_EQ(IsNeedRestart(), 1);
}

TEST_F(EngineTest, RegSearchClearsTheStaleParallelServiceOnlyWithTheOldRootDevice)
{
    const std::string service = "HKLM\\SYSTEM\\ControlSet001\\Services\\TAVRELNT";
    const std::string rootDevice = "HKLM\\SYSTEM\\ControlSet001\\Enum\\Root\\KQUSB\\0000";
    const struct {
        const char* name;
        bool rootDevice;
        bool serviceKeys;
        bool denyRead;
        int result;
        bool serviceLeft;
    } rows[] = {
        {"no root device", false, true, false, 0, true},
        {"root device, service keys deleted in the first round", true, true, false, 0, false},
        {"root device, no service keys", true, false, false, 0, false},
        {"root device, keys not readable but deletable", true, true, true, 1, false},
    };
    for (const auto& row : rows) {
        Boot(sim::Os::Vista);
        if (row.rootDevice)
            sim::CreateKey(rootDevice);
        if (row.serviceKeys) {
            sim::CreateKey(service + "\\Enum");
            sim::CreateKey(service + "\\Parameters");
            sim::SetDword(service + "\\Parameters", "Support", 0);
            if (row.denyRead) {
                for (const char* sub : {"\\Enum", "\\Parameters", ""})
                    sim::DenyKeyAccess(service + sub, DELETE);
            }
        }
        EXPECT_EQ(RegSearch(), row.result) << row.name;
        EXPECT_EQ(sim::KeyExists(service), row.serviceLeft) << row.name;
        EXPECT_EQ(sim::KeyExists(rootDevice), row.rootDevice) << row.name;
        Unload();
    }
}

TEST_F(EngineTest, SetupRunsRegSearchOnceVistaIsKnown)
{
    Boot(sim::Os::Vista);
    const std::string service = "HKLM\\SYSTEM\\ControlSet001\\Services\\TAVRELNT";
    sim::CreateKey("HKLM\\SYSTEM\\ControlSet001\\Enum\\Root\\KQUSB\\0000");
    sim::CreateKey(service);
    BYTE restart = 0;
    // The first call into the library does not know the class yet, so the clean-up waits for the next.
    Tv4Setup(&restart, "/r");
    EXPECT_TRUE(sim::KeyExists(service));
    Tv4Setup(&restart, "/r");
    EXPECT_FALSE(sim::KeyExists(service));
}

TEST_F(EngineTest, RebootEnablesTheShutdownPrivilegeOnlyOnTheNtFamily)
{
    const struct {
        sim::Os os;
        bool privilege;
        bool tokenUsed;
    } rows[] = {
        {sim::Os::Win95, true, false}, {sim::Os::Win98, true, false}, {sim::Os::WinME, true, false},
        {sim::Os::NT4, true, true},    {sim::Os::WinXP, true, true},  {sim::Os::Vista, false, true},
        {sim::Os::Win70, true, true},
    };
    for (const auto& row : rows) {
        sim::Profile profile = sim::ProfileFor(row.os);
        profile.shutdownPrivilege = row.privilege;
        Boot(profile);
        ReBoot();
        ASSERT_EQ(sim::ExitWindowsCalls().size(), 1u) << sim::OsName(row.os);
        EXPECT_EQ(sim::ExitWindowsCalls()[0].flags, UINT(EWX_REBOOT)) << sim::OsName(row.os);
        EXPECT_EQ(sim::ExitWindowsCalls()[0].reason, 0u) << sim::OsName(row.os);
        EXPECT_EQ(sim::ExitWindowsCalls()[0].privilegeEnabled, row.privilege) << sim::OsName(row.os);
        EXPECT_EQ(sim::CountCalls("OpenProcessToken") + sim::CountCalls("AdjustTokenPrivileges"),
                  row.tokenUsed ? 2u : 0u)
            << sim::OsName(row.os);
        EXPECT_EQ(sim::CountCalls("LookupPrivilegeValueA", "SeShutdownPrivilege"), row.tokenUsed ? 1u : 0u)
            << sim::OsName(row.os);
        EXPECT_TRUE(sim::MessageBoxes().empty()) << sim::OsName(row.os);
        Unload();
    }
}
