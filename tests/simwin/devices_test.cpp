// The simulated device installer: the engine's Plug-and-Play installation and the removal of
// devices are judged by it, so a wrong call order or argument must fail here as on Windows.
#include <gtest/gtest.h>
#include <newdev.h>
#include <setupapi.h>
#include <simwin/sim.h>
#include <simwin/sim_devices.h>
#include <simwin/sim_services.h>

#include <cstring>
#include <fstream>
#include <sstream>

namespace {

const char kInf[] = "C:\\WINDOWS\\Temp\\Tavrel4.inf";
const char kUsbId[] = "USB\\Vid_0f2b&Pid_0001";
const char kRootId[] = "TavrelBus\\Tavrel";
const GUID kUsbGuid = {0x36FC9E60, 0xC465, 0x11CF, {0x80, 0x56, 0x44, 0x45, 0x53, 0x54, 0x00, 0x00}};

std::string SourceFile(const std::string& relative) {
  std::ifstream in(std::string(TAVREL_SOURCE_DIR) + "/" + relative, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

std::vector<BYTE> MultiSz(const std::string& id) {
  std::vector<BYTE> list(id.begin(), id.end());
  list.push_back(0);
  list.push_back(0);
  return list;
}

SP_DEVINFO_DATA NewData() {
  SP_DEVINFO_DATA data;
  std::memset(&data, 0, sizeof data);
  data.cbSize = sizeof data;
  return data;
}

class Devices : public ::testing::Test {
 protected:
  void SetUp() override {
    sim::Reset(sim::Os::WinXP);
    sim::PutFile(kInf, SourceFile("payload/inf/TAVREL4.INF"));
  }
  void TearDown() override {
    EXPECT_TRUE(sim::Leaks().empty()) << sim::JournalText();
    EXPECT_EQ(sim::OpenDeviceInfoSetCount(), 0u);
  }

  // The documented way of making a root-enumerated device: create, name, register.
  static std::string RegisterRootDevice(const char* hardwareId) {
    HDEVINFO set = SetupDiCreateDeviceInfoList(&kUsbGuid, NULL);
    SP_DEVINFO_DATA data = NewData();
    EXPECT_TRUE(SetupDiCreateDeviceInfoA(set, "USB", &kUsbGuid, NULL, NULL, DICD_GENERATE_ID, &data));
    std::vector<BYTE> ids = MultiSz(hardwareId);
    EXPECT_TRUE(SetupDiSetDeviceRegistryPropertyA(set, &data, SPDRP_HARDWAREID, ids.data(), static_cast<DWORD>(ids.size())));
    EXPECT_TRUE(SetupDiCallClassInstaller(DIF_REGISTERDEVICE, set, &data)) << std::hex << GetLastError();
    EXPECT_TRUE(SetupDiDeleteDeviceInfo(set, &data));
    EXPECT_TRUE(SetupDiDestroyDeviceInfoList(set));
    std::vector<sim::Call> creates = sim::Calls("SetupDiCreateDeviceInfoA");
    return creates.empty() ? "" : creates.back().result.substr(2);  // "1 <instance id>"
  }
};

TEST_F(Devices, RootDevicesGetNumberedInstancesUnderRootUsbAndStayAfterTheirSetIsGone) {
  EXPECT_EQ(RegisterRootDevice(kRootId), "ROOT\\USB\\0000");
  EXPECT_EQ(RegisterRootDevice(kRootId), "ROOT\\USB\\0001");

  std::optional<sim::DeviceNode> node = sim::FindDeviceNode("root\\usb\\0001");
  ASSERT_TRUE(node);
  EXPECT_EQ(node->hardwareIds, std::vector<std::string>{kRootId});
  EXPECT_EQ(node->classGuid, sim::kUsbClassGuid);
  EXPECT_EQ(node->className, "USB");
  EXPECT_TRUE(node->present);
  EXPECT_TRUE(sim::KeyExists("HKLM\\System\\CurrentControlSet\\Enum\\Root\\USB\\0001"));
  EXPECT_EQ(sim::DevicesWithHardwareId("TAVRELBUS\\TAVREL").size(), 2u);

  // Deleting the Enum tree removes the devices, as removal relies on.
  sim::DeleteKeyTree("HKLM\\System\\CurrentControlSet\\Enum\\Root\\USB");
  EXPECT_TRUE(sim::Devices().empty());
  EXPECT_EQ(RegisterRootDevice(kRootId), "ROOT\\USB\\0000");
}

TEST_F(Devices, AnElementNeverRegisteredLeavesNoDevice) {
  HDEVINFO set = SetupDiCreateDeviceInfoList(&kUsbGuid, NULL);
  SP_DEVINFO_DATA data = NewData();
  ASSERT_TRUE(SetupDiCreateDeviceInfoA(set, "USB", &kUsbGuid, NULL, NULL, DICD_GENERATE_ID, &data));
  std::vector<BYTE> ids = MultiSz(kRootId);
  ASSERT_TRUE(SetupDiSetDeviceRegistryPropertyA(set, &data, SPDRP_HARDWAREID, ids.data(), static_cast<DWORD>(ids.size())));
  // Its properties read back from the element itself.
  BYTE buffer[64];
  DWORD type = 0, required = 0;
  ASSERT_TRUE(SetupDiGetDeviceRegistryPropertyA(set, &data, SPDRP_HARDWAREID, &type, buffer, sizeof buffer, &required));
  EXPECT_EQ(type, static_cast<DWORD>(REG_MULTI_SZ));
  EXPECT_EQ(required, ids.size());
  EXPECT_EQ(sim::OpenDeviceInfoSetCount(), 1u);
  ASSERT_TRUE(SetupDiDestroyDeviceInfoList(set));
  EXPECT_TRUE(sim::Devices().empty());
  EXPECT_EQ(sim::OpenDeviceInfoSetCount(), 0u);
}

TEST_F(Devices, WrongArgumentsFailAsOnWindows) {
  HDEVINFO set = SetupDiCreateDeviceInfoList(&kUsbGuid, NULL);
  SP_DEVINFO_DATA good = NewData();
  ASSERT_TRUE(SetupDiCreateDeviceInfoA(set, "USB", &kUsbGuid, NULL, NULL, DICD_GENERATE_ID, &good));
  SP_DEVINFO_DATA wrongSize = good;
  wrongSize.cbSize = 28 + 8;  // not this build's structure size
  const GUID otherGuid = {1, 2, 3, {4, 5, 6, 7, 8, 9, 10, 11}};
  const std::vector<BYTE> single(kRootId, kRootId + std::strlen(kRootId) + 1);  // one NUL: not a list
  const std::vector<BYTE> list = MultiSz(kRootId);

  struct Row {
    const char* name;
    std::function<BOOL()> call;
    DWORD error;
  };
  SP_DEVINFO_DATA out = NewData();
  const Row rows[] = {
      {"create with a wrong cbSize",
       [&] { return SetupDiCreateDeviceInfoA(set, "USB", &kUsbGuid, NULL, NULL, DICD_GENERATE_ID, &wrongSize); },
       ERROR_INVALID_USER_BUFFER},
      {"generated id from a full name",
       [&] { return SetupDiCreateDeviceInfoA(set, "ROOT\\USB", &kUsbGuid, NULL, NULL, DICD_GENERATE_ID, &out); },
       ERROR_INVALID_DEVINST_NAME},
      {"class other than the set's",
       [&] { return SetupDiCreateDeviceInfoA(set, "USB", &otherGuid, NULL, NULL, DICD_GENERATE_ID, &out); },
       ERROR_CLASS_MISMATCH},
      {"no class", [&] { return SetupDiCreateDeviceInfoA(set, "USB", NULL, NULL, NULL, DICD_GENERATE_ID, &out); },
       ERROR_INVALID_PARAMETER},
      {"hardware id without its list end",
       [&] {
         return SetupDiSetDeviceRegistryPropertyA(set, &good, SPDRP_HARDWAREID, single.data(),
                                                  static_cast<DWORD>(single.size()));
       },
       ERROR_INVALID_DATA},
      {"property with a wrong cbSize",
       [&] {
         return SetupDiSetDeviceRegistryPropertyA(set, &wrongSize, SPDRP_HARDWAREID, list.data(),
                                                  static_cast<DWORD>(list.size()));
       },
       ERROR_INVALID_USER_BUFFER},
      {"remove before registering", [&] { return SetupDiCallClassInstaller(DIF_REMOVE, set, &good); },
       ERROR_DEVINFO_NOT_REGISTERED},
      {"enumerate with a wrong cbSize", [&] { return SetupDiEnumDeviceInfo(set, 0, &wrongSize); },
       ERROR_INVALID_USER_BUFFER},
      {"enumerate past the end", [&] { return SetupDiEnumDeviceInfo(set, 1, &out); }, ERROR_NO_MORE_ITEMS},
      {"register on an unknown set",
       [&] { return SetupDiCallClassInstaller(DIF_REGISTERDEVICE, reinterpret_cast<HDEVINFO>(0x1234), &good); },
       ERROR_INVALID_HANDLE},
  };
  for (const Row& row : rows) {
    SetLastError(0);
    EXPECT_FALSE(row.call()) << row.name;
    EXPECT_EQ(GetLastError(), row.error) << row.name << std::hex << " got 0x" << GetLastError();
  }
  EXPECT_TRUE(SetupDiEnumDeviceInfo(set, 0, &out));
  EXPECT_EQ(out.Reserved, good.Reserved);
  ASSERT_TRUE(SetupDiDestroyDeviceInfoList(set));
  EXPECT_FALSE(SetupDiDestroyDeviceInfoList(set));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_TRUE(sim::Devices().empty());
}

TEST_F(Devices, ClassListsFilterByPresenceAndReadProperties) {
  std::string root = RegisterRootDevice(kRootId);
  std::string token = sim::PlugInDevice({"USB\\VID_0F2B&PID_0001&REV_0100", "USB\\VID_0F2B&PID_0001"});
  sim::DeviceNode printer;
  printer.instanceId = "LPTENUM\\PRINTER\\1&2";
  printer.hardwareIds = {"LPTENUM\\Printer"};
  printer.className = "Printer";
  printer.classGuid = "{4D36E979-E325-11CE-BFC1-08002BE10318}";
  printer.service = "TAVRELNT";
  sim::AddDeviceNode(printer);  // not present
  sim::UnplugDevice(token);

  struct Row {
    const char* name;
    const GUID* guid;
    DWORD flags;
    size_t count;
  };
  const Row rows[] = {{"all classes", NULL, DIGCF_ALLCLASSES, 3},
                      {"all present", NULL, DIGCF_ALLCLASSES | DIGCF_PRESENT, 1},
                      {"USB class", &kUsbGuid, 0, 2}};
  for (const Row& row : rows) {
    HDEVINFO set = SetupDiGetClassDevsA(row.guid, NULL, NULL, row.flags);
    ASSERT_NE(set, INVALID_HANDLE_VALUE) << row.name;
    SP_DEVINFO_DATA data = NewData();
    size_t count = 0;
    while (SetupDiEnumDeviceInfo(set, static_cast<DWORD>(count), &data)) ++count;
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_ITEMS)) << row.name;
    EXPECT_EQ(count, row.count) << row.name;
    SetupDiDestroyDeviceInfoList(set);
  }
  EXPECT_EQ(SetupDiGetClassDevsA(NULL, NULL, NULL, DIGCF_PRESENT), INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));

