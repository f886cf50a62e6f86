// File and device behaviour with the error codes Windows gives; payload extraction and engine
// clean-up are judged by these.
#include <gtest/gtest.h>
#include <shlwapi.h>
#include <simwin/sim.h>

namespace {

class Files : public ::testing::Test {
 protected:
  void SetUp() override { sim::Reset(sim::Os::WinXP); }
  void TearDown() override { EXPECT_EQ(sim::OpenFileCount(), 0u) << sim::JournalText(); }

  static HANDLE Create(const char* path, DWORD disposition = CREATE_ALWAYS,
                       DWORD access = GENERIC_READ | GENERIC_WRITE) {
    return CreateFileA(path, access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, disposition, FILE_ATTRIBUTE_NORMAL,
                       nullptr);
  }
};

TEST_F(Files, CreateFileErrorsAsWindowsGivesThem) {
  sim::PutFile("C:\\WINDOWS\\system32\\ro.sys", "old", FILE_ATTRIBUTE_READONLY);
  sim::PutFile("C:\\WINDOWS\\system32\\plain.sys", "old");
  struct Row {
    const char* name;
    const char* path;
    DWORD disposition;
    DWORD access;
    DWORD error;
  };
  const std::string longPath = "C:\\" + std::string(260, 'a');
  const Row rows[] = {
      {"missing folder", "C:\\WINDOWS\\nowhere\\x.sys", CREATE_ALWAYS, GENERIC_WRITE, ERROR_PATH_NOT_FOUND},
      {"missing file", "C:\\WINDOWS\\system32\\none.sys", OPEN_EXISTING, GENERIC_READ, ERROR_FILE_NOT_FOUND},
      {"read-only over", "C:\\WINDOWS\\system32\\RO.SYS", CREATE_ALWAYS, GENERIC_WRITE, ERROR_ACCESS_DENIED},
      {"read-only for write", "c:\\windows\\system32\\ro.sys", OPEN_EXISTING, GENERIC_WRITE, ERROR_ACCESS_DENIED},
      {"folder", "C:\\WINDOWS\\system32", OPEN_EXISTING, GENERIC_READ, ERROR_ACCESS_DENIED},
      {"create new over existing", "C:\\WINDOWS\\system32\\plain.sys", CREATE_NEW, GENERIC_WRITE, ERROR_FILE_EXISTS},
      {"other drive", "D:\\x.sys", CREATE_ALWAYS, GENERIC_WRITE, ERROR_PATH_NOT_FOUND},
      {"too long", longPath.c_str(), CREATE_ALWAYS, GENERIC_WRITE, ERROR_FILENAME_EXCED_RANGE},
      {"missing device", "\\\\.\\TAVRELNT", OPEN_EXISTING, GENERIC_READ | GENERIC_WRITE, ERROR_FILE_NOT_FOUND},
  };
  for (const Row& row : rows) {
    SetLastError(0);
    EXPECT_EQ(Create(row.path, row.disposition, row.access), INVALID_HANDLE_VALUE) << row.name;
    EXPECT_EQ(GetLastError(), row.error) << row.name;
  }
  EXPECT_EQ(sim::FileContent("C:\\WINDOWS\\system32\\ro.sys"), "old");
}

TEST_F(Files, CreateAlwaysReplacesContentAndReportsAnExistingFile) {
  sim::PutFile("C:\\WINDOWS\\system32\\InstDll.dll", "a much longer old content");
  HANDLE file = Create("C:\\WINDOWS\\SYSTEM32\\instdll.dll");
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
  EXPECT_EQ(SetFilePointer(file, 0, nullptr, FILE_BEGIN), 0u);
  DWORD written = 0;
  ASSERT_TRUE(WriteFile(file, "new", 3, &written, nullptr));
  EXPECT_EQ(written, 3u);
  EXPECT_EQ(GetFileSize(file, nullptr), 3u);
  ASSERT_TRUE(CloseHandle(file));
  EXPECT_EQ(sim::FileContent("C:\\WINDOWS\\system32\\InstDll.dll"), "new");
  EXPECT_EQ(sim::Attributes("C:\\WINDOWS\\system32\\InstDll.dll"), static_cast<DWORD>(FILE_ATTRIBUTE_ARCHIVE));
  EXPECT_FALSE(CloseHandle(file));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

TEST_F(Files, ReadOnlyFileIsDeletedOnlyAfterItsAttributesAreCleared) {
  sim::PutFile("C:\\WINDOWS\\system32\\InstDll.dll", "x", FILE_ATTRIBUTE_READONLY);
  EXPECT_FALSE(DeleteFileA("C:\\WINDOWS\\system32\\InstDll.dll"));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  ASSERT_TRUE(SetFileAttributesA("C:\\WINDOWS\\system32\\InstDll.dll", FILE_ATTRIBUTE_NORMAL));
  EXPECT_EQ(GetFileAttributesA("C:\\WINDOWS\\system32\\InstDll.dll"), static_cast<DWORD>(FILE_ATTRIBUTE_NORMAL));
  EXPECT_TRUE(DeleteFileA("C:\\WINDOWS\\system32\\InstDll.dll"));
  EXPECT_FALSE(DeleteFileA("C:\\WINDOWS\\system32\\InstDll.dll"));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_FALSE(DeleteFileA("C:\\WINDOWS\\gone\\InstDll.dll"));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
  EXPECT_EQ(GetFileAttributesA("C:\\WINDOWS\\system32\\InstDll.dll"), INVALID_FILE_ATTRIBUTES);
}

TEST_F(Files, OpenFileCannotBeDeletedUntilClosed) {
  HANDLE file = Create("C:\\WINDOWS\\Temp\\open.inf");
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(DeleteFileA("C:\\WINDOWS\\Temp\\open.inf"));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
  EXPECT_EQ(sim::Leaks(), (std::vector<std::string>{"open file C:\\WINDOWS\\Temp\\open.inf"}));
  CloseHandle(file);
  EXPECT_TRUE(DeleteFileA("C:\\WINDOWS\\Temp\\open.inf"));
}

TEST_F(Files, InjectedFaultsAndShortWrites) {
  sim::FailOnce("CreateFileA", ERROR_DISK_FULL, "C:\\WINDOWS\\Temp\\a.sys");
  HANDLE other = Create("C:\\WINDOWS\\Temp\\b.sys");
  EXPECT_NE(other, INVALID_HANDLE_VALUE) << "a fault for one path leaves others alone";
  CloseHandle(other);
  EXPECT_EQ(Create("C:\\WINDOWS\\TEMP\\A.SYS"), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DISK_FULL));

  sim::ShortWrite(2, "C:\\WINDOWS\\Temp\\a.sys");
  sim::FailOnce("WriteFile", ERROR_WRITE_FAULT, "C:\\WINDOWS\\Temp\\a.sys");
  HANDLE file = Create("C:\\WINDOWS\\Temp\\a.sys");
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  DWORD written = 99;
  EXPECT_TRUE(WriteFile(file, "abcdef", 6, &written, nullptr));
  EXPECT_EQ(written, 2u);
  EXPECT_FALSE(WriteFile(file, "abcdef", 6, &written, nullptr));
  EXPECT_EQ(written, 0u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_WRITE_FAULT));
  EXPECT_TRUE(WriteFile(file, "cd", 2, &written, nullptr)) << "both faults are spent";
  CloseHandle(file);
  EXPECT_EQ(sim::FileContent("C:\\WINDOWS\\Temp\\a.sys"), "abcd") << "what was written stays";
}

