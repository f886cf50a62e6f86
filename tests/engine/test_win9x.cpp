// Windows 95, 98 and ME: the static VxD's registry values, the files per generation, the restart flag,
// and the removal with the registry's delete-with-subkeys behaviour of those systems.
#include "win9x_deploy.h"

#include <gtest/gtest.h>
#include <simwin/sim.h>

#include <map>
#include <string>

#include "engine_fixture.h"
#include "initialise.h"

namespace {

const char kVxdKey[] = "HKLM\\System\\CurrentControlSet\\Services\\vxd\\Tavrel9x";
const char kVxdPath[] = "C:\\WINDOWS\\SYSTEM\\Tavrel9x.vxd";
const char kUsbDriver[] = "C:\\WINDOWS\\system32\\drivers\\TavrUsb.sys";
const char kUsbInf[] = "C:\\WINDOWS\\inf\\TavrUsb.inf";
const char kDriverIndex[] = "C:\\WINDOWS\\inf\\Drvidx.bin";

struct Options {
    BYTE parallel = 1;
    BYTE usb = 1;
    BYTE testBusy = 0;
    DWORD ports[3] = {0, 0, 0};
};

class Win9xTest : public EngineTest {
protected:
    void BootOs(sim::Os os, const Options& options = Options())
    {
        Boot(os);
        ClassifyWindows();
        EngineSettings.SupportParallel = options.parallel;
        EngineSettings.SupportUsb = options.usb;
        EngineSettings.TestBusy = options.testBusy;
        for (int i = 0; i < 3; ++i)
            EngineSettings.DisablePort[i] = options.ports[i];
        sim::PutFile(kDriverIndex, "index");
    }

    // The value names of the VxD key other than "StaticVxd", with their DWORD data.
    static std::map<std::string, DWORD> DwordValues()
    {
        std::map<std::string, DWORD> values;
        for (const std::string& name : sim::ValueNames(kVxdKey))
            if (name != "StaticVxd")
                values[name] = sim::GetDword(kVxdKey, name).value_or(0xDEADu);
        return values;
    }
};

Options With(BYTE parallel, BYTE usb, BYTE testBusy, DWORD p278, DWORD p378, DWORD p3bc)
{
    Options options;
    options.parallel = parallel;
    options.usb = usb;
    options.testBusy = testBusy;
    options.ports[0] = p278;
    options.ports[1] = p378;
    options.ports[2] = p3bc;
    return options;
}

int InstallFor(sim::Os os, BYTE* restart)
{
    switch (os) {
    case sim::Os::Win95: return InstallStaticVxd(restart);
    case sim::Os::Win98: return InstallWin98(restart);
    default: return InstallWinMe(restart);
    }
}

} // namespace

TEST_F(Win9xTest, VxdKeyValuesFollowTheOptions)
{
    struct Row {
        const char* name;
        sim::Os os;
        Options options;
        std::map<std::string, DWORD> expected;
    };
    const Row rows[] = {
        {"95 defaults", sim::Os::Win95, Options(), {{"Support", 1}, {"TestBusy", 0}}},
        {"95 USB only", sim::Os::Win95, With(0, 1, 0, 0, 0, 0), {{"Support", 1}, {"TestBusy", 0}}},
        {"98 both", sim::Os::Win98, Options(), {{"Support", 0}, {"TestBusy", 0}}},
        {"98 parallel only", sim::Os::Win98, With(1, 0, 0, 0, 0, 0), {{"Support", 1}, {"TestBusy", 0}}},
        {"98 USB only", sim::Os::Win98, With(0, 1, 0, 0, 0, 0), {{"Support", 2}, {"TestBusy", 0}}},
        {"ME neither", sim::Os::WinME, With(0, 0, 0, 0, 0, 0), {{"Support", 0}, {"TestBusy", 0}}},
        {"ME test busy", sim::Os::WinME, With(1, 1, 1, 0, 0, 0), {{"Support", 0}, {"TestBusy", 1}}},
        {"only 3BC excluded", sim::Os::Win98, With(1, 1, 0, 0, 0, 1),
         {{"Support", 0}, {"TestBusy", 0}, {"DisablePort1", 0x3BC}}},
        {"278 and 3BC excluded", sim::Os::Win95, With(1, 1, 0, 1, 0, 1),
         {{"Support", 1}, {"TestBusy", 0}, {"DisablePort1", 0x278}, {"DisablePort2", 0x3BC}}},
        {"all excluded", sim::Os::WinME, With(1, 1, 0, 1, 1, 1),
         {{"Support", 0}, {"TestBusy", 0}, {"DisablePort1", 0x278}, {"DisablePort2", 0x378}, {"DisablePort3", 0x3BC}}},
    };
    for (const Row& row : rows) {
        BootOs(row.os, row.options);
        BYTE restart = 0;
        EXPECT_EQ(1, InstallStaticVxd(&restart)) << row.name;
        EXPECT_EQ(row.expected, DwordValues()) << row.name;
        const std::optional<sim::RegValue> vxd = sim::GetValue(kVxdKey, "StaticVxd");
        ASSERT_TRUE(vxd.has_value()) << row.name;
        EXPECT_EQ(static_cast<DWORD>(REG_SZ), vxd->type) << row.name;
        EXPECT_EQ(std::string("Tavrel9x.vxd", 13), std::string(vxd->data.begin(), vxd->data.end())) << row.name;
    }
}

