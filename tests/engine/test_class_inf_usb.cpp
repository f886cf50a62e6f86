// The class-INF USB set: where its two files go, the in-place edit of the placed INF and what a failure leaves.
#include "class_inf_usb.h"

#include <gtest/gtest.h>
#include <simwin/sim.h>

#include <string>

#include "engine_fixture.h"
#include "initialise.h"
#include <simwin/sim_services.h>

namespace {

const char kInfPath[] = "C:\\WINDOWS\\inf\\TavrUsb.inf";

struct PayloadAccess : EngineTest {
    using EngineTest::PayloadResources;
};

std::string PayloadBytes(const char* resourceName)
{
    for (const sim::Resource* resource : PayloadAccess::PayloadResources())
        if (resource->name == resourceName)
            return std::string(resource->bytes.begin(), resource->bytes.end());
    ADD_FAILURE() << "no payload resource " << resourceName;
    return std::string();
}

} // namespace

// ------------------------------------------------------------------ BeginsWith

struct PrefixCase {
    const char* name;
    const char* text;
    const char* prefix;
    bool expected;
};

TEST(BeginsWith, ComparesBytesCaseSensitively)
{
    const PrefixCase cases[] = {
        {"exact", "CopyFiles", "CopyFiles", true},
        {"longer text", "CopyFiles=Tavr.Copy", "CopyFiles", true},
        {"empty prefix", "abc", "", true},
        {"both empty", "", "", true},
        {"prefix longer than text", "Copy", "CopyFiles", false},
        {"empty text", "", "C", false},
        {"other case", "copyfiles=x", "CopyFiles", false},
        {"leading space", " CopyFiles", "CopyFiles", false},
        {"differs at last byte", "CopyFilez", "CopyFiles", false},
        {"high bytes", "\xE4\xF6x", "\xE4\xF6", true},
    };
    for (const PrefixCase& c : cases)
        EXPECT_EQ(c.expected, BeginsWith(c.text, c.prefix)) << c.name;
}

// ------------------------------------------------------------------ the in-place edit

class InfEditTest : public EngineTest {};

struct EditCase {
    const char* name;
    std::string before;
    std::string after;
};

TEST_F(InfEditTest, CommentsOutEveryCopyFilesAndNothingElse)
{
    const std::string longLine = "; " + std::string(3000, 'x') + " CopyFile";
    const EditCase cases[] = {
        {"directive line", "[s]\r\nCopyFiles=a.CopyList\r\nAddReg=r\r\n", "[s]\r\n;opyFiles=a.CopyList\r\nAddReg=r\r\n"},
        {"lower case stays active", "copyfiles=a\r\nCOPYFILES=b\r\n", "copyfiles=a\r\nCOPYFILES=b\r\n"},
        {"inside a longer word", "XCopyFiles=a\r\n", "X;opyFiles=a\r\n"},
        {"twice on one line", "CopyFiles=CopyFiles", ";opyFiles=;opyFiles"},
        {"word ends the file", "x=CopyFiles", "x=;opyFiles"},
        {"file ends in seven letters", "x=CopyFil", "x=CopyFil"},
        {"file ends in eight letters", "x\r\nCopyFile", "x\r\nCopyFile"},
        {"after a NUL byte", std::string("a\0CopyFiles", 11), std::string("a\0;opyFiles", 11)},
        {"already disabled", ";opyFiles=a\r\n", ";opyFiles=a\r\n"},
        {"copy-list names", "tavrusb.CopyList = 10\r\n", "tavrusb.CopyList = 10\r\n"},
        {"empty file", "", ""},
        {"long line", longLine + "d CopyFiles\r\n", longLine + "d ;opyFiles\r\n"},
    };
    for (const EditCase& c : cases) {
        sim::PutFile(kInfPath, c.before, FILE_ATTRIBUTE_READONLY);
        EXPECT_EQ(1, DisableCopyFilesInPlace(kInfPath)) << c.name;
        EXPECT_EQ(c.after, sim::FileContent(kInfPath).value_or("<missing>")) << c.name;
    }
}

TEST_F(InfEditTest, StoredClassInfIsLeftByteForByte)
{
    const std::string stored = PayloadBytes("TAVRUSB.INF");
    ASSERT_NE(std::string::npos, stored.find(";opyFiles")) << "the stored INF keeps its directives disabled";
    sim::PutFile(kInfPath, stored);
    EXPECT_EQ(1, DisableCopyFilesInPlace(kInfPath));
    EXPECT_EQ(stored, sim::FileContent(kInfPath));
}

