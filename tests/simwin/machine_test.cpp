// Version profiles, directories, message boxes, formatting, privileges, time and the journal.
#include <gtest/gtest.h>
#include <simwin/sim.h>

#include <cstring>

namespace {

TEST(Machine, EveryGenerationReportsItsVersion) {
  struct Row {
    sim::Os os;
    DWORD platform, major, minor;
    const char* systemDir;
    bool driversFolder;
  };
  const Row rows[] = {
      {sim::Os::Win95, 1, 4, 0, "C:\\WINDOWS\\SYSTEM", false},
      {sim::Os::Win98, 1, 4, 10, "C:\\WINDOWS\\SYSTEM", true},
      {sim::Os::Win98SE, 1, 4, 10, "C:\\WINDOWS\\SYSTEM", true},
      {sim::Os::WinME, 1, 4, 90, "C:\\WINDOWS\\SYSTEM", true},
      {sim::Os::NT351, 2, 3, 51, "C:\\WINDOWS\\system32", true},
      {sim::Os::NT4, 2, 4, 0, "C:\\WINDOWS\\system32", true},
      {sim::Os::Win2000, 2, 5, 0, "C:\\WINDOWS\\system32", true},
      {sim::Os::WinXP, 2, 5, 1, "C:\\WINDOWS\\system32", true},
      {sim::Os::WinXP64, 2, 5, 2, "C:\\WINDOWS\\system32", true},
      {sim::Os::Server2003, 2, 5, 2, "C:\\WINDOWS\\system32", true},
      {sim::Os::Vista, 2, 6, 0, "C:\\WINDOWS\\system32", true},
      {sim::Os::Win61, 2, 6, 1, "C:\\WINDOWS\\system32", true},
      {sim::Os::Win70, 2, 7, 0, "C:\\WINDOWS\\system32", true},
      {sim::Os::UnknownPlatform, 3, 4, 0, "C:\\WINDOWS\\SYSTEM", false},
  };
  ASSERT_EQ(sim::AllOs().size(), std::size(rows));
  for (const Row& row : rows) {
    sim::Reset(row.os);
    const char* name = sim::OsName(row.os);
    OSVERSIONINFOA info{};
    info.dwOSVersionInfoSize = 148;
    ASSERT_TRUE(GetVersionExA(&info)) << name;
    EXPECT_EQ(info.dwPlatformId, row.platform) << name;
    EXPECT_EQ(info.dwMajorVersion, row.major) << name;
    EXPECT_EQ(info.dwMinorVersion, row.minor) << name;
    DWORD version = GetVersion();
    EXPECT_EQ(version & 0xFF, row.major) << name;
    EXPECT_EQ((version >> 8) & 0xFF, row.minor) << name;
    EXPECT_EQ((version & 0x80000000u) == 0, row.platform == 2) << name;
    char dir[MAX_PATH];
    ASSERT_GT(GetSystemDirectoryA(dir, sizeof dir), 0u) << name;
    EXPECT_STREQ(dir, row.systemDir) << name;
    EXPECT_TRUE(sim::DirectoryExists(dir)) << name;
    EXPECT_EQ(sim::DirectoryExists("C:\\WINDOWS\\system32\\drivers"), row.driversFolder) << name;
    EXPECT_TRUE(sim::FileExists(std::string(dir) + "\\kernel32.dll")) << name;
    EXPECT_TRUE(sim::KeyExists("HKLM\\System\\CurrentControlSet\\Services")) << name;
  }
}

TEST(Machine, GetVersionExChecksTheSizeField) {
  sim::Reset(sim::Os::WinXP);
  struct Row {
    DWORD size;
    BOOL ok;
  };
  for (const Row& row : {Row{148, TRUE}, Row{156, TRUE}, Row{0, FALSE}, Row{147, FALSE}, Row{200, FALSE}}) {
    OSVERSIONINFOEXA info{};
    info.dwOSVersionInfoSize = row.size;
    EXPECT_EQ(GetVersionExA(reinterpret_cast<LPOSVERSIONINFOA>(&info)), row.ok) << row.size;
  }
  sim::Reset(sim::Os::Win98);
  OSVERSIONINFOEXA extended{};
  extended.dwOSVersionInfoSize = sizeof extended;
  EXPECT_FALSE(GetVersionExA(reinterpret_cast<LPOSVERSIONINFOA>(&extended))) << "9x knows only the short form";
  sim::SetGetVersionExFails(true);
  OSVERSIONINFOA info{};
  info.dwOSVersionInfoSize = 148;
  EXPECT_FALSE(GetVersionExA(&info));
  EXPECT_NE(GetVersion() & 0x80000000u, 0u) << "GetVersion still answers";
}

TEST(Machine, DirectoryQueriesReturnTheNeededSizeWhenTooSmall) {
  sim::Reset(sim::Os::WinXP);
  char buffer[32];
  std::memset(buffer, 'x', sizeof buffer);
  EXPECT_EQ(GetWindowsDirectoryA(buffer, 10), 11u);  // "C:\WINDOWS" is 10 characters
  EXPECT_EQ(buffer[0], 'x') << "nothing written when too small";
  EXPECT_EQ(GetWindowsDirectoryA(buffer, 11), 10u);
  EXPECT_STREQ(buffer, "C:\\WINDOWS");
  sim::SetSystemDirectory("NOBACKSLASH");
  EXPECT_EQ(GetSystemDirectoryA(buffer, sizeof buffer), 11u);
  EXPECT_STREQ(buffer, "NOBACKSLASH");
  const std::string longDir = "C:\\" + std::string(300, 'd');
  sim::SetWindowsDirectory(longDir);
  EXPECT_EQ(GetWindowsDirectoryA(buffer, sizeof buffer), longDir.size() + 1);
}

TEST(Machine, MessageBoxesFollowTheScriptAndRecordSurprises) {
  sim::Reset(sim::Os::WinXP);
  sim::ExpectMessageBox(IDYES, "restart");
  sim::ExpectMessageBox(IDNO, "remove");
  EXPECT_EQ(MessageBoxA(nullptr, "Do you want to restart now?", "Setup", MB_YESNO), IDYES);
  EXPECT_EQ(MessageBoxA(nullptr, "Something else", "Setup", MB_YESNO), IDNO) << "takes the answer, flags the text";
  EXPECT_EQ(MessageBoxA(nullptr, "Unscripted", "", MB_OK), IDOK);
  sim::SetDefaultMessageBoxAnswer(IDCANCEL);
  EXPECT_EQ(MessageBoxA(nullptr, "Again", nullptr, MB_OKCANCEL), IDCANCEL);
  ASSERT_EQ(sim::MessageBoxes().size(), 4u);
  EXPECT_EQ(sim::MessageBoxes()[0].caption, "Setup");
  EXPECT_EQ(sim::MessageBoxes()[0].type, static_cast<UINT>(MB_YESNO));
  EXPECT_EQ(sim::UnexpectedMessageBoxes(),
            (std::vector<std::string>{"Setup | Something else", " | Unscripted", "(null) | Again"}));
  EXPECT_EQ(sim::PendingMessageBoxAnswers(), 0u);
}

TEST(Machine, WsprintfFormatsWhatTheProductUses) {
  struct Row {
    const char* format;
    std::string expected;
  };
  char out[1100];
  const Row numberRows[] = {{"%d", "-5"},       {"%i", "-5"},    {"%u", "4294967291"}, {"%x", "fffffffb"},
                            {"%lu", "4294967291"}, {"%5d|", "   -5|"}, {"%05d", "-0005"}, {"%08X", "FFFFFFFB"},
                            {"%ld%%", "-5%"}};
  for (const Row& row : numberRows) {
    wsprintfA(out, row.format, -5);
    EXPECT_EQ(std::string(out), row.expected) << row.format;
  }
  const Row textRows[] = {{"%s", "C:\\x"}, {"%-6s|", "C:\\x  |"}, {"%6s|", "  C:\\x|"}, {"%.2s", "C:"}};
  for (const Row& row : textRows) {
    wsprintfA(out, row.format, "C:\\x");
    EXPECT_EQ(std::string(out), row.expected) << row.format;
  }
  EXPECT_EQ(wsprintfA(out, "Create '%s' error!:win error code:%d", "C:\\WINDOWS\\a.sys", 3),
            static_cast<int>(strlen("Create 'C:\\WINDOWS\\a.sys' error!:win error code:3")));
  EXPECT_STREQ(out, "Create 'C:\\WINDOWS\\a.sys' error!:win error code:3");
  std::string big(2000, 'b');
  EXPECT_EQ(wsprintfA(out, "%s", big.c_str()), 1023) << "output stops at 1024 bytes";
}

TEST(Machine, RestartNeedsTheShutdownPrivilegeOnNt) {
  struct Row {
    sim::Os os;
    bool granted;
    bool enable;
    BOOL restarts;
  };
  for (const Row& row : {Row{sim::Os::Win98, true, false, TRUE}, Row{sim::Os::WinXP, true, true, TRUE},
                         Row{sim::Os::WinXP, true, false, FALSE}, Row{sim::Os::Vista, false, true, FALSE}}) {
    sim::Reset(row.os);
    sim::SetShutdownPrivilege(row.granted);
    if (row.enable) {
      HANDLE token = nullptr;
      ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES, &token));
      TOKEN_PRIVILEGES privileges{};
      privileges.PrivilegeCount = 1;
      ASSERT_TRUE(LookupPrivilegeValueA(nullptr, SE_SHUTDOWN_NAME, &privileges.Privileges[0].Luid));
      privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
      EXPECT_TRUE(AdjustTokenPrivileges(token, FALSE, &privileges, 16, nullptr, nullptr));
      EXPECT_EQ(GetLastError(), static_cast<DWORD>(row.granted ? ERROR_SUCCESS : ERROR_NOT_ALL_ASSIGNED));
      CloseHandle(token);
    }
    EXPECT_EQ(ExitWindowsEx(EWX_REBOOT, 0), row.restarts) << sim::OsName(row.os);
    ASSERT_EQ(sim::ExitWindowsCalls().size(), 1u);
    EXPECT_EQ(sim::ExitWindowsCalls()[0].flags, static_cast<UINT>(EWX_REBOOT));
  }
  sim::Reset(sim::Os::Win95);
  HANDLE token = nullptr;
  EXPECT_FALSE(OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES, &token));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CALL_NOT_IMPLEMENTED));
}