TEST_F(Win9xTest, ReinstallKeepsValuesTheNewOptionsDoNotWrite)
{
    BootOs(sim::Os::Win98, With(1, 1, 1, 1, 1, 0));
    sim::SetDword(kVxdKey, "DisablePort2", 0x378);
    sim::SetDword(kVxdKey, "DisablePort3", 0x3BC);
    BYTE restart = 0;
    ASSERT_EQ(1, InstallStaticVxd(&restart));
    EngineSettings.DisablePort[1] = 0;
    EngineSettings.TestBusy = 0;
    ASSERT_EQ(1, InstallStaticVxd(&restart));
    const std::map<std::string, DWORD> expected = {
        {"Support", 0}, {"TestBusy", 0}, {"DisablePort1", 0x278}, {"DisablePort2", 0x378}, {"DisablePort3", 0x3BC}};
    EXPECT_EQ(expected, DwordValues());
}

TEST_F(Win9xTest, FilesPerGeneration)
{
    struct Row {
        const char* name;
        sim::Os os;
        Options options;
        bool usbSet;
        bool driverIndexDeleted;
    };
    const Row rows[] = {
        {"95", sim::Os::Win95, Options(), false, false},
        {"95 USB only", sim::Os::Win95, With(0, 1, 0, 0, 0, 0), false, false},
        {"98", sim::Os::Win98, Options(), true, true},
        {"98 USB only", sim::Os::Win98, With(0, 1, 0, 0, 0, 0), true, true},
        {"98 parallel only", sim::Os::Win98, With(1, 0, 0, 0, 0, 0), false, true},
        {"ME", sim::Os::WinME, Options(), true, true},
    };
    for (const Row& row : rows) {
        BootOs(row.os, row.options);
        sim::SetAttributes(kDriverIndex, FILE_ATTRIBUTE_READONLY);
        BYTE restart = 0;
        EXPECT_EQ(1, InstallFor(row.os, &restart)) << row.name << "\n" << sim::JournalText();
        EXPECT_TRUE(sim::FileExists(kVxdPath)) << row.name;
        EXPECT_FALSE(sim::FileExists("C:\\WINDOWS\\system32\\Tavrel9x.vxd")) << row.name;
        EXPECT_EQ(row.usbSet, sim::FileExists(kUsbDriver)) << row.name;
        EXPECT_EQ(row.usbSet, sim::FileExists(kUsbInf)) << row.name;
        EXPECT_EQ(row.driverIndexDeleted, !sim::FileExists(kDriverIndex)) << row.name;
        EXPECT_FALSE(sim::FileExists("C:\\WINDOWS\\system32\\drivers\\Tl4USB98.sys")) << row.name;
        EXPECT_TRUE(Boxes().empty()) << row.name;
    }
}

