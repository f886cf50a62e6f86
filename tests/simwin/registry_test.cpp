// Registry semantics the product's removal and record code depends on.
#include <gtest/gtest.h>
#include <shlwapi.h>
#include <simwin/sim.h>

namespace {

class Registry : public ::testing::Test {
 protected:
  void SetUp() override { sim::Reset(sim::Os::WinXP); }
  void TearDown() override { EXPECT_EQ(sim::OpenKeyCount(), 0u) << sim::JournalText(); }
};

TEST_F(Registry, NamesMatchWithoutCaseAndKeepTheirSpelling) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\OVTv4InstallFlag", 0, nullptr, REG_OPTION_NON_VOLATILE,
                            KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  DWORD one = 1;
  ASSERT_EQ(RegSetValueExA(key, "InstallCount", 0, REG_DWORD, reinterpret_cast<BYTE*>(&one), 4), ERROR_SUCCESS);
  RegCloseKey(key);

  ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "software\\ovtv4installflag", 0, KEY_READ, &key), ERROR_SUCCESS);
  DWORD value = 0, size = sizeof value, type = 0;
  EXPECT_EQ(RegQueryValueExA(key, "INSTALLCOUNT", nullptr, &type, reinterpret_cast<BYTE*>(&value), &size),
            ERROR_SUCCESS);
  EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
  EXPECT_EQ(value, 1u);
  RegCloseKey(key);
  EXPECT_EQ(sim::SubKeys("HKLM\\SOFTWARE"), (std::vector<std::string>{"Microsoft", "OVTv4InstallFlag"}));
  EXPECT_EQ(sim::GetDword("HKEY_LOCAL_MACHINE\\Software\\OVTv4InstallFlag", "installcount"), 1u);
}

TEST_F(Registry, QueryReportsSizesAndErrorsAsWindows) {
  sim::SetString("HKLM\\SOFTWARE\\T", "Text", "abcdef");
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\T", 0, KEY_READ, &key), ERROR_SUCCESS);
  DWORD size = 0;
  EXPECT_EQ(RegQueryValueExA(key, "Text", nullptr, nullptr, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(size, 7u);
  char small[4];
  size = sizeof small;
  EXPECT_EQ(RegQueryValueExA(key, "Text", nullptr, nullptr, reinterpret_cast<BYTE*>(small), &size), ERROR_MORE_DATA);
  EXPECT_EQ(size, 7u);
  EXPECT_EQ(RegQueryValueExA(key, "Missing", nullptr, nullptr, nullptr, &size), ERROR_FILE_NOT_FOUND);
  DWORD value = 0;
  EXPECT_EQ(RegSetValueExA(key, "X", 0, REG_DWORD, reinterpret_cast<BYTE*>(&value), 4), ERROR_ACCESS_DENIED)
      << "a KEY_READ handle must not write";
  RegCloseKey(key);
  EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Nope", 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(key, nullptr);
  EXPECT_EQ(RegCloseKey(reinterpret_cast<HKEY>(0x4242)), ERROR_INVALID_HANDLE);
}

TEST_F(Registry, DeletingAKeyWithSubkeysDependsOnTheFamily) {
  struct Row {
    sim::Os os;
    LONG expected;
    bool keyGone;
  };
  for (const Row& row : {Row{sim::Os::WinXP, ERROR_ACCESS_DENIED, false}, Row{sim::Os::NT4, ERROR_ACCESS_DENIED, false},
                         Row{sim::Os::Win98, ERROR_SUCCESS, true}, Row{sim::Os::WinME, ERROR_SUCCESS, true}}) {
    sim::Reset(row.os);
    sim::CreateKey("HKLM\\System\\CurrentControlSet\\Services\\vxd\\TAVREL9X\\Sub");
    EXPECT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Services\\vxd\\TAVREL9X"), row.expected)
        << sim::OsName(row.os);
    EXPECT_EQ(sim::KeyExists("HKLM\\System\\CurrentControlSet\\Services\\vxd\\TAVREL9X"), !row.keyGone)
        << sim::OsName(row.os);
  }
  // A leaf goes on every family; a missing key is reported.
  sim::CreateKey("HKLM\\System\\CurrentControlSet\\Services\\vxd\\TAVREL9X");
  EXPECT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Services\\vxd\\TAVREL9X"), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteKeyA(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Services\\vxd\\TAVREL9X"),
            ERROR_FILE_NOT_FOUND);
}

