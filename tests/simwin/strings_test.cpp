// LoadStringA: code page conversion by locale and Windows' truncation rules.
#include <gtest/gtest.h>
#include <simwin/sim.h>

namespace {

class Strings : public ::testing::Test {
 protected:
  void SetUp() override {
    sim::Reset(sim::Os::WinXP);
    sim::Image image;
    image.name = "Engine";
    image.SetString(1, "Hello").SetString(2, "中文测试").SetString(3, "café €").SetString(4, "x😀中");
    sim::RegisterImage(image);
    sim::SetExe("C:\\Downloads\\Installer.exe", "Engine");
  }

  std::string Load(UINT id, int size) {
    std::vector<char> buffer(static_cast<size_t>(std::max(size, 1)) + 4, '#');
    int length = LoadStringA(nullptr, id, buffer.data(), size);
    std::string text(buffer.data());
    EXPECT_EQ(static_cast<size_t>(length), text.size()) << "result is the length copied";
    return text;
  }
};

TEST_F(Strings, ConvertsToTheCodePageOfTheSystemLocale) {
  struct Row {
    LCID lcid;
    UINT id;
    std::string expected;
  };
  const Row rows[] = {
      {0x409, 1, "Hello"},
      {0x804, 1, "Hello"},
      {0x804, 2, "\xD6\xD0\xCE\xC4\xB2\xE2\xCA\xD4"},  // GBK
      {0x409, 2, "????"},
      {0x404, 2, "????"},  // Taiwan's locale is not GBK here
      {0x409, 3, "caf\xE9 \x80"},
      {0x804, 4, "x?\xD6\xD0"},  // outside GBK
  };
  for (const Row& row : rows) {
    sim::SetLocale(row.lcid);
    EXPECT_EQ(Load(row.id, 255), row.expected) << "locale " << std::hex << row.lcid << " id " << row.id;
  }
}

TEST_F(Strings, CopiesAtMostOneLessThanTheBufferAndTerminates) {
  struct Row {
    LCID lcid;
    UINT id;
    int size;
    std::string expected;
  };
  const Row rows[] = {
      {0x409, 1, 6, "Hello"},
      {0x409, 1, 5, "Hell"},
      {0x409, 1, 2, "H"},
      {0x409, 1, 1, ""},
      {0x804, 2, 4, "\xD6\xD0"},      // a double-byte character is never split
      {0x804, 2, 5, "\xD6\xD0\xCE\xC4"},
      {0x409, 99, 10, ""},            // missing string: empty, result 0
  };
  for (const Row& row : rows) {
    sim::SetLocale(row.lcid);
    EXPECT_EQ(Load(row.id, row.size), row.expected) << "id " << row.id << " size " << row.size;
  }
  char untouched = 'u';
  EXPECT_EQ(LoadStringA(nullptr, 1, &untouched, 0), 0);
  EXPECT_EQ(untouched, 'u');
}

TEST_F(Strings, PrefersTheLanguageOfTheLocale) {
  sim::Image image = *sim::FindImage("Engine");
  image.SetString(9, "English", MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US))
      .SetString(9, "中文", MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED));
  sim::RegisterImage(image);
  sim::SetLocale(0x804);
  EXPECT_EQ(Load(9, 255), "\xD6\xD0\xCE\xC4");
  sim::SetLocale(0x409);
  EXPECT_EQ(Load(9, 255), "English");
}

}  // namespace