TEST_F(Files, DevicesOpenWhilePresent) {
  sim::AddDevice("TavrelNT");
  HANDLE device = CreateFileA("\\\\.\\TAVRELNT", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(device, INVALID_HANDLE_VALUE);
  EXPECT_TRUE(CloseHandle(device));
  sim::RemoveDevice("TAVRELNT");
  EXPECT_EQ(CreateFileA("\\\\.\\TAVRELNT", GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST_F(Files, DirectoriesCopiesAndExistence) {
  EXPECT_TRUE(CreateDirectoryA("C:\\WINDOWS\\system32\\drivers\\new", nullptr));
  EXPECT_FALSE(CreateDirectoryA("C:\\WINDOWS\\system32\\DRIVERS\\NEW", nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
  EXPECT_FALSE(CreateDirectoryA("C:\\a\\b", nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
  EXPECT_TRUE(PathFileExistsA("C:\\WINDOWS\\inf"));
  EXPECT_FALSE(PathFileExistsA("C:\\WINDOWS\\inf\\oem0.inf"));

  sim::PutFile("C:\\WINDOWS\\Temp\\src.inf", "[Version]");
  EXPECT_TRUE(CopyFileA("C:\\WINDOWS\\Temp\\src.inf", "C:\\WINDOWS\\inf\\oem0.inf", TRUE));
  EXPECT_EQ(sim::FileContent("C:\\windows\\INF\\OEM0.INF"), "[Version]");
  EXPECT_FALSE(CopyFileA("C:\\WINDOWS\\Temp\\src.inf", "C:\\WINDOWS\\inf\\oem0.inf", TRUE));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_EXISTS));
  EXPECT_FALSE(CopyFileA("C:\\WINDOWS\\Temp\\none.inf", "C:\\WINDOWS\\inf\\oem1.inf", FALSE));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(sim::ListDirectory("C:\\WINDOWS\\inf"), (std::vector<std::string>{"oem0.inf"}));
}

}  // namespace

namespace {

TEST(ProfileFiles, ReadsInfValuesSectionsAndKeysLikeWindows) {
  sim::Reset(sim::Os::Vista);
  sim::PutFile("C:\\WINDOWS\\inf\\oem3.inf",
               "; comment\r\n[Version]\r\nSignature=\"$Windows NT$\"\r\nProvider = %Mfg% \r\n"
               "[Strings]\r\nMfg=\"Tavrel \"\r\nEmpty=\r\n");
  char out[64];
  struct Row {
    const char* section;
    const char* key;
    DWORD size;
    std::string expected;
    DWORD result;
  };
  const Row rows[] = {
      {"version", "SIGNATURE", 64, "$Windows NT$", 12},
      {"Version", "Provider", 64, "%Mfg%", 5},
      {"Strings", "Mfg", 64, "Tavrel ", 7},  // quotes removed, inner blank kept
      {"Strings", "Empty", 64, "", 0},
      {"Strings", "Missing", 64, "dflt", 4},
      {"Nowhere", "Mfg", 64, "dflt", 4},
      {"Version", "Signature", 5, "$Win", 4},
  };
  for (const Row& row : rows) {
    DWORD result = GetPrivateProfileStringA(row.section, row.key, "dflt  ", out, row.size, "C:\\WINDOWS\\inf\\oem3.inf");
    EXPECT_EQ(std::string(out), row.expected) << row.section << "/" << row.key;
    EXPECT_EQ(result, row.result) << row.section << "/" << row.key;
  }
  DWORD length = GetPrivateProfileStringA("Strings", nullptr, "", out, sizeof out, "C:\\WINDOWS\\inf\\oem3.inf");
  EXPECT_EQ(std::string(out, length), std::string("Mfg\0Empty\0", 10));
  length = GetPrivateProfileStringA(nullptr, nullptr, "", out, sizeof out, "C:\\WINDOWS\\inf\\oem3.inf");
  EXPECT_EQ(std::string(out, length), std::string("Version\0Strings\0", 16));
  EXPECT_EQ(GetPrivateProfileStringA("Version", "Signature", "none", out, sizeof out, "C:\\WINDOWS\\inf\\oem9.inf"), 4u);
  EXPECT_STREQ(out, "none");
}

}  // namespace
