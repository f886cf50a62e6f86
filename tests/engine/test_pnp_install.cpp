// Plug-and-Play installation on Windows XP, Server 2003 and Vista: the package files, the root device,
// the three USB driver update attempts and the needs-restart flag, against the simulated device installer.
#include "pnp_install.h"

#include <gtest/gtest.h>
#include <newdev.h>
#include <simwin/sim.h>
#include <simwin/sim_devices.h>
#include <simwin/sim_services.h>

#include <string>
#include <vector>

#include "engine_fixture.h"
#include "initialise.h"

namespace {

const char kStaging[] = "C:\\WINDOWS\\Temp\\";
const char kDrivers[] = "C:\\WINDOWS\\system32\\drivers\\";
const char kSystem32[] = "C:\\WINDOWS\\system32\\";
const char kInf[] = "C:\\WINDOWS\\Temp\\Tavrel4.inf";
const char kUsbId[] = "USB\\Vid_0f2b&Pid_0001";
const char kRootId[] = "TavrelBus\\Tavrel";
const BYTE kUntouched = 0x5A;

struct PayloadAccess : EngineTest {
    using EngineTest::PayloadResources;
};

std::string Payload(const std::string& resourceName)
{
    for (const sim::Resource* resource : PayloadAccess::PayloadResources())
        if (resource->name == resourceName)
            return std::string(resource->bytes.begin(), resource->bytes.end());
    ADD_FAILURE() << "no payload resource " << resourceName;
    return std::string();
}

std::string Upper(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(toupper(static_cast<unsigned char>(c)));
    return text;
}

// Paths of the files created, in order.
std::vector<std::string> FilesWritten()
{
    std::vector<std::string> paths;
    for (const sim::Call& call : sim::Calls("CreateFileA"))
        if (call.args[0].find("\\\\.\\") != 0 && call.result != "INVALID_HANDLE_VALUE")
            paths.push_back(call.args[0]);
    return paths;
}

std::vector<std::string> Functions(const std::vector<std::string>& wanted)
{
    std::vector<std::string> names;
    for (const sim::Call& call : sim::Journal())
        for (const std::string& name : wanted)
            if (call.function == name)
                names.push_back(call.function == "UpdateDriverForPlugAndPlayDevicesA" ? "Update " + call.args[0]
                                                                                          : call.function);
    return names;
}

class PnpInstallTest : public EngineTest {
protected:
    void SetUp() override { BootFor(sim::Os::WinXP); }
    void TearDown() override
    {
        EXPECT_EQ(sim::OpenDeviceInfoSetCount(), 0u) << sim::JournalText();
        EngineTest::TearDown();
    }

    void BootFor(sim::Os os)
    {
        Boot(os);
        ASSERT_EQ(EnsureInitialised(), 1) << sim::JournalText();
        // The package's parallel driver opens \\.\TAVRELNT once its device runs.
        sim::BindDevice("TAVRELNT", "TAVRELNT");
        sim::ClearJournal();
    }

    static void Support(BYTE parallel, BYTE usb)
    {
        EngineSettings.SupportParallel = parallel;
        EngineSettings.SupportUsb = usb;
    }
};

} // namespace

// ------------------------------------------------------------------ package files

TEST_F(PnpInstallTest, WritesTheEditionsPackageUnderThePlainNamesInOrder)
{
    struct Edition {
        sim::Os os;
        int (*install)(BYTE*);
        const char* prefix;
    };
    const Edition editions[] = {{sim::Os::WinXP, &InstallPnpDrivers, ""},
                                {sim::Os::Vista, &InstallPnpDriversVista, "vis_"}};
    for (const Edition& edition : editions) {
        SCOPED_TRACE(sim::OsName(edition.os));
        BootFor(edition.os);
        sim::PlugInDevice({"USB\\VID_0F2B&PID_0001"});
        BYTE restart = kUntouched;
        ASSERT_EQ(edition.install(&restart), 1) << sim::JournalText();

        const std::string prefix = edition.prefix;
        const std::vector<std::pair<std::string, std::string>> expected = {
            {std::string(kStaging) + "Tavrel4.inf", prefix + "Tavrel4.inf"},
            {std::string(kStaging) + "Tavrel4.sys", prefix + "Tavrel4.sys"},
            {std::string(kDrivers) + "Tavrel4.sys", prefix + "Tavrel4.sys"},
            {std::string(kStaging) + "Tavrel4USB.sys", prefix + "Tavrel4USB.sys"},
            {std::string(kStaging) + "tavrel4.cat", prefix + "tavrel4.cat"},
            {std::string(kDrivers) + "Tavrel4USB.sys", prefix + "Tavrel4USB.sys"},
            {std::string(kStaging) + "Tl4CoInst.dll", prefix + "Tl4CoInst.dll"},
            {std::string(kSystem32) + "Tl4CoInst.dll", prefix + "Tl4CoInst.dll"},
        };
        std::vector<std::string> wantedPaths;
        for (const auto& [path, resource] : expected) {
            wantedPaths.push_back(path);
            EXPECT_EQ(sim::FileContent(path), Payload(Upper(resource))) << path;
        }
        EXPECT_EQ(FilesWritten(), wantedPaths);
        EXPECT_FALSE(sim::FileExists(std::string(kStaging) + "vis_Tavrel4.inf"));
        // Both editions bind the token and the root device, which opens the device: no restart.
        EXPECT_EQ(restart, 0) << sim::JournalText();
        EXPECT_EQ(sim::DevicesWithHardwareId(kRootId).size(), 1u);
    }
}

