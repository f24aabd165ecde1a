#include "detect/hid_sysfs.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "detect/hid_search.h"
#include "test_util.h"

namespace {

// hidrawN folders in numeric order, each read from its uevent file.
TEST(HidSysfsTest, ListsHidrawDevices) {
  const test::TempDir sys;
  EXPECT_TRUE(SysfsHidBackend(sys.path()).listDevices().empty());
  const struct {
    const char* name;
    const char* uevent;  // nullptr: none
    const char* key;     // its digits
    std::string path;    // after the folder
  } cases[] = {
      {"hidraw0", "HID_ID=0003:0000046D:C52B\n", "0000", "#vid_046d&pid_c52b#hidraw0"},
      {"hidraw6", "HID_ID=0003:zz:0013\n", "0006", ""},
      {"hidraw9", nullptr, "0009", ""},
      {"hidraw11", "HID_ID=0003:0000FFFF:0000FFFF\n", "0011",
       "#vid_ffff&pid_ffff#hidraw11"},
      // Past 16 bits is no id.
      {"hidraw12", "HID_ID=0003:00010000:0009\n", "0012", ""},
      {"hidraw13", "HID_ID=0003:0000:00010000\n", "0013", ""},
      {"hidraw9999", "HID_ID=0003:00000000:00000009\n", "9999",
       "#vid_0000&pid_0009#hidraw9999"},
      {"hidraw10000", "HID_ID=0003:00000000:00000009\n", "",
       "#vid_0000&pid_0009#hidraw10000"}};
  const auto folder = sys.path() / "class/hidraw";
  for (const auto& c : cases) {
    std::filesystem::create_directories(folder / c.name / "device");
    if (c.uevent != nullptr)
      test::writeBytes(folder / c.name / "device/uevent", c.uevent);
  }
  std::filesystem::create_directories(folder / "other");
  const auto records = SysfsHidBackend(sys.path()).listDevices();
  ASSERT_EQ(records.size(), std::size(cases));
  for (size_t i = 0; i < records.size(); ++i) {
    const auto& c = cases[i];
    EXPECT_EQ(records[i].driverKey.value_or(""),
              *c.key
                  ? "{745a17a0-74d3-11d0-b6fe-00a0c90f57da}\\" + std::string(c.key) + '\0'
                  : "")
        << c.name;
    EXPECT_EQ(records[i].interfacePath.value_or(""),
              c.path.empty() ? "" : (folder / c.name).u8string() + c.path)
        << c.name;
  }
  test::useDevices("");
  setHidSnapshotSource([&] { return SysfsHidBackend(sys.path()).snapshot(); });
  EXPECT_EQ(findHidDevice(9, -1, -1), 9999);

  const test::TempDir broken;  // a class folder that cannot be read fails
  test::writeBytes(broken.path() / "class/hidraw", "a file");
  EXPECT_THROW(static_cast<void>(SysfsHidBackend(broken.path()).listDevices()),
               std::runtime_error);
}

}  // namespace
