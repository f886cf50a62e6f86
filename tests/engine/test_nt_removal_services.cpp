// Removal on Windows 2000 and later: the devices and services of the three driver sets.
#include <functional>

#include <simwin/sim_devices.h>
#include <simwin/sim_services.h>

#include "engine_fixture.h"
#include "initialise.h"
#include "nt_removal.h"

namespace {

const std::string kServices = "HKLM\\System\\CurrentControlSet\\Services\\";
const char* const kOurServices[] = {"Tavrel_USB", "TAVRELNT", "tavrusb"};

void AddRunningService(const std::string& name)
{
    sim::ServiceState service;
    service.name = name;
    service.displayName = name;
    service.imagePath = "\\SystemRoot\\System32\\drivers\\" + name + ".sys";
    service.running = true;
    sim::AddService(service);
}

// The token on USB with the package driver, one with the class-INF driver, the root device of the
// parallel-port driver, and a device that is not ours.
void AddDevices()
{
    sim::AddDeviceNode({"USB\\VID_0F2B&PID_0001\\5&0&0&1", {"USB\\Vid_0f2b&Pid_0001"}, "USB", sim::kUsbClassGuid,
                        "Tavrel_USB", "oem3.inf", true});
    sim::AddDeviceNode({"USB\\VID_0F2B&PID_0001\\5&0&0&2", {"USB\\Vid_0f2b&Pid_0001"}, "USB", sim::kUsbClassGuid,
                        "tavrusb", "oem4.inf", true});
    sim::AddDeviceNode({"ROOT\\USB\\0000", {"TavrelBus\\Tavrel"}, "USB", sim::kUsbClassGuid, "TAVRELNT", "oem3.inf",
                        true});
    sim::AddDeviceNode({"USB\\ROOT_HUB\\4&1", {"USB\\ROOT_HUB"}, "USB", sim::kUsbClassGuid, "usbhub", "usbport.inf",
                        true});
}

bool Gone(const std::string& name)
{
    const std::optional<sim::ServiceState> service = sim::FindService(name);
    return !service.has_value() || (service->markedForDeletion && !service->running);
}

}  // namespace

TEST_F(EngineTest, RemovalTakesDownOurDevicesAndServicesAndNeverFails)
{
    const struct {
        const char* name;
        std::function<void()> arrange;
        int servicesGone;       // of the three, in removal order
        bool parallelMarked;    // TAVRELNT marked for deletion, its driver still loaded until the restart
    } rows[] = {
        {"every driver stops", [] {}, 3, false},
        {"a driver refuses to stop", [] { sim::SetRefusesStop("TAVRELNT"); }, 2, true},
        {"service manager refused", [] { sim::LimitServiceManagerAccess(SC_MANAGER_CONNECT); }, 0, false},
    };
    for (sim::Os os : {sim::Os::Win2000, sim::Os::WinXP, sim::Os::Vista}) {
        for (const auto& row : rows) {
            Boot(os);
            ASSERT_EQ(EnsureInitialised(), 1) << sim::OsName(os);  // binds the device-installer calls
            for (const char* name : kOurServices)
                AddRunningService(name);
            AddRunningService("usbhub");
            AddDevices();
            row.arrange();
            sim::PutFile("C:\\WINDOWS\\system32\\drivers\\Tavrel4USB.sys", "driver");
            BYTE needsRestart = 1;

            EXPECT_EQ(RemoveNtDrivers(&needsRestart), 1) << sim::OsName(os) << ": " << row.name;

            const std::string context = std::string(sim::OsName(os)) + ": " + row.name;
            EXPECT_EQ(needsRestart, 0) << context;
            int gone = 0;
            for (const char* name : kOurServices)
                gone += Gone(name) ? 1 : 0;
            EXPECT_EQ(gone, row.servicesGone) << context;
            const std::optional<sim::ServiceState> parallel = sim::FindService("TAVRELNT");
            EXPECT_EQ(parallel.has_value() && parallel->markedForDeletion && parallel->running, row.parallelMarked)
                << context;
            // Whatever the service manager did, the devices, files and keys go.
            EXPECT_TRUE(sim::DevicesWithHardwareId("USB\\Vid_0f2b&Pid_0001").empty()) << context;
            EXPECT_TRUE(sim::DevicesWithHardwareId("TavrelBus\\Tavrel").empty()) << context;
            EXPECT_FALSE(sim::FileExists("C:\\WINDOWS\\system32\\drivers\\Tavrel4USB.sys")) << context;
            for (const char* name : kOurServices)
                EXPECT_FALSE(sim::KeyExists(kServices + name)) << context << ": " << name;
            // Not ours: untouched.
            EXPECT_EQ(sim::DevicesWithHardwareId("USB\\ROOT_HUB").size(), 1u) << context;
            EXPECT_TRUE(sim::FindService("usbhub").has_value() && sim::FindService("usbhub")->running) << context;
            EXPECT_TRUE(sim::KeyExists(kServices + "usbhub")) << context;
            EXPECT_TRUE(sim::ServiceHandleLeaks().empty()) << context;
            EXPECT_EQ(sim::OpenDeviceInfoSetCount(), 0u) << context;
        }
    }
}