TEST(Machine, SleepAdvancesTheVirtualClockAndTheJournalKeepsOrder) {
  sim::Reset(sim::Os::WinXP);
  DWORD start = GetTickCount();
  Sleep(2000);
  GetWindowsDirectoryA(nullptr, 0);
  Sleep(1000);
  EXPECT_EQ(sim::Now(), 3000u);
  EXPECT_EQ(GetTickCount() - start, 3000u);
  EXPECT_EQ(sim::Sleeps(), (std::vector<DWORD>{2000, 1000}));
  EXPECT_EQ(sim::CountCalls("Sleep"), 2u);
  EXPECT_EQ(sim::FindCall("Sleep", "1000"), sim::FindCall("GetWindowsDirectoryA") + 1);
  EXPECT_EQ(sim::FindCall("Sleep", "500"), -1);
}

TEST(Machine, BadPointersAreTheNullOneAndThoseMarked) {
  sim::Reset(sim::Os::WinXP);
  int value = 0;
  auto asCode = [](const void* p) { return reinterpret_cast<FARPROC>(const_cast<void*>(p)); };
  EXPECT_TRUE(IsBadCodePtr(nullptr));
  EXPECT_FALSE(IsBadCodePtr(asCode(&value)));
  sim::MarkBadPointer(&value);
  EXPECT_TRUE(IsBadCodePtr(asCode(&value)));
}

TEST(Machine, ExitProcessEndsTheCallerOnly) {
  sim::Reset(sim::Os::WinXP);
  try {
    ExitProcess(3);
    FAIL() << "ExitProcess returned";
  } catch (const sim::ProcessExit& exit) {
    EXPECT_EQ(exit.code, 3u);
  }
}

}  // namespace
