// InstallForWindows and RemoveForWindows through Tv4Setup on every Windows class: which driver set each
// class and option installs (told apart by a file only that set writes), the record that follows the
// option, and the DOS-support library of Vista.
#include <algorithm>
#include <optional>

#include "engine_exports.h"
#include "engine_fixture.h"

namespace {

const char kRecordKey[] = "HKLM\\SOFTWARE\\OVTv4InstallFlag";
const char kDrivers[] = "C:\\WINDOWS\\system32\\drivers\\";
const char kVddLibrary[] = "C:\\WINDOWS\\system32\\TavrVdd.dll";

std::string Written(const std::vector<std::string>& paths)
{
    std::string text;
    for (const std::string& path : paths)
        text += (sim::FileExists(path) ? "+" : "-") + path.substr(path.rfind('\\') + 1) + " ";
    return text;
}

}  // namespace

TEST_F(EngineTest, EachWindowsClassInstallsItsOwnDriverSet)
{
    const std::string vxd = "C:\\WINDOWS\\SYSTEM\\Tavrel9x.vxd";
    const std::string classUsb = std::string(kDrivers) + "TavrUsb.sys";
    const std::string parallelNt = std::string(kDrivers) + "Tavrelnt.sys";
    const std::string usbStackNt4 = std::string(kDrivers) + "usbhcd.sys";
    const std::string wdmParallel = std::string(kDrivers) + "Tavrel4.sys";
    const std::vector<std::string> markers = {vxd, classUsb, parallelNt, usbStackNt4, wdmParallel, kVddLibrary};
    const struct {
        sim::Os os;
        const char* commandLine;
        std::vector<std::string> written;  // of the markers, exactly these
        DWORD record;
    } rows[] = {
        {sim::Os::Win95, "/i /s /Dos", {vxd}, 0x20001},
        {sim::Os::Win98, "/i /s", {vxd, classUsb}, 0x20002},
        {sim::Os::WinME, "/i /s /Dos", {vxd, classUsb}, 0x20001},
        {sim::Os::NT4, "/i /s", {parallelNt, usbStackNt4, kVddLibrary}, 0x20002},
        // Windows 2000 has only the DOS-capable set; the record still follows the option.
        {sim::Os::Win2000, "/i /s", {classUsb, parallelNt, kVddLibrary}, 0x20002},
        {sim::Os::WinXP, "/i /s", {wdmParallel}, 0x20002},
        {sim::Os::WinXP, "/i /s /Dos", {classUsb, parallelNt, kVddLibrary}, 0x20001},
        {sim::Os::Server2003, "/i /s", {wdmParallel}, 0x20002},
        {sim::Os::Server2003, "/i /s /Dos", {classUsb, parallelNt, kVddLibrary}, 0x20001},
        {sim::Os::Vista, "/i /s", {wdmParallel}, 0x20002},
        {sim::Os::Vista, "/i /s /Dos", {wdmParallel, kVddLibrary}, 0x20001},
    };
    for (const auto& row : rows) {
        const std::string name = std::string(sim::OsName(row.os)) + " " + row.commandLine;
        Boot(row.os);
        BYTE restart = 0xCC;
        EXPECT_EQ(Tv4Setup(&restart, row.commandLine), 1) << name << "\n" << sim::JournalText();
        EXPECT_EQ(InstallEngine.ErrorCode, ERRORCODE_AT_LOAD) << name;
        EXPECT_LE(restart, 1) << name;
        std::string expectedText;
        for (const std::string& marker : markers) {
            const bool wanted = std::find(row.written.begin(), row.written.end(), marker) != row.written.end();
            expectedText += (wanted ? "+" : "-") + marker.substr(marker.rfind('\\') + 1) + " ";
        }
        EXPECT_EQ(Written(markers), expectedText) << name;
        EXPECT_EQ(sim::GetDword(kRecordKey, "Tv4Ver"), std::optional<DWORD>(row.record)) << name;
        EXPECT_EQ(sim::GetDword(kRecordKey, "IsSupportDos"), std::optional<DWORD>(row.record == 0x20001 ? 1 : 0))
            << name;
        EXPECT_EQ(sim::GetDword(kRecordKey, "InstallCount"), std::optional<DWORD>(1)) << name;
        Unload();
    }
}

TEST_F(EngineTest, VistaWithoutItsDosLibraryIsAFailedInstallation)
{
    Boot(sim::Os::Vista);
    sim::FailAlways("CreateFileA", ERROR_DISK_FULL, kVddLibrary);
    sim::ExpectMessageBox(IDOK, "TavrVdd.dll");
    BYTE restart = 0xCC;
    EXPECT_EQ(Tv4Setup(&restart, "/i /s /Dos"), 0);
    EXPECT_EQ(InstallEngine.ErrorCode, ERRORCODE_SETUP_FAILED);
    EXPECT_EQ(restart, 0);
    EXPECT_FALSE(sim::KeyExists(kRecordKey));
    // The driver package itself went in before the library failed; nothing is rolled back.
    EXPECT_TRUE(sim::FileExists(std::string(kDrivers) + "Tavrel4.sys"));
}

TEST_F(EngineTest, RemovalOnTheNtFamilyTakesTheInstalledSetAndTheRecord)
{
    const struct {
        sim::Os os;
        const char* install;
        const char* driverFile;
    } rows[] = {
        {sim::Os::WinXP, "/i /s", "Tavrel4.sys"},
        {sim::Os::Vista, "/i /s", "Tavrel4.sys"},
        {sim::Os::WinXP, "/i /s /Dos", "Tavrelnt.sys"},
        {sim::Os::NT4, "/i /s", "Tavrelnt.sys"},
    };
    for (const auto& row : rows) {
        const std::string name = std::string(sim::OsName(row.os)) + " " + row.install;
        Boot(row.os);
        BYTE restart = 0;
        ASSERT_EQ(Tv4Setup(&restart, row.install), 1) << name;
        ASSERT_TRUE(sim::FileExists(std::string(kDrivers) + row.driverFile)) << name;
        restart = 0;
        EXPECT_EQ(Tv4Setup(&restart, "/r /s"), 1) << name;
        EXPECT_EQ(restart, 1) << name;
        EXPECT_FALSE(sim::KeyExists(kRecordKey)) << name;
        EXPECT_FALSE(sim::FileExists(std::string(kDrivers) + row.driverFile)) << name;
        EXPECT_EQ(Tv4GetVersion(), 0u) << name;
        Unload();
    }
}
