// The SetupDi backend on the HID devices that Wine lists of its own (a
// virtual keyboard and mouse of another vendor).
#include <gtest/gtest.h>

#include <set>

#include "detect/hid_search.h"

namespace {

TEST(HidBackendWin32Test, DevicesHaveNumbersFromTheirOwnDriverKeys) {
  const std::unique_ptr<HidSnapshot> snapshot = openNativeHidSnapshot();
  std::set<int32_t> numbers;
  uint32_t index = 0;
  for (; snapshot->hasInterface(index); ++index) {
    const auto key = snapshot->driverKey(index);
    const auto path = snapshot->interfacePath(index);
    ASSERT_TRUE(key && path && key->back() == '\0') << index;  // the size counts the zero
    EXPECT_TRUE(numbers.insert(deviceNumberFromDriverKey(*key)).second) << *key;
    EXPECT_NE(path->find("#vid_"), std::string::npos) << *path;
  }
  EXPECT_GT(index, 0u) << "no HID interface listed";
  EXPECT_EQ(numbers.count(-1), 0u);
}

}  // namespace
