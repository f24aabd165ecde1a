#include "detect/hid_sysfs.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>
#include <system_error>
#include <utility>

#include "detect/hid_search.h"
#include "sioc_lib/path_text.h"

namespace {

std::optional<unsigned long> parseNumber(const std::string& text, int base) {
  // std::stoul would also take blanks and a sign.
  if (text.empty() || !std::isxdigit(static_cast<unsigned char>(text[0])))
    return std::nullopt;
  size_t used = 0;
  try {
    const unsigned long value = std::stoul(text, &used, base);
    if (used == text.size()) return value;
  } catch (const std::logic_error&) {  // NOLINT(bugprone-empty-catch): not a number
  }
  return std::nullopt;
}

}  // namespace

std::optional<HidUsbId> parseHidUevent(const std::string& uevent) {
  std::istringstream lines(uevent);
  std::string line;
  const std::string key = "HID_ID=";
  while (std::getline(lines, line)) {
    if (line.compare(0, key.size(), key) != 0) continue;
    const std::string value = line.substr(key.size());
    const size_t first = value.find(':');
    if (first == std::string::npos) return std::nullopt;
    const size_t second = value.find(':', first + 1);
    if (second == std::string::npos) return std::nullopt;
    const auto vendor = parseNumber(value.substr(first + 1, second - first - 1), 16);
    const auto product = parseNumber(value.substr(second + 1), 16);
    if (!vendor || !product || *vendor > 0xFFFF || *product > 0xFFFF) return std::nullopt;
    return HidUsbId{static_cast<unsigned>(*vendor), static_cast<unsigned>(*product)};
  }
  return std::nullopt;
}

SysfsHidBackend::SysfsHidBackend(std::filesystem::path sysRoot)
    : sysRoot_(std::move(sysRoot)) {}

std::vector<HidDeviceRecord> SysfsHidBackend::listDevices() const {
  const std::filesystem::path classFolder = sysRoot_ / "class" / "hidraw";
  std::error_code ec;
  if (!std::filesystem::exists(classFolder, ec) && !ec) return {};

  std::vector<std::pair<unsigned long, std::filesystem::path>> devices;
  std::filesystem::directory_iterator entries(classFolder, ec);
  for (; !ec && entries != std::filesystem::directory_iterator(); entries.increment(ec)) {
    const std::string name = entries->path().filename().u8string();
    if (name.compare(0, 6, "hidraw") != 0) continue;
    if (const auto number = parseNumber(name.substr(6), 10)) {
      devices.emplace_back(*number, entries->path());
    }
  }
  if (ec) {
    throw std::runtime_error("Cannot read the HID device folder " +
                             sioc_lib::pathText(classFolder) + ": " + ec.message());
  }
  std::sort(devices.begin(), devices.end());

  std::vector<HidDeviceRecord> records;
  for (const auto& [number, folder] : devices) {
    HidDeviceRecord record;
    // The instance number stands where Windows keeps it: after "}\", four
    // digits, with the terminating zero byte.
    if (number <= 9999) {
      record.driverKey =
          "{745a17a0-74d3-11d0-b6fe-00a0c90f57da}\\" + fourDigits(number, 10) + '\0';
    }
    std::ifstream file(folder / "device" / "uevent", std::ios::binary);
    const std::string uevent((std::istreambuf_iterator<char>(file)),
                             std::istreambuf_iterator<char>());
    if (const auto id = file ? parseHidUevent(uevent) : std::nullopt) {
      record.interfacePath =
          sioc_lib::pathText(folder) + "#vid_" + fourDigits(id->vendor, 16) + "&pid_" +
          fourDigits(id->product, 16) + "#hidraw" + std::to_string(number);
    }
    records.push_back(std::move(record));
  }
  return records;
}

std::unique_ptr<HidSnapshot> SysfsHidBackend::snapshot() const {
  return std::make_unique<HidRecordSnapshot>(listDevices());
}
