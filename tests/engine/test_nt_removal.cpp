// Removal on Windows 2000 and later as a whole: services, files, service keys and root devices.
#include <simwin/sim_devices.h>

#include "engine_fixture.h"
#include "initialise.h"
#include "nt_removal.h"

namespace {

const std::string kServices = "HKLM\\System\\CurrentControlSet\\Services\\";
const std::string kRootUsb = "HKLM\\System\\CurrentControlSet\\Enum\\Root\\USB";

const sim::Os kRemovalOs[] = {sim::Os::Win2000, sim::Os::WinXP, sim::Os::Server2003, sim::Os::Vista};

std::vector<std::string> Tree(const std::string& path)
{
    std::vector<std::string> keys;
    for (const std::string& name : sim::SubKeys(path)) {
        keys.push_back(path + "\\" + name);
        for (const std::string& below : Tree(path + "\\" + name))
            keys.push_back(below);
    }
    return keys;
}

}  // namespace

TEST_F(EngineTest, RemovalOnASystemWithoutOurDriversChangesNothing)
{
    for (sim::Os os : kRemovalOs) {
        Boot(os);
        ASSERT_EQ(EnsureInitialised(), 1) << sim::OsName(os);  // binds the device-installer calls
        const std::vector<std::string> keysBefore = Tree("HKLM\\System");
        const std::vector<std::string> infBefore = sim::ListDirectory("C:\\WINDOWS\\inf");
        BYTE needsRestart = 1;

        EXPECT_EQ(RemoveNtDrivers(&needsRestart), 1) << sim::OsName(os);

        EXPECT_EQ(needsRestart, 0) << sim::OsName(os);
        EXPECT_EQ(Tree("HKLM\\System"), keysBefore) << sim::OsName(os);
        EXPECT_EQ(sim::ListDirectory("C:\\WINDOWS\\inf"), infBefore) << sim::OsName(os);
        EXPECT_TRUE(sim::KeySecurityChanges().empty()) << sim::OsName(os);
        EXPECT_TRUE(sim::MessageBoxes().empty()) << sim::OsName(os);
        EXPECT_EQ(RemoveNtDrivers(nullptr), 1) << sim::OsName(os);
    }
}

TEST_F(EngineTest, RemovalDeletesServiceKeysRootDevicesAndFilesButNothingElse)
{
    for (sim::Os os : kRemovalOs) {
        Boot(os);
        ASSERT_EQ(EnsureInitialised(), 1) << sim::OsName(os);  // binds the device-installer calls
        sim::SetDword(kServices + "Tavrel_USB", "Type", 1);
        sim::SetDword(kServices + "TAVRELNT\\Parameters", "Support", 0);
        sim::SetDword(kServices + "tavrusb", "Type", 1);
        sim::SetDword(kServices + "usbhub", "Type", 1);
        sim::SetDword(kServices + "Tavrel_USB_Old", "Type", 1);
        // Two installations, two root devices; Windows keeps its device keys closed to administrators.
        for (const char* instance : {"ROOT\\USB\\0000", "ROOT\\USB\\0001"}) {
            sim::DeviceNode node;
            node.instanceId = instance;
            node.hardwareIds = {"TavrelBus\\Tavrel"};
            node.service = "TAVRELNT";
            sim::AddDeviceNode(node);
        }
        sim::DenyKeyAccess(kRootUsb + "\\0001", KEY_READ | WRITE_DAC);
        sim::DenyKeyAccess(kRootUsb, KEY_READ | WRITE_DAC);
        const std::string other = sim::AddDeviceNode({"ROOT\\LEGACY_OTHER\\0000", {"Other"}, "System", "", "other", "", false});
        sim::PutFile("C:\\WINDOWS\\system32\\drivers\\Tavrel4.sys", "driver", FILE_ATTRIBUTE_READONLY);
        sim::PutFile("C:\\WINDOWS\\inf\\oem4.inf", "[Strings]\r\nTavrel.DeviceDesc=\"Orvanta TAVREL4\"\r\n");
        BYTE needsRestart = 1;

        EXPECT_EQ(RemoveNtDrivers(&needsRestart), 1) << sim::OsName(os);

        EXPECT_EQ(needsRestart, 0) << sim::OsName(os);
        for (const char* gone : {"Tavrel_USB", "TAVRELNT", "tavrusb"})
            EXPECT_FALSE(sim::KeyExists(kServices + gone)) << sim::OsName(os) << ": " << gone;
        for (const char* kept : {"usbhub", "Tavrel_USB_Old"})
            EXPECT_TRUE(sim::KeyExists(kServices + kept)) << sim::OsName(os) << ": " << kept;
        EXPECT_FALSE(sim::KeyExists(kRootUsb)) << sim::OsName(os) << "\n" << sim::JournalText();
        EXPECT_TRUE(sim::FindDeviceNode(other).has_value()) << sim::OsName(os);
        EXPECT_TRUE(sim::DevicesWithHardwareId("TavrelBus\\Tavrel").empty()) << sim::OsName(os);
        EXPECT_FALSE(sim::FileExists("C:\\WINDOWS\\system32\\drivers\\Tavrel4.sys")) << sim::OsName(os);
        EXPECT_FALSE(sim::FileExists("C:\\WINDOWS\\inf\\oem4.inf")) << sim::OsName(os);
        EXPECT_EQ(sim::OpenKeyCount(), 0u) << sim::OsName(os);
        EXPECT_EQ(sim::OpenDeviceInfoSetCount(), 0u) << sim::OsName(os);
    }
}