TEST_F(Win9xTest, RestartFlagAfterInstallation)
{
    struct Row {
        const char* name;
        sim::Os os;
        bool vxdRunning;
        BYTE expected;
    };
    const Row rows[] = {
        {"95 fresh", sim::Os::Win95, false, 0},  {"95 VxD running", sim::Os::Win95, true, 1},
        {"98 fresh", sim::Os::Win98, false, 1},  {"98 VxD running", sim::Os::Win98, true, 1},
        {"ME fresh", sim::Os::WinME, false, 0},  {"ME VxD running", sim::Os::WinME, true, 1},
    };
    for (const Row& row : rows) {
        BootOs(row.os);
        if (row.vxdRunning)
            sim::AddDevice("TAVREL9X");
        BYTE restart = 0xAA;
        EXPECT_EQ(1, InstallFor(row.os, &restart)) << row.name;
        EXPECT_EQ(row.expected, restart) << row.name;
        // The USB set ran even where the VxD's restart was kept.
        EXPECT_EQ(row.os != sim::Os::Win95, sim::FileExists(kUsbInf)) << row.name;
        EXPECT_EQ(0u, sim::OpenFileCount()) << row.name;
    }
}

TEST_F(Win9xTest, FailedVxdWriteStopsBeforeTheUsbSet)
{
    for (sim::Os os : {sim::Os::Win95, sim::Os::Win98, sim::Os::WinME}) {
        BootOs(os);
        sim::ExpectMessageBox(IDOK, "Create '");
        sim::FailOnce("CreateFileA", ERROR_ACCESS_DENIED, kVxdPath);
        BYTE restart = 0;
        EXPECT_EQ(0, InstallFor(os, &restart)) << static_cast<int>(os);
        EXPECT_EQ(os == sim::Os::Win98 ? 1 : 0, restart) << static_cast<int>(os);
        EXPECT_FALSE(sim::FileExists(kUsbInf)) << static_cast<int>(os);
        EXPECT_TRUE(sim::FileExists(kDriverIndex)) << static_cast<int>(os);
        // The values go in before the file and stay.
        EXPECT_TRUE(sim::GetString(kVxdKey, "StaticVxd").has_value()) << static_cast<int>(os);
    }
}

TEST_F(Win9xTest, FailedUsbSetKeepsTheVxdAndStillDropsTheDriverIndex)
{
    for (sim::Os os : {sim::Os::Win98, sim::Os::WinME}) {
        BootOs(os);
        sim::ExpectMessageBox(IDOK, "Create '");
        sim::FailOnce("CreateFileA", ERROR_DISK_FULL, kUsbInf);
        BYTE restart = 0;
        EXPECT_EQ(0, InstallFor(os, &restart)) << static_cast<int>(os);
        EXPECT_EQ(os == sim::Os::Win98 ? 1 : 0, restart) << static_cast<int>(os);
        EXPECT_TRUE(sim::FileExists(kVxdPath)) << static_cast<int>(os);
        EXPECT_EQ(std::optional<std::string>("Tavrel9x.vxd"), sim::GetString(kVxdKey, "StaticVxd"));
        EXPECT_FALSE(sim::FileExists(kDriverIndex)) << static_cast<int>(os);
    }
}

// ------------------------------------------------------------------ the optional driver update on ME

namespace {

struct UpdateCall {
    int count = 0;
    HWND owner = reinterpret_cast<HWND>(1);
    std::string hardwareId, infPath;
    DWORD flags = 0;
    BOOL reportReboot = FALSE;
};
UpdateCall g_update;

BOOL WINAPI FakeUpdateDriver(HWND owner, LPCSTR hardwareId, LPCSTR infPath, DWORD flags, BOOL* rebootRequired)
{
    ++g_update.count;
    g_update.owner = owner;
    g_update.hardwareId = hardwareId;
    g_update.infPath = infPath;
    g_update.flags = flags;
    *rebootRequired = g_update.reportReboot;
    return TRUE;
}

} // namespace