TEST_F(InfEditTest, FailureLeavesTheFileAsItWasAndClosed)
{
    const std::string before = "[s]\r\nCopyFiles=a\r\n";
    struct FaultCase {
        const char* function;
        DWORD error;
    };
    const FaultCase cases[] = {
        {"CreateFileA", ERROR_SHARING_VIOLATION},
        {"ReadFile", ERROR_READ_FAULT},
        {"SetFilePointer", ERROR_INVALID_PARAMETER},
        {"WriteFile", ERROR_DISK_FULL},
    };
    for (const FaultCase& c : cases) {
        sim::PutFile(kInfPath, before);
        sim::FailOnce(c.function, c.error, kInfPath);
        EXPECT_EQ(0, DisableCopyFilesInPlace(kInfPath)) << c.function;
        EXPECT_EQ(before, sim::FileContent(kInfPath)) << c.function;
        EXPECT_EQ(0u, sim::OpenFileCount()) << c.function;
        sim::ClearFaults();
    }
    sim::RemovePath(kInfPath);
    EXPECT_EQ(0, DisableCopyFilesInPlace(kInfPath)) << "missing file";
    EXPECT_FALSE(sim::FileExists(kInfPath));
}

TEST_F(InfEditTest, ShortWriteBackIsAFailure)
{
    sim::PutFile(kInfPath, "[s]\r\nCopyFiles=a\r\n");
    sim::ShortWrite(3, kInfPath);
    EXPECT_EQ(0, DisableCopyFilesInPlace(kInfPath));
    // Same length in place: whatever part was written, the rest is the original text.
    EXPECT_EQ("[s]\r\nCopyFiles=a\r\n", sim::FileContent(kInfPath));
}

// ------------------------------------------------------------------ InstallClassInfUsb

class ClassInfUsbTest : public EngineTest {
protected:
    void BootOs(sim::Os os)
    {
        Boot(os);
        ClassifyWindows();
    }
};

TEST_F(ClassInfUsbTest, PlacesDriverAndUneditedStoredInfPerGeneration)
{
    struct Row {
        const char* name;
        sim::Os os;
        const char* windowsDir;
        const char* driverPath;
        const char* infPath;
    };
    // On 98 and ME the WDM driver goes under the Windows directory's system32, not the system directory.
    const Row rows[] = {
        {"98", sim::Os::Win98, "C:\\WINDOWS", "C:\\WINDOWS\\system32\\drivers\\TavrUsb.sys", kInfPath},
        {"ME", sim::Os::WinME, "C:\\WINDOWS", "C:\\WINDOWS\\system32\\drivers\\TavrUsb.sys", kInfPath},
        {"2000", sim::Os::Win2000, "C:\\WINNT", "C:\\WINNT\\system32\\drivers\\TavrUsb.sys",
         "C:\\WINNT\\inf\\TavrUsb.inf"},
        {"XP", sim::Os::WinXP, "C:\\WINDOWS", "C:\\WINDOWS\\system32\\drivers\\TavrUsb.sys", kInfPath},
    };
    for (const Row& row : rows) {
        sim::Profile profile = sim::ProfileFor(row.os);
        profile.windowsDir = row.windowsDir;
        Boot(profile);
        ClassifyWindows();
        BYTE restart = 1;
        EXPECT_EQ(1, InstallClassInfUsb(&restart)) << row.name << "\n" << sim::JournalText();
        EXPECT_EQ(0, restart) << row.name;
        EXPECT_EQ(PayloadBytes("TAVRUSB.SYS"), sim::FileContent(row.driverPath).value_or("<missing>")) << row.name;
        EXPECT_EQ(PayloadBytes("TAVRUSB.INF"), sim::FileContent(row.infPath).value_or("<missing>")) << row.name;
        EXPECT_TRUE(Boxes().empty()) << row.name;
    }
}

TEST_F(ClassInfUsbTest, WithoutUsbSupportDoesNothing)
{
    BootOs(sim::Os::Win98);
    EngineSettings.SupportUsb = 0;
    BYTE restart = 1;
    EXPECT_EQ(1, InstallClassInfUsb(&restart));
    EXPECT_EQ(1, restart);
    EXPECT_FALSE(sim::FileExists("C:\\WINDOWS\\system32\\drivers\\TavrUsb.sys"));
    EXPECT_FALSE(sim::FileExists(kInfPath));
    EXPECT_EQ(0u, sim::CountCalls("CreateFileA"));
}

