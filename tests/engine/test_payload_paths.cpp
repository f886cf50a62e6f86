// Writing payload files, the system32 path and directory creation.
#include <algorithm>
#include <cctype>
#include <cstring>
#include <functional>
#include <optional>

#include "engine_fixture.h"
#include "system_paths.h"

namespace {

std::string Bytes(const sim::Resource& resource)
{
    return std::string(resource.bytes.begin(), resource.bytes.end());
}

// "TAVRVDD.DLL" -> "Tavrvdd.dll": a name in another case than the resource was stored under.
std::string MixedCase(const std::string& name)
{
    std::string mixed = name;
    for (size_t i = 1; i < mixed.size(); ++i)
        mixed[i] = static_cast<char>(std::tolower(static_cast<unsigned char>(mixed[i])));
    return mixed;
}

const char kDrivers[] = "C:\\WINDOWS\\system32\\drivers\\";

}  // namespace

TEST_F(EngineTest, EveryPayloadFileIsWrittenByteForByteOverAnOldFile)
{
    const std::vector<const sim::Resource*> payload = PayloadResources();
    ASSERT_EQ(payload.size(), 21u);
    for (const sim::Resource* resource : payload) {
        ASSERT_FALSE(resource->bytes.empty()) << resource->name;
        for (const std::string& name : {resource->name, MixedCase(resource->name)}) {
            const std::string path = kDrivers + name;
            sim::PutFile(path, std::string(Bytes(*resource).size() + 100, 'x'));
            EXPECT_EQ(ExtractPayloadFile(name.c_str(), path.c_str()), 1) << name;
            EXPECT_EQ(sim::FileContent(path), Bytes(*resource)) << name;
        }
    }
    EXPECT_EQ(ExtractPayloadFile("TavrVdd.dll", "C:\\WINDOWS\\system32\\TavrVdd.dll"), 1);
    const std::vector<sim::Call> creates = sim::Calls("CreateFileA", "C:\\WINDOWS\\system32\\TavrVdd.dll");
    EXPECT_EQ(creates.size(), 1u) << sim::JournalText();
    EXPECT_TRUE(sim::MessageBoxes().empty());
}

TEST_F(EngineTest, PayloadWriteFailuresAreReportedWithFixedMessages)
{
    const std::string target = std::string(kDrivers) + "TAVRELNT.SYS";
    const std::vector<const sim::Resource*> payload = PayloadResources();
    const auto found = std::find_if(payload.begin(), payload.end(),
                                    [](const sim::Resource* r) { return r->name == "TAVRELNT.SYS"; });
    ASSERT_NE(found, payload.end());
    const std::string resourceBytes = Bytes(**found);
    ASSERT_GT(resourceBytes.size(), 10u);

    const struct {
        const char* name;
        std::string path;
        std::function<void(const std::string&)> arrange;
        std::string message;
        std::optional<std::string> fileAfter;
    } rows[] = {
        {"missing folder", "C:\\WINDOWS\\nowhere\\TAVRELNT.SYS", [](const std::string&) {},
         "Create 'C:\\WINDOWS\\nowhere\\TAVRELNT.SYS' error!:win error code:3", std::nullopt},
        {"read-only file", target,
         [](const std::string& path) { sim::PutFile(path, "old", FILE_ATTRIBUTE_READONLY); },
         "Create '" + target + "' error!:win error code:5", std::string("old")},
        {"write fails", target,
         [](const std::string& path) { sim::FailOnce("WriteFile", ERROR_DISK_FULL, path); },
         "Write File error!", std::string()},
        {"short write", target, [](const std::string& path) { sim::ShortWrite(10, path); },
         "File size error!", resourceBytes.substr(0, 10)},
    };
    for (const auto& row : rows) {
        Boot(sim::Os::WinXP);
        row.arrange(row.path);
        sim::ExpectMessageBox(IDOK);
        EXPECT_EQ(ExtractPayloadFile("tavrelnt.sys", row.path.c_str()), 0) << row.name;
        ASSERT_EQ(sim::MessageBoxes().size(), 1u) << row.name;
        EXPECT_EQ(sim::MessageBoxes()[0].text, row.message) << row.name;
        EXPECT_EQ(sim::MessageBoxes()[0].caption, "") << row.name;
        EXPECT_EQ(sim::MessageBoxes()[0].type, UINT(MB_OK)) << row.name;
        EXPECT_EQ(sim::MessageBoxes()[0].owner, nullptr) << row.name;
        EXPECT_EQ(sim::FileContent(row.path), row.fileAfter) << row.name;
        EXPECT_EQ(sim::OpenFileCount(), 0u) << row.name;
        Unload();
    }
}

