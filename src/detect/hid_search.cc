#include "detect/hid_search.h"

#include <cctype>
#include <regex>
#include <utility>

uint32_t hidInterfaceLimit = 1000;

namespace {

HidSnapshotSource& snapshotSource() {
  static HidSnapshotSource source = openNativeHidSnapshot;
  return source;
}

}  // namespace

void setHidSnapshotSource(HidSnapshotSource source) {
  snapshotSource() = std::move(source);
}

int32_t deviceNumberFromDriverKey(const std::string& key) {
  static const std::regex pattern(".*\\}\\\\(\\d{4}).*$", std::regex::ECMAScript);
  std::smatch match;
  if (!std::regex_match(key, match, pattern)) return -1;
  return static_cast<int32_t>(std::stoi(match[1].str()));
}

std::optional<unsigned> opencockpitsProductId(const std::string& path) {
  static const std::regex vendor(".+#(vid_0000).+",
                                 std::regex::ECMAScript | std::regex::icase);
  static const std::regex product(".+pid_(\\w{4}).+",
                                  std::regex::ECMAScript | std::regex::icase);
  std::smatch match;
  if (!std::regex_match(path, vendor) || !std::regex_match(path, match, product)) {
    return std::nullopt;
  }
  const std::string digits = match[1].str();
  // Digits such as zzzz name no product; such a device is passed over.
  if (!std::isxdigit(static_cast<unsigned char>(digits[0]))) return std::nullopt;
  return static_cast<unsigned>(std::stoul(digits, nullptr, 16));
}

int32_t findHidDevice(unsigned productId, int32_t skipNumber1, int32_t skipNumber2) {
  const std::unique_ptr<HidSnapshot> snapshot = snapshotSource()();
  for (uint32_t index = 0; index < hidInterfaceLimit; ++index) {
    int32_t deviceNumber = -1;
    if (const std::optional<std::string> key = snapshot->driverKey(index)) {
      deviceNumber = deviceNumberFromDriverKey(*key);
    }
    if (!snapshot->hasInterface(index)) {
      hidInterfaceLimit = index;
      break;
    }
    const std::optional<std::string> path = snapshot->interfacePath(index);
    if (!path) continue;
    const std::optional<unsigned> product = opencockpitsProductId(*path);
    if (product && *product == productId && deviceNumber != -1 &&
        deviceNumber != skipNumber1 && deviceNumber != skipNumber2) {
      return deviceNumber;
    }
  }
  return -1;
}
