// The command-line parser: flags, results, the option values it keeps, the usage box.
#include <cstring>
#include <memory>

#include "command_line.h"
#include "engine_exports.h"
#include "engine_fixture.h"

namespace {

const DWORD kUntouched = 0xDEADBEEF;

struct Settings {
    int testBusy, parallel, usb;
    int port278, port378, port3bc;
    bool operator==(const Settings& o) const
    {
        return testBusy == o.testBusy && parallel == o.parallel && usb == o.usb && port278 == o.port278 &&
               port378 == o.port378 && port3bc == o.port3bc;
    }
};

std::ostream& operator<<(std::ostream& out, const Settings& s)
{
    return out << "{busy " << s.testBusy << ", parallel " << s.parallel << ", usb " << s.usb << ", ports "
               << s.port278 << s.port378 << s.port3bc << "}";
}

Settings Current()
{
    return {EngineSettings.TestBusy,       EngineSettings.SupportParallel, EngineSettings.SupportUsb,
            int(EngineSettings.DisablePort[0]), int(EngineSettings.DisablePort[1]), int(EngineSettings.DisablePort[2])};
}

const Settings kLoadSettings = {0, 1, 1, 0, 0, 0};

// Parses a copy of the text in a buffer exactly as long as the text, so that a read past the
// terminator is caught by the address sanitizer.
int ParseExact(const std::string& text, DWORD* flags)
{
    std::unique_ptr<char[]> copy(new char[text.size() + 1]);
    std::memcpy(copy.get(), text.c_str(), text.size() + 1);
    return ParseCommandLine(copy.get(), flags);
}

}  // namespace

TEST_F(EngineTest, ParsesCommandLines)
{
    const struct {
        const char* text;
        int result;
        DWORD flags;  // kUntouched: the caller's word is left alone
        bool usageBox;
        Settings settings;
    } rows[] = {
        {"/i/s", 1, 0x09, false, kLoadSettings},
        {"/r", 1, 0x1A, false, kLoadSettings},
        {"/i /N /s /Dos", 1, 0x05, false, kLoadSettings},
        {"/I /DOS", 1, 0x1D, false, kLoadSettings},
        {"/i /dos", 1, 0x1D, false, kLoadSettings},
        {"/?", 2, 0x418, true, kLoadSettings},
        {"/i /?", 2, 0x419, true, kLoadSettings},
        {"/i /r /?", 2, 0x41B, true, kLoadSettings},
        {"/? /x /r /i", 2, 0x418, true, kLoadSettings},
        {"/i /d3bc", 1, 0x19, false, {0, 1, 1, 0, 0, 1}},
        {"/i /D378", 1, 0x19, false, {0, 1, 1, 0, 1, 0}},
        {"/i /D2789", 1, 0x19, false, {0, 1, 1, 1, 0, 0}},
        {"/i /T1 /P1", 1, 0x19, false, {1, 1, 0, 0, 0, 0}},
        {"/i /P2", 1, 0x19, false, {0, 0, 1, 0, 0, 0}},
        {"/i /P1 /P1", 1, 0x19, false, {0, 1, 0, 0, 0, 0}},
        {"/i /T0 /P0", 1, 0x19, false, kLoadSettings},
        {"/i /E", 1, 0x19, false, kLoadSettings},
        {"/i /T2 /P3 /x", 1, 0x19, false, kLoadSettings},
        {"C:/setup.exe /i", 1, 0x09, false, kLoadSettings},
        {"/i/s/r", 0, kUntouched, true, kLoadSettings},
        {"/i /r", 0, kUntouched, true, kLoadSettings},
        {"/s", 0, kUntouched, true, kLoadSettings},
        {"/E", 0, kUntouched, true, kLoadSettings},
        {"/T2 /P3 /x", 0, kUntouched, true, kLoadSettings},
        {"/i /T0/T1", 0, kUntouched, true, kLoadSettings},
        {"/i /P1/P2", 0, kUntouched, true, kLoadSettings},
        {"/i /T1 /P0 /P2", 0, kUntouched, true, {1, 1, 1, 0, 0, 0}},  // busy applied before the /P check
        {"/i /Dx", 0, kUntouched, true, kLoadSettings},
        {"/i /D3BC /r", 0, kUntouched, true, {0, 1, 1, 0, 0, 1}},      // ports stay disabled on rejection
        {"C:\\Program Files\\setup.exe", 1, kUntouched, false, kLoadSettings},
        {"", 1, kUntouched, false, kLoadSettings},
        {"/", 1, kUntouched, false, kLoadSettings},
        {"/i /", 1, 0x19, false, kLoadSettings},
        {"/i /T", 1, 0x19, false, kLoadSettings},
        {"/i /P", 1, 0x19, false, kLoadSettings},
        {"/i /D", 0, kUntouched, true, kLoadSettings},
        {"/i /D2", 0, kUntouched, true, kLoadSettings},
        {"/i /D27", 0, kUntouched, true, kLoadSettings},
        {"/i /Do", 0, kUntouched, true, kLoadSettings},
    };
    for (const auto& row : rows) {
        Boot(sim::Os::WinXP);
        if (row.usageBox)
            sim::ExpectMessageBox(IDOK);
        DWORD flags = kUntouched;
        EXPECT_EQ(ParseExact(row.text, &flags), row.result) << row.text;
        EXPECT_EQ(Hex(flags), Hex(row.flags)) << row.text;
        EXPECT_EQ(sim::MessageBoxes().size(), row.usageBox ? 1u : 0u) << row.text;
        EXPECT_EQ(Current(), row.settings) << row.text;
        Unload();
    }
}