TEST_F(EngineTest, MissingPayloadResourceFailsSilently)
{
    const std::string path = std::string(kDrivers) + "NOPE.SYS";
    EXPECT_EQ(ExtractPayloadFile("NOPE.SYS", path.c_str()), 0);
    EXPECT_TRUE(sim::MessageBoxes().empty());
    EXPECT_FALSE(sim::FileExists(path));
    EXPECT_EQ(sim::CountCalls("CreateFileA"), 0u);
}

TEST_F(EngineTest, OverlongPayloadPathIsRefusedNotTruncated)
{
    // 254 characters is the longest usable path; one more and nothing is created.
    const std::string folder = "C:\\" + std::string(240, 'd');
    sim::MakeDirectory(folder);
    const std::string fits = folder + "\\" + std::string(254 - folder.size() - 1, 'f');
    const std::string tooLong = fits + "g";
    ASSERT_EQ(fits.size(), 254u);
    EXPECT_EQ(ExtractPayloadFile("TAVRUSB.INF", fits.c_str()), 1);
    EXPECT_TRUE(sim::FileExists(fits));

    sim::ExpectMessageBox(IDOK);
    EXPECT_EQ(ExtractPayloadFile("TAVRUSB.INF", tooLong.c_str()), 0);
    EXPECT_EQ(sim::CountCalls("CreateFileA", tooLong), 0u);
    EXPECT_EQ(sim::CountCalls("CreateFileA", tooLong.substr(0, 254)), 1u) << "only the fitting path was created";
    ASSERT_EQ(sim::MessageBoxes().size(), 1u);
    EXPECT_NE(sim::MessageBoxes()[0].text.find("error!:win error code:206"), std::string::npos)
        << sim::MessageBoxes()[0].text;
    EXPECT_LT(sim::MessageBoxes()[0].text.size(), 512u);
}

TEST_F(EngineTest, System32PathIsDerivedFromTheSystemDirectory)
{
    const struct {
        const char* name;
        std::string systemDir;
        size_t size;
        int result;
        std::string path;
    } rows[] = {
        {"NT", "C:\\WINDOWS\\system32", 255, 1, "C:\\WINDOWS\\system32"},
        {"9x", "C:\\WINDOWS\\SYSTEM", 255, 1, "C:\\WINDOWS\\system32"},
        {"other drive", "D:\\WINNT\\System32", 255, 1, "D:\\WINNT\\system32"},
        {"no backslash", "SYSTEM", 255, 0, ""},
        {"system directory too long", "C:\\" + std::string(260, 'w') + "\\SYSTEM", 255, 0, ""},
        {"result just fits", "C:\\" + std::string(242, 'w') + "\\SYSTEM", 255, 1,
         "C:\\" + std::string(242, 'w') + "\\system32"},
        {"result one too long", "C:\\" + std::string(243, 'w') + "\\SYSTEM", 255, 0, ""},
        {"small caller buffer", "C:\\WINDOWS\\system32", 19, 0, ""},
    };
    for (const auto& row : rows) {
        sim::SetSystemDirectory(row.systemDir);
        char buffer[300];
        std::memset(buffer, '#', sizeof buffer);
        EXPECT_EQ(GetSystem32Path(buffer, row.size), row.result) << row.name;
        EXPECT_EQ(std::string(buffer), row.path) << row.name;
        EXPECT_EQ(buffer[row.size], '#') << row.name << ": wrote past the given size";
    }
    EXPECT_EQ(GetSystem32Path(nullptr, 255), 0);
}

TEST_F(EngineTest, EnsureDirectoryCreatesOnlyTheLastFolder)
{
    sim::PutFile("C:\\WINDOWS\\Temp\\file.txt", "x");
    const struct {
        const char* path;
        int result;
        bool created;
    } rows[] = {
        {"C:\\WINDOWS\\Temp\\file.txt", 1, false},
        {"C:\\WINDOWS\\Temp", 1, false},
        {"C:\\WINDOWS\\Temp\\stage", 1, true},
        {"C:\\WINDOWS\\missing\\stage", 0, false},
    };
    for (const auto& row : rows) {
        sim::ClearJournal();
        EXPECT_EQ(EnsureDirectory(row.path), row.result) << row.path;
        EXPECT_EQ(sim::CountCalls("CreateDirectoryA"), row.result == 1 && !row.created ? 0u : 1u) << row.path;
        if (row.created) {
            EXPECT_TRUE(sim::DirectoryExists(row.path)) << row.path;
        }
    }
    EXPECT_FALSE(sim::DirectoryExists("C:\\WINDOWS\\missing"));
    const char* bad = "C:\\WINDOWS\\Temp\\bad";
    sim::MarkBadPointer(bad);
    EXPECT_EQ(EnsureDirectory(bad), 0);
    EXPECT_FALSE(sim::DirectoryExists(bad));
}
