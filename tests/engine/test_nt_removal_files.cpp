// Removal on Windows 2000 and later: driver files in place and their staged copies.
#include "engine_fixture.h"
#include "nt_removal.h"

namespace {

const std::string kSystem32 = "C:\\WINDOWS\\system32\\";
const std::string kDrivers = "C:\\WINDOWS\\system32\\drivers\\";
const std::string kInf = "C:\\WINDOWS\\inf\\";
const std::string kTemp = "C:\\WINDOWS\\Temp\\";

struct FileRow {
    std::string path;
    DWORD attributes;
    bool removed;
};

}  // namespace

TEST_F(EngineTest, DriverFileRemovalDeletesEveryInstalledAndStagedFileAndNothingElse)
{
    for (sim::Os os : {sim::Os::Win2000, sim::Os::WinXP, sim::Os::Server2003, sim::Os::Vista}) {
        Boot(os);
        const FileRow rows[] = {
            {kSystem32 + "TavrVdd.dll", FILE_ATTRIBUTE_NORMAL, true},
            // written as "Tavrelnt.sys" by the installation: names match without case
            {kDrivers + "Tavrelnt.sys", FILE_ATTRIBUTE_ARCHIVE, true},
            {kDrivers + "TavrUsb.sys", FILE_ATTRIBUTE_NORMAL, true},
            {kInf + "TavrUsb.inf", FILE_ATTRIBUTE_NORMAL, true},
            {kInf + "TavrUsb.pnf", FILE_ATTRIBUTE_HIDDEN, true},
            {kInf + "Tavrel4.inf", FILE_ATTRIBUTE_NORMAL, true},
            {kDrivers + "Tavrel4.sys", FILE_ATTRIBUTE_READONLY, true},
            {kDrivers + "TAVREL4USB.SYS", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_SYSTEM, true},
            {kSystem32 + "Tl4CoInst.dll", FILE_ATTRIBUTE_NORMAL, true},
            {kTemp + "TavrVdd.dll", FILE_ATTRIBUTE_NORMAL, true},
            {kTemp + "TavrelNt.sys", FILE_ATTRIBUTE_NORMAL, true},
            {kTemp + "TavrUsb.sys", FILE_ATTRIBUTE_NORMAL, true},
            {kTemp + "TavrUsb.inf", FILE_ATTRIBUTE_NORMAL, true},
            {kTemp + "Tavrel4.inf", FILE_ATTRIBUTE_NORMAL, true},
            {kTemp + "Tavrel4.sys", FILE_ATTRIBUTE_NORMAL, true},
            {kTemp + "Tavrel4USB.sys", FILE_ATTRIBUTE_NORMAL, true},
            {kTemp + "Tl4CoInst.dll", FILE_ATTRIBUTE_NORMAL, true},
            {kTemp + "tavrel4.cat", FILE_ATTRIBUTE_NORMAL, true},
            // not ours, or not looked for where they are
            {kTemp + "TavrUsb.pnf", FILE_ATTRIBUTE_NORMAL, false},
            {kTemp + "other.sys", FILE_ATTRIBUTE_NORMAL, false},
            {kDrivers + "Tavrel9x.vxd", FILE_ATTRIBUTE_NORMAL, false},
            {kDrivers + "usbhub.sys", FILE_ATTRIBUTE_NORMAL, false},
            {kSystem32 + "Tavrel4.sys", FILE_ATTRIBUTE_NORMAL, false},
            {kInf + "Tavrel98.inf", FILE_ATTRIBUTE_NORMAL, false},
            {kInf + "oem1.inf", FILE_ATTRIBUTE_NORMAL, false},
        };
        for (const FileRow& row : rows)
            sim::PutFile(row.path, "bytes of " + row.path, row.attributes);

        EXPECT_EQ(DeleteNtDriverFiles(), 1) << sim::OsName(os);

        for (const FileRow& row : rows)
            EXPECT_EQ(sim::FileExists(row.path), !row.removed) << sim::OsName(os) << ": " << row.path;
        EXPECT_TRUE(sim::MessageBoxes().empty()) << sim::OsName(os);
        EXPECT_EQ(sim::OpenFileCount() + sim::OpenKeyCount(), 0u) << sim::OsName(os);
    }
}