TEST_F(EngineTest, OptionValuesPersistBetweenScans)
{
    DWORD flags = 0;
    const struct {
        const char* text;
        Settings after;
    } steps[] = {
        {"/i /T1 /P1 /D278", {1, 1, 0, 1, 0, 0}},
        {"/i /T0 /P0", {1, 1, 0, 1, 0, 0}},        // /T0 and /P0 alone keep the earlier values
        {"/i", {0, 1, 1, 1, 0, 0}},                // no /T or /P: back to the defaults; the port stays off
        {"/r /P2 /D3bc", {0, 0, 1, 1, 0, 1}},
        {"/r /P0", {0, 0, 1, 1, 0, 1}},
        {"no options at all", {0, 0, 1, 1, 0, 1}}, // no slash: nothing changes
        {"/i /D378 /?", {0, 0, 1, 1, 1, 1}},       // help ends the scan before validation
    };
    for (const auto& step : steps) {
        if (std::strstr(step.text, "/?"))
            sim::ExpectMessageBox(IDOK);
        ParseCommandLine(step.text, &flags);
        EXPECT_EQ(Current(), step.after) << step.text;
    }
    EXPECT_EQ(sim::MessageBoxes().size(), 1u);
}

TEST_F(EngineTest, UsageBoxInTheEngineLanguage)
{
    const struct {
        LCID lcid;
        bool initialiseFirst;
        UINT textId, captionId;
        const char* name;
    } rows[] = {
        {0x409, true, 4, 10, "English after initialisation"},
        {0x804, true, 1, 9, "Chinese after initialisation"},
        {0x404, true, 4, 10, "Taiwan locale gets English"},
        {0x409, false, 1, 9, "first call into a fresh library is Chinese"},
    };
    for (const auto& row : rows) {
        Boot(sim::Os::WinXP, row.lcid);
        if (row.initialiseFirst)
            WinGetVersion();
        sim::ExpectMessageBox(IDOK);
        DWORD flags = 0;
        ParseCommandLine("/i /E /?", &flags);
        ASSERT_EQ(sim::MessageBoxes().size(), 1u) << row.name;
        const sim::MessageBoxRecord& box = sim::MessageBoxes()[0];
        char text[1024], caption[32];
        LoadStringA(engine_, row.textId, text, sizeof text);
        LoadStringA(engine_, row.captionId, caption, sizeof caption);
        EXPECT_EQ(box.text, text) << row.name;
        EXPECT_EQ(box.caption, caption) << row.name;
        EXPECT_EQ(box.type, UINT(MB_OK | MB_ICONEXCLAMATION)) << row.name;
        EXPECT_EQ(box.owner, nullptr) << row.name;
        Unload();
    }
}

TEST_F(EngineTest, ParseExportChecksPointersAndMapsResults)
{
    DWORD flags = kUntouched;
    const char* text = "/r";
    sim::MarkBadPointer(text);
    EXPECT_EQ(Tv4ParseCmdLine(&flags, text), 0);
    EXPECT_EQ(InstallEngine.ErrorCode, ERRORCODE_BAD_ARGUMENT);
    EXPECT_EQ(flags, kUntouched);

    InstallEngine.ErrorCode = ERRORCODE_AT_LOAD;
    DWORD badFlags = 0;
    sim::MarkBadPointer(&badFlags);
    EXPECT_EQ(Tv4ParseCmdLine(&badFlags, "/i"), 0);
    EXPECT_EQ(InstallEngine.ErrorCode, ERRORCODE_BAD_ARGUMENT);

    InstallEngine.ErrorCode = ERRORCODE_AT_LOAD;
    EXPECT_EQ(Tv4ParseCmdLine(&flags, "/i"), 1);
    EXPECT_EQ(flags, 0x19u);
    EXPECT_EQ(InstallEngine.ErrorCode, ERRORCODE_AT_LOAD);

    sim::ExpectMessageBox(IDOK);
    EXPECT_EQ(Tv4ParseCmdLine(&flags, "/?"), 1);
    EXPECT_EQ(flags, 0x418u);
    EXPECT_EQ(InstallEngine.ErrorCode, ERRORCODE_AT_LOAD);

    sim::ExpectMessageBox(IDOK);
    EXPECT_EQ(Tv4ParseCmdLine(&flags, "/s"), 0);
    EXPECT_EQ(InstallEngine.ErrorCode, ERRORCODE_BAD_ARGUMENT);
    EXPECT_EQ(flags, 0x418u);
    EXPECT_EQ(SystemServices.Initialised, 1);
}
