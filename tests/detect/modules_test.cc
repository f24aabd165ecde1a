#include "detect/modules.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "test_util.h"

namespace {

// Boards in list order (test::boards words) => the occupied slots, or the
// failure; "F,V" stands for the CDU failure with those counts.
TEST(ModulesTest, SlotsAndFailures) {
  const char* cases[] = {
      "11:3 20:4 2:6 11:1 19:2 13:5 => efis1=3 efis2=1 mcpv3=4 comm1=5 cdu2=6 cduv31=2 ",
      " => None of the Opencockpits modules detected.",
      "2:8 2:9 19:1 => cdu2=9 cdu3=8 cduv31=1 ",
      "2:8 19:1 21:3 => cdu2=8 cduv31=1 chrono1=3 ",
      "2:1 2:2 2:3 19:4 => 3,1",
      "2:1 19:2 19:3 19:4 => 1,3",
      "2:1 2:2 19:3 19:4 => 2,2",
      "8:7 13:1 13:2 => comm1=1 comm2=2 comm3=7 ",
      "8:7 13:1 13:2 13:3 => comm1=1 comm2=2 comm3=3 ",
      "8:4 8:3 8:2 8:1 => comm1=4 comm2=3 comm3=2 ",
      "8:7 8:8 13:1 => comm1=1 comm2=7 comm3=8 "};
  for (const std::string c : cases) {
    test::useDevices(c.substr(0, c.find(" => ")));
    std::string expected = c.substr(c.find(" => ") + 4), slots;
    if (expected[1] == ',') {
      expected = "As well " + expected.substr(0, 1) + " FMC747 as " + expected.substr(2) +
                 " FMC747V3 were detected...; this is not supported.";
    }
    try {
      detectModules();
      for (int slot = 0; slot < kModuleSlotCount; ++slot) {
        if (moduleSlots[slot] != -1)
          slots += moduleName(slot) + "=" + std::to_string(moduleSlots[slot]) + " ";
      }
    } catch (const std::runtime_error& e) {
      slots = e.what();
    }
    EXPECT_EQ(slots, expected) << c;
  }
}

}  // namespace
