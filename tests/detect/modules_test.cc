#include "detect/modules.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "test_util.h"

namespace {

// Boards in list order (test::boards words) fill slots by the setup's rules,
// or the combination is refused.
TEST(ModulesTest, SlotsAndFailures) {
  const auto refused = [](int fmc, int fmcV3) {
    return "As well " + std::to_string(fmc) + " FMC747 as " + std::to_string(fmcV3) +
           " FMC747V3 were detected...; this is not supported.";
  };
  const struct {
    const char* name;
    const char* boards;
    std::string slots;  // the occupied slots, or the failure
  } cases[] = {
      {"the worked example's boards", "efis:3 mcpv3:4 fmc:6 efis:1 fmcv3:2 comm:5",
       "efis1=3 efis2=1 mcpv3=4 comm1=5 cdu2=6 cduv31=2 "},
      {"FMC747 boards move to the numbers a V3 leaves", "fmc:8 fmc:9 fmcv3:1",
       "cdu2=9 cdu3=8 cduv31=1 "},
      {"beside a chrono", "fmc:8 fmcv3:1 chrono:3", "cdu2=8 cduv31=1 chrono1=3 "},
      {"three FMC747 and a V3 are refused", "fmc:1 fmc:2 fmc:3 fmcv3:4", refused(3, 1)},
      {"one FMC747 and three V3", "fmc:1 fmcv3:2 fmcv3:3 fmcv3:4", refused(1, 3)},
      {"two and two", "fmc:1 fmc:2 fmcv3:3 fmcv3:4", refused(2, 2)},
      {"product 13 COMM boards first", "comm8:7 comm:1 comm:2",
       "comm1=1 comm2=2 comm3=7 "},
      {"three of product 13 leave none for product 8", "comm8:7 comm:1 comm:2 comm:3",
       "comm1=1 comm2=2 comm3=3 "},
      {"product 8 alone in list order", "comm8:4 comm8:3 comm8:2 comm8:1",
       "comm1=4 comm2=3 comm3=2 "},
      {"one of product 13, then product 8", "comm8:7 comm8:8 comm:1",
       "comm1=1 comm2=7 comm3=8 "}};
  for (const auto& c : cases) {
    test::useDevices(c.boards);
    std::string slots;
    try {
      detectModules();
      for (int slot = 0; slot < kModuleSlotCount; ++slot) {
        if (moduleSlots[slot] != -1)
          slots += moduleName(slot) + "=" + std::to_string(moduleSlots[slot]) + " ";
      }
    } catch (const std::runtime_error& e) {
      slots = e.what();
    }
    EXPECT_EQ(slots, c.slots) << c.name;
  }
}

}  // namespace
