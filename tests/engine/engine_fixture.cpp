#include "engine_fixture.h"

#include <cstdio>

#include "engine_exports.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved);

static const char kEnginePath[] = "C:\\WINDOWS\\system32\\InstDll.dll";

const sim::Image& EngineTest::EngineImage()
{
    static sim::Image image = [] {
        sim::Image engine;
        engine.name = "InstDll";
        std::string error;
        if (!sim::LoadRcScript(engine, TAVREL_SOURCE_DIR "/engine/engine.rc", &error))
            ADD_FAILURE() << error;
        if (!sim::LoadRcScript(engine, TAVREL_PAYLOAD_RC_PATH, &error))
            ADD_FAILURE() << error;
        engine.Export("Tv4Setup", &Tv4Setup)
            .Export("Tv4ParseCmdLine", &Tv4ParseCmdLine)
            .Export("Tv4IsHaveInstall", &Tv4IsHaveInstall)
            .Export("Tv4GetVersion", &Tv4GetVersion)
            .Export("WinGetVersion", &WinGetVersion)
            .Export("ReBoot", &ReBoot)
            .Export("Is64Process", &Is64Process)
            .Export("InstTavrel", &InstTavrel)
            .Export("Foo", &Foo)
            .Export("IsNeedRestart", &IsNeedRestart)
            .Export("RegSearch", &RegSearch);
        // Stands for the library's static construction followed by its entry routine.
        engine.onLoad = [](HMODULE module) {
            EngineSettings = EngineSettingsRecord();
            SystemServices = SystemServicesRecord();
            InstallEngine = InstallEngineRecord();
            NeedRestart = 0;
            return DllMain(module, DLL_PROCESS_ATTACH, NULL);
        };
        engine.onUnload = [](HMODULE module) { DllMain(module, DLL_PROCESS_DETACH, NULL); };
        return engine;
    }();
    return image;
}

std::vector<const sim::Resource*> EngineTest::PayloadResources()
{
    std::vector<const sim::Resource*> payload;
    for (const sim::Resource& resource : EngineImage().resources)
        if (resource.type == "RESFILE")
            payload.push_back(&resource);
    return payload;
}

void EngineTest::Boot(sim::Os os, LCID lcid)
{
    sim::Profile profile = sim::ProfileFor(os);
    profile.lcid = lcid;
    Boot(profile);
}

void EngineTest::Boot(const sim::Profile& profile)
{
    engine_ = NULL;
    sim::Reset(profile);
    sim::RegisterImage(EngineImage());
    sim::InstallImage(kEnginePath, "InstDll");
    engine_ = LoadLibraryExA(kEnginePath, NULL, LOAD_WITH_ALTERED_SEARCH_PATH);
    ASSERT_NE(engine_, nullptr) << sim::JournalText();
    ASSERT_EQ(EngineSettings.Module, engine_);
}

void EngineTest::Unload()
{
    if (engine_ != NULL)
        FreeLibrary(engine_);
    engine_ = NULL;
}

void EngineTest::TearDown()
{
    Unload();
    EXPECT_TRUE(sim::UnexpectedMessageBoxes().empty())
        << ::testing::PrintToString(sim::UnexpectedMessageBoxes());
    EXPECT_TRUE(sim::Leaks().empty()) << ::testing::PrintToString(sim::Leaks());
}

std::vector<std::string> EngineTest::Boxes()
{
    std::vector<std::string> boxes;
    for (const sim::MessageBoxRecord& box : sim::MessageBoxes())
        boxes.push_back(box.caption + " | " + box.text);
    return boxes;
}

int ExpectedOsClass(sim::Os os)
{
    switch (os) {
    case sim::Os::Win95: return OS_WIN95;
    case sim::Os::Win98:
    case sim::Os::Win98SE: return OS_WIN98;
    case sim::Os::WinME: return OS_WINME;
    case sim::Os::NT4: return OS_NT4;
    case sim::Os::Win2000: return OS_WIN2000;
    case sim::Os::WinXP: return OS_WINXP;
    case sim::Os::WinXP64:
    case sim::Os::Server2003: return OS_WIN2003;
    case sim::Os::Vista:
    case sim::Os::Win61: return OS_VISTA;
    default: return OS_UNSUPPORTED;
    }
}

std::vector<sim::Os> SupportedOs()
{
    std::vector<sim::Os> supported;
    for (sim::Os os : sim::AllOs())
        if (ExpectedOsClass(os) != OS_UNSUPPORTED)
            supported.push_back(os);
    return supported;
}

std::string Hex(DWORD value)
{
    char text[16];
    std::snprintf(text, sizeof text, "0x%X", static_cast<unsigned>(value));
    return text;
}