  HDEVINFO set = SetupDiGetClassDevsA(NULL, NULL, NULL, DIGCF_ALLCLASSES);
  SP_DEVINFO_DATA data = NewData();
  ASSERT_TRUE(SetupDiEnumDeviceInfo(set, 0, &data));  // the printer: LPTENUM sorts first, as in the registry
  char text[16];
  DWORD required = 0;
  EXPECT_FALSE(SetupDiGetDeviceRegistryPropertyA(set, &data, SPDRP_SERVICE, NULL, (BYTE*)text, 4, &required));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_EQ(required, 9u);
  ASSERT_TRUE(SetupDiGetDeviceRegistryPropertyA(set, &data, SPDRP_SERVICE, NULL, (BYTE*)text, sizeof text, NULL));
  EXPECT_STREQ(text, "TAVRELNT");
  // A device without a driver has no Service property: 13, as Windows reports it.
  ASSERT_TRUE(SetupDiEnumDeviceInfo(set, 1, &data));
  EXPECT_FALSE(SetupDiGetDeviceRegistryPropertyA(set, &data, SPDRP_SERVICE, NULL, (BYTE*)text, sizeof text, NULL));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_DATA));
  SetupDiDestroyDeviceInfoList(set);
  EXPECT_EQ(root, "ROOT\\USB\\0000");
}