TEST_F(PnpInstallTest, ParallelOnlyLeavesOutTheUsbDriverAndItsUpdate)
{
    Support(1, 0);
    BYTE restart = kUntouched;
    ASSERT_EQ(InstallPnpDrivers(&restart), 1);
    EXPECT_FALSE(sim::FileExists(std::string(kStaging) + "Tavrel4USB.sys"));
    EXPECT_FALSE(sim::FileExists(std::string(kDrivers) + "Tavrel4USB.sys"));
    EXPECT_EQ(FilesWritten().size(), 6u);
    EXPECT_EQ(sim::CountCalls("UpdateDriverForPlugAndPlayDevicesA", kUsbId), 0u);
    EXPECT_EQ(sim::CountCalls("SetupCopyOEMInfA"), 0u);
    EXPECT_EQ(sim::DevicesWithHardwareId(kRootId).size(), 1u);
    EXPECT_EQ(restart, 0);
    EXPECT_EQ(sim::GetDword("HKLM\\System\\CurrentControlSet\\Services\\TAVRELNT\\Parameters", "Support"), 1u);
}

TEST_F(PnpInstallTest, EverySupportStateButParallelOnlyWritesTheUsbDriver)
{
    struct Row {
        BYTE parallel, usb;
        bool usbFiles;
        size_t usbUpdates;  // no token: three attempts when USB is supported
    };
    const Row rows[] = {{1, 1, true, 3}, {0, 1, true, 3}, {0, 0, true, 0}, {1, 0, false, 0}};
    for (const Row& row : rows) {
        SCOPED_TRACE("parallel " + std::to_string(row.parallel) + " usb " + std::to_string(row.usb));
        BootFor(sim::Os::WinXP);
        Support(row.parallel, row.usb);
        BYTE restart = kUntouched;
        ASSERT_EQ(InstallPnpDrivers(&restart), 1);
        EXPECT_EQ(sim::FileExists(std::string(kDrivers) + "Tavrel4USB.sys"), row.usbFiles);
        EXPECT_EQ(sim::CountCalls("UpdateDriverForPlugAndPlayDevicesA", kUsbId), row.usbUpdates);
        EXPECT_EQ(sim::DevicesWithHardwareId(kRootId).size(), 1u) << "the root device comes in every state";
    }
}

TEST_F(PnpInstallTest, AFailedWriteStopsWithWhatWasWrittenAndNoDevice)
{
    struct Row {
        const char* failing;
        size_t writtenBefore;
    };
    const std::string cat = std::string(kStaging) + "tavrel4.cat";
    const std::string coInstaller = std::string(kSystem32) + "Tl4CoInst.dll";
    const std::string inf = kInf;
    const Row rows[] = {{inf.c_str(), 0}, {cat.c_str(), 4}, {coInstaller.c_str(), 7}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.failing);
        BootFor(sim::Os::WinXP);
        sim::FailAlways("CreateFileA", ERROR_DISK_FULL, row.failing);
        sim::ExpectMessageBox(IDOK);
        BYTE restart = kUntouched;
        EXPECT_EQ(InstallPnpDrivers(&restart), 0);
        EXPECT_EQ(restart, kUntouched);
        EXPECT_EQ(FilesWritten().size(), row.writtenBefore);
        EXPECT_EQ(sim::CountCalls("SetupDiCreateDeviceInfoList"), 0u);
        EXPECT_TRUE(sim::Devices().empty());
    }
    // The catalog row left the INF and both copies of the parallel driver.
    BootFor(sim::Os::WinXP);
    sim::FailAlways("CreateFileA", ERROR_DISK_FULL, cat);
    sim::ExpectMessageBox(IDOK);
    EXPECT_EQ(InstallPnpDrivers(NULL), 0);
    EXPECT_TRUE(sim::FileExists(kInf));
    EXPECT_TRUE(sim::FileExists(std::string(kStaging) + "Tavrel4.sys"));
    EXPECT_TRUE(sim::FileExists(std::string(kDrivers) + "Tavrel4.sys"));
}

