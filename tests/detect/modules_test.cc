#include "detect/modules.h"

#include <gtest/gtest.h>

#include <map>
#include <random>
#include <set>
#include <stdexcept>

#include "test_util.h"

namespace {

using test::board;

// Runs detection; gives the occupied slots by name, or the failure message.
struct Detection {
  std::map<std::string, int32_t> slots;
  std::string failure;
  std::string printed;
};

Detection detect(const std::vector<HidDeviceRecord>& devices) {
  test::useDevices(devices);
  Detection result;
  test::CoutCapture out;
  try {
    detectModules();
    for (int slot = 0; slot < kModuleSlotCount; ++slot) {
      if (moduleSlots[slot] != -1) result.slots[moduleName(slot)] = moduleSlots[slot];
    }
  } catch (const std::runtime_error& e) {
    result.failure = e.what();
  }
  result.printed = out.text();
  return result;
}

// Boards of one product with the given device numbers, in list order.
std::vector<HidDeviceRecord> boards(unsigned product,
                                    std::initializer_list<int> numbers) {
  std::vector<HidDeviceRecord> list;
  for (int n : numbers) list.push_back(board(product, n));
  return list;
}

std::vector<HidDeviceRecord> join(
    std::initializer_list<std::vector<HidDeviceRecord>> parts) {
  std::vector<HidDeviceRecord> list;
  for (const auto& part : parts) list.insert(list.end(), part.begin(), part.end());
  return list;
}

std::string cduFailure(int f, int v) {
  return "As well " + std::to_string(f) + " FMC747 as " + std::to_string(v) +
         " FMC747V3 were detected...; this is not supported.";
}

TEST(ModulesTest, SlotsAndFailures) {
  const std::string none = "None of the Opencockpits modules detected.";
  const std::string mcps =
      "As well MCP737 as MCP737V3 were detected; this is not supported.";
  const struct {
    const char* name;
    std::vector<HidDeviceRecord> devices;
    std::map<std::string, int32_t> slots;
    std::string failure;
  } cases[] = {
      {"worked example",
       {board(11, 3), board(20, 4), board(2, 6), board(11, 1), board(19, 2),
        board(13, 5)},
       {{"efis1", 3},
        {"efis2", 1},
        {"mcpv3", 4},
        {"comm1", 5},
        {"cdu2", 6},
        {"cduv31", 2}},
       ""},
      {"no board", {}, {}, none},
      {"other vendors only", {board(11, 1, 0x046d), board(9, 2, 0x0001)}, {}, none},
      {"mcp before the cdu rule",
       join({boards(9, {1}), boards(20, {2}), boards(19, {3, 4, 5}), boards(2, {6})}),
       {},
       mcps},
      {"one FMC747, one V3",
       join({boards(2, {8}), boards(19, {1})}),
       {{"cdu2", 8}, {"cduv31", 1}},
       ""},
      {"two FMC747, one V3",
       join({boards(2, {8, 9}), boards(19, {1})}),
       {{"cdu2", 9}, {"cdu3", 8}, {"cduv31", 1}},
       ""},
      {"one FMC747, two V3",
       join({boards(2, {8}), boards(19, {1, 2})}),
       {{"cdu3", 8}, {"cduv31", 1}, {"cduv32", 2}},
       ""},
      {"three FMC747 alone",
       boards(2, {1, 2, 3}),
       {{"cdu1", 1}, {"cdu2", 2}, {"cdu3", 3}},
       ""},
      {"three V3 alone",
       boards(19, {1, 2, 3}),
       {{"cduv31", 1}, {"cduv32", 2}, {"cduv33", 3}},
       ""},
      {"fourth FMC747 left out",
       boards(2, {1, 2, 3, 4}),
       {{"cdu1", 1}, {"cdu2", 2}, {"cdu3", 3}},
       ""},
      {"three FMC747, one V3",
       join({boards(2, {1, 2, 3}), boards(19, {4})}),
       {},
       cduFailure(3, 1)},
      {"one FMC747, three V3",
       join({boards(2, {1}), boards(19, {2, 3, 4})}),
       {},
       cduFailure(1, 3)},
      {"two FMC747, three V3",
       join({boards(2, {1, 2}), boards(19, {3, 4, 5})}),
       {},
       cduFailure(2, 3)},
      {"two FMC747, two V3",
       join({boards(2, {1, 2}), boards(19, {3, 4})}),
       {},
       cduFailure(2, 2)},
      {"three FMC747, two V3",
       join({boards(2, {1, 2, 3}), boards(19, {4, 5})}),
       {},
       cduFailure(3, 2)},
      {"two comm 13, one comm 8",
       join({boards(8, {7}), boards(13, {1, 2})}),
       {{"comm1", 1}, {"comm2", 2}, {"comm3", 7}},
       ""},
      {"three comm 13, one comm 8",
       join({boards(8, {7}), boards(13, {1, 2, 3})}),
       {{"comm1", 1}, {"comm2", 2}, {"comm3", 3}},
       ""},
      {"four comm 8",
       boards(8, {4, 3, 2, 1}),
       {{"comm1", 4}, {"comm2", 3}, {"comm3", 2}},
       ""},
      {"one comm 13, two comm 8",
       join({boards(8, {7, 8}), boards(13, {1})}),
       {{"comm1", 1}, {"comm2", 7}, {"comm3", 8}},
       ""},
      {"three efis, three chrono",
       join({boards(11, {1, 2, 3}), boards(21, {4, 5, 6})}),
       {{"efis1", 1}, {"efis2", 2}, {"chrono1", 4}, {"chrono2", 5}},
       ""},
      {"second mcp and atc left out",
       join({boards(9, {1, 2}), boards(16, {3, 4})}),
       {{"mcp", 1}, {"atc", 3}},
       ""},
      {"device number 0", boards(16, {0}), {{"atc", 0}}, ""},
      {"bad product digits passed over",
       {{board(11, 1).driverKey, std::string("\\\\?\\hid#vid_0000&pid_zzzz#x")},
        board(11, 2)},
       {{"efis1", 2}},
       ""},
  };
  for (const auto& c : cases) {
    const Detection result = detect(c.devices);
    EXPECT_EQ(result.failure, c.failure) << c.name;
    EXPECT_EQ(result.slots, c.slots) << c.name;
    std::string expected;
    for (int slot = 0; slot < kModuleSlotCount; ++slot) {
      if (c.slots.count(moduleName(slot)) != 0)
        expected += moduleName(slot) + " module detected\n";
    }
    EXPECT_EQ(result.printed, expected) << c.name;
  }
}

// Over many random device lists with distinct numbers: no number in two
// slots, and no CDU number used by a cdu and a cduv3 slot at once.
TEST(ModulesTest, InvariantsOverGeneratedLists) {
  const unsigned products[] = {2, 8, 9, 11, 13, 16, 19, 20, 21, 5};
  std::mt19937 random(12345);
  for (int round = 0; round < 2000; ++round) {
    std::vector<HidDeviceRecord> devices;
    const int count = static_cast<int>(random() % 14);
    for (int n = 0; n < count; ++n) {
      devices.push_back(
          board(products[random() % 10], n * 7 % 100, random() % 8 == 0 ? 1 : 0));
    }
    const Detection result = detect(devices);
    if (!result.failure.empty()) continue;
    std::set<int32_t> numbers;
    for (const auto& [name, number] : result.slots) {
      EXPECT_TRUE(numbers.insert(number).second) << "round " << round << " " << name;
    }
    for (int k = 0; k < 3; ++k) {
      EXPECT_FALSE(moduleSlots[kCdu1 + k] != -1 && moduleSlots[kCduV31 + k] != -1)
          << "round " << round << " cdu number " << k + 1;
    }
  }
}

}  // namespace
