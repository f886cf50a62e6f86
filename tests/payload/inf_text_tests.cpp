// The INF texts the engine carries, read the way Windows reads them, against what the
// installation and removal code rely on.
#include <gtest/gtest.h>

#include <algorithm>

#include "inf_reader.h"

namespace {

const char* const kInfFiles[] = {"TAVREL4.INF", "VIS_TAVREL4.INF", "TAVRUSB.INF", "TAVREL98.INF"};

std::string InfText(const std::string& name) { return ReadFileBytes(PayloadSource("inf/" + name)); }
InfFile Inf(const std::string& name) { return ParseInf(InfText(name)); }

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0, end;
  while ((end = text.find("\r\n", start)) != std::string::npos) {
    lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

// Disables every "CopyFiles" directive in place (first letter becomes ';'), as the engine
// does to the class INF it places.
std::string DisableCopyFiles(std::string text) {
  for (size_t at = text.find("CopyFiles"); at != std::string::npos; at = text.find("CopyFiles", at + 1)) text[at] = ';';
  return text;
}

TEST(InfText, IsSevenBitAsciiWithCrLfLineEndsAndACommentHeader) {
  for (const char* name : kInfFiles) {
    SCOPED_TRACE(name);
    std::string text = InfText(name);
    ASSERT_FALSE(text.empty());
    EXPECT_EQ(text.front(), ';') << "begins with a comment line";
    EXPECT_EQ(text.substr(text.size() - 2), "\r\n") << "last line ends with CR LF";
    for (size_t i = 0; i < text.size(); ++i) {
      unsigned char c = static_cast<unsigned char>(text[i]);
      ASSERT_LT(c, 0x80) << "non-ASCII byte at offset " << i;
      ASSERT_TRUE(c >= 0x20 || c == '\t' || c == '\r' || c == '\n') << "control byte at offset " << i;
      if (c == '\n') { ASSERT_TRUE(i > 0 && text[i - 1] == '\r') << "bare LF at offset " << i; }
      if (c == '\r') { ASSERT_TRUE(i + 1 < text.size() && text[i + 1] == '\n') << "bare CR at offset " << i; }
    }
  }
}

TEST(InfText, SectionsInFileOrder) {
  const std::vector<std::string> tavrel4 = {
      "Version", "DestinationDirs", "Manufacturer", "Standard", "TavrUsb_Device.NT", "TavrUSb_Dir",
      "TavrUsb_Device.NT.Services", "TavrelUSB_Service_Inst", "TAVRELNT.NT", "TAVRELNT_CopyFiles",
      "TAVRELNT.NT.Services", "TavrelReader_Service_Inst", "TavrUsb_Device.NT.CoInstallers", "CoInstaller_CopyFiles",
      "CoInstaller_AddReg", "SourceDisksNames", "SourceDisksFiles", "Strings"};
  const std::vector<std::string> tavrusb = {
      "Version", "Manufacturer", "PreCopySection", "DestinationDirs", "Orvanta", "NODRIVER", "ControlFlags",
      "tavrusb", "tavrusb.NT", "tavrusb.AddReg", "tavrusb.AddReg.NT", "tavrel.AddReg.NT", "tavrusb.CopyList",
      "vxd.CopyList", "tavrelnt.CopyList", "vdd.CopyList", "tavrusb.NT.Services", "tavrusb.addservices", "Strings"};
  const struct {
    const char* file;
    std::vector<std::string> sections;
  } rows[] = {{"TAVREL4.INF", tavrel4}, {"VIS_TAVREL4.INF", tavrel4}, {"TAVRUSB.INF", tavrusb}};
  for (const auto& row : rows) {
    std::vector<std::string> names;
    for (const InfSection& s : Inf(row.file).sections) names.push_back(s.name);
    EXPECT_EQ(names, row.sections) << row.file;  // exact spelling: the reader keeps the file's case
  }
}

TEST(InfText, DriverVerLines) {
  const struct {
    const char* file;
    const char* line;
  } rows[] = {{"TAVREL4.INF", "DriverVer=12/11/2003,5.0.1.2064"},
              {"VIS_TAVREL4.INF", "DriverVer=03/30/2007,5.0.4.0212"},
              {"TAVREL98.INF", "DriverVer=10/30/2003,5.00.2064"}};
  for (const auto& row : rows) {
    std::vector<std::string> lines = Lines(InfText(row.file));
    EXPECT_EQ(std::count(lines.begin(), lines.end(), std::string(row.line)), 1) << row.file;
    EXPECT_EQ(Inf(row.file).Values("Version", "DriverVer").size(), 1u) << row.file;
  }
  EXPECT_TRUE(Inf("TAVRUSB.INF").Values("Version", "DriverVer").empty());
}

TEST(Tavrel4Inf, XpAndVistaEditionsDifferOnlyInTheDriverVerLine) {
  std::vector<std::string> xp = Lines(InfText("TAVREL4.INF")), vista = Lines(InfText("VIS_TAVREL4.INF"));
  ASSERT_EQ(xp.size(), vista.size());
  std::vector<size_t> differing;
  for (size_t i = 0; i < xp.size(); ++i)
    if (xp[i] != vista[i]) differing.push_back(i);
  ASSERT_EQ(differing.size(), 1u);
  EXPECT_EQ(xp[differing[0]].rfind("DriverVer=", 0), 0u);
  EXPECT_EQ(vista[differing[0]].rfind("DriverVer=", 0), 0u);
}

TEST(InfText, VersionSectionsDeclareTheUsbClass) {
  const struct {
    const char* file;
    const char* signature;
    const char* provider;
  } rows[] = {{"TAVREL4.INF", "$WINDOWS NT$", "%OEM%"},
              {"VIS_TAVREL4.INF", "$WINDOWS NT$", "%OEM%"},
              {"TAVRUSB.INF", "$CHICAGO$", "%MSFT%"},
              {"TAVREL98.INF", "$CHICAGO$", "%MSFT%"}};
  for (const auto& row : rows) {
    InfFile inf = Inf(row.file);
    EXPECT_EQ(inf.Values("Version", "Signature"), std::vector<std::string>{std::string("\"") + row.signature + "\""})
        << row.file << ": signature in double quotes";
    EXPECT_EQ(inf.Value("Version", "Class"), "USB") << row.file;
    EXPECT_EQ(inf.Value("Version", "ClassGUID"), "{36FC9E60-C465-11CF-8056-444553540000}") << row.file;
    EXPECT_EQ(inf.Value("Version", "Provider"), row.provider) << row.file;
  }
  EXPECT_EQ(Inf("TAVREL4.INF").Value("Version", "CatalogFile"), "Tavrel4.cat");
}

// The engine installs drivers for these ids (Windows compares hardware ids without regard to case).
TEST(InfText, ModelsNameTheHardwareIdsTheEngineUses) {
  const struct {
    const char* file;
    const char* models;
    const char* hardware_id;
    const char* install_section;
    const char* description;
  } rows[] = {
      {"TAVREL4.INF", "Standard", "USB\\Vid_0f2b&Pid_0001", "TavrUsb_Device", "Orvanta TAVREL4 USB"},
      {"TAVREL4.INF", "Standard", "TavrelBus\\Tavrel", "TAVRELNT", "Orvanta TAVREL4"},
      {"VIS_TAVREL4.INF", "Standard", "USB\\Vid_0f2b&Pid_0001", "TavrUsb_Device", "Orvanta TAVREL4 USB"},
      {"VIS_TAVREL4.INF", "Standard", "TavrelBus\\Tavrel", "TAVRELNT", "Orvanta TAVREL4"},
      {"TAVRUSB.INF", "Orvanta", "USB\\Vid_0f2b&Pid_0001", "tavrusb", "USB KEY"},
      {"TAVREL98.INF", "OVSafe", "USB\\Vid_0f2b&Pid_0001", "TavrUsb_Device", "Orvanta TAVREL4 USB Device"},
      {"TAVREL98.INF", "OVSafe", "Tavrel4", "TAVRELNT", "Orvanta TAVREL4 Device"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(std::string(row.file) + " " + row.hardware_id);
    InfFile inf = Inf(row.file);
    ASSERT_EQ(inf.Find("Manufacturer")->lines.size(), 1u);
    EXPECT_EQ(inf.Find("Manufacturer")->lines[0].fields[0], row.models) << "manufacturer points at the models";
    const InfSection* models = inf.Find(row.models);
    ASSERT_NE(models, nullptr);
    int found = 0;
    for (const InfLine& model : models->lines) {
      if (model.fields.size() != 2 || !EqualsNoCase(model.fields[1], row.hardware_id)) continue;
      ++found;
      EXPECT_EQ(model.fields[0], row.install_section);
      EXPECT_EQ(inf.Expand(model.key), row.description);
      EXPECT_TRUE(inf.Find(row.install_section) || inf.Find(std::string(row.install_section) + ".NT"));
    }
    EXPECT_EQ(found, 1);
  }
}

TEST(InfText, ServicesTheEngineConfiguresAndRemoves) {
  const struct {
    const char* file;
    const char* services_section;
    const char* service;
    const char* flags;
    const char* start_type;
    const char* binary;
    const char* group;
  } rows[] = {
      {"TAVREL4.INF", "TavrUsb_Device.NT.Services", "Tavrel_USB", "%SPSVCINST_ASSOCSERVICE%", "3", "%12%\\Tavrel4USB.sys", "Extended Base"},
      {"TAVREL4.INF", "TAVRELNT.NT.Services", "TAVRELNT", "%SPSVCINST_ASSOCSERVICE%", "3", "%12%\\Tavrel4.sys", "Extended Base"},
      {"VIS_TAVREL4.INF", "TavrUsb_Device.NT.Services", "Tavrel_USB", "%SPSVCINST_ASSOCSERVICE%", "3", "%12%\\Tavrel4USB.sys", "Extended Base"},
      {"VIS_TAVREL4.INF", "TAVRELNT.NT.Services", "TAVRELNT", "%SPSVCINST_ASSOCSERVICE%", "3", "%12%\\Tavrel4.sys", "Extended Base"},
      {"TAVRUSB.INF", "tavrusb.NT.Services", "tavrusb", "0x02", "3", "%12%\\tavrusb.sys", "Base"},
      {"TAVREL98.INF", "TavrUsb_Device.NT.Services", "Tavrel_USB", "0x00000002", "2", "%10%\\System32\\Drivers\\Tl4USB98.sys", "Base"},
      {"TAVREL98.INF", "TAVRELNT.NT.Services", "TAVRELNT", "0x00000002", "2", "%10%\\System32\\Drivers\\Tl4_98.sys", "Base"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(std::string(row.file) + " " + row.service);
    InfFile inf = Inf(row.file);
    std::vector<std::string> add = inf.Values(row.services_section, "AddService");
    ASSERT_EQ(add.size(), 1u);
    std::vector<std::string> fields = SplitFields(add[0]);
    ASSERT_EQ(fields.size(), 3u);
    EXPECT_EQ(fields[0], row.service);  // the service name is case-sensitive for the removal code
    EXPECT_EQ(fields[1], row.flags);
    EXPECT_EQ(std::stoul(inf.Expand(fields[1]), nullptr, 16), 2u) << "SPSVCINST_ASSOCSERVICE";
    const std::string install = fields[2];
    EXPECT_EQ(inf.Value(install, "ServiceType"), "1");
    EXPECT_EQ(inf.Value(install, "StartType"), row.start_type);
    EXPECT_EQ(inf.Value(install, "ErrorControl"), "1");
    EXPECT_EQ(inf.Value(install, "ServiceBinary"), row.binary);
    EXPECT_EQ(inf.Value(install, "LoadOrderGroup"), row.group);
    EXPECT_FALSE(inf.Expand(inf.Value(install, "DisplayName")).empty()) << "display name string defined";
  }
}

// The file lists reached from an install section through its CopyFiles directives.
std::vector<std::string> CopiedFiles(const InfFile& inf, const std::string& install_section) {
  std::vector<std::string> files;
  for (const std::string& directive : inf.Values(install_section, "CopyFiles"))
    for (const std::string& list : SplitFields(directive))
      if (const InfSection* section = inf.Find(list))
        for (const InfLine& line : section->lines) files.push_back(line.value);
  return files;
}

TEST(Tavrel4Inf, CopySectionsNameTheStagedFiles) {
  for (const char* file : {"TAVREL4.INF", "VIS_TAVREL4.INF"}) {
    SCOPED_TRACE(file);
    InfFile inf = Inf(file);
    EXPECT_EQ(CopiedFiles(inf, "TavrUsb_Device.NT"), std::vector<std::string>{"Tavrel4USB.sys"});
    EXPECT_EQ(CopiedFiles(inf, "TAVRELNT.NT"), std::vector<std::string>{"Tavrel4.sys"});
    EXPECT_EQ(CopiedFiles(inf, "TavrUsb_Device.NT.CoInstallers"), std::vector<std::string>{"Tl4CoInst.dll"});
    for (const char* staged : {"Tavrel4USB.sys", "Tavrel4.sys", "Tl4CoInst.dll"})
      EXPECT_EQ(inf.Values("SourceDisksFiles", staged), std::vector<std::string>{"1"}) << staged;
    EXPECT_EQ(inf.Find("SourceDisksNames")->lines.at(0).key, "1");
    EXPECT_EQ(inf.Expand(inf.Find("SourceDisksNames")->lines.at(0).fields.at(0)), "TAVREL4 Installation Disk #1");
    EXPECT_EQ(inf.Value("DestinationDirs", "DefaultDestDir"), "12");
    EXPECT_EQ(inf.Value("DestinationDirs", "CoInstaller_CopyFiles"), "11");
    // Only the USB model has a co-installer, registered by file and entry point.
    EXPECT_EQ(inf.Find("TAVRELNT.NT.CoInstallers"), nullptr);
    const InfSection* addreg = inf.Find("CoInstaller_AddReg");
    ASSERT_NE(addreg, nullptr);
    ASSERT_EQ(addreg->lines.size(), 1u);
    EXPECT_EQ(addreg->lines[0].fields,
              (std::vector<std::string>{"HKR", "", "CoInstallers32", "0x00010000", "Tl4CoInst.dll,TavrCoInstaller"}));
  }
}

// The removal scan recognises INF-store copies by these values (case-sensitive prefixes).
TEST(InfText, StringsTheRemovalScanCompares) {
  const struct {
    const char* file;
    const char* key;
    const char* value;
    const char* prefix;
    bool recognised;
  } rows[] = {
      {"TAVREL4.INF", "Tavrel.DeviceDesc", "Orvanta TAVREL4", "Orvanta TAVREL4", true},
      {"VIS_TAVREL4.INF", "Tavrel.DeviceDesc", "Orvanta TAVREL4", "Orvanta TAVREL4", true},
      {"TAVREL98.INF", "Tavrel.DeviceDesc", "Orvanta TAVREL4 Device", "Orvanta TAVREL4", true},
      {"TAVRUSB.INF", "MSFT", "OEM", "^-^ Orvanta Corp", false},
      {"TAVREL98.INF", "MSFT", "Orvanta Technologies Co., Ltd", "^-^ Orvanta Corp", false},
  };
  for (const auto& row : rows) {
    std::string value = Inf(row.file).Value("Strings", row.key);
    EXPECT_EQ(value, row.value) << row.file << " " << row.key;
    EXPECT_EQ(value.rfind(row.prefix, 0) == 0, row.recognised) << row.file << " " << row.key;
  }
}

TEST(Tavrel4Inf, StringsAreQuotedAndKeepTheirTrailingBlank) {
  const struct {
    const char* key;
    const char* value;
  } rows[] = {{"OEM", "OEM"},
              {"StdMfg", "(Standard system devices)"},
              {"DiskId1", "TAVREL4 Installation Disk #1"},
              {"TavrelUSB.DeviceDes", "Orvanta TAVREL4 USB"},
              {"TavrelUSB.SVCDESC", "Orvanta TAVREL4 USB Service"},
              {"TavrelUSB.DESC", "Orvanta TAVREL4 USB Device"},
              {"Tavrel.SVCDESC", "Orvanta TAVREL4 Device Service"},
              {"Tavrel.DESC", "Orvanta TAVREL4 Device "}};
  InfFile inf = Inf("TAVREL4.INF");
  for (const auto& row : rows)
    EXPECT_EQ(inf.Values("Strings", row.key), std::vector<std::string>{std::string("\"") + row.value + "\""}) << row.key;
  EXPECT_EQ(inf.Value("Strings", "SPSVCINST_ASSOCSERVICE"), "0x00000002");
}

TEST(TavrUsbInf, StoredWithBothCopyDirectivesDisabled) {
  std::string stored = InfText("TAVRUSB.INF");
  EXPECT_EQ(stored.find("CopyFiles"), std::string::npos);
  EXPECT_EQ(DisableCopyFiles(stored), stored) << "the engine's edit leaves the stored text byte-identical";

  // Re-enabled, the two directives sit in the 98/ME and NT install sections and name the lists
  // the engine replaces by writing the files itself; the edit turns them back into the stored text.
  std::string enabled = stored;
  for (size_t at = enabled.find("\r\n;opyFiles="); at != std::string::npos; at = enabled.find("\r\n;opyFiles=", at + 1))
    enabled[at + 2] = 'C';
  InfFile inf = ParseInf(enabled);
  EXPECT_EQ(inf.Values("tavrusb", "CopyFiles"), std::vector<std::string>{"tavrusb.CopyList,vxd.CopyList"});
  EXPECT_EQ(inf.Values("tavrusb.NT", "CopyFiles"),
            std::vector<std::string>{"tavrusb.CopyList,tavrelnt.CopyList,vdd.CopyList"});
  EXPECT_EQ(CopiedFiles(inf, "tavrusb.NT"), (std::vector<std::string>{"tavrusb.sys", "tavrelnt.sys", "tavrvdd.dll"}));
  EXPECT_EQ(CopiedFiles(inf, "tavrusb"), (std::vector<std::string>{"tavrusb.sys", "tavrel9x.vxd"}));
  EXPECT_EQ(DisableCopyFiles(enabled), stored);
}

TEST(TavrUsbInf, RegistryEntriesMatchWhatTheEngineWrites) {
  InfFile inf = Inf("TAVRUSB.INF");
  const InfSection* addreg = inf.Find("tavrusb.AddReg");
  ASSERT_NE(addreg, nullptr);
  ASSERT_EQ(addreg->lines.size(), 3u);
  EXPECT_EQ(addreg->lines[1].fields, (std::vector<std::string>{"HKR", "", "NTMPDriver", "", "tavrusb.sys"}));
  EXPECT_EQ(addreg->lines[2].fields, (std::vector<std::string>{"HKLM", "System\\CurrentControlSet\\Services\\vxd\\Tavrel9x",
                                                               "StaticVxd", "0", "Tavrel9x.vxd"}));
  const InfSection* service = inf.Find("tavrel.AddReg.NT");
  ASSERT_NE(service, nullptr);
  const std::vector<std::vector<std::string>> expected = {{"DisplayName", "0", "TAVRELNT"},
                                                          {"Start", "0x10001", "00000002"},
                                                          {"Type", "0x10001", "00000001"},
                                                          {"ErrorControl", "0x10001", "00000001"}};
  ASSERT_EQ(service->lines.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    std::vector<std::string> f = service->lines[i].fields;
    EXPECT_EQ(f[0], "HKLM");
    EXPECT_EQ(f[1], "System\\CurrentControlSet\\Services\\TAVRELNT");
    EXPECT_EQ(std::vector<std::string>(f.begin() + 2, f.end()), expected[i]) << "line " << i;
  }
  EXPECT_EQ(inf.Value("ControlFlags", "ExcludeFromSelect"), "USB\\VID_0F2B&PID_0001");
  EXPECT_EQ(inf.Value("DestinationDirs", "tavrusb.CopyList"), "10,system32\\drivers");
  EXPECT_EQ(inf.Value("DestinationDirs", "vdd.CopyList"), "10,system32");
}

}  // namespace
