// Removal on Windows 2000 and later: forced deletion of a registry tree whose keys refuse access.
#include <cctype>

#include "engine_fixture.h"
#include "nt_removal.h"

namespace {

const char kTreePath[] = "System\\CurrentControlSet\\Enum\\Root\\USB";
const std::string kTree = "HKLM\\System\\CurrentControlSet\\Enum\\Root\\USB";
const std::string kNeighbour = "HKLM\\System\\CurrentControlSet\\Enum\\Root\\LEGACY_TAVRELNT\\0000";

// Two root devices, as two installations leave them, each with the subkeys Windows adds.
void PutRootDevices()
{
    for (const char* instance : {"\\0000", "\\0001"}) {
        sim::SetString(kTree + instance, "HardwareID", "TavrelBus\\Tavrel", REG_MULTI_SZ);
        sim::CreateKey(kTree + instance + "\\Control");
        sim::CreateKey(kTree + instance + "\\LogConf");
        sim::CreateKey(kTree + instance + "\\Device Parameters\\Deep");
    }
    sim::CreateKey(kNeighbour);
}

std::string Upper(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

// Position of a key's NULL-DACL change, or -1.
long SecurityChangeIndex(const std::string& path)
{
    const std::vector<sim::KeySecurityChange>& changes = sim::KeySecurityChanges();
    for (size_t i = 0; i < changes.size(); ++i)
        if (Upper(changes[i].path) == Upper(path))
            return static_cast<long>(i);
    return -1;
}

}  // namespace

TEST_F(EngineTest, ForcedTreeDeletionOpensUpEveryKeyChildrenFirstThenDeletesTheTree)
{
    const REGSAM enumerableButNotDeletable = KEY_READ | WRITE_DAC;
    const struct {
        const char* name;
        std::vector<std::pair<std::string, REGSAM>> refusals;
        std::string openedUpBeforeItsChildren;  // a key that refuses enumeration but allows a DACL change
    } rows[] = {
        {"nothing refused", {}, ""},
        {"instances refuse deletion",
         {{kTree + "\\0000", enumerableButNotDeletable},
          {kTree + "\\0001\\Device Parameters\\Deep", enumerableButNotDeletable}},
         ""},
        {"tree root refuses deletion", {{kTree, enumerableButNotDeletable}}, ""},
        {"instance refuses enumeration", {{kTree + "\\0001", WRITE_DAC}}, kTree + "\\0001"},
        {"tree root refuses reading", {{kTree, WRITE_DAC}}, kTree},
    };
    for (const auto& row : rows) {
        Boot(sim::Os::WinXP);
        PutRootDevices();
        for (const auto& refusal : row.refusals)
            sim::DenyKeyAccess(refusal.first, refusal.second);

        EXPECT_EQ(DeleteKeyTreeForced(kTreePath), 1) << row.name;

        EXPECT_FALSE(sim::KeyExists(kTree)) << row.name << "\n" << sim::JournalText();
        EXPECT_TRUE(sim::KeyExists(kNeighbour)) << row.name;
        EXPECT_EQ(sim::OpenKeyCount(), 0u) << row.name;
        // Every key of the tree got a NULL DACL, and, where its children could be listed, after them.
        const std::vector<std::string> keys = {kTree,
                                               kTree + "\\0000",
                                               kTree + "\\0000\\Control",
                                               kTree + "\\0000\\Device Parameters",
                                               kTree + "\\0000\\Device Parameters\\Deep",
                                               kTree + "\\0001",
                                               kTree + "\\0001\\LogConf",
                                               kTree + "\\0001\\Device Parameters\\Deep"};
        for (const std::string& key : keys) {
            const long index = SecurityChangeIndex(key);
            ASSERT_GE(index, 0) << row.name << ": " << key;
            const sim::KeySecurityChange& change = sim::KeySecurityChanges()[index];
            EXPECT_EQ(change.info, static_cast<SECURITY_INFORMATION>(DACL_SECURITY_INFORMATION)) << key;
            EXPECT_TRUE(change.daclPresent && change.nullDacl) << row.name << ": " << key;
        }
        for (const auto& [child, parent] : std::vector<std::pair<std::string, std::string>>{
                 {kTree + "\\0000", kTree},
                 {kTree + "\\0000\\Device Parameters\\Deep", kTree + "\\0000\\Device Parameters"},
                 {kTree + "\\0001\\LogConf", kTree + "\\0001"}}) {
            if (parent == row.openedUpBeforeItsChildren) {
                EXPECT_GT(SecurityChangeIndex(child), SecurityChangeIndex(parent)) << row.name << ": " << child;
            } else {
                EXPECT_LT(SecurityChangeIndex(child), SecurityChangeIndex(parent)) << row.name << ": " << child;
            }
        }
        EXPECT_EQ(sim::KeySecurityChanges().size(), 11u) << row.name << ": each key once";
    }
}

TEST_F(EngineTest, ForcedTreeDeletionLeavesWhatItCannotOpenUp)
{
    PutRootDevices();
    // Neither enumeration nor a DACL change: this part survives, the rest of the tree goes.
    sim::DenyKeyAccess(kTree + "\\0001", KEY_QUERY_VALUE);

    EXPECT_EQ(OpenKeyTreeSecurity(HKEY_LOCAL_MACHINE, (std::string(kTreePath) + "\\0001").c_str()), 0);
    EXPECT_EQ(DeleteKeyTreeForced(kTreePath), 1);

    EXPECT_TRUE(sim::KeyExists(kTree + "\\0001"));
    EXPECT_LT(SecurityChangeIndex(kTree + "\\0001"), 0);
    EXPECT_LT(SecurityChangeIndex(kTree + "\\0001\\Control"), 0);
    EXPECT_GE(SecurityChangeIndex(kTree + "\\0000"), 0);
    EXPECT_EQ(sim::CountCalls("SHDeleteKeyA"), 1u);
    EXPECT_EQ(sim::OpenKeyCount(), 0u);
}

TEST_F(EngineTest, ForcedTreeDeletionGoesOnAfterARefusedSecurityChange)
{
    // 0000 refuses deletion until it is opened up; the faults hit other keys or the first change made.
    const struct {
        const char* name;
        const char* function;
        std::string argument;
        int times;
        bool treeGone;
    } rows[] = {
        {"first descriptor not initialised", "InitializeSecurityDescriptor", "", 1, true},
        {"first DACL not set", "SetSecurityDescriptorDacl", "", 1, true},
        {"another instance refuses the change", "RegSetKeySecurity", kTree + "\\0001", 1, true},
        {"the refusing instance refuses the change", "RegSetKeySecurity", kTree + "\\0000", -1, false},
    };
    for (const auto& row : rows) {
        Boot(sim::Os::WinXP);
        PutRootDevices();
        sim::DenyKeyAccess(kTree + "\\0000", KEY_READ | WRITE_DAC);
        sim::InjectFault({row.function, row.argument, ERROR_ACCESS_DENIED, row.times});

        EXPECT_EQ(DeleteKeyTreeForced(kTreePath), 1) << row.name;

        EXPECT_EQ(sim::KeyExists(kTree), !row.treeGone) << row.name << "\n" << sim::JournalText();
        EXPECT_TRUE(sim::KeyExists(kTree + "\\0000") || row.treeGone) << row.name;
        EXPECT_EQ(sim::CountCalls("SHDeleteKeyA", kTree), 1u) << row.name;
        EXPECT_EQ(sim::OpenKeyCount(), 0u) << row.name;
    }
}

TEST_F(EngineTest, ForcedTreeDeletionOfAMissingTreeDoesNothing)
{
    sim::CreateKey(kNeighbour);
    EXPECT_EQ(DeleteKeyTreeForced(kTreePath), 1);
    EXPECT_EQ(OpenKeyTreeSecurity(HKEY_LOCAL_MACHINE, kTreePath), 0);
    EXPECT_TRUE(sim::KeySecurityChanges().empty());
    EXPECT_EQ(sim::CountCalls("SHDeleteKeyA"), 0u);
    EXPECT_TRUE(sim::KeyExists(kNeighbour));
    EXPECT_EQ(ResetKeySecurity(HKEY_LOCAL_MACHINE, kTreePath), 0);
}
