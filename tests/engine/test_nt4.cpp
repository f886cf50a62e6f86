// Windows NT 4.0: the parallel-port service and the private USB stack.
#include <simwin/sim_services.h>

#include <functional>

#include "command_line.h"
#include "engine_fixture.h"
#include "nt4_deploy.h"
#include "system_paths.h"

namespace {

const char* const kStack[] = {"usbhcd", "usbhub", "tvusbnt"};
const char kServices[] = "HKLM\\System\\CurrentControlSet\\Services\\";

class Nt4 : public EngineTest {
protected:
    void SetUp() override { BootNt4(); }
    void BootNt4()
    {
        Boot(sim::Os::NT4);
        sim::SetDefaultMessageBoxAnswer(IDOK);
        char system32[255];
        ASSERT_EQ(GetSystem32Path(system32, sizeof system32), 1);
        system32_ = system32;
    }
    void Parse(const char* commandLine)
    {
        DWORD flags = 0;
        ASSERT_EQ(ParseCommandLine(commandLine, &flags), PARSE_ACCEPTED);
    }
    std::string Driver(const std::string& name) const { return system32_ + "\\drivers\\" + name; }
    // An earlier installation of the whole stack, running.
    void InstalledStack(bool refusesStop = false) const
    {
        for (const char* name : kStack) {
            sim::PutFile(Driver(std::string(name) + ".sys"), "old");
            sim::ServiceState service;
            service.name = service.displayName = name;
            service.start = SERVICE_AUTO_START;
            service.imagePath = Driver(std::string(name) + ".sys");
            service.running = true;
            sim::AddService(service);
            sim::SetRefusesStop(name, refusesStop);
        }
    }
    std::vector<std::string> CreatedServices() const
    {
        std::vector<std::string> names;
        for (const sim::Call& call : sim::Calls("CreateServiceA"))
            names.push_back(call.args.at(1));
        return names;
    }
    static void ExpectNoHandleLeft()
    {
        for (const std::string& leak : sim::Leaks())
            EXPECT_EQ(leak.rfind("loaded module", 0), 0u) << leak;
    }
    std::string system32_;
};

TEST_F(Nt4, InstallationCreatesTheParallelServiceAndTheUsbStack)
{
    sim::BindDevice("TAVRELNT", "TAVRELNT");
    BYTE flag = 0;
    ASSERT_EQ(InstallNt4(&flag), 1) << sim::JournalText();
    EXPECT_EQ(flag, 0);
    EXPECT_EQ(CreatedServices(), (std::vector<std::string>{"TAVRELNT", "usbhcd", "usbhub", "tvusbnt"}));
    for (const char* name : kStack) {
        std::optional<sim::ServiceState> service = sim::FindService(name);
        ASSERT_TRUE(service) << name;
        EXPECT_EQ(service->displayName, name);
        EXPECT_EQ(service->imagePath, Driver(std::string(name) + ".sys")) << name;
        EXPECT_EQ(service->type, static_cast<DWORD>(SERVICE_KERNEL_DRIVER)) << name;
        EXPECT_EQ(service->start, static_cast<DWORD>(SERVICE_AUTO_START)) << name;
        EXPECT_EQ(service->errorControl, static_cast<DWORD>(SERVICE_ERROR_NORMAL)) << name;
        EXPECT_TRUE(service->running) << name;
        EXPECT_TRUE(sim::FileExists(Driver(std::string(name) + ".sys"))) << name;
    }
    EXPECT_EQ(sim::FindService("usbhcd")->group, "Extended base");
    EXPECT_FALSE(sim::FindService("usbhub")->group);
    EXPECT_FALSE(sim::FindService("tvusbnt")->group);
    EXPECT_TRUE(sim::FindService("TAVRELNT")->running);
    EXPECT_TRUE(sim::FileExists(system32_ + "\\TavrVdd.dll"));
    EXPECT_TRUE(sim::MessageBoxes().empty());
    ExpectNoHandleLeft();
}

TEST_F(Nt4, RestartFlagAfterInstallation)
{
    const struct {
        const char* name;
        const char* commandLine;
        std::function<void()> arrange;
        bool deviceAnswers;
        BYTE flag;
        std::vector<std::string> created;
    } rows[] = {
        {"everything starts", "/i", [] {}, true, 0, {"TAVRELNT", "usbhcd", "usbhub", "tvusbnt"}},
        {"tvusbnt does not start", "/i", [] { sim::SetStartFailure("tvusbnt", ERROR_GEN_FAILURE); }, true, 1,
         {"TAVRELNT", "usbhcd", "usbhub", "tvusbnt"}},
        {"usbhcd does not start", "/i", [] { sim::SetStartFailure("usbhcd", ERROR_GEN_FAILURE); }, true, 1,
         {"TAVRELNT", "usbhcd", "usbhub", "tvusbnt"}},
        {"parallel device silent", "/i", [] {}, false, 1, {"TAVRELNT", "usbhcd", "usbhub", "tvusbnt"}},
        {"TAVRELNT does not start", "/i", [] { sim::SetStartFailure("TAVRELNT", ERROR_GEN_FAILURE); }, true, 1,
         {"TAVRELNT", "usbhcd", "usbhub", "tvusbnt"}},
        {"parallel only", "/P1 /i", [] {}, true, 0, {"TAVRELNT"}},
        {"parallel only, device silent", "/P1 /i", [] {}, false, 1, {"TAVRELNT"}},
    };
    for (const auto& row : rows) {
        BootNt4();
        Parse(row.commandLine);
        if (row.deviceAnswers)
            sim::BindDevice("TAVRELNT", "TAVRELNT");
        row.arrange();
        BYTE flag = 0;
        ASSERT_EQ(InstallNt4(&flag), 1) << row.name << "\n" << sim::JournalText();
        EXPECT_EQ(flag, row.flag) << row.name;
        EXPECT_EQ(CreatedServices(), row.created) << row.name;
        if (row.created.size() == 1) {
            for (const char* name : kStack)
                EXPECT_EQ(sim::CountCalls("OpenServiceA", name), 0u) << row.name << ": " << name << " left alone";
        }
        ExpectNoHandleLeft();
    }
}

TEST_F(Nt4, AnExistingStackIsReplacedOneStepAtATime)
{
    InstalledStack();
    sim::BindDevice("TAVRELNT", "TAVRELNT");
    BYTE flag = 0;
    ASSERT_EQ(InstallNt4(&flag), 1) << sim::JournalText();
    EXPECT_EQ(flag, 0);
    long lastDelete = -1;
    for (const char* name : kStack) {
        const std::string file = Driver(std::string(name) + ".sys");
        const long deleted = sim::FindCall("DeleteService", name);
        const long fileDeleted = sim::FindCall("DeleteFileA", file);
        const long written = sim::FindCall("CreateFileA", file);
        const long created = sim::FindCall("CreateServiceA", name);
        ASSERT_GE(deleted, 0) << name;
        EXPECT_GT(deleted, lastDelete) << name << ": old services go in stack order";
        lastDelete = deleted;
        EXPECT_LT(deleted, fileDeleted) << name;
        EXPECT_LT(fileDeleted, written) << name;
        EXPECT_LT(written, created) << name;
        EXPECT_NE(sim::FileContent(file), "old") << name;
    }
    EXPECT_LT(sim::FindCall("DeleteService", "tvusbnt"), sim::FindCall("DeleteFileA", Driver("usbhcd.sys")))
        << "every old service is removed before any file";
    ExpectNoHandleLeft();
}

TEST_F(Nt4, InstallationFailures)
{
    {
        SCOPED_TRACE("usbhub cannot be opened");
        InstalledStack();
        sim::BindDevice("TAVRELNT", "TAVRELNT");
        sim::FailOnce("OpenServiceA", ERROR_ACCESS_DENIED, "usbhub");
        BYTE flag = 0;
        EXPECT_EQ(InstallNt4(&flag), 0);
        EXPECT_FALSE(sim::FindService("usbhcd")) << "stopped and deleted before the failure";
        EXPECT_EQ(sim::CountCalls("OpenServiceA", "tvusbnt"), 0u);
        EXPECT_TRUE(sim::FindService("tvusbnt")->running);
        EXPECT_EQ(sim::CountCalls("DeleteFileA"), 0u);
        EXPECT_EQ(CreatedServices(), std::vector<std::string>{"TAVRELNT"});
        EXPECT_TRUE(sim::FindService("TAVRELNT")->running);
        ExpectNoHandleLeft();
    }
    {
        SCOPED_TRACE("old USB drivers stay loaded; a flag already set stays set");
        BootNt4();
        InstalledStack(true);
        BYTE flag = 0;  // no device bound: the parallel half asks for a restart
        EXPECT_EQ(InstallNt4(&flag), 0);
        EXPECT_EQ(flag, 1);
        EXPECT_EQ(CreatedServices(), (std::vector<std::string>{"TAVRELNT", "usbhcd"}));
        EXPECT_EQ(sim::Calls("CreateServiceA").back().lastError, static_cast<DWORD>(ERROR_SERVICE_MARKED_FOR_DELETE));
        ExpectNoHandleLeft();
    }
    {
        SCOPED_TRACE("parallel half fails: the USB stack is not touched");
        BootNt4();
        InstalledStack();
        sim::FailAlways("CreateFileA", ERROR_ACCESS_DENIED, system32_ + "\\TavrVdd.dll");
        sim::ExpectMessageBox(IDOK, "TavrVdd.dll");
        BYTE flag = 0;
        EXPECT_EQ(InstallNt4(&flag), 0);
        for (const char* name : kStack)
            EXPECT_EQ(sim::CountCalls("OpenServiceA", name), 0u) << name;
        EXPECT_EQ(Boxes().size(), 1u);
        EXPECT_TRUE(sim::UnexpectedMessageBoxes().empty());
    }
    {
        SCOPED_TRACE("a USB driver file cannot be written: the service is still created");
        BootNt4();
        sim::BindDevice("TAVRELNT", "TAVRELNT");
        sim::FailAlways("CreateFileA", ERROR_DISK_FULL, Driver("usbhub.sys"));
        sim::ExpectMessageBox(IDOK, "usbhub.sys");
        BYTE flag = 0;
        EXPECT_EQ(InstallNt4(&flag), 1);
        EXPECT_EQ(flag, 1) << "usbhub cannot start without its file";
        EXPECT_EQ(CreatedServices(), (std::vector<std::string>{"TAVRELNT", "usbhcd", "usbhub", "tvusbnt"}));
        EXPECT_EQ(sim::FindService("usbhub")->imagePath, Driver("usbhub.sys"));
        EXPECT_EQ(Boxes().size(), 1u);
        EXPECT_TRUE(sim::UnexpectedMessageBoxes().empty());
    }
}

TEST_F(Nt4, RemovalLeavesNoServiceKeyFileOrService)
{
    const struct {
        const char* name;
        bool installed;
        bool driversRefuseToStop;
    } rows[] = {
        {"nothing installed", false, false},
        {"installed, drivers stop", true, false},
        {"installed, drivers stay loaded", true, true},
    };
    const char* const all[] = {"TAVRELNT", "tvusbnt", "usbhub", "usbhcd"};
    for (const auto& row : rows) {
        BootNt4();
        if (row.installed) {
            sim::BindDevice("TAVRELNT", "TAVRELNT");
            BYTE flag = 0;
            ASSERT_EQ(InstallNt4(&flag), 1) << row.name;
            for (const char* name : all)
                sim::SetRefusesStop(name, row.driversRefuseToStop);
            sim::SetAttributes(Driver("usbhub.sys"), FILE_ATTRIBUTE_READONLY);
            sim::ClearJournal();
        }
        BYTE flag = 5;
        EXPECT_EQ(RemoveNt4(&flag), 1) << row.name;
        EXPECT_EQ(flag, 5) << row.name << ": the orchestration asks for the restart";
        for (const char* name : all) {
            EXPECT_FALSE(sim::KeyExists(std::string(kServices) + name)) << row.name << ": " << name;
            std::optional<sim::ServiceState> service = sim::FindService(name);
            EXPECT_TRUE(!service || service->markedForDeletion) << row.name << ": " << name;
        }
        for (const std::string& file :
             {system32_ + "\\TavrVdd.dll", Driver("Tavrelnt.sys"), Driver("tvusbnt.sys"), Driver("usbhub.sys"),
              Driver("usbhcd.sys")})
            EXPECT_FALSE(sim::FileExists(file)) << row.name << ": " << file;
        std::vector<std::string> stopped;
        for (const sim::Call& call : sim::Calls("OpenServiceA"))
            stopped.push_back(call.args.at(1));
        EXPECT_EQ(stopped, std::vector<std::string>(std::begin(all), std::end(all))) << row.name;
        ExpectNoHandleLeft();
        sim::Restart();
        EXPECT_TRUE(sim::ServiceNames().empty()) << row.name << ": the restart completes the removal";
    }
}

TEST_F(Nt4, DriverFilesAreDeletedInOrderWhateverTheirAttributes)
{
    const std::vector<std::string> files = {system32_ + "\\TavrVdd.dll", Driver("TavrelNt.sys"),
                                            Driver("tvusbnt.sys"), Driver("usbhub.sys"), Driver("usbhcd.sys")};
    for (const std::string& file : files)
        sim::PutFile(file, "x", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
    sim::PutFile(Driver("keep.sys"), "x");
    EXPECT_EQ(DeleteNt4DriverFiles(), 1);
    std::vector<std::string> deleted;
    for (const sim::Call& call : sim::Calls("DeleteFileA"))
        deleted.push_back(call.args.at(0));
    EXPECT_EQ(deleted, files);
    for (const std::string& file : files)
        EXPECT_FALSE(sim::FileExists(file)) << file;
    EXPECT_TRUE(sim::FileExists(Driver("keep.sys")));
    EXPECT_EQ(DeleteNt4DriverFiles(), 1) << "nothing left to delete";
}

}  // namespace
