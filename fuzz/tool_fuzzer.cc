// Properties over arbitrary input; the first byte picks one:
//   even: detection over a device list (the scripted format) puts no CDU
//     number in a cdu and a cduv3 slot, and the board listing names exactly
//     the slots it fills, each once;
//   odd: a start-up path gives a base folder that begins it, or a message.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <iostream>
#include <set>
#include <stdexcept>

#include "app/location.h"
#include "detect/board_listing.h"
#include "detect/hid_scripted.h"
#include "detect/hid_search.h"
#include "detect/modules.h"

namespace {

void detect(const std::string& text) {
  const std::vector<HidDeviceRecord> devices = parseScriptedDevices(text);
  hidInterfaceLimit = 1000;
  setHidSnapshotSource([&] { return std::make_unique<HidRecordSnapshot>(devices); });
  std::streambuf* previous = std::cout.rdbuf(nullptr);
  try {
    detectModules();
  } catch (const std::runtime_error&) {
    moduleSlots.fill(-1);
  }
  std::cout.rdbuf(previous);
  for (int k = 0; k < 3; ++k)
    if (moduleSlots[kCdu1 + k] != -1 && moduleSlots[kCduV31 + k] != -1) std::abort();
  std::multiset<std::string> filled, named;
  for (int slot = 0; slot < kModuleSlotCount; ++slot)
    if (moduleSlots[slot] != -1) filled.insert(moduleName(slot));
  for (const std::string& line : boardListing(devices)) {
    const std::string verdict = line.size() > 31 ? line.substr(31) : "";
    if (std::count(moduleNames.begin(), moduleNames.end(), verdict))
      named.insert(verdict);
  }
  if (named != filled) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
  if (data[0] % 2 == 0) {
    detect(text);
  } else {
    const StartupLocation found = locateBaseFolder(std::filesystem::u8path(text));
    if (found.found != found.message.empty() ||
        text.rfind(found.baseFolder.u8string(), 0) != 0)
      std::abort();
  }
  return 0;
}
