// The SetupDi backend on the HID devices that Wine lists of its own (a
// virtual keyboard and mouse of another vendor).
#include <gtest/gtest.h>

#include <set>

#include "detect/hid_search.h"
#include "detect/hid_snapshot.h"

namespace {

TEST(HidBackendWin32Test, DevicesHaveNumbersFromTheirOwnDriverKeys) {
  const std::unique_ptr<HidSnapshot> snapshot = openNativeHidSnapshot();
  std::set<int32_t> numbers;
  uint32_t index = 0;
  for (; snapshot->hasInterface(index); ++index) {
    const auto key = snapshot->driverKey(index);
    const auto path = snapshot->interfacePath(index);
    ASSERT_TRUE(key && path) << index;
    EXPECT_EQ(key->back(), '\0') << *key;  // the stored size counts the zero byte
    const int32_t number = deviceNumberFromDriverKey(*key);
    EXPECT_NE(number, -1) << *key;
    EXPECT_TRUE(numbers.insert(number).second) << "number " << number << " twice";
    EXPECT_NE(path->find("#vid_"), std::string::npos) << *path;
    EXPECT_EQ(opencockpitsProductId(*path), std::nullopt) << *path;
  }
  EXPECT_GT(index, 0u) << "no HID interface listed";
  EXPECT_FALSE(snapshot->hasInterface(index + 1));
}

}  // namespace
