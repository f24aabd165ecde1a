#include "detect/hid_sysfs.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "detect/hid_search.h"
#include "test_util.h"

namespace {

TEST(HidSysfsTest, ParsesUevent) {
  const struct {
    const char* uevent;
    std::optional<unsigned> vendor, product;
  } cases[] = {
      {"DRIVER=hid-generic\nHID_ID=0003:00000000:0000000B\nHID_NAME=x\n", 0, 11},
      {"HID_ID=0003:0000046D:0000C52B", 0x46d, 0xc52b},
      {"HID_ID=0003:0000:0013\n", 0, 0x13},
      {"HID_NAME=x\n", std::nullopt, std::nullopt},
      {"HID_ID=0003:00000000\n", std::nullopt, std::nullopt},
      {"HID_ID=0003:zz:0013\n", std::nullopt, std::nullopt},
      {"HID_ID=0003:00010000:0013\n", std::nullopt, std::nullopt},
      {"HID_ID=0003:-1:0013\n", std::nullopt, std::nullopt},
  };
  for (const auto& c : cases) {
    const auto id = parseHidUevent(c.uevent);
    EXPECT_EQ(id.has_value(), c.vendor.has_value()) << c.uevent;
    if (id && c.vendor) {
      EXPECT_EQ(id->vendor, *c.vendor) << c.uevent;
      EXPECT_EQ(id->product, *c.product) << c.uevent;
    }
  }
}

void addHidraw(const test::TempDir& sys, int number, const std::string& uevent) {
  test::writeBytes(
      sys / ("class/hidraw/hidraw" + std::to_string(number) + "/device/uevent"), uevent);
}

TEST(HidSysfsTest, ListsHidrawInNumericOrder) {
  test::TempDir sys;
  addHidraw(sys, 10, "HID_ID=0003:00000000:00000009\n");
  addHidraw(sys, 2, "HID_ID=0003:00000000:0000000B\n");
  addHidraw(sys, 0, "HID_ID=0003:0000046D:0000000B\n");
  addHidraw(sys, 3, "nothing useful\n");
  std::filesystem::create_directories(sys / "class/hidraw/hidraw4");  // no uevent
  std::filesystem::create_directories(sys / "class/hidraw/other");

  const SysfsHidBackend backend(sys.path());
  const auto records = backend.listDevices();
  ASSERT_EQ(records.size(), 5u);
  const int32_t numbers[] = {0, 2, 3, 4, 10};
  const std::optional<unsigned> products[] = {std::nullopt, 11, std::nullopt,
                                              std::nullopt, 9};
  for (size_t i = 0; i < records.size(); ++i) {
    ASSERT_TRUE(records[i].driverKey) << i;
    EXPECT_EQ(deviceNumberFromDriverKey(*records[i].driverKey), numbers[i]) << i;
    EXPECT_EQ(records[i].interfacePath.has_value(), i != 2 && i != 3) << i;
    EXPECT_EQ(opencockpitsProductId(records[i].interfacePath.value_or("")), products[i])
        << i;
  }

  test::useDevices({});
  setHidSnapshotSource([&] { return backend.snapshot(); });
  EXPECT_EQ(findHidDevice(9, -1, -1), 10);
  EXPECT_EQ(findHidDevice(11, -1, -1), 2);
}

TEST(HidSysfsTest, MissingFolderIsNoDevicesUnreadableFolderFails) {
  test::TempDir sys;
  EXPECT_TRUE(SysfsHidBackend(sys.path()).listDevices().empty());

  test::writeBytes(sys / "class/hidraw", "a file, not a folder");
  try {
    static_cast<void>(SysfsHidBackend(sys.path()).listDevices());
    FAIL() << "no failure";
  } catch (const std::runtime_error& e) {
    EXPECT_NE(std::string(e.what()).find((sys / "class/hidraw").u8string()),
              std::string::npos)
        << e.what();
  }
}

}  // namespace