TEST_F(EngineTest, DriverFileRemovalOnACleanSystemOnlyCreatesTheStagingFolder)
{
    sim::RemovePath("C:\\WINDOWS\\Temp");
    const std::vector<std::string> infBefore = sim::ListDirectory("C:\\WINDOWS\\inf");
    const std::vector<std::string> driversBefore = sim::ListDirectory("C:\\WINDOWS\\system32\\drivers");

    EXPECT_EQ(DeleteNtDriverFiles(), 1);

    EXPECT_TRUE(sim::DirectoryExists("C:\\WINDOWS\\Temp"));
    EXPECT_TRUE(sim::ListDirectory("C:\\WINDOWS\\Temp").empty());
    EXPECT_EQ(sim::ListDirectory("C:\\WINDOWS\\inf"), infBefore);
    EXPECT_EQ(sim::ListDirectory("C:\\WINDOWS\\system32\\drivers"), driversBefore);
    EXPECT_TRUE(sim::MessageBoxes().empty());
}

// Without a usable Windows directory the INF and staging paths would start at the root of the current
// drive ("\inf\TavrUsb.inf"), where other files of those names may live.
TEST_F(EngineTest, DriverFileRemovalSkipsFoldersItCannotLocate)
{
    const struct {
        const char* name;
        std::string windowsDir;
    } rows[] = {
        {"none reported", ""},
        {"longer than a path buffer", "C:\\" + std::string(260, 'W')},
    };
    for (const auto& row : rows) {
        Boot(sim::Os::WinXP);
        sim::SetWindowsDirectory(row.windowsDir);
        const std::vector<std::string> strangers = {"C:\\inf\\TavrUsb.inf", "C:\\inf\\oem0.inf",
                                                    "C:\\Temp\\TavrVdd.dll", "C:\\Temp\\Tavrel4.sys"};
        for (const std::string& path : strangers)
            sim::PutFile(path, "[Strings]\r\nTavrel.DeviceDesc=\"Orvanta TAVREL4\"\r\n");
        sim::PutFile(kDrivers + "Tavrel4.sys", "driver");

        EXPECT_EQ(DeleteNtDriverFiles(), 1) << row.name;

        for (const std::string& path : strangers)
            EXPECT_TRUE(sim::FileExists(path)) << row.name << ": " << path;
        EXPECT_FALSE(sim::DirectoryExists("C:\\Temp\\Temp")) << row.name;
        // The system32 folder comes from the system directory and is still cleaned.
        EXPECT_FALSE(sim::FileExists(kDrivers + "Tavrel4.sys")) << row.name;
    }
}

TEST_F(EngineTest, StagedFileDeletionTakesOnlyTheLastNameComponent)
{
    const std::string staged = kTemp + "Tavrel4.sys";
    const struct {
        const char* name;
        const char* argument;
        bool stagingFolderExists;
        std::vector<FileRow> files;  // removed: expected gone afterwards
        int result;
    } rows[] = {
        {"plain name", "Tavrel4.sys", true, {{staged, FILE_ATTRIBUTE_NORMAL, true}}, 1},
        {"path given", "C:\\Data\\Tavrel4.sys", true,
         {{staged, FILE_ATTRIBUTE_NORMAL, true}, {"C:\\Data\\Tavrel4.sys", FILE_ATTRIBUTE_NORMAL, false}}, 1},
        {"missing file", "Tavrel4.sys", true, {}, 0},
        {"staging folder missing", "Tavrel4.sys", false, {}, 0},
        {"read-only copy (no attribute reset)", "Tavrel4.sys", true, {{staged, FILE_ATTRIBUTE_READONLY, false}}, 0},
        {"name ends in a backslash", "C:\\WINDOWS\\Temp\\", true, {{kTemp + "x.sys", FILE_ATTRIBUTE_NORMAL, false}}, 0},
        {"empty name", "", true, {}, 0},
    };
    for (const auto& row : rows) {
        Boot(sim::Os::WinXP);
        if (!row.stagingFolderExists)
            sim::RemovePath("C:\\WINDOWS\\Temp");
        for (const FileRow& file : row.files)
            sim::PutFile(file.path, "x", file.attributes);

        EXPECT_EQ(DeleteStagedFile(row.argument), row.result) << row.name;

        EXPECT_TRUE(sim::DirectoryExists("C:\\WINDOWS\\Temp")) << row.name;
        for (const FileRow& file : row.files)
            EXPECT_EQ(sim::FileExists(file.path), !file.removed) << row.name << ": " << file.path;
    }
}

TEST_F(EngineTest, StagedFileDeletionFailsWhenTheStagingFolderCannotBeMade)
{
    sim::RemovePath("C:\\WINDOWS\\Temp");
    sim::FailOnce("CreateDirectoryA", ERROR_ACCESS_DENIED, "C:\\WINDOWS\\Temp");
    EXPECT_EQ(DeleteStagedFile("Tavrel4.sys"), 0);
    EXPECT_EQ(sim::CountCalls("DeleteFileA"), 0u) << sim::JournalText();
    EXPECT_EQ(DeleteStagedFile(nullptr), 0);
}