TEST_F(ClassInfUsbTest, CarriedInfWithCopyDirectivesIsPlacedDisabled)
{
    BootOs(sim::Os::WinME);
    sim::OverrideResource("InstDll", "RESFILE", "TAVRUSB.INF",
                          std::string("[t]\r\nCopyFiles=x\r\n"));
    BYTE restart = 1;
    EXPECT_EQ(1, InstallClassInfUsb(&restart));
    EXPECT_EQ("[t]\r\n;opyFiles=x\r\n", sim::FileContent(kInfPath));
}

TEST_F(ClassInfUsbTest, FailureStopsAndLeavesTheFlag)
{
    const char* driverPath = "C:\\WINDOWS\\system32\\drivers\\TavrUsb.sys";
    struct Row {
        const char* name;
        const char* function;
        const char* path;
        const char* box;  // message the extraction shows, or empty
        bool driverStays;
        bool infStaysAsExtracted;
    };
    const Row rows[] = {
        {"driver not written", "CreateFileA", driverPath, "Create '", false, false},
        {"INF not written", "CreateFileA", kInfPath, "Create '", true, false},
        {"INF not read back", "ReadFile", kInfPath, "", true, true},
    };
    for (const Row& row : rows) {
        BootOs(sim::Os::Win98);
        if (row.box[0] != '\0')
            sim::ExpectMessageBox(IDOK, row.box);
        sim::FailOnce(row.function, ERROR_ACCESS_DENIED, row.path);
        BYTE restart = 7;
        EXPECT_EQ(0, InstallClassInfUsb(&restart)) << row.name;
        EXPECT_EQ(7, restart) << row.name;
        EXPECT_EQ(row.driverStays, sim::FileExists(driverPath)) << row.name;
        EXPECT_EQ(row.infStaysAsExtracted, sim::FileContent(kInfPath) == PayloadBytes("TAVRUSB.INF")) << row.name;
        EXPECT_EQ(0u, sim::PendingMessageBoxAnswers()) << row.name;
        EXPECT_TRUE(sim::UnexpectedMessageBoxes().empty()) << row.name;
    }
}

TEST_F(ClassInfUsbTest, WindowsDirectoryTooLongForTheInfPathWritesNothing)
{
    BootOs(sim::Os::WinXP);
    sim::SetWindowsDirectory("C:\\" + std::string(240, 'w'));
    BYTE restart = 1;
    EXPECT_EQ(0, InstallClassInfUsb(&restart));
    EXPECT_EQ(1, restart);
    EXPECT_EQ(0u, sim::CountCalls("CreateFileA")) << sim::JournalText();
    EXPECT_FALSE(sim::FileExists("C:\\WINDOWS\\system32\\drivers\\TavrUsb.sys"));
}

// ------------------------------------------------------------------ InstallDosSupport
// Runs over the real parallel-port service and driver update; the simulated service manager starts
// "TAVRELNT" from its image, and BindDevice lets the probe see the device.

class DosSupportTest : public ClassInfUsbTest {
protected:
    void BootDos(sim::Os os, bool deviceAnswers)
    {
        BootOs(os);
        ASSERT_EQ(1, EnsureInitialised());
        if (deviceAnswers)
            sim::BindDevice("TAVRELNT", "TAVRELNT");
    }
};

const char kStagedDriver[] = "C:\\WINDOWS\\Temp\\TavrUsb.sys";
const char kStagedInf[] = "C:\\WINDOWS\\Temp\\TavrUsb.inf";