TEST_F(PnpInstallTest, FailuresBeforeAnyFileLeaveTheFlagAlone)
{
    struct Row {
        const char* name;
        std::function<void()> arrange;
    };
    const Row rows[] = {
        {"parameters key refused",
         [] { sim::FailAlways("RegCreateKeyA", ERROR_ACCESS_DENIED); }},
        {"staging directory cannot be made",
         [] {
             sim::RemovePath("C:\\WINDOWS\\Temp");
             sim::FailAlways("CreateDirectoryA", ERROR_ACCESS_DENIED);
         }},
        {"system directory too long for the buffers",
         [] { sim::SetSystemDirectory("C:\\" + std::string(260, 'w') + "\\system32"); }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        BootFor(sim::Os::WinXP);
        row.arrange();
        BYTE restart = kUntouched;
        EXPECT_EQ(InstallPnpDrivers(&restart), 0) << sim::JournalText();
        EXPECT_EQ(restart, kUntouched);
        EXPECT_TRUE(FilesWritten().empty());
    }
}

// ------------------------------------------------------------------ root device

TEST_F(PnpInstallTest, RootDeviceIsRegisteredWithTheInfClassAndItsDriverInstalled)
{
    BYTE restart = kUntouched;
    ASSERT_EQ(InstallPnpDrivers(&restart), 1);
    const std::vector<std::string> rootSequence = {
        "SetupDiGetINFClassA",         "SetupDiCreateDeviceInfoList", "SetupDiCreateDeviceInfoA",
        "SetupDiSetDeviceRegistryPropertyA", "SetupDiCallClassInstaller", std::string("Update ") + kRootId,
        "SetupDiDeleteDeviceInfo",     "SetupDiDestroyDeviceInfoList"};
    std::vector<std::string> calls =
        Functions({"SetupDiGetINFClassA", "SetupDiCreateDeviceInfoList", "SetupDiCreateDeviceInfoA",
                   "SetupDiSetDeviceRegistryPropertyA", "SetupDiCallClassInstaller",
                   "UpdateDriverForPlugAndPlayDevicesA", "SetupDiDeleteDeviceInfo", "SetupDiDestroyDeviceInfoList"});
    ASSERT_GE(calls.size(), rootSequence.size());
    EXPECT_EQ(std::vector<std::string>(calls.begin(), calls.begin() + rootSequence.size()), rootSequence);

    EXPECT_EQ(sim::Calls("SetupDiGetINFClassA")[0].args, (std::vector<std::string>{kInf, "32"}));
    EXPECT_EQ(sim::Calls("SetupDiCreateDeviceInfoA")[0].args,
              (std::vector<std::string>{"USB", sim::kUsbClassGuid, "(null)", "0x1"}));
    EXPECT_EQ(sim::Calls("SetupDiSetDeviceRegistryPropertyA")[0].args, (std::vector<std::string>{"0x1", "18"}));
    EXPECT_EQ(sim::Calls("UpdateDriverForPlugAndPlayDevicesA", kRootId)[0].args,
              (std::vector<std::string>{kRootId, kInf, "0x1", "BOOL*"}));

    std::optional<sim::DeviceNode> device = sim::FindDeviceNode("ROOT\\USB\\0000");
    ASSERT_TRUE(device);
    EXPECT_EQ(device->hardwareIds, std::vector<std::string>{kRootId});
    EXPECT_EQ(device->service, "TAVRELNT");
    EXPECT_TRUE(sim::DeviceExists("TAVRELNT"));

    // A second run adds another root device beside the first.
    ASSERT_EQ(InstallPnpDrivers(&restart), 1);
    EXPECT_EQ(sim::DevicesWithHardwareId(kRootId), (std::vector<std::string>{"ROOT\\USB\\0000", "ROOT\\USB\\0001"}));
}

TEST_F(PnpInstallTest, ARefusedRootDeviceStepSkipsTheDeviceButNotTheInstallation)
{
    struct Row {
        const char* function;
        const char* argument;
    };
    const Row rows[] = {{"SetupDiGetINFClassA", ""},
                        {"SetupDiCreateDeviceInfoList", ""},
                        {"SetupDiCreateDeviceInfoA", ""},
                        {"SetupDiSetDeviceRegistryPropertyA", ""},
                        {"SetupDiCallClassInstaller", "0x19"}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.function);
        BootFor(sim::Os::WinXP);
        sim::PlugInDevice({kUsbId});
        sim::FailAlways(row.function, ERROR_ACCESS_DENIED, row.argument);
        BYTE restart = kUntouched;
        EXPECT_EQ(InstallPnpDrivers(&restart), 1);
        EXPECT_TRUE(sim::DevicesWithHardwareId(kRootId).empty());
        EXPECT_EQ(sim::CountCalls("UpdateDriverForPlugAndPlayDevicesA", kRootId), 0u);
        EXPECT_EQ(sim::CountCalls("UpdateDriverForPlugAndPlayDevicesA", kUsbId), 1u);
        EXPECT_EQ(restart, 1) << "nothing opens \\\\.\\TAVRELNT";
        const size_t sets = sim::CountCalls("SetupDiCreateDeviceInfoList") - (row.function == std::string("SetupDiCreateDeviceInfoList"));
        EXPECT_EQ(sim::CountCalls("SetupDiDestroyDeviceInfoList"), sets);
    }
}