TEST_F(Win9xTest, MeInstallationWithoutTheUpdateEntryLeavesTheDeviceToWindows)
{
    BootOs(sim::Os::WinME);
    ASSERT_EQ(1, EnsureInitialised());
    ASSERT_EQ(nullptr, SystemServices.SetupApi.UpdateDriverForPlugAndPlayDevices);
    BYTE restart = 1;
    EXPECT_EQ(1, InstallWinMe(&restart));
    EXPECT_EQ(0, restart);
    EXPECT_EQ(0u, sim::CountCalls("UpdateDriverForPlugAndPlayDevicesA"));
}

TEST_F(Win9xTest, MeInstallationForcesTheUsbDriverWhenTheEntryIsBound)
{
    struct Row {
        const char* name;
        bool vxdRunning;
        BOOL reboot;
        BYTE expected;
    };
    const Row rows[] = {
        {"update asks for restart", false, TRUE, 1},
        {"update needs none", false, FALSE, 0},
        {"running VxD keeps its restart", true, FALSE, 1},
    };
    for (const Row& row : rows) {
        BootOs(sim::Os::WinME);
        if (row.vxdRunning)
            sim::AddDevice("TAVREL9X");
        g_update = UpdateCall();
        g_update.reportReboot = row.reboot;
        SystemServices.SetupApi.UpdateDriverForPlugAndPlayDevices = &FakeUpdateDriver;
        BYTE restart = 0xAA;
        EXPECT_EQ(1, InstallWinMe(&restart)) << row.name;
        EXPECT_EQ(row.expected, restart) << row.name;
        EXPECT_EQ(1, g_update.count) << row.name;
        EXPECT_EQ(nullptr, g_update.owner) << row.name;
        EXPECT_EQ("USB\\Vid_0f2b&Pid_0001", g_update.hardwareId) << row.name;
        EXPECT_EQ(kUsbInf, g_update.infPath) << row.name;
        EXPECT_EQ(1u, g_update.flags) << row.name;
    }
    // A failed installation does not update.
    BootOs(sim::Os::WinME);
    g_update = UpdateCall();
    SystemServices.SetupApi.UpdateDriverForPlugAndPlayDevices = &FakeUpdateDriver;
    sim::ExpectMessageBox(IDOK, "Create '");
    sim::FailOnce("CreateFileA", ERROR_DISK_FULL, kUsbDriver);
    BYTE restart = 0;
    EXPECT_EQ(0, InstallWinMe(&restart));
    EXPECT_EQ(0, g_update.count);
}

// ------------------------------------------------------------------ removal

namespace {

const char* const kUsbSetFiles[] = {kUsbDriver, kUsbInf, "C:\\WINDOWS\\inf\\TavrUsb.pnf"};
const char* const kOldWdmFiles[] = {"C:\\WINDOWS\\system32\\drivers\\Tl4USB98.sys",
                                    "C:\\WINDOWS\\system32\\drivers\\Tl4_98.sys", "C:\\WINDOWS\\inf\\Tavrel98.inf",
                                    "C:\\WINDOWS\\inf\\Tavrel98.pnf"};
const char kRecordKey[] = "HKLM\\SOFTWARE\\OVTv4InstallFlag";

void PlantEverything()
{
    sim::SetString(kVxdKey, "StaticVxd", "Tavrel9x.vxd");
    sim::SetDword(kVxdKey, "DisablePort2", 0x378);
    sim::PutFile(kVxdPath, "vxd", FILE_ATTRIBUTE_READONLY);
    for (const char* path : kUsbSetFiles)
        sim::PutFile(path, "x", FILE_ATTRIBUTE_READONLY);
    for (const char* path : kOldWdmFiles)
        sim::PutFile(path, "x", FILE_ATTRIBUTE_READONLY);
    sim::SetString("HKLM\\Enum\\Root\\Tavrel4\\0000", "HardwareID", "Tavrel4");
    sim::SetString("HKLM\\Enum\\Root\\Printer\\0000", "HardwareID", "other");
    sim::SetString("HKLM\\Enum\\USB\\Vid_0f2b&Pid_0001\\5&1234", "Driver", "USB\\0000");
}

} // namespace