TEST_F(DosSupportTest, InstallsServiceUsbSetAndStagedCopiesAndAlwaysAsksForRestart)
{
    struct Row {
        const char* name;
        sim::Os os;
        bool deviceAnswers;
        BYTE usb;
    };
    const Row rows[] = {
        {"2000, device answers", sim::Os::Win2000, true, 1},
        {"XP, device silent", sim::Os::WinXP, false, 1},
        {"Server 2003, parallel only", sim::Os::Server2003, true, 0},
    };
    for (const Row& row : rows) {
        BootDos(row.os, row.deviceAnswers);
        EngineSettings.SupportUsb = row.usb;
        sim::OverrideResource("InstDll", "RESFILE", "TAVRUSB.INF", std::string("[t]\r\nCopyFiles=x\r\n"));
        sim::RemovePath("C:\\WINDOWS\\Temp");
        BYTE restart = 0;
        EXPECT_EQ(1, InstallDosSupport(&restart)) << row.name << "\n" << sim::JournalText();
        EXPECT_EQ(1, restart) << row.name;
        EXPECT_TRUE(sim::KeyExists("HKLM\\System\\CurrentControlSet\\Services\\TAVRELNT")) << row.name;
        // Only the copy in the INF directory is edited; the staged one is the source of the driver update.
        EXPECT_EQ(row.usb == 1, sim::FileExists("C:\\WINDOWS\\system32\\drivers\\TavrUsb.sys")) << row.name;
        EXPECT_EQ(row.usb == 1 ? std::optional<std::string>("[t]\r\n;opyFiles=x\r\n") : std::nullopt,
                  sim::FileContent(kInfPath))
            << row.name;
        EXPECT_EQ(PayloadBytes("TAVRUSB.SYS"), sim::FileContent(kStagedDriver).value_or("<missing>")) << row.name;
        EXPECT_EQ("[t]\r\nCopyFiles=x\r\n", sim::FileContent(kStagedInf).value_or("<missing>")) << row.name;
        const std::vector<sim::Call> updates = sim::Calls("UpdateDriverForPlugAndPlayDevicesA");
        ASSERT_FALSE(updates.empty()) << row.name << sim::JournalText();
        EXPECT_NE(std::string::npos, updates.front().Text().find(kStagedInf)) << updates.front().Text();
        EXPECT_TRUE(Boxes().empty()) << row.name;
    }
}

TEST_F(DosSupportTest, WithoutTheUpdateEntryTheStagedSetIsStillPlaced)
{
    BootDos(sim::Os::Win2000, true);
    SystemServices.SetupApi.UpdateDriverForPlugAndPlayDevices = NULL;
    BYTE restart = 0;
    EXPECT_EQ(1, InstallDosSupport(&restart));
    EXPECT_EQ(1, restart);
    EXPECT_TRUE(sim::FileExists(kStagedInf));
    EXPECT_EQ(0u, sim::CountCalls("UpdateDriverForPlugAndPlayDevicesA"));
    EXPECT_EQ(0u, sim::CountCalls("SetupCopyOEMInfA"));
}

TEST_F(DosSupportTest, ServiceFailureStopsBeforeTheUsbSetAndLeavesTheFlag)
{
    BootDos(sim::Os::WinXP, true);
    sim::LimitServiceManagerAccess(SC_MANAGER_CONNECT);
    BYTE restart = 7;
    EXPECT_EQ(0, InstallDosSupport(&restart));
    EXPECT_EQ(7, restart);
    EXPECT_FALSE(sim::FileExists(kInfPath));
    EXPECT_FALSE(sim::FileExists(kStagedInf));
}

TEST_F(DosSupportTest, LaterFailureKeepsTheServiceRestartOnly)
{
    struct Row {
        const char* name;
        bool deviceAnswers;
        const char* failingPath;
        BYTE expected;
    };
    const Row rows[] = {
        {"USB driver, device answers", true, "C:\\WINDOWS\\system32\\drivers\\TavrUsb.sys", 0},
        {"USB driver, device silent", false, "C:\\WINDOWS\\system32\\drivers\\TavrUsb.sys", 1},
        {"staged driver, device answers", true, kStagedDriver, 0},
        {"staged INF, device silent", false, kStagedInf, 1},
    };
    for (const Row& row : rows) {
        BootDos(sim::Os::WinXP, row.deviceAnswers);
        sim::ExpectMessageBox(IDOK, "Create '");
        sim::FailOnce("CreateFileA", ERROR_ACCESS_DENIED, row.failingPath);
        BYTE restart = 0;
        EXPECT_EQ(0, InstallDosSupport(&restart)) << row.name;
        EXPECT_EQ(row.expected, restart) << row.name;
        EXPECT_EQ(0u, sim::CountCalls("UpdateDriverForPlugAndPlayDevicesA")) << row.name;
        EXPECT_TRUE(sim::UnexpectedMessageBoxes().empty()) << row.name;
    }
}
