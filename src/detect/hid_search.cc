#include "detect/hid_search.h"

#include <cctype>
#include <regex>
#include <unordered_map>
#include <utility>

#include "sioc_lib/path_text.h"

uint32_t hidInterfaceLimit = kHidInterfaceLimit;

namespace {

HidSnapshotSource& snapshotSource() {
  static HidSnapshotSource source = openNativeHidSnapshot;
  return source;
}

// A necessary condition of the vendor rule: "#vid_0000" in any letter case.
bool mayNameOpencockpitsVendor(const std::string& path) {
  static const char kVendor[] = "vid_0000";
  for (size_t hash = path.find('#'); hash != std::string::npos;
       hash = path.find('#', hash + 1)) {
    size_t i = 0;
    while (i < 8 && hash + 1 + i < path.size() &&
           std::tolower(static_cast<unsigned char>(path[hash + 1 + i])) == kVendor[i]) {
      ++i;
    }
    if (i == 8) return true;
  }
  return false;
}

}  // namespace

void setHidSnapshotSource(HidSnapshotSource source) {
  snapshotSource() = std::move(source);
}

std::unique_ptr<HidSnapshot> takeHidSnapshot() { return snapshotSource()(); }

int32_t deviceNumberFromDriverKey(const std::string& key) {
  static const std::regex pattern(R"(.*\}\\(\d{4}).*$)", std::regex::ECMAScript);
  std::smatch match;
  if (!sioc_lib::matchWhole(key, pattern, &match)) return -1;
  return static_cast<int32_t>(std::stoi(match[1].str()));
}

std::string fourDigits(unsigned long value, unsigned base) {
  std::string text(4, '0');
  for (int i = 3; i >= 0; --i, value /= base) text[i] = "0123456789abcdef"[value % base];
  return text;
}

bool namesOpencockpitsVendor(const std::string& path) {
  static const std::regex vendor(".+#(vid_0000).+",
                                 std::regex::ECMAScript | std::regex::icase);
  // The regular expression decides; the cheap test only spares it the paths
  // that cannot match, which are nearly all of them.
  return mayNameOpencockpitsVendor(path) && sioc_lib::matchWhole(path, vendor);
}

std::optional<unsigned> productIdInPath(const std::string& path) {
  static const std::regex product(R"(.+pid_(\w{4}).+)",
                                  std::regex::ECMAScript | std::regex::icase);
  std::smatch match;
  if (!sioc_lib::matchWhole(path, product, &match)) return std::nullopt;
  const std::string digits = match[1].str();
  // Digits such as zzzz name no product; such a device is passed over.
  if (!std::isxdigit(static_cast<unsigned char>(digits[0]))) return std::nullopt;
  return static_cast<unsigned>(std::stoul(digits, nullptr, 16));
}

std::optional<unsigned> opencockpitsProductId(const std::string& path) {
  if (!mayNameOpencockpitsVendor(path)) return std::nullopt;
  // Every search asks again about the same few boards, and the answer
  // depends on the path alone: work each path out once.
  static std::unordered_map<std::string, std::optional<unsigned>> known;
  if (const auto it = known.find(path); it != known.end()) return it->second;
  if (known.size() >= 1024) known.clear();
  const std::optional<unsigned> product =
      namesOpencockpitsVendor(path) ? productIdInPath(path) : std::nullopt;
  known.emplace(path, product);
  return product;
}

int32_t findHidDevice(unsigned productId, int32_t skipNumber1, int32_t skipNumber2) {
  const std::unique_ptr<HidSnapshot> snapshot = takeHidSnapshot();
  for (uint32_t index = 0; index < hidInterfaceLimit; ++index) {
    // The key is read before the interface, for every index; its number is
    // only worked out for a board of the product sought.
    const std::optional<std::string> key = snapshot->driverKey(index);
    if (!snapshot->hasInterface(index)) {
      hidInterfaceLimit = index;
      break;
    }
    const std::optional<std::string> path = snapshot->interfacePath(index);
    if (!path || opencockpitsProductId(*path) != productId) continue;
    const int32_t deviceNumber = key ? deviceNumberFromDriverKey(*key) : -1;
    if (deviceNumber != -1 && deviceNumber != skipNumber1 &&
        deviceNumber != skipNumber2) {
      return deviceNumber;
    }
  }
  return -1;
}