TEST_F(Devices, InstallingTheDriverBindsThePresentDevicesAndCopiesTheInfIntoTheStore) {
  BOOL reboot = TRUE;
  EXPECT_FALSE(UpdateDriverForPlugAndPlayDevicesA(NULL, kUsbId, kInf, INSTALLFLAG_FORCE, &reboot));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_SUCH_DEVINST));
  EXPECT_TRUE(sim::OemInfs().empty());

  std::string token = sim::PlugInDevice({"USB\\VID_0F2B&PID_0001"});
  std::string root = RegisterRootDevice(kRootId);
  sim::BindDevice("TAVRELNT", "TAVRELNT");
  ASSERT_TRUE(UpdateDriverForPlugAndPlayDevicesA(NULL, kUsbId, kInf, INSTALLFLAG_FORCE, &reboot));
  EXPECT_FALSE(reboot);
  EXPECT_EQ(sim::FindDeviceNode(token)->service, "Tavrel_USB");
  EXPECT_EQ(sim::FindDeviceNode(token)->driverInf, "oem0.inf");
  EXPECT_EQ(sim::FindDeviceNode(root)->service, "");
  EXPECT_EQ(sim::GetString("HKLM\\System\\CurrentControlSet\\Services\\Tavrel_USB", "ImagePath"),
            "system32\\DRIVERS\\Tavrel4USB.sys");
  EXPECT_EQ(sim::GetDword("HKLM\\System\\CurrentControlSet\\Services\\Tavrel_USB", "Start"), 3u);
  std::optional<sim::ServiceState> usbService = sim::FindService("Tavrel_USB");
  ASSERT_TRUE(usbService) << "the service manager knows the service the INF added";
  EXPECT_EQ(usbService->group, "Extended Base");
  EXPECT_FALSE(usbService->running) << "its driver file is not in place";
  EXPECT_TRUE(sim::FileExists("C:\\WINDOWS\\inf\\oem0.inf"));
  EXPECT_TRUE(sim::FileExists("C:\\WINDOWS\\inf\\oem0.pnf"));

  // The root device's driver starts only once its file is in place; then the device name appears.
  ASSERT_TRUE(UpdateDriverForPlugAndPlayDevicesA(NULL, kRootId, kInf, INSTALLFLAG_FORCE, &reboot));
  EXPECT_EQ(sim::FindDeviceNode(root)->service, "TAVRELNT");
  EXPECT_FALSE(sim::DeviceExists("TAVRELNT"));
  sim::PutFile("C:\\WINDOWS\\system32\\drivers\\Tavrel4.sys", "driver");
  EXPECT_FALSE(UpdateDriverForPlugAndPlayDevicesA(NULL, kRootId, kInf, 0, &reboot)) << "same driver without force";
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_MORE_ITEMS));
  ASSERT_TRUE(UpdateDriverForPlugAndPlayDevicesA(NULL, kRootId, kInf, INSTALLFLAG_FORCE, &reboot));
  EXPECT_TRUE(sim::DeviceExists("TAVRELNT"));
  EXPECT_EQ(sim::OemInfs().size(), 1u) << "an identical INF is stored once";

  // Removing the device stops its driver.
  HDEVINFO set = SetupDiGetClassDevsA(NULL, "ROOT", NULL, DIGCF_ALLCLASSES);
  SP_DEVINFO_DATA data = NewData();
  ASSERT_TRUE(SetupDiEnumDeviceInfo(set, 0, &data));
  ASSERT_TRUE(SetupDiCallClassInstaller(DIF_REMOVE, set, &data));
  SetupDiDestroyDeviceInfoList(set);
  EXPECT_FALSE(sim::FindDeviceNode(root));
  EXPECT_FALSE(sim::DeviceExists("TAVRELNT"));
  EXPECT_FALSE(sim::FindService("TAVRELNT")->running) << "a driver unloads with its last device";
}

