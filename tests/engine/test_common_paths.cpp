// The shared path helpers: bounded composition and the Windows directory from the system directory.
#include <cstring>

#include "bounded_path.h"
#include "engine_fixture.h"
#include "system_dirs.h"

TEST(BoundedPath, ComposesOnlyWhatFits)
{
    const std::string dir250(250, 'd');
    const struct {
        const char* name;
        std::string first, second, third;
        size_t size;
        int result;
    } rows[] = {
        {"three parts", "C:\\WINDOWS", "\\", "inf", 255, 1},
        {"exactly 254 characters", dir250, "\\abc", "", 255, 1},
        {"255 characters", dir250, "\\abcd", "", 255, 0},
        {"small buffer", "C:\\", "x", "", 4, 0},
        {"empty parts", "", "", "", 1, 1},
    };
    for (const auto& row : rows) {
        char out[300];
        std::memset(out, '#', sizeof out);
        SetLastError(0);
        EXPECT_EQ(ComposePath(out, row.size, row.first.c_str(), row.second.c_str(), row.third.c_str()), row.result)
            << row.name;
        EXPECT_EQ(std::string(out), row.result ? row.first + row.second + row.third : std::string()) << row.name;
        EXPECT_EQ(GetLastError(), row.result ? 0u : DWORD(ERROR_FILENAME_EXCED_RANGE)) << row.name;
        EXPECT_EQ(out[row.size], '#') << row.name;
    }
}

TEST(BoundedPath, AppendLeavesTheBufferAloneWhenTooLong)
{
    char buffer[kPathBufferSize] = "C:\\WINDOWS";
    EXPECT_EQ(AppendPath(buffer, sizeof buffer, "\\system32"), 1);
    EXPECT_STREQ(buffer, "C:\\WINDOWS\\system32");
    const std::string tail(sizeof buffer - std::strlen(buffer), 'x');
    EXPECT_EQ(AppendPath(buffer, sizeof buffer, tail.c_str()), 0);
    EXPECT_STREQ(buffer, "C:\\WINDOWS\\system32");
    EXPECT_EQ(AppendPath(buffer, sizeof buffer, tail.substr(1).c_str()), 1);
    EXPECT_EQ(std::strlen(buffer), kPathBufferSize - 1);

    char unterminated[4] = {'a', 'b', 'c', 'd'};
    EXPECT_EQ(AppendPath(unterminated, sizeof unterminated, ""), 0);
}

TEST(BoundedPath, DisplayCopyShortensVisibly)
{
    char out[8];
    CopyForDisplay(out, sizeof out, "short");
    EXPECT_STREQ(out, "short");
    CopyForDisplay(out, sizeof out, "C:\\a\\very\\long\\path");
    EXPECT_STREQ(out, "C:\\a...");
}

TEST_F(EngineTest, WindowsDirectoryIsTheParentOfTheSystemDirectory)
{
    const struct {
        std::string systemDir;
        int result;
        std::string windowsDir;
    } rows[] = {
        {"C:\\WINDOWS\\system32", 1, "C:\\WINDOWS"},
        {"C:\\WINDOWS\\SYSTEM", 1, "C:\\WINDOWS"},
        {"C:\\SYSTEM", 1, "C:"},
        {"C:\\WINDOWS\\", 1, "C:\\WINDOWS"},
        {"SYSTEM", 0, "untouched"},
        {"C:\\" + std::string(251, 'w'), 1, "C:"},
        {"C:\\" + std::string(252, 'w'), 0, "untouched"},
    };
    for (const auto& row : rows) {
        sim::SetSystemDirectory(row.systemDir);
        char out[kPathBufferSize] = "untouched";
        EXPECT_EQ(GetWindowsDirFromSystemDir(out), row.result) << row.systemDir;
        EXPECT_EQ(std::string(out), row.windowsDir) << row.systemDir;
    }
}
