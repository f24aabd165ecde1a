#include "detect/hid_scripted.h"

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <string_view>

#include "sioc_lib/txt_file.h"

namespace {

constexpr size_t kDriverKeyBufferSize = 512;

}  // namespace

std::vector<HidDeviceRecord> parseScriptedDevices(const std::string& text) {
  std::vector<HidDeviceRecord> records;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    const std::string_view line(text.data() + start,
                                end - start - (end > start && text[end - 1] == '\r'));
    start = end + 1;

    HidDeviceRecord record;
    const size_t tab = line.find('\t');
    const std::string_view key = line.substr(0, tab);
    const std::string_view path =
        tab == std::string::npos ? std::string_view() : line.substr(tab + 1);
    // Windows counts the terminating zero byte as part of the key, and a key
    // that does not fit its 512-byte buffer cannot be read.
    if (!key.empty() && key.size() < kDriverKeyBufferSize)
      record.driverKey = std::string(key) + '\0';
    if (!path.empty()) record.interfacePath = std::string(path);
    records.push_back(std::move(record));
  }
  return records;
}

std::unique_ptr<HidSnapshot> openScriptedHidSnapshot() {
  const char* name = std::getenv("TRV_SETUP_DEVICES");  // NOLINT(concurrency-mt-unsafe)
  sioc_lib::TxtFileReader file;
  if (name == nullptr || !file.open(std::filesystem::u8path(name), false))
    throw std::runtime_error("SetupDiGetClassDevs failed");
  return std::make_unique<HidRecordSnapshot>(parseScriptedDevices(file.readBytes()));
}
