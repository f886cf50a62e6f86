// Tv4Setup's install and remove runs on Windows 95, whose driver arrangement (the VxD key and file) shows
// plainly whether an earlier installation was removed first: the removal deletes the VxD key, while an
// installation only opens it, so a value left in it by an earlier setup survives exactly when nothing was
// removed.
#include <optional>

#include "engine_exports.h"
#include "engine_fixture.h"
#include "engine_strings.h"

namespace {

const char kRecordKey[] = "HKLM\\SOFTWARE\\OVTv4InstallFlag";
const char kVxdKey[] = "HKLM\\System\\CurrentControlSet\\Services\\vxd\\Tavrel9x";
const char kVxdFile[] = "C:\\WINDOWS\\SYSTEM\\Tavrel9x.vxd";
const char kEarlierValue[] = "LeftByEarlierSetup";

enum class Installed { None, Unrecorded, DosSet, WdmSet, StaleRecord };

void WriteRecord(DWORD isSupportDos, DWORD generation)
{
    sim::SetDword(kRecordKey, "IsSupportDos", isSupportDos);
    sim::SetDword(kRecordKey, "InstallCount", 1);
    sim::SetDword(kRecordKey, "Tv4Ver", generation);
}

void PlantEarlierInstallation(Installed installed)
{
    sim::CreateKey(kVxdKey);
    sim::SetDword(kVxdKey, kEarlierValue, 1);
    switch (installed) {
    case Installed::None: break;
    case Installed::Unrecorded: sim::CreateKey("HKLM\\System\\CurrentControlSet\\Services\\Tavrel_USB"); break;
    case Installed::DosSet: WriteRecord(1, 0x20001); break;
    case Installed::WdmSet: WriteRecord(0, 0x20002); break;
    case Installed::StaleRecord: WriteRecord(0, 0); break;
    }
}

bool EarlierInstallationRemoved()
{
    return !sim::GetDword(kVxdKey, kEarlierValue).has_value();
}

std::optional<DWORD> RecordedGeneration()
{
    if (!sim::KeyExists(kRecordKey))
        return std::nullopt;
    return sim::GetDword(kRecordKey, "Tv4Ver").value_or(0xDEAD);
}

std::string RecordText(std::optional<DWORD> generation)
{
    return generation ? Hex(*generation) : "no record";
}

const char kWdmOverDosEnglish[] =
    "Prompting | You had installed the driver support dos utility there before, the new WDM driver you want to "
    "install is not support \n\ndos ,it may be result in some obsolete dos driver can not work well . Do you want "
    "to continue the setup?";
const char kDosOverWdmEnglish[] =
    "Prompting | You had installed the driver unsupport dos there before, the new WDM driver you want to install "
    "is support \n\ndos ,which is obsolete , it may be result in some new function scarce . Do you want to "
    "continue the setup?";

const int kNoBox = -1;
const int kBoxFailed = 0;  // what MessageBoxA returns when it cannot show the box

}  // namespace

