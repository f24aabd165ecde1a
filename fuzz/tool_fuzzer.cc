// Properties over arbitrary input; the first byte picks one:
//   0: a text file read, written and read again gives the same lines;
//   1: detection over a device list (the scripted format) puts no device
//      number in two slots and no CDU number in a cdu and a cduv3 slot, and
//      the board listing names exactly the slots it fills;
//   2: a start-up path gives a base folder that begins it, or a message;
//   3: the Windows form of a text has no slash and is its own Windows form.
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <set>
#include <stdexcept>

#include "app/location.h"
#include "detect/board_listing.h"
#include "detect/hid_scripted.h"
#include "detect/hid_search.h"
#include "detect/modules.h"
#include "sioc_lib/path_text.h"
#include "sioc_lib/txt_file.h"

namespace {

sioc_lib::LineList readBack(const std::filesystem::path& file) {
  sioc_lib::TxtFileReader reader;
  sioc_lib::LineList lines;
  if (!reader.open(file, false)) std::abort();
  reader.readLines(lines);
  return lines;
}

void roundTrip(const std::string& bytes) {
  static const auto folder = std::filesystem::temp_directory_path();
  std::ofstream(folder / "trv_fuzz_in", std::ios::binary) << bytes;
  const sioc_lib::LineList lines = readBack(folder / "trv_fuzz_in");
  sioc_lib::TxtFileWriter writer;
  if (!writer.open(folder / "trv_fuzz_out", false)) std::abort();
  writer.writeLines(lines);
  if (!writer.close() || readBack(folder / "trv_fuzz_out") != lines) std::abort();
}

void detect(const std::string& text) {
  std::vector<HidDeviceRecord> devices;
  std::set<int32_t> seen;  // the platform never lists two devices with one number
  for (HidDeviceRecord& device : parseScriptedDevices(text)) {
    const int32_t number =
        device.driverKey ? deviceNumberFromDriverKey(*device.driverKey) : -1;
    if (number == -1 || seen.insert(number).second) devices.push_back(std::move(device));
  }
  hidInterfaceLimit = 1000;
  setHidSnapshotSource([&] { return std::make_unique<HidRecordSnapshot>(devices); });
  std::streambuf* previous = std::cout.rdbuf(nullptr);
  try {
    detectModules();
  } catch (const std::runtime_error&) {
    moduleSlots.fill(-1);
  }
  std::cout.rdbuf(previous);
  std::set<int32_t> numbers;
  for (int32_t number : moduleSlots)
    if (number != -1 && !numbers.insert(number).second) std::abort();
  for (int k = 0; k < 3; ++k)
    if (moduleSlots[kCdu1 + k] != -1 && moduleSlots[kCduV31 + k] != -1) std::abort();
  std::set<std::string> filled, named;
  for (int slot = 0; slot < kModuleSlotCount; ++slot)
    if (moduleSlots[slot] != -1) filled.insert(moduleName(slot));
  for (const std::string& line : boardListing(devices)) {
    const std::string verdict = line.size() > 31 ? line.substr(31) : "";
    for (const std::string& name : moduleNames)
      if (verdict == name) named.insert(name);
  }
  if (named != filled) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size == 0) return 0;
  const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);
  if (data[0] % 4 == 0) roundTrip(text);
  if (data[0] % 4 == 1) detect(text);
  if (data[0] % 4 == 2) {
    const StartupLocation found = locateBaseFolder(std::filesystem::u8path(text));
    if (found.found != found.message.empty() ||
        text.rfind(found.baseFolder.u8string(), 0) != 0)
      std::abort();
  }
  const std::string form = sioc_lib::windowsForm(text);
  if (form.find('/') != std::string::npos || sioc_lib::windowsForm(form) != form)
    std::abort();
  return 0;
}
