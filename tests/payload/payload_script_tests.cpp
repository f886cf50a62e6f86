// The generated resource script of the payload (native flavour): what the simulated engine
// module carries.
#include <gtest/gtest.h>

#include <cctype>
#include <fstream>
#include <map>
#include <regex>
#include <set>

#include "inf_reader.h"

namespace {

enum class Kind { Inf, Placeholder, StandIn };

const std::map<std::string, Kind> kPayload = {
    {"TAVREL9X.VXD", Kind::Placeholder}, {"TAVRUSB.SYS", Kind::StandIn},        {"TAVRUSB.INF", Kind::Inf},
    {"TAVRELNT.SYS", Kind::StandIn},     {"TAVRVDD.DLL", Kind::StandIn},        {"USBHCD.SYS", Kind::StandIn},
    {"USBHUB.SYS", Kind::StandIn},       {"TVUSBNT.SYS", Kind::StandIn},        {"TAVREL4.SYS", Kind::StandIn},
    {"TAVREL4USB.SYS", Kind::StandIn},   {"TL4COINST.DLL", Kind::StandIn},      {"TAVREL4.INF", Kind::Inf},
    {"TAVREL4.CAT", Kind::Placeholder},  {"VIS_TAVREL4.SYS", Kind::StandIn},    {"VIS_TAVREL4USB.SYS", Kind::StandIn},
    {"VIS_TL4COINST.DLL", Kind::StandIn}, {"VIS_TAVREL4.INF", Kind::Inf},       {"VIS_TAVREL4.CAT", Kind::Placeholder},
    {"TL4USB98.SYS", Kind::Placeholder}, {"TL4_98.SYS", Kind::Placeholder},     {"TAVREL98.INF", Kind::Inf}};

struct Script {
  std::string language;                   // the LANGUAGE statement before the first entry
  std::vector<std::string> names;         // in script order
  std::map<std::string, std::string> paths;
  std::vector<std::string> unparsed;      // lines that are neither comment, language nor entry
};

Script ReadScript() {
  Script script;
  std::ifstream in(TAVREL_PAYLOAD_RC_PATH);
  const std::regex entry(R"re(^(\S+) RESFILE "([^"]+)"$)re"), language(R"(^LANGUAGE\s+(\d+)\s*,\s*(\d+)\b.*)");
  std::string line;
  std::smatch m;
  while (std::getline(in, line)) {
    if (line.empty() || line.rfind("//", 0) == 0) continue;
    if (std::regex_match(line, m, language) && script.names.empty()) {
      script.language = m[1].str() + "," + m[2].str();
    } else if (std::regex_match(line, m, entry)) {
      script.names.push_back(m[1]);
      script.paths[m[1]] = m[2];
    } else {
      script.unparsed.push_back(line);
    }
  }
  return script;
}

TEST(PayloadScript, NamesTheTwentyOneFilesUnderChineseLanguage) {
  Script script = ReadScript();
  EXPECT_EQ(script.language, "4,2") << "LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED = 2052";
  EXPECT_TRUE(script.unparsed.empty()) << script.unparsed.front();
  std::set<std::string> unique(script.names.begin(), script.names.end());
  EXPECT_EQ(unique.size(), script.names.size()) << "a name appears twice";
  std::set<std::string> expected;
  for (const auto& entry : kPayload) expected.insert(entry.first);
  EXPECT_EQ(unique, expected);
}

TEST(PayloadScript, EachEntryIsTheWholeFileOfItsKind) {
  Script script = ReadScript();
  for (const auto& [name, kind] : kPayload) {
    SCOPED_TRACE(name);
    ASSERT_TRUE(script.paths.count(name));
    std::string bytes = ReadFileBytes(script.paths[name]);
    ASSERT_FALSE(bytes.empty()) << script.paths[name];
    switch (kind) {
      case Kind::Inf:
        EXPECT_EQ(bytes, ReadFileBytes(PayloadSource("inf/" + name)));
        break;
      case Kind::Placeholder:
        EXPECT_EQ(bytes.rfind("PLACEHOLDER", 0), 0u) << "says what it is in its first word";
        EXPECT_NE(bytes.find("The real " + name + " is"), std::string::npos) << "names the file it stands for";
        break;
      case Kind::StandIn:
        EXPECT_EQ(bytes.rfind("Stand-in for " + name + ",", 0), 0u);
        break;
    }
  }
}

TEST(PayloadScript, CatalogPlaceholdersDescribeTheirPackage) {
  Script script = ReadScript();
  const struct {
    const char* name;
    const char* os_attribute;
  } rows[] = {{"TAVREL4.CAT", "2:5.1"}, {"VIS_TAVREL4.CAT", "2:6.0"}};
  for (const auto& row : rows) {
    std::string bytes = ReadFileBytes(script.paths[row.name]);
    EXPECT_NE(bytes.find(std::string("OS attribute ") + row.os_attribute), std::string::npos) << row.name;
    EXPECT_NE(bytes.find("tavrel4.inf, tavrel4.sys, tavrel4usb.sys, tl4coinst.dll"), std::string::npos) << row.name;
    EXPECT_NE(bytes.find("USB\\VID_0F2B&PID_0001, TavrelBus\\Tavrel"), std::string::npos) << row.name;
  }
}

// Every file the package INF stages or names as a service binary is carried by the engine.
TEST(PayloadScript, FilesNamedByThePackageInfAreCarried) {
  Script script = ReadScript();
  InfFile inf = ParseInf(ReadFileBytes(PayloadSource("inf/TAVREL4.INF")));
  ASSERT_NE(inf.Find("SourceDisksFiles"), nullptr);
  for (const InfLine& line : inf.Find("SourceDisksFiles")->lines) {
    std::string upper = line.key;
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    EXPECT_TRUE(script.paths.count(upper)) << line.key;
    EXPECT_TRUE(script.paths.count("VIS_" + upper)) << line.key << " (Vista build)";
  }
}

}  // namespace
