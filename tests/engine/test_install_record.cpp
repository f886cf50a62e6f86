// The installation record and the detection of installed drivers.
#include <functional>
#include <optional>

#include "driver_detection.h"
#include "engine_exports.h"
#include "engine_fixture.h"
#include "install_record.h"

namespace {

const std::string kRecord = "HKLM\\SOFTWARE\\OVTv4InstallFlag";

struct RecordValues {
    std::optional<DWORD> isSupportDos, installCount, version;
};

RecordValues ReadRecord()
{
    return {sim::GetDword(kRecord, "IsSupportDos"), sim::GetDword(kRecord, "InstallCount"),
            sim::GetDword(kRecord, "Tv4Ver")};
}

void ExpectRecord(std::optional<DWORD> dos, std::optional<DWORD> count, std::optional<DWORD> version,
                  const std::string& context)
{
    const RecordValues values = ReadRecord();
    EXPECT_EQ(values.isSupportDos, dos) << context;
    EXPECT_EQ(values.installCount, count) << context;
    EXPECT_EQ(values.version, version) << context;
}

}  // namespace

TEST_F(EngineTest, RecordDescribesTheInstalledSet)
{
    EXPECT_EQ(Tv4IsHaveInstall(), 0);
    EXPECT_EQ(WriteInstallRecord(1), 1);
    ExpectRecord(1, 1, 0x20001, "with DOS support");
    EXPECT_EQ(ReadIsSupportDos(), 1u);
    EXPECT_EQ(WriteInstallRecord(0), 1);
    EXPECT_EQ(WriteInstallRecord(0), 1);
    ExpectRecord(0, 1, 0x20002, "without DOS support, written twice");
    EXPECT_EQ(ReadIsSupportDos(), 0u);
    EXPECT_EQ(Tv4IsHaveInstall(), 1);
    EXPECT_EQ(Tv4GetVersion(), 0x20002u);
    EXPECT_EQ(sim::OpenKeyCount(), 0u);
}

TEST_F(EngineTest, RecordWriteStopsAtTheFirstFailingValue)
{
    const struct {
        const char* failing;
        const char* function;
        std::string argument;
        RecordValues after;
    } rows[] = {
        {"create", "RegCreateKeyExA", kRecord, {}},
        {"IsSupportDos", "RegSetValueExA", "IsSupportDos", {}},
        {"InstallCount", "RegSetValueExA", "InstallCount", {1, {}, {}}},
        {"Tv4Ver", "RegSetValueExA", "Tv4Ver", {1, 1, {}}},
    };
    for (const auto& row : rows) {
        Boot(sim::Os::WinXP);
        sim::FailOnce(row.function, ERROR_ACCESS_DENIED, row.argument);
        EXPECT_EQ(WriteInstallRecord(1), 0) << row.failing;
        ExpectRecord(row.after.isSupportDos, row.after.installCount, row.after.version, row.failing);
        EXPECT_EQ(sim::OpenKeyCount(), 0u) << row.failing;
        Unload();
    }
}

TEST_F(EngineTest, RecordIsZeroedBeforeItIsDeleted)
{
    WriteInstallRecord(1);
    sim::ClearJournal();
    DeleteInstallRecord();
    EXPECT_FALSE(sim::KeyExists(kRecord));
    const long zeroCount = sim::FindCall("RegSetValueExA", "InstallCount");
    const long zeroDos = sim::FindCall("RegSetValueExA", "IsSupportDos", zeroCount + 1);
    const long zeroVersion = sim::FindCall("RegSetValueExA", "Tv4Ver", zeroDos + 1);
    const long deletion = sim::FindCall("RegDeleteKeyA", "", zeroVersion + 1);
    EXPECT_TRUE(zeroCount >= 0 && zeroDos > zeroCount && zeroVersion > zeroDos && deletion > zeroVersion)
        << sim::JournalText();
    EXPECT_EQ(Tv4IsHaveInstall(), 0);

    // A zeroing that fails keeps the key; what was zeroed before stays zeroed.
    WriteInstallRecord(1);
    sim::FailOnce("RegSetValueExA", ERROR_ACCESS_DENIED, "Tv4Ver");
    DeleteInstallRecord();
    ExpectRecord(0, 0, 0x20001, "zeroing of Tv4Ver failed");
    EXPECT_EQ(Tv4GetVersion(), 0x20001u);

    // Nothing to delete: nothing happens.
    sim::DeleteKeyTree(kRecord);
    sim::ClearJournal();
    DeleteInstallRecord();
    EXPECT_EQ(sim::CountCalls("RegSetValueExA") + sim::CountCalls("RegDeleteKeyA"), 0u);
    EXPECT_EQ(sim::OpenKeyCount(), 0u);
}

