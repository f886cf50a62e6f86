// The simulated service manager: the engine's service tests are only as good as these rules.
#include <gtest/gtest.h>
#include <simwin/sim.h>
#include <simwin/sim_services.h>

namespace {

const char kDriver[] = "C:\\WINDOWS\\system32\\drivers\\tavrelnt.sys";
const char kKey[] = "HKLM\\System\\CurrentControlSet\\Services\\TAVRELNT";

class Services : public ::testing::Test {
 protected:
  void SetUp() override {
    sim::Reset(sim::Os::WinXP);
    sim::PutFile(kDriver, "driver");
    manager_ = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    ASSERT_NE(manager_, nullptr);
  }
  void TearDown() override {
    if (manager_) CloseServiceHandle(manager_);
    EXPECT_TRUE(sim::Leaks().empty()) << ::testing::PrintToString(sim::Leaks());
  }
  SC_HANDLE Create(const char* name, const char* image = kDriver, const char* group = nullptr) {
    return CreateServiceA(manager_, name, name, SERVICE_ALL_ACCESS, SERVICE_KERNEL_DRIVER, SERVICE_AUTO_START,
                          SERVICE_ERROR_NORMAL, image, group, nullptr, nullptr, nullptr, nullptr);
  }
  SC_HANDLE manager_ = nullptr;
};

TEST_F(Services, CreateRecordsEveryArgumentInTheManagerAndTheRegistry) {
  SC_HANDLE service = CreateServiceA(manager_, "TAVRELNT", "Token driver", SERVICE_ALL_ACCESS, SERVICE_KERNEL_DRIVER,
                                     SERVICE_DEMAND_START, SERVICE_ERROR_SEVERE, kDriver, "Extended base", nullptr,
                                     nullptr, nullptr, nullptr);
  ASSERT_NE(service, nullptr);
  CloseServiceHandle(service);
  std::optional<sim::ServiceState> state = sim::FindService("tavrelnt");
  ASSERT_TRUE(state);
  EXPECT_EQ(state->displayName, "Token driver");
  EXPECT_EQ(state->type, static_cast<DWORD>(SERVICE_KERNEL_DRIVER));
  EXPECT_EQ(state->start, static_cast<DWORD>(SERVICE_DEMAND_START));
  EXPECT_EQ(state->errorControl, static_cast<DWORD>(SERVICE_ERROR_SEVERE));
  EXPECT_EQ(state->imagePath, kDriver);
  EXPECT_EQ(state->group, "Extended base");
  EXPECT_FALSE(state->running);
  EXPECT_EQ(sim::GetDword(kKey, "Type"), 1u);
  EXPECT_EQ(sim::GetDword(kKey, "Start"), 3u);
  EXPECT_EQ(sim::GetDword(kKey, "ErrorControl"), 2u);
  EXPECT_EQ(sim::GetString(kKey, "ImagePath"), kDriver);
  EXPECT_EQ(sim::GetValue(kKey, "ImagePath")->type, static_cast<DWORD>(REG_EXPAND_SZ));
  EXPECT_EQ(sim::GetString(kKey, "Group"), "Extended base");
  EXPECT_EQ(sim::GetString(kKey, "DisplayName"), "Token driver");

  SC_HANDLE plain = Create("usbhub");
  ASSERT_NE(plain, nullptr);
  CloseServiceHandle(plain);
  EXPECT_FALSE(sim::FindService("usbhub")->group);
  EXPECT_FALSE(sim::GetValue("HKLM\\System\\CurrentControlSet\\Services\\usbhub", "Group"));
  EXPECT_EQ(sim::Calls("CreateServiceA", "TAVRELNT").at(0).args.at(8), "Extended base");
}

TEST_F(Services, OpenAndCreateReportTheErrorsOfWindows) {
  EXPECT_EQ(OpenServiceA(manager_, "TAVRELNT", SERVICE_ALL_ACCESS), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SERVICE_DOES_NOT_EXIST));
  SC_HANDLE first = Create("TAVRELNT");
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(Create("tavrelnt"), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SERVICE_EXISTS));
  ASSERT_TRUE(DeleteService(first));
  EXPECT_EQ(Create("TAVRELNT"), nullptr) << "still open, so it lingers";
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SERVICE_MARKED_FOR_DELETE));
  EXPECT_FALSE(DeleteService(first));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SERVICE_MARKED_FOR_DELETE));
  CloseServiceHandle(first);
  EXPECT_FALSE(sim::FindService("TAVRELNT"));
  EXPECT_FALSE(sim::KeyExists(kKey));
  SC_HANDLE again = Create("TAVRELNT");
  EXPECT_NE(again, nullptr);
  CloseServiceHandle(again);
}

