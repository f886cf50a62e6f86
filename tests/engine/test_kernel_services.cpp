// Kernel-driver services and the parallel-port service "TAVRELNT".
#include <simwin/sim_devices.h>
#include <simwin/sim_services.h>

#include <functional>
#include <map>

#include "command_line.h"
#include "engine_fixture.h"
#include "initialise.h"
#include "kernel_services.h"

namespace {

const char kServiceKey[] = "HKLM\\System\\CurrentControlSet\\Services\\TAVRELNT";
const char kParameters[] = "HKLM\\System\\CurrentControlSet\\Services\\TAVRELNT\\Parameters";
const char kDriverPath[] = "C:\\WINDOWS\\system32\\drivers\\Tavrelnt.sys";
const char kVddPath[] = "C:\\WINDOWS\\system32\\TavrVdd.dll";
const BYTE kUntouched = 7;

class KernelServices : public EngineTest {
protected:
    void Parse(const char* commandLine)
    {
        DWORD flags = 0;
        ASSERT_EQ(ParseCommandLine(commandLine, &flags), PARSE_ACCEPTED) << commandLine;
    }
    // Open keys, files and service handles; the engine module itself stays loaded until TearDown.
    static void ExpectNoHandleLeft()
    {
        for (const std::string& leak : sim::Leaks())
            EXPECT_EQ(leak.rfind("loaded module", 0), 0u) << leak;
    }
    // A "TAVRELNT" installed and running before the test, whose driver exposes \\.\TAVRELNT.
    static void RunningParallelService()
    {
        sim::PutFile(kDriverPath, "old driver");
        sim::ServiceState old;
        old.name = old.displayName = "TAVRELNT";
        old.start = SERVICE_AUTO_START;
        old.imagePath = kDriverPath;
        old.running = true;
        sim::AddService(old);
    }
};

TEST_F(KernelServices, ParallelParametersFollowTheOptions)
{
    const struct {
        const char* commandLine;
        std::map<std::string, DWORD> values;
    } rows[] = {
        {"/i", {{"Support", 0}, {"TestBusy", 0}}},
        {"/P1 /i", {{"Support", 1}, {"TestBusy", 0}}},
        {"/P2 /i", {{"Support", 2}, {"TestBusy", 0}}},
        {"/T1 /i", {{"Support", 0}, {"TestBusy", 1}}},
        {"/D3BC /i", {{"Support", 0}, {"TestBusy", 0}, {"DisablePort1", 956}}},
        {"/D3BC /D278 /i", {{"Support", 0}, {"TestBusy", 0}, {"DisablePort1", 632}, {"DisablePort2", 956}}},
        {"/D378/D3BC/D278/i",
         {{"Support", 0}, {"TestBusy", 0}, {"DisablePort1", 632}, {"DisablePort2", 888}, {"DisablePort3", 956}}},
        {"/P1 /T1 /D378 /i", {{"Support", 1}, {"TestBusy", 1}, {"DisablePort1", 888}}},
    };
    for (const auto& row : rows) {
        Boot(sim::Os::WinXP);
        Parse(row.commandLine);
        ASSERT_EQ(WriteParallelParameters(), 1) << row.commandLine;
        std::map<std::string, DWORD> written;
        for (const std::string& name : sim::ValueNames(kParameters)) {
            EXPECT_EQ(sim::GetValue(kParameters, name)->type, static_cast<DWORD>(REG_DWORD)) << row.commandLine;
            written[name] = sim::GetDword(kParameters, name).value_or(0xDEAD);
        }
        EXPECT_EQ(written, row.values) << row.commandLine;
        ExpectNoHandleLeft();
    }
}

TEST_F(KernelServices, ParametersKeepOldValuesAndHandleTheUnusualPair)
{
    sim::SetDword(kParameters, "DisablePort2", 888);
    Parse("/D278 /i");
    ASSERT_EQ(WriteParallelParameters(), 1);
    EXPECT_EQ(sim::GetDword(kParameters, "DisablePort1"), 632u);
    EXPECT_EQ(sim::GetDword(kParameters, "DisablePort2"), 888u) << "values of an earlier installation are not deleted";

    // The parser never makes this pair; the writer then says "both", the installation refuses.
    EngineSettings.SupportParallel = 0;
    EngineSettings.SupportUsb = 0;
    sim::SetDword(kParameters, "Support", 2);
    ASSERT_EQ(WriteParallelParameters(), 1);
    EXPECT_EQ(sim::GetDword(kParameters, "Support"), 0u);

    sim::DeleteKeyTree(kServiceKey);
    BYTE flag = kUntouched;
    EXPECT_EQ(InstallParallelService(&flag), 0);
    EXPECT_EQ(flag, kUntouched);
    EXPECT_TRUE(sim::KeyExists(kParameters));
    EXPECT_TRUE(sim::ValueNames(kParameters).empty());
    EXPECT_FALSE(sim::FindService("TAVRELNT"));

    sim::FailOnce("RegCreateKeyA", ERROR_ACCESS_DENIED, kParameters);
    EXPECT_EQ(WriteParallelParameters(), 0);
    ExpectNoHandleLeft();
}

TEST_F(KernelServices, ParallelServiceIsCreatedStartedAndProbedAfterTwoSeconds)
{
    sim::BindDevice("TAVRELNT", "TAVRELNT");
    Parse("/P1 /i");
    BYTE flag = kUntouched;
    ASSERT_EQ(InstallParallelService(&flag), 1) << sim::JournalText();
    EXPECT_EQ(flag, 0);

    std::optional<sim::ServiceState> service = sim::FindService("TAVRELNT");
    ASSERT_TRUE(service);
    EXPECT_EQ(service->name, "TAVRELNT");
    EXPECT_EQ(service->displayName, "TAVRELNT");
    EXPECT_EQ(service->type, static_cast<DWORD>(SERVICE_KERNEL_DRIVER));
    EXPECT_EQ(service->start, static_cast<DWORD>(SERVICE_AUTO_START));
    EXPECT_EQ(service->errorControl, static_cast<DWORD>(SERVICE_ERROR_NORMAL));
    EXPECT_EQ(service->imagePath, kDriverPath);
    EXPECT_FALSE(service->group);
    EXPECT_TRUE(service->running);
    EXPECT_EQ(sim::GetDword(kParameters, "Support"), 1u);
    EXPECT_TRUE(sim::FileExists(kDriverPath));
    EXPECT_TRUE(sim::FileExists(kVddPath));

    const sim::Call create = sim::Calls("CreateServiceA").at(0);
    EXPECT_EQ(create.args.at(3), "0xF01FF");
    for (size_t i = 9; i < create.args.size(); ++i)
        EXPECT_EQ(create.args[i], "(null)") << "tag, dependencies, account, password";
    EXPECT_EQ(sim::Calls("OpenSCManagerA").at(0).args.at(2), "0xF003F");
    const long start = sim::FindCall("StartServiceA");
    const long sleep = sim::FindCall("Sleep", "2000");
    const long probe = sim::FindCall("CreateFileA", "\\\\.\\TAVRELNT");
    ASSERT_GE(start, 0);
    EXPECT_LT(start, sleep);
    EXPECT_LT(sleep, probe);
    EXPECT_EQ(sim::Sleeps(), std::vector<DWORD>{2000});
    const sim::Call open = sim::Journal().at(probe);
    EXPECT_EQ(open.args.at(1), "0xC0000000") << open.Text();
    EXPECT_EQ(open.args.at(2), "0x0") << open.Text();
    EXPECT_TRUE(sim::MessageBoxes().empty());
    ExpectNoHandleLeft();
}

TEST_F(KernelServices, ParallelServiceInstallationOutcomes)
{
    const struct {
        const char* name;
        std::function<void()> arrange;
        bool deviceAnswers;
        int result;
        BYTE flag;
        bool serviceRuns;
        size_t waits;  // the 2000 ms wait before the probe
    } rows[] = {
        {"over a running service that stops", [] { RunningParallelService(); }, true, 1, 0, true, 1},
        {"driver does not start", [] { sim::SetStartFailure("TAVRELNT", ERROR_GEN_FAILURE); }, true, 1, 1, false, 0},
        {"device does not answer", [] {}, false, 1, 1, true, 1},
        {"old service stays marked for deletion",
         [] {
             RunningParallelService();
             sim::SetRefusesStop("TAVRELNT");
         },
         true, 0, kUntouched, true, 0},
        {"no administrator rights", [] { sim::LimitServiceManagerAccess(SC_MANAGER_CONNECT); }, true, 0, kUntouched,
         false, 0},
        {"driver file cannot be written",
         [] {
             RunningParallelService();
             sim::FailAlways("CreateFileA", ERROR_ACCESS_DENIED, kDriverPath);
             sim::ExpectMessageBox(IDOK, "Tavrelnt.sys");
         },
         true, 0, kUntouched, false, 0},
        {"parameters key refused", [] { sim::FailOnce("RegCreateKeyA", ERROR_ACCESS_DENIED, kParameters); }, true, 0,
         kUntouched, false, 0},
    };
    for (const auto& row : rows) {
        Boot(sim::Os::WinXP);
        if (row.deviceAnswers)
            sim::BindDevice("TAVRELNT", "TAVRELNT");
        row.arrange();
        BYTE flag = kUntouched;
        EXPECT_EQ(InstallParallelService(&flag), row.result) << row.name << "\n" << sim::JournalText();
        EXPECT_EQ(flag, row.flag) << row.name;
        std::optional<sim::ServiceState> service = sim::FindService("TAVRELNT");
        EXPECT_EQ(service && service->running, row.serviceRuns) << row.name;
        EXPECT_EQ(sim::CountCalls("Sleep", "2000"), row.waits) << row.name;
        EXPECT_TRUE(sim::UnexpectedMessageBoxes().empty()) << row.name;
        ExpectNoHandleLeft();
    }
}

TEST_F(KernelServices, ReplacingTheServiceStopsAndDeletesTheOldOneFirst)
{
    sim::BindDevice("TAVRELNT", "TAVRELNT");
    RunningParallelService();
    BYTE flag = kUntouched;
    ASSERT_EQ(InstallParallelService(&flag), 1);
    EXPECT_EQ(flag, 0);
    const long stop = sim::FindCall("ControlService", "TAVRELNT");
    const long remove = sim::FindCall("DeleteService", "TAVRELNT");
    const long close = sim::FindCall("CloseServiceHandle", "TAVRELNT");
    const long write = sim::FindCall("CreateFileA", kVddPath);
    const long create = sim::FindCall("CreateServiceA");
    ASSERT_GE(stop, 0);
    EXPECT_LT(stop, remove);
    EXPECT_LT(remove, close);
    EXPECT_LT(close, write);
    EXPECT_LT(write, create);
    EXPECT_EQ(sim::Calls("ControlService").at(0).args.at(1), "0x1");
    EXPECT_EQ(sim::GetDword(kServiceKey, "DeleteFlag"), std::nullopt) << "the new service's key is clean";
}

TEST_F(KernelServices, MarkedForDeletionFailsRatherThanPromiseARestart)
{
    // The restart would complete the old deletion and take the key, parameters included, with it.
    RunningParallelService();
    sim::SetRefusesStop("TAVRELNT");
    BYTE flag = 0;
    ASSERT_EQ(InstallParallelService(&flag), 0);
    EXPECT_EQ(sim::Calls("CreateServiceA").at(0).lastError, static_cast<DWORD>(ERROR_SERVICE_MARKED_FOR_DELETE));
    EXPECT_EQ(sim::CountCalls("StartServiceA"), 0u);
    sim::Restart();
    EXPECT_FALSE(sim::FindService("TAVRELNT"));
    EXPECT_FALSE(sim::KeyExists(kParameters));
}

TEST_F(KernelServices, CreateAndStartServiceImagePathRules)
{
    const std::string drivers = "C:\\WINDOWS\\system32\\drivers\\";
    const std::string given = "C:\\Drivers\\given.sys";
    const std::string longest = "C:\\" + std::string(247, 'a') + ".sys";   // 254 characters
    const std::string tooLong = "C:\\" + std::string(248, 'a') + ".sys";   // 255 characters
    ASSERT_EQ(longest.size(), 254u);
    const struct {
        const char* name;
        const char* imagePath;
        std::string expected;
    } rows[] = {
        {"nullpath", nullptr, drivers + "nullpath.sys"},
        {"given", given.c_str(), given},
        {"longest", longest.c_str(), longest},
        {"toolong", tooLong.c_str(), drivers + "toolong.sys"},
    };
    for (const auto& row : rows) {
        BYTE flag = kUntouched;
        ASSERT_EQ(CreateAndStartService(row.name, NULL, row.imagePath, &flag), 1) << row.name;
        EXPECT_EQ(sim::FindService(row.name)->imagePath, row.expected) << row.name;
        EXPECT_EQ(flag, 1) << row.name << ": no file there, so it does not start";
    }
    ExpectNoHandleLeft();
}

TEST_F(KernelServices, CreateAndStartServiceOutcomes)
{
    const std::string image = "C:\\WINDOWS\\system32\\drivers\\usbhcd.sys";
    sim::PutFile(image, "driver");
    BYTE flag = kUntouched;
    ASSERT_EQ(CreateAndStartService("usbhcd", "Extended base", image.c_str(), &flag), 1);
    EXPECT_EQ(flag, 0);
    std::optional<sim::ServiceState> service = sim::FindService("usbhcd");
    ASSERT_TRUE(service);
    EXPECT_TRUE(service->running);
    EXPECT_EQ(service->displayName, "usbhcd");
    EXPECT_EQ(service->group, "Extended base");
    EXPECT_EQ(service->start, static_cast<DWORD>(SERVICE_AUTO_START));
    EXPECT_EQ(service->type, static_cast<DWORD>(SERVICE_KERNEL_DRIVER));
    EXPECT_EQ(service->errorControl, static_cast<DWORD>(SERVICE_ERROR_NORMAL));

    flag = kUntouched;
    EXPECT_EQ(CreateAndStartService("usbhcd", NULL, image.c_str(), &flag), 0) << "exists already";
    EXPECT_EQ(flag, kUntouched);

    sim::LimitServiceManagerAccess(SC_MANAGER_CONNECT);
    EXPECT_EQ(CreateAndStartService("usbhub", NULL, NULL, &flag), 0);
    EXPECT_EQ(flag, kUntouched);
    EXPECT_FALSE(sim::FindService("usbhub"));
    ExpectNoHandleLeft();
}

TEST_F(KernelServices, StopAndDeleteServiceOutcomes)
{
    EXPECT_EQ(StopAndDeleteService("tvusbnt"), 1) << "no such service";

    RunningParallelService();
    sim::BindDevice("TAVRELNT", "TAVRELNT");
    EXPECT_EQ(StopAndDeleteService("TAVRELNT"), 1);
    EXPECT_FALSE(sim::FindService("TAVRELNT"));
    EXPECT_FALSE(sim::DeviceExists("TAVRELNT"));

    RunningParallelService();
    sim::SetRefusesStop("TAVRELNT");
    EXPECT_EQ(StopAndDeleteService("TAVRELNT"), 1) << "a refused stop is ignored";
    EXPECT_TRUE(sim::FindService("TAVRELNT")->markedForDeletion);

    sim::FailOnce("OpenServiceA", ERROR_ACCESS_DENIED, "usbhub");
    EXPECT_EQ(StopAndDeleteService("usbhub"), 0);
    sim::LimitServiceManagerAccess(SC_MANAGER_CONNECT);
    EXPECT_EQ(StopAndDeleteService("tvusbnt"), 0);
    ExpectNoHandleLeft();
}

TEST_F(KernelServices, RemoveServiceAndDevicesMatchesTheServiceExactly)
{
    ASSERT_EQ(BindSetupApi(), 1);
    sim::DeviceNode node;
    node.hardwareIds = {"TavrelBus\\Tavrel"};
    node.className = "USB";
    node.classGuid = sim::kUsbClassGuid;
    node.service = "TAVRELNT";
    const std::string exact = sim::AddDeviceNode(node);
    node.service = "tavrelnt";
    node.hardwareIds = {"TavrelBus\\Other"};
    const std::string otherCase = sim::AddDeviceNode(node);
    node.service = "";
    node.hardwareIds = {"ROOT\\NOSERVICE"};
    const std::string noService = sim::AddDeviceNode(node);
    RunningParallelService();

    EXPECT_EQ(RemoveServiceAndDevices("TAVRELNT"), 1) << sim::JournalText();
    EXPECT_FALSE(sim::FindDeviceNode(exact));
    EXPECT_TRUE(sim::FindDeviceNode(otherCase));
    EXPECT_TRUE(sim::FindDeviceNode(noService));
    EXPECT_FALSE(sim::FindService("TAVRELNT"));
    EXPECT_EQ(sim::Calls("SetupDiGetClassDevsA").at(0).args.back(), "0x4");
    EXPECT_EQ(sim::OpenDeviceInfoSetCount(), 0u);
    ReleaseSetupApi();
    ExpectNoHandleLeft();
}

TEST_F(KernelServices, RemoveServiceAndDevicesFailures)
{
    ASSERT_EQ(BindSetupApi(), 1);
    sim::DeviceNode node;
    node.hardwareIds = {"TavrelBus\\Tavrel"};
    node.service = "TAVRELNT";
    const std::string first = sim::AddDeviceNode(node);
    node.hardwareIds = {"TavrelBus\\Second"};
    const std::string second = sim::AddDeviceNode(node);
    RunningParallelService();

    sim::FailOnce("SetupDiGetClassDevsA", ERROR_NOT_ENOUGH_MEMORY);
    EXPECT_EQ(RemoveServiceAndDevices("TAVRELNT"), 0);
    EXPECT_TRUE(sim::FindService("TAVRELNT")) << "left alone without a device list";

    sim::FailOnce("SetupDiCallClassInstaller", ERROR_ACCESS_DENIED, "0x5");
    EXPECT_EQ(RemoveServiceAndDevices("TAVRELNT"), 0);
    EXPECT_EQ(static_cast<bool>(sim::FindDeviceNode(first)) + static_cast<bool>(sim::FindDeviceNode(second)), 1)
        << "the walk goes on after a failed removal";
    EXPECT_FALSE(sim::FindService("TAVRELNT")) << "the service is still removed";

    RunningParallelService();
    sim::LimitServiceManagerAccess(SC_MANAGER_CONNECT);
    EXPECT_EQ(RemoveServiceAndDevices("TAVRELNT"), 0);
    EXPECT_EQ(sim::OpenDeviceInfoSetCount(), 0u);
    ReleaseSetupApi();
    ExpectNoHandleLeft();
}

}  // namespace
