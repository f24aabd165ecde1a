#include "detect/hid_search.h"

#include <algorithm>
#include <cctype>
#include <utility>

uint32_t hidInterfaceLimit = kHidInterfaceLimit;

namespace {

HidSnapshotSource& snapshotSource() {
  static HidSnapshotSource source = openNativeHidSnapshot;
  return source;
}

// The setup's rules are whole-text patterns whose wildcard matches every
// character but a line feed or carriage return: a text with either never
// matches.
bool hasLineBreak(const std::string& text) {
  return text.find_first_of("\r\n") != std::string::npos;
}

// Whether word (in lower case) stands in text at at, in any letter case.
bool standsAt(const std::string& text, size_t at, const std::string& word) {
  if (at + word.size() > text.size()) return false;
  for (size_t i = 0; i < word.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(text[at + i])) != word[i]) return false;
  return true;
}

bool isWordCharacter(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_';
}

}  // namespace

ScopedHidSnapshotSource::ScopedHidSnapshotSource(HidSnapshotSource source)
    : earlier_(std::move(snapshotSource())), earlierLimit_(hidInterfaceLimit) {
  snapshotSource() = std::move(source);
}

ScopedHidSnapshotSource::~ScopedHidSnapshotSource() {
  snapshotSource() = std::move(earlier_);
  hidInterfaceLimit = earlierLimit_;
}

void setHidSnapshotSource(HidSnapshotSource source) {
  snapshotSource() = std::move(source);
}

std::unique_ptr<HidSnapshot> takeHidSnapshot() { return snapshotSource()(); }

// .*\}\\(\d{4}).*$ : the four digits after the last "}\" that four digits
// follow.
int32_t deviceNumberFromDriverKey(const std::string& key) {
  if (hasLineBreak(key)) return -1;
  for (size_t at = key.size(); at-- > 0;) {
    if (key.compare(at, 2, "}\\") != 0 || at + 6 > key.size()) continue;
    int32_t number = 0;
    size_t digit = at + 2;
    for (; digit < at + 6 && key[digit] >= '0' && key[digit] <= '9'; ++digit)
      number = number * 10 + (key[digit] - '0');
    if (digit == at + 6) return number;
  }
  return -1;
}

std::string fourDigits(unsigned long value, unsigned base) {
  std::string text(4, '0');
  for (int i = 3; i >= 0; --i, value /= base) text[i] = "0123456789abcdef"[value % base];
  return text;
}

// .+#(vid_0000).+ in any letter case.
bool namesOpencockpitsVendor(const std::string& path) {
  if (hasLineBreak(path)) return false;
  for (size_t hash = path.find('#', 1); hash != std::string::npos;
       hash = path.find('#', hash + 1)) {
    if (hash + 9 < path.size() && standsAt(path, hash + 1, "vid_0000")) return true;
  }
  return false;
}

// .+pid_(\w{4}).+ in any letter case: the last "pid_" with a character
// before it, four word characters after it and one more.
std::optional<unsigned> productIdInPath(const std::string& path) {
  if (hasLineBreak(path) || path.size() < 10) return std::nullopt;
  for (size_t at = path.size() - 9; at >= 1; --at) {
    if (!standsAt(path, at, "pid_") ||
        !std::all_of(path.begin() + static_cast<std::ptrdiff_t>(at + 4),
                     path.begin() + static_cast<std::ptrdiff_t>(at + 8), isWordCharacter))
      continue;
    // Digits such as zzzz name no product; such a device is passed over.
    if (!std::isxdigit(static_cast<unsigned char>(path[at + 4]))) return std::nullopt;
    return static_cast<unsigned>(std::stoul(path.substr(at + 4, 4), nullptr, 16));
  }
  return std::nullopt;
}

HidInterface readInterface(const HidDeviceRecord& record) {
  HidInterface device;
  device.keyRead = record.driverKey.has_value();
  device.deviceNumber =
      record.driverKey ? deviceNumberFromDriverKey(*record.driverKey) : -1;
  device.pathRead = record.interfacePath.has_value();
  device.path = record.interfacePath.value_or("");
  device.opencockpits = namesOpencockpitsVendor(device.path);
  device.product = productIdInPath(device.path);
  return device;
}

int32_t findHidDevice(unsigned productId, int32_t skipNumber1, int32_t skipNumber2) {
  const std::unique_ptr<HidSnapshot> snapshot = takeHidSnapshot();
  for (uint32_t index = 0; index < hidInterfaceLimit; ++index) {
    // The key is read before the interface, for every index.
    std::optional<std::string> key = snapshot->driverKey(index);
    if (!snapshot->hasInterface(index)) {
      hidInterfaceLimit = index;
      break;
    }
    const HidInterface device =
        readInterface({std::move(key), snapshot->interfacePath(index)});
    if (device.opencockpits && device.product == productId && device.deviceNumber != -1 &&
        device.deviceNumber != skipNumber1 && device.deviceNumber != skipNumber2) {
      return device.deviceNumber;
    }
  }
  return -1;
}
