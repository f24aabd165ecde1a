#include "detect/hid_search.h"

#include <gtest/gtest.h>

#include "detect/hid_scripted.h"
#include "test_util.h"

namespace {

TEST(HidSearchTest, DeviceNumbersAndProductIds) {
  // "key number", and two keys that do not fit there.
  const std::string keys[] = {"{x}\\0000 0",  "{x}\\12345 1234", "{a}\\0001{b}\\0002 2",
                              "{x}\\123 -1",  "{x}0012 -1",      "x\\0012 -1",
                              "{x}\\00a1 -1", "{x}\\0012\n -1"};
  for (const std::string& c : keys) {
    EXPECT_EQ(deviceNumberFromDriverKey(c.substr(0, c.rfind(' '))),
              std::stoi(c.substr(c.rfind(' '))))
        << c;
  }
  EXPECT_EQ(deviceNumberFromDriverKey("{guid}\\0012" + std::string(1, '\0')), 12);
  EXPECT_EQ(deviceNumberFromDriverKey("{x}\\0012" + std::string(5000, 'x')), -1);

  const std::string board = "\\\\?\\hid#vid_0000&pid_000b#";
  // "path product", - for none
  const std::string paths[] = {"\\\\?\\HID#VID_0000&PID_0013#x 19",
                               "\\\\?\\hid#vid_046d&pid_000b#x -",
                               "#vid_0000&pid_000b#x -",
                               "\\\\?\\hid&vid_0000&pid_000b#x -",
                               "\\\\?\\hid#vid_0000&pid_00gz#x 0",
                               "\\\\?\\hid#vid_0000&pid_zzzz#x -",
                               "\\\\?\\hid#vid_0000&pid_000b&pid_0009#x 9",
                               "x#vid_000&pid_000b#x -",
                               "\\\\?\\hid#vid_0000&pid_000b -",
                               board + "7&1#{guid} 11",
                               board + std::string(4096 - board.size(), 'x') + " 11",
                               board + std::string(4097 - board.size(), 'x') + " -"};
  for (const std::string& c : paths) {
    const std::string path = c.substr(0, c.rfind(' ')),
                      product = c.substr(c.rfind(' ') + 1);
    const auto expected =
        product == "-" ? std::nullopt : std::optional<unsigned>(std::stoul(product));
    EXPECT_EQ(opencockpitsProductId(path), expected) << path;
    EXPECT_EQ(opencockpitsProductId(path), expected) << path << " (asked again)";
  }
}
TEST(HidSearchTest, SkipNumbersAndInterfaceLimit) {
  std::string many;  // searches stop after 1000 interfaces
  for (int i = 0; i < 1000; ++i) many += "v1:2:1 ";
  test::useDevices(many + "2:5");
  EXPECT_EQ(findHidDevice(2, -1, -1), -1);
  EXPECT_EQ(hidInterfaceLimit, 1000u);

  // Unreadable keys, paths and interfaces in between are passed over.
  // A key of 512 bytes with its zero byte does not fit the platform's buffer.
  std::vector<HidDeviceRecord> devices = parseScriptedDevices(
      "{" + std::string(505, 'k') + "}\\0004\t\\\\?\\hid#vid_0000&pid_0013#x\n" +
      "\t\\\\?\\hid#vid_0000&pid_0013#x\n{x}\\0003\t\n" +
      test::boards("19:7 11:0 19:2 19:5"));
  test::useDevices("");
  setHidSnapshotSource([&] { return std::make_unique<HidRecordSnapshot>(devices); });
  const int32_t cases[][4] = {{19, -1, -1, 7}, {19, 7, -1, 2},  {19, 7, 2, 5},
                              {19, 2, 5, 7},   {11, -1, -1, 0}, {11, 0, -1, -1}};
  for (const auto& c : cases) EXPECT_EQ(findHidDevice(c[0], c[1], c[2]), c[3]) << c[0];
  EXPECT_EQ(hidInterfaceLimit, 7u);  // the last search ran to the end

  // A board added later beyond the limit is never visited.
  devices = parseScriptedDevices(test::boards("2:1 2:2 2:3 2:4 2:5 2:6 2:7 9:8"));
  EXPECT_EQ(findHidDevice(2, 1, 2), 3);
  EXPECT_EQ(findHidDevice(9, -1, -1), -1);
  devices.clear();
  EXPECT_EQ(findHidDevice(2, -1, -1), -1);
  EXPECT_EQ(findHidDevice(2, -1, -1), -1);
  EXPECT_EQ(hidInterfaceLimit, 0u);
}

}  // namespace
