// Detection over an arbitrary device list (the scripted format) never gives
// one CDU number to both an FMC747 and an FMC747V3, and the board listing
// names exactly the slots it fills, each once, with columns that agree.
#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <set>
#include <stdexcept>

#include "detect/board_listing.h"
#include "detect/hid_scripted.h"
#include "detect/hid_search.h"
#include "detect/modules.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::vector<HidDeviceRecord> devices =
      parseScriptedDevices(std::string(reinterpret_cast<const char*>(data), size));
  hidInterfaceLimit = kHidInterfaceLimit;
  setHidSnapshotSource([&] { return std::make_unique<HidRecordSnapshot>(devices); });
  ModuleSlots slots = searchBoards();
  try {
    applyBoardRules(slots);
  } catch (const std::runtime_error&) {
    slots.fill(-1);
  }
  std::multiset<std::string> filled, named;
  for (int slot = 0; slot < kModuleSlotCount; ++slot) {
    if (slot >= kCdu1 && slot <= kCdu3 && slots[slot] != -1 && slots[slot + 3] != -1)
      std::abort();
    if (slots[slot] != -1) filled.insert(moduleName(slot));
  }
  for (const std::string& line : boardListing(devices)) {
    // An interface's row: its number, the columns, the verdict.
    if (line.size() <= 31 || std::isdigit(static_cast<unsigned char>(line[3])) == 0)
      continue;
    const std::string verdict = line.substr(31);
    // The vendor column says 0000 exactly where the verdict takes the device
    // for Opencockpits', and a board given a slot has its product id.
    const bool notOurs = verdict == "another maker's device" ||
                         verdict == "its interface path cannot be read";
    if ((line.compare(6, 4, "0000") == 0) == notOurs) std::abort();
    if (std::count(moduleNames.begin(), moduleNames.end(), verdict)) {
      if (line.compare(14, 1, "?") == 0) std::abort();
      named.insert(verdict);
    }
  }
  if (named != filled) std::abort();
  return 0;
}