TEST_F(EngineTest, IsSupportDosReadsZeroWhenUnreadable)
{
    EXPECT_EQ(ReadIsSupportDos(), 0u);
    sim::CreateKey(kRecord);
    EXPECT_EQ(ReadIsSupportDos(), 0u);
    sim::SetDword(kRecord, "IsSupportDos", 1);
    EXPECT_EQ(ReadIsSupportDos(), 1u);
    sim::DenyKeyAccess(kRecord, KEY_READ);
    EXPECT_EQ(ReadIsSupportDos(), 0u);
}

// What each probe finds, by OS class: the record wins over everything; without it a running driver,
// the VxD file (Windows 95 and 98 only) or a service key gives an unrecorded driver.
TEST_F(EngineTest, DriverGenerationOnEveryWindows)
{
    enum Family { NINE_X, ME, NT };
    const std::string servicePath = "HKLM\\System\\CurrentControlSet\\Services\\";
    const struct {
        const char* name;
        std::function<void()> arrange;
        DWORD nineX, me, nt;  // expected generation
        BYTE haveInstall;
    } rows[] = {
        {"clean machine", [] {}, 0, 0, 0, 0},
        {"record, DOS set", [] { sim::SetDword(kRecord, "Tv4Ver", 0x20001); }, 0x20001, 0x20001, 0x20001, 1},
        {"record, WDM set", [] { sim::SetDword(kRecord, "Tv4Ver", 0x20002); }, 0x20002, 0x20002, 0x20002, 1},
        {"record wins over probes",
         [&] {
             sim::SetDword(kRecord, "Tv4Ver", 0x12345);
             sim::AddDevice("TAVRELNT");
             sim::AddDevice("TAVREL9X");
             sim::CreateKey(servicePath + "Tavrel_USB");
         },
         0x12345, 0x12345, 0x12345, 1},
        {"record without Tv4Ver", [] { sim::SetDword(kRecord, "InstallCount", 1); }, 0, 0, 0, 1},
        // Windows 95, 98 and ME have no registry access control, so only the NT family can refuse.
        {"record refusing full access",
         [] {
             sim::SetDword(kRecord, "Tv4Ver", 0x20001);
             sim::DenyKeyAccess(kRecord, KEY_READ);
         },
         0x20001, 0x20001, 0, 1},
        {"Tavrel_USB service key", [&] { sim::CreateKey(servicePath + "Tavrel_USB"); }, 0x10001, 0x10001, 0x10001, 0},
        {"TAVRELNT service key", [&] { sim::CreateKey(servicePath + "TAVRELNT"); }, 0x10001, 0x10001, 0x10001, 0},
        {"9x device running", [] { sim::AddDevice("TAVREL9X"); }, 0x10001, 0, 0, 0},
        {"NT device running", [] { sim::AddDevice("TAVRELNT"); }, 0, 0, 0x10001, 0},
        {"VxD in the system directory",
         [] {
             char systemDir[MAX_PATH];
             GetSystemDirectoryA(systemDir, sizeof systemDir);
             sim::PutFile(std::string(systemDir) + "\\TAVREL9X.VXD", "vxd");
         },
         0x10001, 0, 0, 0},
        {"VxD under the Windows system32 folder", [] { sim::PutFile("C:\\WINDOWS\\system32\\tavrel9x.vxd", "vxd"); },
         0x10001, 0, 0, 0},
    };
    for (sim::Os os : SupportedOs()) {
        const int osClass = ExpectedOsClass(os);
        const Family family = osClass <= OS_WIN98 ? NINE_X : osClass == OS_WINME ? ME : NT;
        for (const auto& row : rows) {
            Boot(os);
            row.arrange();
            const DWORD expected = family == NINE_X ? row.nineX : family == ME ? row.me : row.nt;
            EXPECT_EQ(Hex(Tv4GetVersion()), Hex(expected)) << sim::OsName(os) << ": " << row.name;
            EXPECT_EQ(Tv4IsHaveInstall(), row.haveInstall) << sim::OsName(os) << ": " << row.name;
            if (family == ME && !row.haveInstall) {
                EXPECT_EQ(sim::CountCalls("CreateFileA") + sim::CountCalls("PathFileExistsA"), 0u)
                    << sim::OsName(os) << ": " << row.name << " (Windows ME consults only the service keys)";
            }
            EXPECT_EQ(sim::OpenKeyCount() + sim::OpenFileCount(), 0u) << sim::OsName(os) << ": " << row.name;
            Unload();
        }
    }
}