TEST_F(Services, StartNeedsTheImageFileAndFollowsTheScript) {
  const struct {
    const char* name;
    const char* image;
    DWORD scripted;
    DWORD expected;
  } rows[] = {
      {"starts", kDriver, 0, 0},
      {"missing image", "C:\\WINDOWS\\system32\\drivers\\none.sys", 0, ERROR_FILE_NOT_FOUND},
      {"scripted failure", kDriver, ERROR_GEN_FAILURE, ERROR_GEN_FAILURE},
  };
  for (const auto& row : rows) {
    sim::SetStartFailure(row.name, row.scripted);
    SC_HANDLE service = Create(row.name, row.image);
    ASSERT_NE(service, nullptr) << row.name;
    EXPECT_EQ(StartServiceA(service, 0, nullptr), row.expected == 0 ? TRUE : FALSE) << row.name;
    if (row.expected) {
      EXPECT_EQ(GetLastError(), row.expected) << row.name;
    }
    EXPECT_EQ(sim::FindService(row.name)->running, row.expected == 0) << row.name;
    CloseServiceHandle(service);
  }
  SC_HANDLE running = OpenServiceA(manager_, "starts", SERVICE_START);
  EXPECT_FALSE(StartServiceA(running, 0, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SERVICE_ALREADY_RUNNING));
  SERVICE_STATUS status;
  EXPECT_FALSE(ControlService(running, SERVICE_CONTROL_STOP, &status)) << "opened without SERVICE_STOP";
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  CloseServiceHandle(running);
}

TEST_F(Services, DeviceOpensOnlyWhileItsDriverRuns) {
  sim::BindDevice("TAVRELNT", "TAVRELNT");
  SC_HANDLE service = Create("TAVRELNT");
  ASSERT_NE(service, nullptr);
  EXPECT_FALSE(sim::DeviceExists("TAVRELNT"));
  ASSERT_TRUE(StartServiceA(service, 0, nullptr));
  HANDLE device = CreateFileA("\\\\.\\TAVRELNT", GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  EXPECT_NE(device, INVALID_HANDLE_VALUE);
  CloseHandle(device);
  SERVICE_STATUS status;
  ASSERT_TRUE(ControlService(service, SERVICE_CONTROL_STOP, &status));
  EXPECT_EQ(status.dwCurrentState, static_cast<DWORD>(SERVICE_STOPPED));
  EXPECT_FALSE(sim::DeviceExists("TAVRELNT"));
  EXPECT_FALSE(ControlService(service, SERVICE_CONTROL_STOP, &status));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SERVICE_NOT_ACTIVE));
  CloseServiceHandle(service);
}

TEST_F(Services, DriverThatRefusesToStopLingersUntilRestart) {
  sim::BindDevice("TAVRELNT", "TAVRELNT");
  sim::SetRefusesStop("TAVRELNT");
  SC_HANDLE service = Create("TAVRELNT");
  ASSERT_TRUE(StartServiceA(service, 0, nullptr));
  SERVICE_STATUS status;
  EXPECT_FALSE(ControlService(service, SERVICE_CONTROL_STOP, &status));
  EXPECT_EQ(status.dwCurrentState, static_cast<DWORD>(SERVICE_RUNNING));
  ASSERT_TRUE(DeleteService(service));
  CloseServiceHandle(service);
  ASSERT_TRUE(sim::FindService("TAVRELNT"));
  EXPECT_TRUE(sim::FindService("TAVRELNT")->markedForDeletion);
  EXPECT_EQ(sim::GetDword(kKey, "DeleteFlag"), 1u);
  EXPECT_TRUE(sim::DeviceExists("TAVRELNT"));

  CloseServiceHandle(manager_);
  manager_ = nullptr;
  sim::Restart();
  EXPECT_FALSE(sim::FindService("TAVRELNT"));
  EXPECT_FALSE(sim::KeyExists(kKey));
  EXPECT_FALSE(sim::DeviceExists("TAVRELNT"));
}

