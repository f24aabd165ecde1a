// Detection over an arbitrary device list (the scripted format): no device
// number in two slots, no CDU number used by a cdu and a cduv3 slot at once,
// and any failure is one of the defined messages.
#include <cstdint>
#include <cstdlib>
#include <iostream>
#include <set>
#include <sstream>
#include <stdexcept>
#include <string>

#include "detect/hid_scripted.h"
#include "detect/hid_search.h"
#include "detect/modules.h"

namespace {

bool isDefinedFailure(const std::string& message) {
  if (message == "None of the Opencockpits modules detected." ||
      message == "As well MCP737 as MCP737V3 were detected; this is not supported.") {
    return true;
  }
  for (int f = 1; f <= 3; ++f) {
    for (int v = 1; v <= 3; ++v) {
      if (message == "As well " + std::to_string(f) + " FMC747 as " + std::to_string(v) +
                         " FMC747V3 were detected...; this is not supported.") {
        return true;
      }
    }
  }
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<HidDeviceRecord> devices;
  std::set<int32_t> seen;
  // The platform never lists two devices with one number.
  for (HidDeviceRecord& device :
       parseScriptedDevices(std::string(reinterpret_cast<const char*>(data), size))) {
    const int32_t number =
        device.driverKey ? deviceNumberFromDriverKey(*device.driverKey) : -1;
    if (number == -1 || seen.insert(number).second) devices.push_back(std::move(device));
  }
  hidInterfaceLimit = 1000;
  moduleSlots.fill(-1);
  setHidSnapshotSource([&] { return std::make_unique<HidRecordSnapshot>(devices); });

  std::ostringstream sink;
  std::streambuf* previous = std::cout.rdbuf(sink.rdbuf());
  try {
    detectModules();
  } catch (const std::runtime_error& e) {
    if (!isDefinedFailure(e.what())) std::abort();
    std::cout.rdbuf(previous);
    return 0;
  }
  std::cout.rdbuf(previous);

  std::set<int32_t> numbers;
  for (int32_t number : moduleSlots) {
    if (number != -1 && !numbers.insert(number).second) std::abort();
  }
  for (int k = 0; k < 3; ++k) {
    if (moduleSlots[kCdu1 + k] != -1 && moduleSlots[kCduV31 + k] != -1) std::abort();
  }
  return 0;
}
