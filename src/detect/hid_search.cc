#include "detect/hid_search.h"

#include <algorithm>
#include <cctype>
#include <string_view>
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
  return text.find('\n') != std::string::npos || text.find('\r') != std::string::npos;
}

// Letter case as the C locale has it, which the programs keep.
char lowerCase(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Whether word (in lower case) stands in text at at, in any letter case.
bool standsAt(const std::string& text, size_t at, std::string_view word) {
  if (at + word.size() > text.size()) return false;
  for (size_t i = 0; i < word.size(); ++i)
    if (lowerCase(text[at + i]) != word[i]) return false;
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

std::vector<HidDeviceRecord> readDevices(HidSnapshot& snapshot) {
  std::vector<HidDeviceRecord> devices;
  for (uint32_t index = 0; snapshot.hasInterface(index); ++index)
    devices.push_back({snapshot.driverKey(index), snapshot.interfacePath(index)});
  return devices;
}

// .*\}\\(\d{4}).*$ : the four digits after the last "}\" that four digits
// follow.
int32_t deviceNumberFromDriverKey(const std::string& key) {
  if (hasLineBreak(key)) return -1;
  for (size_t at = key.size(); at-- > 0;) {
    if (key[at] != '}' || at + 6 > key.size() || key[at + 1] != '\\') continue;
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

namespace {

int hexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  const char lower = lowerCase(c);
  return lower >= 'a' && lower <= 'f' ? lower - 'a' + 10 : -1;
}

// The text read as strtoul reads it in base 16: the leading hex digits, after
// an "0x" that a digit follows. Both platforms read the same.
unsigned hexValue(std::string_view text) {
  size_t at = text.size() > 2 && text[0] == '0' && lowerCase(text[1]) == 'x' &&
                      hexDigitValue(text[2]) >= 0
                  ? 2
                  : 0;
  unsigned value = 0;
  for (; at < text.size() && hexDigitValue(text[at]) >= 0; ++at)
    value = value * 16 + static_cast<unsigned>(hexDigitValue(text[at]));
  return value;
}

// The two path rules for a path without a line break.
bool vendorRule(const std::string& path) {
  for (size_t hash = path.find('#', 1); hash != std::string::npos;
       hash = path.find('#', hash + 1)) {
    if (hash + 9 < path.size() && standsAt(path, hash + 1, "vid_0000")) return true;
  }
  return false;
}

std::optional<unsigned> productRule(const std::string& path) {
  // The last "pid_" at 1 or later with five characters after it, found by
  // its '_' (a fast forward search; paths hold few).
  size_t found = std::string::npos;
  for (size_t bar = path.find('_', 4); bar != std::string::npos && bar + 6 <= path.size();
       bar = path.find('_', bar + 1)) {
    const size_t at = bar - 3;
    if (standsAt(path, at, "pid") &&
        std::all_of(path.begin() + static_cast<std::ptrdiff_t>(at + 4),
                    path.begin() + static_cast<std::ptrdiff_t>(at + 8), isWordCharacter))
      found = at;
  }
  // Digits such as zzzz name no product; such a device is passed over.
  if (found == std::string::npos || hexDigitValue(path[found + 4]) < 0)
    return std::nullopt;
  return hexValue(std::string_view(path).substr(found + 4, 4));
}

}  // namespace

// .+#(vid_0000).+ in any letter case.
bool namesOpencockpitsVendor(const std::string& path) {
  return !hasLineBreak(path) && vendorRule(path);
}

// .+pid_(\w{4}).+ in any letter case: the last "pid_" with a character
// before it, four word characters after it and one more.
std::optional<unsigned> productIdInPath(const std::string& path) {
  return hasLineBreak(path) ? std::nullopt : productRule(path);
}

HidInterface readInterface(HidDeviceRecord record) {
  HidInterface device;
  device.keyRead = record.driverKey.has_value();
  device.deviceNumber =
      record.driverKey ? deviceNumberFromDriverKey(*record.driverKey) : -1;
  device.pathRead = record.interfacePath.has_value();
  if (record.interfacePath) device.path = std::move(*record.interfacePath);
  if (!hasLineBreak(device.path)) {
    device.opencockpits = vendorRule(device.path);
    device.product = productRule(device.path);
  }
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
