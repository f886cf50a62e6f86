// Removal on Windows 2000 and later: copies of our INF files in the system's INF store.
#include <fstream>
#include <iterator>

#include "engine_fixture.h"
#include "nt_removal.h"

namespace {

const std::string kInf = "C:\\WINDOWS\\inf\\";

std::string PayloadInf(const char* name)
{
    std::ifstream in(std::string(TAVREL_SOURCE_DIR "/payload/inf/") + name, std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_FALSE(text.empty()) << name;
    return text;
}

std::string Strings(const std::string& lines)
{
    return "[Version]\r\nSignature=\"$WINDOWS NT$\"\r\n\r\n[Strings]\r\n" + lines;
}

struct StoreCopy {
    const char* name;
    int number;
    std::string text;
    DWORD attributes;
    bool removed;
};

std::string OemPath(int number, const char* extension)
{
    return kInf + "oem" + std::to_string(number) + "." + extension;
}

void PutStoreCopies(const std::vector<StoreCopy>& copies)
{
    for (const StoreCopy& copy : copies) {
        sim::PutFile(OemPath(copy.number, "inf"), copy.text, copy.attributes);
        sim::PutFile(OemPath(copy.number, "pnf"), "precompiled", FILE_ATTRIBUTE_NORMAL);
    }
}

}  // namespace

TEST_F(EngineTest, InfStoreScanDeletesOurCopiesWithTheirPrecompiledFiles)
{
    const std::vector<StoreCopy> copies = {
        {"the package INF", 7, PayloadInf("TAVREL4.INF"), FILE_ATTRIBUTE_NORMAL, true},
        {"the Vista package INF", 2, PayloadInf("VIS_TAVREL4.INF"), FILE_ATTRIBUTE_NORMAL, true},
        {"the Windows 98 INF", 5, PayloadInf("TAVREL98.INF"), FILE_ATTRIBUTE_NORMAL, true},
        {"the carried class INF (provider OEM)", 3, PayloadInf("TAVRUSB.INF"), FILE_ATTRIBUTE_NORMAL, false},
        {"class INF of our provider", 9, Strings("MSFT=\"^-^ Orvanta Corp.\"\r\n"), FILE_ATTRIBUTE_NORMAL, true},
        {"provider unquoted, names in other case", 10, "[strings]\r\nmsft=^-^ Orvanta Corp\r\n",
         FILE_ATTRIBUTE_NORMAL, true},
        {"description in lower case", 11, Strings("Tavrel.DeviceDesc=\"orvanta tavrel4\"\r\n"),
         FILE_ATTRIBUTE_NORMAL, false},
        {"description in upper case", 12, Strings("Tavrel.DeviceDesc=\"ORVANTA TAVREL4\"\r\n"),
         FILE_ATTRIBUTE_NORMAL, false},
        {"description shorter than ours", 13, Strings("Tavrel.DeviceDesc=\"Orvanta TAVREL\"\r\n"),
         FILE_ATTRIBUTE_NORMAL, false},
        {"our text not at the start", 14, Strings("Tavrel.DeviceDesc=\"The Orvanta TAVREL4\"\r\n"),
         FILE_ATTRIBUTE_NORMAL, false},
        {"our text under another key", 15, Strings("Other.DeviceDesc=\"Orvanta TAVREL4\"\r\n"),
         FILE_ATTRIBUTE_NORMAL, false},
        {"our text in another section",
         16, "[Version]\r\nTavrel.DeviceDesc=\"Orvanta TAVREL4\"\r\n[Strings]\r\nMSFT=\"Someone\"\r\n",
         FILE_ATTRIBUTE_NORMAL, false},
        {"provider string of another vendor", 17, Strings("MSFT=\"Microsoft\"\r\n"), FILE_ATTRIBUTE_NORMAL, false},
        {"read-only copy (no attribute reset)", 20, Strings("Tavrel.DeviceDesc=\"Orvanta TAVREL4\"\r\n"),
         FILE_ATTRIBUTE_READONLY, false},
        {"last number scanned", 63, PayloadInf("TAVREL4.INF"), FILE_ATTRIBUTE_NORMAL, true},
        {"first number not scanned", 64, PayloadInf("TAVREL4.INF"), FILE_ATTRIBUTE_NORMAL, false},
        {"first number", 0, Strings("MSFT=\"^-^ Orvanta Corp\"\r\n"), FILE_ATTRIBUTE_NORMAL, true},
    };
    PutStoreCopies(copies);

    EXPECT_EQ(DeleteNtDriverFiles(), 1);

    for (const StoreCopy& copy : copies) {
        EXPECT_EQ(sim::FileExists(OemPath(copy.number, "inf")), !copy.removed) << copy.name;
        if (copy.removed) {
            EXPECT_FALSE(sim::FileExists(OemPath(copy.number, "pnf"))) << copy.name;
        } else if (copy.attributes == FILE_ATTRIBUTE_NORMAL) {
            EXPECT_TRUE(sim::FileExists(OemPath(copy.number, "pnf"))) << copy.name;
        }
    }
    EXPECT_TRUE(sim::MessageBoxes().empty());
    EXPECT_EQ(sim::OpenFileCount() + sim::OpenKeyCount(), 0u);
}

TEST_F(EngineTest, InfStoreScanLooksOnlyAtTheNumbersAndTextItIsGiven)
{
    const std::string ours = Strings("Tavrel.DeviceDesc=\"Orvanta TAVREL4\"\r\nMSFT=\"\"\r\n");
    const struct {
        const char* name;
        const char* expectedText;
        int count;
        std::vector<int> removed;
    } rows[] = {
        {"first eight", "Orvanta TAVREL4", 8, {0, 7}},
        {"no count", "Orvanta TAVREL4", 0, {}},
        {"negative count", "Orvanta TAVREL4", -5, {}},
        // an empty prefix begins every value: it must not turn the scan into "delete the whole store"
        {"empty text", "", 64, {}},
        {"no text", nullptr, 64, {}},
    };
    for (const auto& row : rows) {
        Boot(sim::Os::WinXP);
        std::vector<StoreCopy> copies;
        for (int number : {0, 7, 8, 30})
            copies.push_back({"ours", number, ours, FILE_ATTRIBUTE_NORMAL, false});
        copies.push_back({"another vendor", 40, Strings("MSFT=\"Microsoft\"\r\n"), FILE_ATTRIBUTE_NORMAL, false});
        PutStoreCopies(copies);

        EXPECT_EQ(RemoveOemInfCopies("Strings", row.expectedText, "Tavrel.DeviceDesc", row.count), 1) << row.name;

        for (const StoreCopy& copy : copies) {
            const bool removed =
                std::find(row.removed.begin(), row.removed.end(), copy.number) != row.removed.end();
            EXPECT_EQ(sim::FileExists(OemPath(copy.number, "inf")), !removed) << row.name << ": oem" << copy.number;
            EXPECT_EQ(sim::FileExists(OemPath(copy.number, "pnf")), !removed) << row.name << ": oem" << copy.number;
        }
    }
}
