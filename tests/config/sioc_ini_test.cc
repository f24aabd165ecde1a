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

}  // namespace
