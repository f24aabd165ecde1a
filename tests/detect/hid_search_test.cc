#include "detect/hid_search.h"

#include <gtest/gtest.h>

#include <random>
#include <regex>
#include <stdexcept>

#include "test_util.h"

namespace {

using test::board;

TEST(HidSearchTest, DeviceNumberFromDriverKey) {
  const struct {
    std::string key;
    int32_t number;
  } cases[] = {
      {std::string("{745a17a0-74d3-11d0-b6fe-00a0c90f57da}\\0012\0", 44), 12},
      {"{x}\\0000", 0},
      {"{x}\\9999", 9999},
      {"{x}\\12345", 1234},       // any text may follow the four digits
      {"{a}\\0001{b}\\0002", 2},  // the last "}\" with four digits counts
      {"{x}\\123", -1},
      {"{x}0012", -1},
      {"x\\0012", -1},
      {"{x}\\00a1", -1},
      {"", -1},
      {"{x}\\0012\n", -1},  // a line break is no wildcard character
      {"{x}\\0012" + std::string(5000, 'x'), -1},  // longer than any key: no match
  };
  for (const auto& c : cases)
    EXPECT_EQ(deviceNumberFromDriverKey(c.key), c.number) << c.key;
}

TEST(HidSearchTest, ProductIdFromInterfacePath) {
  const struct {
    const char* path;
    std::optional<unsigned> product;
  } cases[] = {
      {"\\\\?\\hid#vid_0000&pid_000b#7&1#{guid}", 11},
      {"\\\\?\\HID#VID_0000&PID_000B#7&1#{guid}", 11},
      {"\\\\?\\hid#vid_0000&pid_0013#x", 19},
      {"\\\\?\\hid#vid_046d&pid_000b#x", std::nullopt},  // another vendor
      {"\\\\?\\hid#vid_0000&pid_000b", std::nullopt},    // nothing after the digits
      {"#vid_0000&pid_000b#x", std::nullopt},            // nothing before the #
      {"\\\\?\\hid&vid_0000&pid_000b#x", std::nullopt},  // vendor without #
      {"\\\\?\\hid#vid_0000&pid_00gz#x", 0},             // longest hex prefix
      {"\\\\?\\hid#vid_0000&pid_zzzz#x", std::nullopt},  // no hex digit at all
      {"\\\\?\\hid#vid_0000&pid_000b&pid_0009#x", 9},    // the last pid_ counts
      {"\\\\?\\hid#vid_0000&pid_0b#x", std::nullopt},
  };
  for (const auto& c : cases)
    EXPECT_EQ(opencockpitsProductId(c.path), c.product) << c.path;

  // The longest path tried, and one beyond it.
  const std::string board = "\\\\?\\hid#vid_0000&pid_000b#";
  EXPECT_EQ(opencockpitsProductId(board + std::string(4096 - board.size(), 'x')), 11u);
  EXPECT_EQ(opencockpitsProductId(board + std::string(4097 - board.size(), 'x')),
            std::nullopt);
}

// Counts what a search asks of the snapshots it is given.
struct CountingSnapshot : HidRecordSnapshot {
  CountingSnapshot(std::vector<HidDeviceRecord> records, int& asked)
      : HidRecordSnapshot(std::move(records)), asked_(asked) {}
  bool hasInterface(uint32_t index) override {
    ++asked_;
    return HidRecordSnapshot::hasInterface(index);
  }
  int& asked_;
};

TEST(HidSearchTest, FindsBoardsInListOrderPassingOverSkipNumbers) {
  const HidDeviceRecord noKey{std::nullopt, board(19, 1).interfacePath};
  const HidDeviceRecord badKey{std::string("{x}\\12", 6), board(19, 1).interfacePath};
  const HidDeviceRecord noPath{board(19, 3).driverKey, std::nullopt};
  const std::vector<HidDeviceRecord> devices = {
      board(19, 9, 0x046d), noKey,        badKey,       noPath,
      board(19, 7),         board(11, 0), board(19, 2), board(0x13, 5),
  };
  const struct {
    unsigned product;
    int32_t skip1, skip2, expected;
  } cases[] = {
      {19, -1, -1, 7}, {19, 7, -1, 2},  {19, 7, 2, 5},   {19, 2, 5, 7},
      {19, 7, 5, 2},   {11, -1, -1, 0}, {11, 0, -1, -1}, {2, -1, -1, -1},
  };
  for (const auto& c : cases) {
    test::useDevices(devices);
    EXPECT_EQ(findHidDevice(c.product, c.skip1, c.skip2), c.expected)
        << c.product << " " << c.skip1 << " " << c.skip2;
  }
}

TEST(HidSearchTest, InterfaceLimit) {
  test::resetToolState();
  int asked = 0;
  std::vector<HidDeviceRecord> devices(10, board(9, 1, 0x1234));
  devices[3] = board(11, 4);
  setHidSnapshotSource(
      [&] { return std::make_unique<CountingSnapshot>(devices, asked); });

  EXPECT_EQ(findHidDevice(11, -1, -1), 4);  // found at index 3
  EXPECT_EQ(hidInterfaceLimit, 1000u);
  EXPECT_EQ(findHidDevice(9, -1, -1), -1);  // runs to the end
  EXPECT_EQ(hidInterfaceLimit, 10u);

  // A board added later beyond the limit is never visited.
  devices.push_back(board(9, 6));
  asked = 0;
  EXPECT_EQ(findHidDevice(9, -1, -1), -1);
  EXPECT_EQ(asked, 10);

  devices.clear();
  test::resetToolState();
  setHidSnapshotSource(
      [&] { return std::make_unique<CountingSnapshot>(devices, asked); });
  EXPECT_EQ(findHidDevice(11, -1, -1), -1);
  EXPECT_EQ(hidInterfaceLimit, 0u);
  asked = 0;
  EXPECT_EQ(findHidDevice(11, -1, -1), -1);
  EXPECT_EQ(asked, 0);
}

TEST(HidSearchTest, SnapshotFailurePassesThrough) {
  test::resetToolState();
  setHidSnapshotSource([]() -> std::unique_ptr<HidSnapshot> {
    throw std::runtime_error("SetupDiGetClassDevs failed");
  });
  EXPECT_THROW(findHidDevice(11, -1, -1), std::runtime_error);
}

// The cheap test in front of the rules and the memory of earlier answers
// must never change a result: compare with the bare regular expressions.
TEST(HidSearchTest, FastPathNeverChangesAResult) {
  const std::string pieces[] = {
      "#",  "vid_", "VID_", "0000", "00", "pid_", "PiD_",      "000b",      "0013",
      "zz", "&",    "\\",   "?",    "x",  "_",    "#vid_0000", "#ViD_0000", "#vid_000"};
  static const std::regex vendor(".+#(vid_0000).+",
                                 std::regex::ECMAScript | std::regex::icase);
  static const std::regex product(R"(.+pid_(\w{4}).+)",
                                  std::regex::ECMAScript | std::regex::icase);
  std::mt19937 random(2026);
  int accepted = 0;
  for (int round = 0; round < 20000; ++round) {
    std::string path;
    const int count = static_cast<int>(random() % 10);
    for (int n = 0; n < count; ++n) path += pieces[random() % std::size(pieces)];
    std::optional<unsigned> expected;
    std::smatch match;
    if (std::regex_match(path, vendor) && std::regex_match(path, match, product) &&
        std::isxdigit(static_cast<unsigned char>(match[1].str()[0]))) {
      expected = static_cast<unsigned>(std::stoul(match[1].str(), nullptr, 16));
      ++accepted;
    }
    EXPECT_EQ(opencockpitsProductId(path), expected) << path;
    EXPECT_EQ(opencockpitsProductId(path), expected) << path << " (asked again)";
  }
  EXPECT_GT(accepted, 100);  // the generator reaches the interesting cases
}

}  // namespace
