#include "detect/hid_scripted.h"

#include <cstdlib>
#include <filesystem>
#include <stdexcept>

#include "detect/hid_search.h"
#include "sioc_lib/txt_file.h"

namespace {

constexpr size_t kDriverKeyBufferSize = 512;

}  // namespace

ScriptedHidSnapshot::ScriptedHidSnapshot(std::string text) : text_(std::move(text)) {
  const std::vector<std::string_view> lines = sioc_lib::lineViews(text_);
  keys_.reserve(lines.size());
  paths_.reserve(lines.size());
  for (const std::string_view line : lines) {
    const size_t tab = line.find('\t');
    keys_.push_back(line.substr(0, tab));
    paths_.push_back(tab == std::string::npos ? std::string_view()
                                              : line.substr(tab + 1));
  }
}

std::optional<std::string> ScriptedHidSnapshot::driverKey(uint32_t index) {
  const std::string_view key = index < keys_.size() ? keys_[index] : std::string_view();
  // Windows counts the terminating zero byte as part of the key, and a key
  // that does not fit its 512-byte buffer cannot be read.
  if (key.empty() || key.size() >= kDriverKeyBufferSize) return std::nullopt;
  std::string stored;
  stored.reserve(key.size() + 1);
  stored.append(key).push_back('\0');
  return stored;
}

std::optional<std::string> ScriptedHidSnapshot::interfacePath(uint32_t index) {
  if (index >= paths_.size() || paths_[index].empty()) return std::nullopt;
  return std::string(paths_[index]);
}

std::vector<HidDeviceRecord> parseScriptedDevices(const std::string& text) {
  ScriptedHidSnapshot snapshot(text);
  return readDevices(snapshot);
}

std::unique_ptr<HidSnapshot> openScriptedHidSnapshot() {
  const char* name = std::getenv("TRV_SETUP_DEVICES");  // NOLINT(concurrency-mt-unsafe)
  sioc_lib::TxtFileReader file;
  if (name == nullptr || !file.open(std::filesystem::u8path(name), false))
    throw std::runtime_error("SetupDiGetClassDevs failed");
  return std::make_unique<ScriptedHidSnapshot>(file.readBytes());
}