TEST_F(PnpInstallTest, AFailedRootDriverUpdateIsIgnored)
{
    sim::ScriptDriverUpdate({false, ERROR_ACCESS_DENIED, false, kRootId});
    BYTE restart = kUntouched;
    EXPECT_EQ(InstallPnpDrivers(&restart), 1);
    EXPECT_EQ(sim::DevicesWithHardwareId(kRootId).size(), 1u);
    EXPECT_EQ(restart, 1);
}

// ------------------------------------------------------------------ USB driver update attempts

TEST_F(PnpInstallTest, UsbUpdateAttemptsAndTheRestartFlag)
{
    struct Row {
        const char* name;
        bool tokenPlugged;
        std::vector<sim::DriverUpdateOutcome> outcomes;  // for the USB id, in attempt order
        std::vector<std::string> sequence;               // U = update, C = INF copy, S = 1000 ms wait
        BYTE restart;
    };
    const sim::DriverUpdateOutcome fails{false, ERROR_NO_SUCH_DEVINST, false, kUsbId};
    const sim::DriverUpdateOutcome rebootNeeded{true, 0, true, kUsbId};
    const Row rows[] = {
        {"token present, no reboot", true, {}, {"U"}, 0},
        {"token present, reboot required", true, {rebootNeeded}, {"U"}, 1},
        {"no token", false, {}, {"U", "C", "U", "S", "U"}, 0},
        {"second attempt asks for a reboot", false, {fails, rebootNeeded}, {"U", "C", "U", "U"}, 1},
        {"third attempt's reboot is not used", false, {fails, fails, rebootNeeded}, {"U", "C", "U", "S", "U"}, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        BootFor(sim::Os::WinXP);
        if (row.tokenPlugged)
            sim::PlugInDevice({"USB\\VID_0F2B&PID_0001&REV_0100", "USB\\VID_0F2B&PID_0001"});
        for (const sim::DriverUpdateOutcome& outcome : row.outcomes)
            sim::ScriptDriverUpdate(outcome);
        BYTE restart = kUntouched;
        ASSERT_EQ(InstallPnpDrivers(&restart), 1);

        std::vector<std::string> sequence;
        for (const sim::Call& call : sim::Journal()) {
            if (call.function == "UpdateDriverForPlugAndPlayDevicesA" && call.args[0] == kUsbId) {
                sequence.push_back("U");
                EXPECT_EQ(call.args, (std::vector<std::string>{kUsbId, kInf, "0x1", "BOOL*"}));
            } else if (call.function == "SetupCopyOEMInfA") {
                sequence.push_back("C");
                EXPECT_EQ(call.args, (std::vector<std::string>{kInf, "(null)", "1", "0x0", "260", "DWORD*", "(null)"}));
            } else if (call.function == "Sleep") {
                sequence.push_back("S");
                EXPECT_EQ(call.args[0], "1000");
            }
        }
        EXPECT_EQ(sequence, row.sequence);
        EXPECT_EQ(restart, row.restart);
        EXPECT_EQ(sim::PendingDriverUpdates(), 0u);
    }
}

TEST_F(PnpInstallTest, WithoutATokenThePackageWaitsInTheInfStore)
{
    // The root device's driver installation would store the INF too: let it fail so only the retry can.
    sim::ScriptDriverUpdate({false, ERROR_ACCESS_DENIED, false, kRootId});
    BYTE restart = kUntouched;
    ASSERT_EQ(InstallPnpDrivers(&restart), 1);
    bool stored = false;
    for (const sim::OemInf& inf : sim::OemInfs())
        stored = stored || sim::FileContent("C:\\WINDOWS\\inf\\" + inf.name) == Payload("TAVREL4.INF");
    EXPECT_TRUE(stored);
    // A token plugged in afterwards gets the package's USB driver.
    const std::string token = sim::PlugInDevice({"USB\\VID_0F2B&PID_0001"});
    BOOL reboot = FALSE;
    ASSERT_TRUE(UpdateDriverForPlugAndPlayDevicesA(NULL, kUsbId, kInf, INSTALLFLAG_FORCE, &reboot));
    EXPECT_EQ(sim::FindDeviceNode(token)->service, "Tavrel_USB");
}

TEST_F(PnpInstallTest, TheProbeDecidesTheFlagWhenNoRebootWasAsked)
{
    enum Entry { BOUND, MISSING, NOT_CALLABLE };
    struct Row {
        const char* name;
        bool driverStarts;
        Entry updateEntry;
        BYTE restart;
    };
    const Row rows[] = {{"device opens", true, BOUND, 0},
                        {"driver does not start", false, BOUND, 1},
                        {"no driver-update entry", true, MISSING, 1},
                        {"driver-update entry not callable", true, NOT_CALLABLE, 1}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        BootFor(sim::Os::WinXP);
        if (!row.driverStarts)
            sim::SetStartFailure("TAVRELNT", ERROR_ACCESS_DENIED);
        if (row.updateEntry == MISSING)
            SystemServices.SetupApi.UpdateDriverForPlugAndPlayDevices = NULL;
        if (row.updateEntry == NOT_CALLABLE)
            sim::MarkBadPointer(reinterpret_cast<const void*>(SystemServices.SetupApi.UpdateDriverForPlugAndPlayDevices));
        BYTE restart = kUntouched;
        ASSERT_EQ(InstallPnpDrivers(&restart), 1);
        EXPECT_EQ(restart, row.restart);
        EXPECT_EQ(sim::CountCalls("CreateFileA", "\\\\.\\TAVRELNT"), 1u);
        if (row.updateEntry != BOUND) {
            EXPECT_EQ(sim::CountCalls("UpdateDriverForPlugAndPlayDevicesA"), 0u);
            EXPECT_EQ(sim::CountCalls("SetupCopyOEMInfA"), 0u);
            EXPECT_EQ(sim::DevicesWithHardwareId(kRootId).size(), 1u) << "registered, without a driver";
        }
    }
}

// ------------------------------------------------------------------ Vista pre-install

TEST_F(PnpInstallTest, VistaPutsThePackageIntoTheStoreBeforeTheRootDevice)
{
    BootFor(sim::Os::Vista);
    sim::PlugInDevice({kUsbId});
    BYTE restart = kUntouched;
    ASSERT_EQ(InstallPnpDriversVista(&restart), 1);
    const long copy = sim::FindCall("SetupCopyOEMInfA");
    ASSERT_GE(copy, 0);
    EXPECT_EQ(sim::Journal()[copy].args,
              (std::vector<std::string>{kInf, kStaging, "1", "0x2000", "260", "(null)", "(null)"}));
    EXPECT_LT(copy, sim::FindCall("SetupDiCreateDeviceInfoList"));
    EXPECT_GT(copy, sim::FindCall("CreateFileA", std::string(kSystem32) + "Tl4CoInst.dll"));
    ASSERT_EQ(sim::OemInfs().size(), 1u);
    EXPECT_EQ(sim::FileContent("C:\\WINDOWS\\inf\\" + sim::OemInfs()[0].name), Payload("VIS_TAVREL4.INF"));

    // Without the entry the pre-install is left out and the rest goes on.
    BootFor(sim::Os::Vista);
    SystemServices.SetupApi.CopyOemInf = NULL;
    restart = kUntouched;
    ASSERT_EQ(InstallPnpDriversVista(&restart), 1);
    EXPECT_EQ(sim::CountCalls("SetupCopyOEMInfA", kInf), 1u) << "only the retry of the USB update";
    EXPECT_EQ(sim::Calls("SetupCopyOEMInfA")[0].args[3], "0x0");
    EXPECT_EQ(sim::DevicesWithHardwareId(kRootId).size(), 1u);
}
