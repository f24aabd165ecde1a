#include "config/sioc_ini.h"

#include <gtest/gtest.h>

#include "app/globals.h"
#include "detect/modules.h"
#include "sioc_lib/path_text.h"
#include "test_util.h"

namespace {

TEST(SiocIniTest, SlotEntries) {
  const struct {
    int slot;
    int32_t number;
    std::string master, usbKeys;
  } cases[] = {
      {kMcp, 3, "[mcp]\nMASTER=2,5,1,3", "[mcp]\nUSBKEYS=2,5,1,3"},
      {kMcpV3, -1, "[mcpv3]\n[MASTER=2,5,1,??]", "[mcpv3]\n[USBKEYS=2,5,1,??]"},
      {kComm1, 0, "[comm1]\nMASTER=2,5,1,0", "[comm1]\nUSBKEYS=2,5,1,0"},
      {kChrono2, 9999, "[chrono2]\nMASTER=2,5,1,9999", "[chrono2]\nUSBKEYS=2,5,1,9999"},
  };
  for (const auto& c : cases) {
    test::resetToolState();
    moduleSlots[c.slot] = c.number;
    EXPECT_EQ(masterEntry(c.slot, "2,5,1,"), c.master);
    EXPECT_EQ(usbKeysEntry(c.slot, "2,5,1,"), c.usbKeys);
  }
}

std::string iniText() {
  std::string text;
  for (const std::string& element : siocIniContent) text += element + "\n";
  return text;
}

TEST(SiocIniTest, EveryFileHasTheSameShape) {
  for (int32_t number : {-1, 0, 42}) {
    test::resetToolState();
    moduleSlots.fill(number);
    buildSiocIni();
    EXPECT_EQ(siocIniContent.size(), 24u);
    const std::string text = iniText();
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 63);
    EXPECT_EQ(std::count(text.begin(), text.end(), '?'), number < 0 ? 32 : 0);
  }
}

class BackupTest : public testing::Test {
 protected:
  void SetUp() override {
    test::resetToolState();
    baseFolder = dir_.path();
  }
  test::TempDir dir_;
  const std::filesystem::path ini_ = dir_ / "sioc.ini";
  const std::filesystem::path backup_ = dir_ / "siocini_before_setup_Vorlantrv.ini";
};

TEST_F(BackupTest, CopiesLinesOnce) {
  const struct {
    const char* name;
    std::optional<std::string> ini, backup;
    std::optional<std::string> backupAfter;
    bool reported;
  } cases[] = {
      {"first backup", "a\nb", std::nullopt, "a\r\nb\r\n", true},
      {"empty sioc.ini", "", std::nullopt, "", true},
      {"no sioc.ini", std::nullopt, std::nullopt, std::nullopt, false},
      {"earlier backup kept", "new\r\n", "old\r\n", "old\r\n", false},
  };
  for (const auto& c : cases) {
    std::filesystem::remove(ini_);
    std::filesystem::remove(backup_);
    if (c.ini) test::writeBytes(ini_, *c.ini);
    if (c.backup) test::writeBytes(backup_, *c.backup);
    test::CoutCapture out;
    backupSiocIni();
    EXPECT_EQ(test::readBytes(backup_), c.backupAfter) << c.name;
    EXPECT_EQ(out.text(),
              c.reported ? sioc_lib::windowsForm(backup_) + " created.\n" : "")
        << c.name;
  }
}

TEST_F(BackupTest, FolderAtBackupNameCountsAsBackup) {
  test::writeBytes(ini_, "x\r\n");
  std::filesystem::create_directory(backup_);
  test::CoutCapture out;
  backupSiocIni();
  EXPECT_TRUE(std::filesystem::is_directory(backup_));
  EXPECT_EQ(out.text(), "");
}

}  // namespace