TEST_F(Devices, AServiceMarkedForDeletionBlocksTheDriverUntilRestart) {
  sim::ServiceState old;
  old.name = "Tavrel_USB";
  old.markedForDeletion = true;
  old.running = true;
  sim::AddService(old);
  sim::PlugInDevice({"USB\\VID_0F2B&PID_0001"});
  BOOL reboot = FALSE;
  EXPECT_FALSE(UpdateDriverForPlugAndPlayDevicesA(NULL, kUsbId, kInf, INSTALLFLAG_FORCE, &reboot));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SERVICE_MARKED_FOR_DELETE));
}

TEST_F(Devices, ScriptedDriverUpdatesAreTakenOnePerCall) {
  sim::ScriptDriverUpdate({false, ERROR_NO_SUCH_DEVINST, false});
  sim::ScriptDriverUpdate({true, 0, true});
  sim::ScriptDriverUpdate({false, ERROR_ACCESS_DENIED, false, "TAVRELBUS\\TAVREL"});
  BOOL reboot = FALSE;
  EXPECT_FALSE(UpdateDriverForPlugAndPlayDevicesA(NULL, kRootId, kInf, INSTALLFLAG_FORCE, &reboot));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED)) << "the outcome for its hardware id";
  EXPECT_FALSE(UpdateDriverForPlugAndPlayDevicesA(NULL, kUsbId, kInf, INSTALLFLAG_FORCE, &reboot));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_SUCH_DEVINST));
  EXPECT_TRUE(UpdateDriverForPlugAndPlayDevicesA(NULL, kUsbId, kInf, INSTALLFLAG_FORCE, &reboot));
  EXPECT_TRUE(reboot);
  EXPECT_EQ(sim::PendingDriverUpdates(), 0u);
  EXPECT_FALSE(UpdateDriverForPlugAndPlayDevicesA(NULL, kUsbId, kInf, INSTALLFLAG_FORCE, &reboot)) << "natural again";
  EXPECT_FALSE(UpdateDriverForPlugAndPlayDevicesA(NULL, kUsbId, kInf, 0x80, &reboot));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_FLAGS));
}

