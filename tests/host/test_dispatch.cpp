// What the host does after the engine accepted the command line: help, silent setup or the wizard.
#include "engine_exports.h"
#include "host_fixture.h"
#include "resource.h"

namespace {

TEST_F(HostTest, SilentSetupGetsTheUnchangedProcessCommandLine) {
  struct Row {
    const char* arguments;
    DWORD flags;
  } rows[] = {{"/i", 0x19}, {"/r", 0x1A}, {"/I /s /P2 /Dos", 0xD}, {"  /r/s  ", 0xA}};
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string("arguments: ") + row.arguments);
    ResetMachine(sim::Os::WinXP);
    engine().parsedFlags = row.flags;

    EXPECT_EQ(RunInstaller(row.arguments), 0);

    EXPECT_EQ(engineLog().Calls(), "Is64Process,Tv4ParseCmdLine,Tv4Setup");
    EXPECT_EQ(engineLog().parseCommandLine, commandLine_);
    EXPECT_EQ(engineLog().setupCommandLine, commandLine_);
    EXPECT_EQ(engineLog().setupCommandLinePointer, engineLog().parseCommandLinePointer);
    EXPECT_EQ(engineLog().needRestartOnEntry, 0);
    EXPECT_TRUE(sim::ui::Dialogs().empty());
    EXPECT_TRUE(sim::MessageBoxes().empty());
  }
}

TEST_F(HostTest, HelpEndsWithoutSetupOrWizardEvenWithInstallBits) {
  engine().parsedFlags = 0x400 | 0x10 | 0x1;
  EXPECT_EQ(RunInstaller("/? /i"), 0);
  EXPECT_EQ(engineLog().Calls(), "Is64Process,Tv4ParseCmdLine");
  EXPECT_TRUE(sim::ui::Dialogs().empty());
  EXPECT_FALSE(sim::FileExists(kEnginePath));
}

// The flags word the wizard sees: the host adds the interactive bit and keeps what the parse left.
TEST_F(HostTest, CommandLineWithoutOptionsOpensTheWizardWithMessagesOn) {
  struct Row {
    const char* name;
    bool parseWritesFlags;
    DWORD parsedFlags;
    DWORD wizardFlags;
  } rows[] = {{"no slash leaves the zeroed flags", false, 0xFFFF, 0x10},
              {"other bits are kept", true, 0x8, 0x18}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    ResetMachine(sim::Os::WinXP);
    engine().parseWritesFlags = row.parseWritesFlags;
    engine().parsedFlags = row.parsedFlags;
    DWORD seenFlags = 0;
    bool engineLoadedDuringWizard = false;
    bool engineFileDuringWizard = false;
    sim::ui::Do([&](HWND dialog) {
      seenFlags = g_dwOptionFlags;
      engineLoadedDuringWizard = sim::IsLoaded("FakeEngine");
      engineFileDuringWizard = sim::FileExists(kEnginePath);
      auto cancel = sim::ui::Control(dialog, IDCANCEL);
      ASSERT_TRUE(cancel.has_value());
      EXPECT_TRUE(cancel->visible);
      auto next = sim::ui::Control(dialog, IDC_NEXT);
      ASSERT_TRUE(next.has_value());
      EXPECT_FALSE(next->visible);
      EXPECT_NE(sim::ui::DialogIcon(dialog, true), nullptr);
    });
    sim::ui::Click(IDCANCEL);

    EXPECT_EQ(RunInstaller(""), 0);

    EXPECT_EQ(seenFlags, row.wizardFlags);
    EXPECT_TRUE(engineLoadedDuringWizard);
    EXPECT_TRUE(engineFileDuringWizard);
    ASSERT_EQ(sim::ui::Dialogs().size(), 1u);
    EXPECT_EQ(sim::ui::Dialogs()[0].templateId, IDD_INSTALLER_DIALOG);
    EXPECT_EQ(sim::ui::Dialogs()[0].result, IDCANCEL);
    EXPECT_EQ(engineLog().Calls(), "Is64Process,Tv4ParseCmdLine");
    EXPECT_FALSE(sim::IsLoaded("FakeEngine"));
    ExpectDeleteAttemptedAfterClearingAttributes(kEnginePath);
  }
}

// The close box and Esc reach the dialog as the Cancel command, through the dialog manager's
// default processing; either way the engine is cleaned up afterwards.
TEST_F(HostTest, WizardPlaceholderEndsByCloseBoxOrEscape) {
  for (bool closeBox : {true, false}) {
    SCOPED_TRACE(closeBox ? "close box" : "escape");
    ResetMachine(sim::Os::WinXP);
    engine().parseWritesFlags = false;
    closeBox ? sim::ui::Close() : sim::ui::PressEscape();

    EXPECT_EQ(RunInstaller(""), 0);

    ASSERT_EQ(sim::ui::Dialogs().size(), 1u);
    EXPECT_EQ(sim::ui::Dialogs()[0].result, IDCANCEL);
    EXPECT_EQ(sim::ui::PendingActions(), 0u);
    EXPECT_FALSE(sim::FileExists(kEnginePath));
  }
}

// The wizard's template exists in English and Chinese; Windows picks the system language's one.
TEST_F(HostTest, WizardTemplateFollowsTheSystemLanguage) {
  struct Row {
    LCID lcid;
    WORD language;
    const char* cancelUtf8;
  } rows[] = {{0x804, 0x804, "取消"}, {0x409, 0x409, "Cancel"}, {0x404, 0x409, "Cancel"}};
  for (const Row& row : rows) {
    SCOPED_TRACE("locale " + std::to_string(row.lcid));
    ResetMachine(sim::Os::WinXP);
    sim::SetLocale(row.lcid);
    engine().parseWritesFlags = false;
    std::string cancelText;
    sim::ui::Do([&](HWND dialog) { cancelText = sim::ui::Control(dialog, IDCANCEL)->text; });
    sim::ui::Click(IDCANCEL);

    RunInstaller("");

    ASSERT_EQ(sim::ui::Dialogs().size(), 1u);
    EXPECT_EQ(sim::ui::Dialogs()[0].language, row.language);
    EXPECT_EQ(cancelText, sim::ToAnsi(row.cancelUtf8, row.lcid));
  }
}

}  // namespace