TEST_F(Services, RestartRebuildsFromTheRegistryAndStartsAutomaticDrivers) {
  sim::BindDevice("TAVRELNT", "TAVRELNT");
  sim::SetStartFailure("broken", ERROR_GEN_FAILURE);
  const std::string services = "HKLM\\System\\CurrentControlSet\\Services\\";
  // Written by an INF, never seen by the running manager; no ImagePath: System32\drivers\<name>.sys.
  sim::SetDword(kKey, "Type", 1);
  sim::SetDword(kKey, "Start", 2);
  const struct {
    const char* name;
    DWORD start;
    bool imageExists;
    bool runs;
  } rows[] = {
      {"autodrv", SERVICE_AUTO_START, true, true},   {"bootdrv", SERVICE_BOOT_START, true, true},
      {"demanddrv", SERVICE_DEMAND_START, true, false}, {"noimage", SERVICE_AUTO_START, false, false},
      {"broken", SERVICE_AUTO_START, true, false},
  };
  for (const auto& row : rows) {
    std::string image = std::string("C:\\WINDOWS\\system32\\drivers\\") + row.name + ".sys";
    if (row.imageExists) sim::PutFile(image, "x");
    sim::SetDword(services + row.name, "Type", SERVICE_KERNEL_DRIVER);
    sim::SetDword(services + row.name, "Start", row.start);
    sim::SetString(services + row.name, "ImagePath", "\\SystemRoot\\System32\\drivers\\" + std::string(row.name) + ".sys",
                   REG_EXPAND_SZ);
  }
  sim::CreateKey(services + "NoTypeValue");
  EXPECT_FALSE(sim::FindService("TAVRELNT"));

  sim::Restart();
  for (const auto& row : rows) {
    ASSERT_TRUE(sim::FindService(row.name)) << row.name;
    EXPECT_EQ(sim::FindService(row.name)->running, row.runs) << row.name;
  }
  ASSERT_TRUE(sim::FindService("TAVRELNT"));
  EXPECT_TRUE(sim::FindService("TAVRELNT")->running);
  EXPECT_TRUE(sim::DeviceExists("TAVRELNT"));
  EXPECT_FALSE(sim::FindService("NoTypeValue"));
  manager_ = nullptr;  // died with the old session
}

TEST(ServiceManagerAccess, RefusedWhereWindowsRefusesIt) {
  sim::Reset(sim::Os::Win98);
  EXPECT_EQ(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CALL_NOT_IMPLEMENTED));

  sim::Reset(sim::Os::NT4);
  sim::LimitServiceManagerAccess(SC_MANAGER_CONNECT | SC_MANAGER_ENUMERATE_SERVICE | SC_MANAGER_QUERY_LOCK_STATUS);
  EXPECT_EQ(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  SC_HANDLE connect = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT);
  ASSERT_NE(connect, nullptr);
  EXPECT_EQ(CreateServiceA(connect, "x", "x", SERVICE_ALL_ACCESS, SERVICE_KERNEL_DRIVER, SERVICE_AUTO_START,
                           SERVICE_ERROR_NORMAL, kDriver, nullptr, nullptr, nullptr, nullptr, nullptr),
            nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_EQ(sim::ServiceHandleLeaks(), std::vector<std::string>{"manager"});
  CloseServiceHandle(connect);
  EXPECT_TRUE(sim::ServiceHandleLeaks().empty());
}

}  // namespace