TEST_F(Devices, CopyOemInfNamesTheStoreCopyAndHonoursTheBufferSize) {
  char name[260] = "";
  DWORD required = 0;
  PSTR component = NULL;
  ASSERT_TRUE(SetupCopyOEMInfA(kInf, NULL, SPOST_PATH, 0, name, sizeof name, &required, &component));
  EXPECT_STREQ(name, "C:\\WINDOWS\\inf\\oem0.inf");
  EXPECT_EQ(required, std::strlen(name) + 1);
  EXPECT_STREQ(component, "oem0.inf");
  EXPECT_EQ(sim::FileContent("C:\\WINDOWS\\inf\\oem0.inf"), sim::FileContent(kInf));
  ASSERT_EQ(sim::OemInfs().size(), 1u);
  EXPECT_EQ(sim::OemInfs()[0].sourceLocation, "C:\\WINDOWS\\Temp\\");

  // The same text again reuses its copy; with SP_COPY_NOOVERWRITE that is reported.
  EXPECT_FALSE(SetupCopyOEMInfA(kInf, "C:\\WINDOWS\\Temp\\", SPOST_PATH, SP_COPY_NOOVERWRITE, name, sizeof name, NULL, NULL));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_EXISTS));
  // Another INF takes the next number, even when the name buffer is too small for it.
  sim::PutFile("C:\\pkg\\other.inf", "[Version]\r\nSignature=\"$Windows NT$\"\r\nClass=Ports\r\n");
  char small[10];
  EXPECT_FALSE(SetupCopyOEMInfA("C:\\pkg\\other.inf", NULL, SPOST_NONE, 0, small, sizeof small, &required, NULL));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_EQ(required, 24u);
  EXPECT_TRUE(sim::FileExists("C:\\WINDOWS\\inf\\oem1.inf"));
  EXPECT_TRUE(sim::FileExists("C:\\WINDOWS\\inf\\oem1.pnf"));

  EXPECT_FALSE(SetupCopyOEMInfA("C:\\pkg\\none.inf", NULL, SPOST_PATH, 0, name, sizeof name, NULL, NULL));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST_F(Devices, InfClassComesFromTheVersionSection) {
  GUID guid{};
  char name[MAX_CLASS_NAME_LEN];
  DWORD required = 0;
  ASSERT_TRUE(SetupDiGetINFClassA(kInf, &guid, name, sizeof name, &required));
  EXPECT_STREQ(name, "USB");
  EXPECT_EQ(required, 4u);
  EXPECT_EQ(std::memcmp(&guid, &kUsbGuid, sizeof guid), 0);
  EXPECT_FALSE(SetupDiGetINFClassA(kInf, &guid, name, 3, NULL));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_FALSE(SetupDiGetINFClassA("C:\\WINDOWS\\Temp\\none.inf", &guid, name, sizeof name, NULL));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  // A bare name is looked for in the INF directory.
  sim::PutFile("C:\\WINDOWS\\inf\\usb.inf", "[Version]\r\nSignature=$CHICAGO$\r\nClass=USB\r\nClassGUID={36FC9E60-C465-11CF-8056-444553540000}\r\n");
  EXPECT_TRUE(SetupDiGetINFClassA("usb.inf", &guid, name, sizeof name, NULL));
}

TEST_F(Devices, InjectedClassInstallerFailureLeavesTheDeviceUnregistered) {
  sim::FailOnce("SetupDiCallClassInstaller", ERROR_ACCESS_DENIED, "0x19");
  HDEVINFO set = SetupDiCreateDeviceInfoList(&kUsbGuid, NULL);
  SP_DEVINFO_DATA data = NewData();
  ASSERT_TRUE(SetupDiCreateDeviceInfoA(set, "USB", &kUsbGuid, NULL, NULL, DICD_GENERATE_ID, &data));
  EXPECT_FALSE(SetupDiCallClassInstaller(DIF_REGISTERDEVICE, set, &data));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_EQ(sim::Leaks(), std::vector<std::string>{"open device information set 0xD0000"});
  SetupDiDestroyDeviceInfoList(set);
  EXPECT_TRUE(sim::Devices().empty());
}

}  // namespace