TEST_F(Registry, DeniedKeyRefusesMoreThanItsMaskUntilANullDaclIsSet) {
  const std::string path = "HKLM\\System\\CurrentControlSet\\Enum\\Root\\USB\\0000";
  sim::CreateKey(path);
  sim::DenyKeyAccess(path, KEY_READ | WRITE_DAC);
  HKEY key = nullptr;
  EXPECT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Enum\\Root\\USB\\0000", 0, KEY_ALL_ACCESS,
                          &key),
            ERROR_ACCESS_DENIED);
  EXPECT_EQ(SHDeleteKeyA(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Enum\\Root\\USB"),
            static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_TRUE(sim::KeyExists(path)) << "a refused subtree stays";

  ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Enum\\Root\\USB\\0000", 0, WRITE_DAC, &key),
            ERROR_SUCCESS);
  SECURITY_DESCRIPTOR sd;
  ASSERT_TRUE(InitializeSecurityDescriptor(&sd, SECURITY_DESCRIPTOR_REVISION));
  ASSERT_TRUE(SetSecurityDescriptorDacl(&sd, TRUE, nullptr, FALSE));
  EXPECT_EQ(RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, &sd), ERROR_SUCCESS);
  RegCloseKey(key);
  ASSERT_EQ(sim::KeySecurityChanges().size(), 1u);
  EXPECT_EQ(sim::KeySecurityChanges()[0].path, "HKLM\\System\\CurrentControlSet\\Enum\\Root\\USB\\0000");
  EXPECT_TRUE(sim::KeySecurityChanges()[0].nullDacl);

  EXPECT_EQ(SHDeleteKeyA(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Enum\\Root\\USB"), 0u);
  EXPECT_FALSE(sim::KeyExists("HKLM\\System\\CurrentControlSet\\Enum\\Root\\USB"));
  EXPECT_TRUE(sim::KeyExists("HKLM\\System\\CurrentControlSet\\Enum\\Root"));
}

TEST_F(Registry, RegOpenKeyAGetsWhatTheKeyAllows) {
  sim::CreateKey("HKLM\\SOFTWARE\\ReadOnly");
  sim::DenyKeyAccess("HKLM\\SOFTWARE\\ReadOnly", KEY_READ);
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\ReadOnly", &key), ERROR_SUCCESS);
  DWORD value = 0;
  EXPECT_EQ(RegSetValueExA(key, "X", 0, REG_DWORD, reinterpret_cast<BYTE*>(&value), 4), ERROR_ACCESS_DENIED);
  RegCloseKey(key);
  sim::DenyKeyAccess("HKLM\\SOFTWARE\\ReadOnly", 0);
  EXPECT_EQ(RegOpenKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\ReadOnly", &key), ERROR_ACCESS_DENIED);
}

TEST_F(Registry, Windows9xIgnoresAccessMasks) {
  sim::Reset(sim::Os::Win95);
  sim::CreateKey("HKLM\\SOFTWARE\\X");
  sim::DenyKeyAccess("HKLM\\SOFTWARE\\X", KEY_READ);
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\X", 0, KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
  RegCloseKey(key);
}

TEST_F(Registry, EnumerationWalksSubkeysAndValuesThenEnds) {
  sim::CreateKey("HKLM\\SOFTWARE\\E\\b");
  sim::CreateKey("HKLM\\SOFTWARE\\E\\A");
  sim::SetDword("HKLM\\SOFTWARE\\E", "Second", 2);
  sim::SetString("HKLM\\SOFTWARE\\E", "First", "x");
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\E", 0, KEY_READ, &key), ERROR_SUCCESS);
  std::vector<std::string> keys;
  char name[260];
  for (DWORD i = 0;; ++i) {
    DWORD size = sizeof name;
    LONG code = RegEnumKeyExA(key, i, name, &size, nullptr, nullptr, nullptr, nullptr);
    if (code != ERROR_SUCCESS) {
      EXPECT_EQ(code, ERROR_NO_MORE_ITEMS);
      break;
    }
    EXPECT_EQ(size, strlen(name));
    keys.push_back(name);
  }
  EXPECT_EQ(keys, (std::vector<std::string>{"A", "b"}));
  DWORD tiny = 1;
  EXPECT_EQ(RegEnumKeyExA(key, 0, name, &tiny, nullptr, nullptr, nullptr, nullptr), ERROR_MORE_DATA);
  DWORD size = sizeof name, type = 0;
  EXPECT_EQ(RegEnumValueA(key, 0, name, &size, nullptr, &type, nullptr, nullptr), ERROR_SUCCESS);
  EXPECT_STREQ(name, "Second");
  EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
  size = sizeof name;
  EXPECT_EQ(RegEnumValueA(key, 2, name, &size, nullptr, nullptr, nullptr, nullptr), ERROR_NO_MORE_ITEMS);
  RegCloseKey(key);
}

TEST_F(Registry, HandleOfADeletedKeyReportsItAndLeaksAreListed) {
  sim::CreateKey("HKLM\\SOFTWARE\\Gone\\Child");
  HKEY child = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Gone\\Child", 0, KEY_ALL_ACCESS, &child), ERROR_SUCCESS);
  EXPECT_EQ(sim::OpenKeyPaths(), (std::vector<std::string>{"HKLM\\SOFTWARE\\Gone\\Child"}));
  EXPECT_EQ(SHDeleteKeyA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Gone"), 0u);
  DWORD value = 0;
  EXPECT_EQ(RegSetValueExA(child, "X", 0, REG_DWORD, reinterpret_cast<BYTE*>(&value), 4), ERROR_KEY_DELETED);
  EXPECT_EQ(sim::Leaks(), (std::vector<std::string>{"open key HKLM\\SOFTWARE\\Gone\\Child"}));
  EXPECT_EQ(RegCloseKey(child), ERROR_SUCCESS);
}

TEST_F(Registry, InjectedFaultHitsOnlyTheNamedValue) {
  sim::FailOnce("RegSetValueExA", ERROR_ACCESS_DENIED, "Tv4Ver");
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\R", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  DWORD value = 1;
  EXPECT_EQ(RegSetValueExA(key, "IsSupportDos", 0, REG_DWORD, reinterpret_cast<BYTE*>(&value), 4), ERROR_SUCCESS);
  EXPECT_EQ(RegSetValueExA(key, "Tv4Ver", 0, REG_DWORD, reinterpret_cast<BYTE*>(&value), 4), ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegSetValueExA(key, "Tv4Ver", 0, REG_DWORD, reinterpret_cast<BYTE*>(&value), 4), ERROR_SUCCESS)
      << "a one-time fault is spent";
  RegCloseKey(key);
  ASSERT_EQ(sim::CountCalls("RegSetValueExA"), 3u);
  EXPECT_EQ(sim::Calls("RegSetValueExA", "Tv4Ver")[0].Text(), "RegSetValueExA(HKLM\\SOFTWARE\\R, Tv4Ver, 0x4, 4) = 5 [5]");
}

}  // namespace