TEST_F(EngineTest, SetupSettlesTheInstalledGenerationBeforeInstalling)
{
    const struct {
        const char* name;
        Installed installed;
        const char* commandLine;
        int answer;            // the answer to the conflict prompt, kNoBox when none may be shown
        const char* prompt;    // expected "caption | text", or nullptr
        int result;
        int errorCode;
        BYTE restart;
        bool removed;
        std::optional<DWORD> record;
    } rows[] = {
        {"nothing installed", Installed::None, "/i /s", kNoBox, nullptr, 1, ERRORCODE_AT_LOAD, 0, false, 0x20002},
        {"nothing installed, DOS", Installed::None, "/i/s/Dos", kNoBox, nullptr, 1, ERRORCODE_AT_LOAD, 0, false,
         0x20001},
        {"record of an unknown generation", Installed::StaleRecord, "/i /s", kNoBox, nullptr, 1, ERRORCODE_AT_LOAD, 0,
         false, 0x20002},
        {"unrecorded driver, also with /N and /s", Installed::Unrecorded, "/i /s /N", kNoBox, nullptr, 1,
         ERRORCODE_AT_LOAD, 1, true, 0x20002},
        {"DOS set again", Installed::DosSet, "/i /s /Dos", kNoBox, nullptr, 1, ERRORCODE_AT_LOAD, 1, true, 0x20001},
        {"DOS set again with /N", Installed::DosSet, "/i /s /Dos /N", kNoBox, nullptr, 0,
         ERRORCODE_ALREADY_INSTALLED, 0, false, 0x20001},
        {"WDM set again", Installed::WdmSet, "/i", kNoBox, nullptr, 1, ERRORCODE_AT_LOAD, 1, true, 0x20002},
        {"WDM set again with /N", Installed::WdmSet, "/i /N", kNoBox, nullptr, 0, ERRORCODE_ALREADY_INSTALLED, 0,
         false, 0x20002},
        {"silent WDM over DOS set", Installed::DosSet, "/i /s", kNoBox, nullptr, 0, ERRORCODE_BAD_ARGUMENT, 0, false,
         0x20001},
        {"WDM over DOS set, Yes", Installed::DosSet, "/i", IDYES, kWdmOverDosEnglish, 1, ERRORCODE_AT_LOAD, 1, true,
         0x20002},
        {"WDM over DOS set, No", Installed::DosSet, "/i /N", IDNO, kWdmOverDosEnglish, 2, ERRORCODE_AT_LOAD, 0, false,
         0x20001},
        {"WDM over DOS set, box failed", Installed::DosSet, "/i", kBoxFailed, kWdmOverDosEnglish, 1,
         ERRORCODE_AT_LOAD, 0, false, 0x20002},
        {"DOS over WDM set, Yes", Installed::WdmSet, "/i /Dos", IDYES, kDosOverWdmEnglish, 1, ERRORCODE_AT_LOAD, 1,
         true, 0x20001},
        {"DOS over WDM set, No", Installed::WdmSet, "/i /Dos", IDNO, kDosOverWdmEnglish, 2,
         ERRORCODE_ALREADY_INSTALLED, 0, false, 0x20002},
        {"DOS over WDM set, box failed", Installed::WdmSet, "/i /Dos /N", kBoxFailed, kDosOverWdmEnglish, 1,
         ERRORCODE_AT_LOAD, 0, false, 0x20001},
        {"silent DOS over WDM set installs over it", Installed::WdmSet, "/i /s /Dos", kNoBox, nullptr, 1,
         ERRORCODE_AT_LOAD, 0, false, 0x20001},
    };
    for (const auto& row : rows) {
        Boot(sim::Os::Win95);
        PlantEarlierInstallation(row.installed);
        if (row.answer != kNoBox)
            sim::ExpectMessageBox(row.answer, "continue the setup");
        BYTE restart = 0xCC;
        EXPECT_EQ(Tv4Setup(&restart, row.commandLine), row.result) << row.name;
        EXPECT_EQ(InstallEngine.ErrorCode, row.errorCode) << row.name;
        EXPECT_EQ(restart, row.restart) << row.name;
        EXPECT_EQ(Boxes(), row.prompt ? std::vector<std::string>{row.prompt} : std::vector<std::string>{})
            << row.name;
        if (row.prompt) {
            EXPECT_EQ(sim::MessageBoxes()[0].type, UINT(MB_YESNO | MB_ICONINFORMATION)) << row.name;
            EXPECT_EQ(sim::MessageBoxes()[0].owner, HWND(NULL)) << row.name;
        }
        EXPECT_EQ(EarlierInstallationRemoved(), row.removed) << row.name;
        EXPECT_EQ(RecordText(RecordedGeneration()), RecordText(row.record)) << row.name;
        // A refused or declined run writes nothing of its own either.
        EXPECT_EQ(sim::FileExists(kVxdFile), row.result == 1) << row.name;
        Unload();
    }
}

