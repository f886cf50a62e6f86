// The resource-script reader: what it takes from a script, what it skips, and how it fails.
#include <gtest/gtest.h>
#include <simwin/sim.h>

#include <filesystem>
#include <fstream>

namespace {

namespace fs = std::filesystem;

class RcScript : public ::testing::Test {
 protected:
  void SetUp() override {
    sim::Reset(sim::Os::WinXP);
    folder = fs::temp_directory_path() / ("simwin_rc_" + std::to_string(::getpid()) + "_" +
                                          ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(folder / "res");
  }
  void TearDown() override { fs::remove_all(folder); }

  void Write(const std::string& name, const std::string& content) {
    std::ofstream(folder / name, std::ios::binary) << content;
  }
  std::string Path(const std::string& name) const { return (folder / name).string(); }

  const sim::StringResource* String(const sim::Image& image, UINT id, WORD language) {
    for (const sim::StringResource& entry : image.strings)
      if (entry.id == id && entry.language == language) return &entry;
    return nullptr;
  }
  const sim::Resource* Resource(const sim::Image& image, const std::string& type, const std::string& name) {
    for (const sim::Resource& entry : image.resources)
      if (entry.type == type && entry.name == name) return &entry;
    return nullptr;
  }

  fs::path folder;
};

TEST_F(RcScript, ReadsStringTablesWithEscapesLanguagesAndIncludedIds) {
  Write("resource.h", "#define IDS_FIRST 100\n#define IDS_SECOND (IDS_FIRST + 1)\n#define IDB_PANEL 129\n");
  Write("app.rc",
        "// comment\n"
        "#include \"resource.h\"\n"
        "#include \"afxres.h\"\n"
        "#pragma code_page(65001)\n"
        "LANGUAGE LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED\n"
        "STRINGTABLE DISCARDABLE\n"
        "BEGIN\n"
        "    IDS_FIRST \"中文\\r\\nline\\t\\\"q\\\" \"\"dq\"\" back\\\\slash\"\n"
        "    IDS_FIRST + 1, \"octal\\101 hex\\x41 nul[\\0]\"\n"
        "    7 \"plain id\"\n"
        "END\n"
        "STRINGTABLE LANGUAGE LANG_ENGLISH, SUBLANG_ENGLISH_US\n"
        "{\n"
        "    IDS_FIRST \"English\"\n"
        "}\n");
  sim::Image image;
  std::string error;
  ASSERT_TRUE(sim::LoadRcScript(image, Path("app.rc"), &error)) << error;
  const WORD chinese = MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED);
  const WORD english = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
  ASSERT_NE(String(image, 100, chinese), nullptr);
  EXPECT_EQ(String(image, 100, chinese)->utf8, "中文\r\nline\t\"q\" \"dq\" back\\slash");
  ASSERT_NE(String(image, 101, chinese), nullptr);
  EXPECT_EQ(String(image, 101, chinese)->utf8, std::string("octalA hexA nul[\0]", 18));
  ASSERT_NE(String(image, 7, chinese), nullptr);
  ASSERT_NE(String(image, 100, english), nullptr);
  EXPECT_EQ(String(image, 100, english)->utf8, "English");
  EXPECT_EQ(image.strings.size(), 4u);
}

TEST_F(RcScript, ReadsFileResourcesAndSkipsBlocks) {
  Write("resource.h", "#define IDB_PANEL 129\n#define IDD_MAIN 102\n#define IDI_APP 128\n");
  Write("res/engine.bin", std::string("MZ\0\x01", 4));
  Write("res/panel.bmp", std::string("BM") + std::string(12, 'h') + "pixels");
  Write("res/app.ico", "icon");
  Write("abs.bin", "absolute");
  Write("app.rc",
        "#include \"resource.h\"\n"
        "#ifdef APSTUDIO_INVOKED\n"
        "1 TEXTINCLUDE BEGIN \"resource.h\\0\" END\n"
        "#else\n"
        "\"ENGINE.DLL\" RESFILE DISCARDABLE \"res\\\\engine.bin\"\n"
        "#endif\n"
        "IDD_MAIN DIALOGEX 0, 0, 320, 200\n"
        "STYLE DS_SETFONT | WS_POPUP\n"
        "CAPTION \"Setup { not a block\"\n"
        "FONT 9, \"宋体\", 0, 0, 0x1\n"
        "BEGIN\n"
        "    PUSHBUTTON \"Next\",1001,250,180,60,14\n"
        "    CONTROL \"\",1002,\"Static\",SS_BLACKRECT,0,0,10,10\n"
        "END\n"
        "VS_VERSION_INFO VERSIONINFO\n"
        " FILEVERSION 2,1,8,225\n"
        "BEGIN\n"
        "  BLOCK \"StringFileInfo\"\n"
        "  BEGIN\n"
        "    BLOCK \"080404b0\" BEGIN VALUE \"FileDescription\", \"x\" END\n"
        "  END\n"
        "END\n"
        "IDB_PANEL BITMAP \"res/panel.bmp\"\n"
        "IDI_APP ICON res/app.ico\n"
        "Payload RESFILE \"" + Path("abs.bin") + "\"\n");
  sim::Image image;
  std::string error;
  ASSERT_TRUE(sim::LoadRcScript(image, Path("app.rc"), &error)) << error;
  ASSERT_EQ(image.resources.size(), 4u);
  ASSERT_NE(Resource(image, "RESFILE", "ENGINE.DLL"), nullptr);
  EXPECT_EQ(Resource(image, "RESFILE", "ENGINE.DLL")->bytes, (std::vector<BYTE>{'M', 'Z', 0, 1}));
  ASSERT_NE(Resource(image, "#2", "#129"), nullptr);
  EXPECT_EQ(std::string(Resource(image, "#2", "#129")->bytes.begin(), Resource(image, "#2", "#129")->bytes.end()),
            "pixels")
      << "a bitmap resource has no file header";
  EXPECT_NE(Resource(image, "#14", "#128"), nullptr);
  ASSERT_NE(Resource(image, "RESFILE", "PAYLOAD"), nullptr);
  EXPECT_EQ(Resource(image, "RESFILE", "PAYLOAD")->bytes.size(), 8u);
}

TEST_F(RcScript, ReportsWhereAScriptIsBroken) {
  struct Row {
    const char* name;
    std::string script;
    std::string expected;  // part of the error
  };
  const Row rows[] = {
      {"missing file", "X RESFILE \"res/none.bin\"\n", "none.bin"},
      {"unterminated string", "STRINGTABLE BEGIN\n 1 \"open\nEND\n", ":2: unterminated string"},
      {"string without id", "STRINGTABLE BEGIN\n \"text\"\nEND\n", ":2: string id expected"},
      {"unknown id", "STRINGTABLE BEGIN\n IDS_UNDEFINED \"text\"\nEND\n", "string id expected"},
      {"table without end", "STRINGTABLE BEGIN\n 1 \"a\"\n", "without END"},
  };
  for (const Row& row : rows) {
    Write("broken.rc", row.script);
    sim::Image image;
    std::string error;
    EXPECT_FALSE(sim::LoadRcScript(image, Path("broken.rc"), &error)) << row.name;
    EXPECT_NE(error.find(row.expected), std::string::npos) << row.name << ": " << error;
  }
  std::string error;
  sim::Image image;
  EXPECT_FALSE(sim::LoadRcScript(image, Path("absent.rc"), &error));
  EXPECT_NE(error.find("absent.rc"), std::string::npos) << error;
}

TEST_F(RcScript, ProjectScriptsLoad) {
  // The project's own scripts must read without error, whatever else they gain over time.
  for (const char* script : {"/engine/engine.rc", "/host/host.rc"}) {
    std::string path = std::string(TAVREL_SOURCE_DIR) + script;
    ASSERT_TRUE(fs::exists(path)) << path;
    sim::Image image;
    std::string error;
    EXPECT_TRUE(sim::LoadRcScript(image, path, &error)) << script << ": " << error;
    EXPECT_FALSE(image.strings.empty() && image.resources.empty()) << script;
  }
#ifdef TAVREL_PAYLOAD_RC_PATH
  sim::Image payload;
  std::string error;
  EXPECT_TRUE(sim::LoadRcScript(payload, TAVREL_PAYLOAD_RC_PATH, &error)) << error;
  EXPECT_EQ(payload.resources.size(), 21u);
#endif
}

}  // namespace