TEST_F(Win9xTest, RemoveStaticVxdDeletesKeyAndFile)
{
    BootOs(sim::Os::Win95);
    PlantEverything();
    BYTE restart = 0;
    EXPECT_EQ(1, RemoveStaticVxd(&restart));
    EXPECT_EQ(1, restart);
    EXPECT_FALSE(sim::KeyExists(kVxdKey));
    EXPECT_TRUE(sim::KeyExists("HKLM\\System\\CurrentControlSet\\Services\\vxd"));
    EXPECT_FALSE(sim::FileExists(kVxdPath));
    EXPECT_TRUE(sim::FileExists(kUsbInf)) << "Windows 95 removal leaves the USB set alone";
}

TEST_F(Win9xTest, RemovalOfWin98MeFollowsTheRecordForTheOldWdmSet)
{
    struct Row {
        const char* name;
        sim::Os os;
        int recordedDos;  // -1: no record
        bool oldSetStays;
    };
    const Row rows[] = {
        {"98 no record", sim::Os::Win98, -1, false},
        {"98 recorded without DOS", sim::Os::Win98, 0, false},
        {"98 recorded with DOS", sim::Os::Win98, 1, true},
        {"ME recorded with DOS", sim::Os::WinME, 1, true},
        {"ME no record", sim::Os::WinME, -1, false},
    };
    for (const Row& row : rows) {
        BootOs(row.os);
        PlantEverything();
        if (row.recordedDos >= 0)
            sim::SetDword(kRecordKey, "IsSupportDos", static_cast<DWORD>(row.recordedDos));
        BYTE restart = 0;
        EXPECT_EQ(1, RemoveWin98Me(&restart)) << row.name;
        EXPECT_EQ(1, restart) << row.name;
        EXPECT_FALSE(sim::KeyExists(kVxdKey)) << row.name;
        EXPECT_FALSE(sim::FileExists(kVxdPath)) << row.name;
        for (const char* path : kUsbSetFiles)
            EXPECT_FALSE(sim::FileExists(path)) << row.name << ": " << path;
        for (const char* path : kOldWdmFiles)
            EXPECT_EQ(row.oldSetStays, sim::FileExists(path)) << row.name << ": " << path;
        EXPECT_FALSE(sim::KeyExists("HKLM\\Enum\\Root\\Tavrel4")) << row.name;
        EXPECT_TRUE(sim::KeyExists("HKLM\\Enum\\Root\\Printer\\0000")) << row.name;
        EXPECT_FALSE(sim::KeyExists("HKLM\\Enum\\USB\\Vid_0f2b&Pid_0001")) << row.name;
        EXPECT_EQ(0u, sim::OpenKeyCount()) << row.name;
    }
}

TEST_F(Win9xTest, RemovalOnACleanMachineSucceeds)
{
    for (sim::Os os : {sim::Os::Win95, sim::Os::Win98, sim::Os::WinME}) {
        BootOs(os);
        sim::RemovePath(kDriverIndex);
        BYTE restart = 0;
        EXPECT_EQ(1, os == sim::Os::Win95 ? RemoveStaticVxd(&restart) : RemoveWin98Me(&restart));
        EXPECT_EQ(1, restart);
        EXPECT_TRUE(Boxes().empty());
    }
}

TEST_F(Win9xTest, InstallThenRemoveLeavesNothingOfOurs)
{
    BootOs(sim::Os::Win98, With(1, 1, 1, 1, 1, 1));
    sim::RemovePath(kDriverIndex);
    const std::vector<std::string> infBefore = sim::ListDirectory("C:\\WINDOWS\\inf");
    const std::vector<std::string> driversBefore = sim::ListDirectory("C:\\WINDOWS\\system32\\drivers");
    const std::vector<std::string> systemBefore = sim::ListDirectory("C:\\WINDOWS\\SYSTEM");
    BYTE restart = 0;
    ASSERT_EQ(1, InstallWin98(&restart));
    ASSERT_EQ(1, RemoveWin98Me(&restart));
    EXPECT_FALSE(sim::KeyExists(kVxdKey));
    EXPECT_EQ(infBefore, sim::ListDirectory("C:\\WINDOWS\\inf"));
    EXPECT_EQ(driversBefore, sim::ListDirectory("C:\\WINDOWS\\system32\\drivers"));
    EXPECT_EQ(systemBefore, sim::ListDirectory("C:\\WINDOWS\\SYSTEM"));
}