TEST_F(EngineTest, SetupAsksInChineseUnderTheChineseLocale)
{
    const struct {
        const char* name;
        Installed installed;
        const char* commandLine;
        const char* textUtf8;
    } rows[] = {
        {"WDM over DOS set", Installed::DosSet, "/i",
         "您的系统上已经安装过支持DOS调用的驱动,   现在正在安装的是新的WDM驱动,   这就可能\n\n"
         "造成部分DOS程序无法工作,   你还要继续安装新版的WDM驱动吗?"},
        {"DOS over WDM set", Installed::WdmSet, "/i /Dos",
         "您的系统上已经安装过不支持DOS调用的WDM驱动,   现在正在安装的是支持DOS的驱动程序,  这就可能\n\n"
         "造成部分新功能缺失,   你还要继续安装支持DOS的驱动程序吗?"},
    };
    for (const auto& row : rows) {
        Boot(sim::Os::Win95, 0x804);
        PlantEarlierInstallation(row.installed);
        sim::ExpectMessageBox(IDNO);
        BYTE restart = 0;
        EXPECT_EQ(Tv4Setup(&restart, row.commandLine), 2) << row.name;
        ASSERT_EQ(sim::MessageBoxes().size(), 1u) << row.name;
        EXPECT_EQ(sim::MessageBoxes()[0].text, sim::ToAnsi(row.textUtf8, 0x804)) << row.name;
        EXPECT_EQ(sim::MessageBoxes()[0].caption, sim::ToAnsi("安装提示", 0x804)) << row.name;
        EXPECT_EQ(sim::MessageBoxes()[0].type, UINT(MB_YESNO | MB_ICONINFORMATION)) << row.name;
        Unload();
    }
}

TEST_F(EngineTest, SetupInstallFailingAfterTheRemovalLeavesNoRecord)
{
    Boot(sim::Os::Win95);
    PlantEarlierInstallation(Installed::DosSet);
    sim::FailAlways("CreateFileA", ERROR_ACCESS_DENIED, kVxdFile);
    sim::ExpectMessageBox(IDOK, "Create");
    BYTE restart = 0;
    EXPECT_EQ(Tv4Setup(&restart, "/i /s /Dos"), 0);
    EXPECT_EQ(InstallEngine.ErrorCode, ERRORCODE_SETUP_FAILED);
    EXPECT_TRUE(EarlierInstallationRemoved());
    EXPECT_FALSE(sim::KeyExists(kRecordKey));
    EXPECT_FALSE(sim::FileExists(kVxdFile));
}

TEST_F(EngineTest, SetupRemovalAlwaysAsksForRestartAndDeletesTheRecord)
{
    const struct {
        const char* name;
        Installed installed;
    } rows[] = {
        {"nothing installed", Installed::None},
        {"WDM set recorded", Installed::WdmSet},
        {"unrecorded driver", Installed::Unrecorded},
    };
    for (const auto& row : rows) {
        Boot(sim::Os::Win95);
        PlantEarlierInstallation(row.installed);
        sim::PutFile(kVxdFile, "old VxD");
        BYTE restart = 0;
        EXPECT_EQ(Tv4Setup(&restart, "/r /s"), 1) << row.name;
        EXPECT_EQ(restart, 1) << row.name;
        EXPECT_FALSE(sim::KeyExists(kRecordKey)) << row.name;
        EXPECT_FALSE(sim::KeyExists(kVxdKey)) << row.name;
        EXPECT_FALSE(sim::FileExists(kVxdFile)) << row.name;
        EXPECT_EQ(Tv4IsHaveInstall(), 0) << row.name;
        Unload();
    }
}

TEST_F(EngineTest, StandardConventionEntriesReportARealRun)
{
    Boot(sim::Os::Win95);
    EXPECT_EQ(Foo(1, 2, 3, 4, 5), 1);
    EXPECT_EQ(IsNeedRestart(), 0);
    EXPECT_EQ(RecordText(RecordedGeneration()), RecordText(0x20002));

    // A refusal gives the engine error code.
    EXPECT_EQ(InstTavrel(0, 0, "/i /s /N"), ERRORCODE_ALREADY_INSTALLED);

    // Declining a conflict prompt counts as done for the caller.
    sim::ExpectMessageBox(IDNO, "continue the setup");
    EXPECT_EQ(InstTavrel(0, 0, "/i /Dos"), 0);
    EXPECT_EQ(InstallEngine.ErrorCode, ERRORCODE_ALREADY_INSTALLED);

    // Foo asks for "/i": the same set again is removed and installed, which needs a restart.
    EXPECT_EQ(Foo(0, 0, 0, 0, 0), 1);
    EXPECT_EQ(IsNeedRestart(), 1);

    // A caller with its own byte leaves the engine's alone.
    BYTE own = 0;
    EXPECT_EQ(Tv4Setup(&own, "/r"), 1);
    EXPECT_EQ(own, 1);
    EXPECT_EQ(IsNeedRestart(), 1);
    EXPECT_FALSE(sim::KeyExists(kRecordKey));
}
