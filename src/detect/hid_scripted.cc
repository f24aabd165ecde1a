#include "detect/hid_scripted.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace {

constexpr size_t kDriverKeyBufferSize = 512;

}  // namespace

std::vector<HidDeviceRecord> parseScriptedDevices(const std::string& text) {
  std::vector<HidDeviceRecord> records;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();

    HidDeviceRecord record;
    const size_t tab = line.find('\t');
    const std::string key = line.substr(0, tab);
    const std::string path = tab == std::string::npos ? "" : line.substr(tab + 1);
    // Windows counts the terminating zero byte as part of the key, and a key
    // that does not fit its 512-byte buffer cannot be read.
    if (!key.empty() && key.size() < kDriverKeyBufferSize) record.driverKey = key + '\0';
    if (!path.empty()) record.interfacePath = path;
    records.push_back(std::move(record));
  }
  return records;
}

std::unique_ptr<HidSnapshot> openScriptedHidSnapshot() {
  const char* name = std::getenv("TRV_SETUP_DEVICES");  // NOLINT(concurrency-mt-unsafe)
  std::ifstream file;
  if (name != nullptr) file.open(std::filesystem::u8path(name), std::ios::binary);
  if (!file.is_open()) throw std::runtime_error("SetupDiGetClassDevs failed");
  std::ostringstream text;
  text << file.rdbuf();
  return std::make_unique<HidRecordSnapshot>(parseScriptedDevices(text.str()));
}
