#include "config/module_list.h"

#include <gtest/gtest.h>

#include "app/globals.h"
#include "detect/modules.h"
#include "sioc_lib/path_text.h"
#include "test_util.h"

namespace {

using sioc_lib::LineList;

class ModuleListTest : public testing::Test {
 protected:
  void SetUp() override {
    test::resetToolState();
    baseFolder = dir_.path();
  }
  void writeList(const std::string& slot, const std::string& bytes) {
    test::writeBytes(dir_ / ("Vorlancockpit/TRV" + slot + "/module.lst"), bytes);
  }
  std::string folderShown(int slot) { return sioc_lib::windowsForm(moduleFolder(slot)); }
  test::TempDir dir_;
};

TEST_F(ModuleListTest, MergesSortedDistinctEntries) {
  const struct {
    const char* name;
    std::string mcp, efis1;
    LineList content;
  } cases[] = {
      {"mixed line ends", "b\r\na\nc", "", {"a", "b", "c"}},
      {"duplicates across modules",
       "x.txt\r\ny.txt\r\n",
       "y.txt\r\nx.txt\r\nx.txt\r\n",
       {"x.txt", "y.txt"}},
      {"empty lines give one empty entry", "a\r\n\r\nb\r\n", "\r\n", {"", "a", "b"}},
      {"byte order",
       "b\r\nB\r\nab\r\na\r\n\xC3\xA9\r\nZ\r\n",
       "",
       {"B", "Z", "a", "ab", "b", "\xC3\xA9"}},
      {"separators",
       "dir/file.txt\r\ndir\\file.txt\r\n//server/x\r\n/abs\r\n",
       "",
       {"\\\\server\\x", "\\abs", "dir\\file.txt"}},
      {"blanks kept", " a \r\n\ta\r\n", "", {"\ta", " a "}},
      {"NUL bytes", std::string("a\0b\r\nc", 6), "", {std::string("a\0b", 3), "c"}},
      {"bytes above 127", "\xFF\xFE\r\n\x80\r\nz\r\n", "", {"z", "\x80", "\xFF\xFE"}},
      {"bare CR and no final line end", "a\rb\r\nlast", "", {"a\rb", "last"}},
  };
  for (const auto& c : cases) {
    SetUp();
    writeList("mcp", c.mcp);
    if (!c.efis1.empty()) writeList("efis1", c.efis1);
    moduleSlots[kMcp] = 3;
    moduleSlots[kEfis1] = c.efis1.empty() ? -1 : 1;
    test::CoutCapture out;
    collectModuleFolders();
    EXPECT_EQ(moduleListContent, c.content) << c.name;
    EXPECT_EQ(out.text(), "") << c.name;
  }
}

TEST_F(ModuleListTest, ReportsAndClearsModulesWithoutList) {
  writeList("efis1", "efis1.txt\r\n");
  std::filesystem::create_directories(dir_ / "Vorlancockpit/TRVefis2");  // no module.lst
  writeList("mcpv3", "");                                                // empty
  test::writeBytes(dir_ / "Vorlancockpit/TRVatc",
                   "a file, not a folder");  // not a folder
  std::filesystem::create_directories(dir_ / "Vorlancockpit/TRVcomm1/module.lst");
  moduleSlots[kEfis1] = 1;
  moduleSlots[kEfis2] = 2;
  moduleSlots[kMcp] = 3;  // no folder at all
  moduleSlots[kMcpV3] = 4;
  moduleSlots[kAtc] = 5;
  moduleSlots[kComm1] = 6;
  test::CoutCapture out;
  collectModuleFolders();

  EXPECT_EQ(out.text(), "\n? file module.lst not found in " + folderShown(kEfis2) +
                            "\nefis2 not configured.\n\n"
                            "\n? Module folder: " +
                            folderShown(kMcp) +
                            "\nnot found for mcp\nmcp not configured.\n\n"
                            "\n? file module.lst in " +
                            folderShown(kMcpV3) +
                            " is empty.\nmcpv3 not configured.\n\n"
                            "\n? Module folder: " +
                            folderShown(kAtc) +
                            "\nnot found for atc\natc not configured.\n\n"
                            "\n? file module.lst not found in " +
                            folderShown(kComm1) + "\ncomm1 not configured.\n\n");
  EXPECT_EQ(moduleListContent, LineList{"efis1.txt"});
  for (int slot = 0; slot < kModuleSlotCount; ++slot) {
    EXPECT_EQ(moduleSlots[slot], slot == kEfis1 ? 1 : -1) << moduleName(slot);
  }
}

TEST_F(ModuleListTest, HugeLists) {
  std::string manyLines;
  for (int i = 0; i < 100000; ++i)
    manyLines += "entry" + std::to_string(100000 + i) + "\r\n";
  writeList("mcp", manyLines);
  const std::string mib(1 << 20, 'w');
  writeList("efis1", mib + "1\r\n" + mib + "2\n" + mib);
  moduleSlots[kMcp] = 3;
  moduleSlots[kEfis1] = 1;
  collectModuleFolders();
  ASSERT_EQ(moduleListContent.size(), 100003u);
  EXPECT_EQ(moduleListContent.front(), "entry100000");
  EXPECT_EQ(*std::next(moduleListContent.begin(), 99999), "entry199999");
  EXPECT_EQ(moduleListContent.back(), mib + "2");
  EXPECT_EQ(*std::prev(moduleListContent.end(), 3), mib);
}

#ifndef _WIN32
TEST_F(ModuleListTest, UnreadableEntriesAreNotFound) {
  std::filesystem::create_directories(dir_ / "Vorlancockpit/TRVmcp");
  std::filesystem::create_symlink("nowhere", dir_ / "Vorlancockpit/TRVmcp/module.lst");
  std::filesystem::create_directory_symlink("TRVatc",
                                            dir_ / "Vorlancockpit/TRVatc");  // a loop
  moduleSlots[kMcp] = 3;
  moduleSlots[kAtc] = 4;
  test::CoutCapture out;
  collectModuleFolders();
  EXPECT_EQ(out.text(), "\n? file module.lst not found in " + folderShown(kMcp) +
                            "\nmcp not configured.\n\n"
                            "\n? Module folder: " +
                            folderShown(kAtc) +
                            "\nnot found for atc\natc not configured.\n\n");
  EXPECT_TRUE(moduleListContent.empty());
}
#endif

}  // namespace
