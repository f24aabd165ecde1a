// The narrow seam between the device search and the operating system: one
// snapshot of the present HID interfaces, asked index by index.
#ifndef TRV_DETECT_HID_SNAPSHOT_H_
#define TRV_DETECT_HID_SNAPSHOT_H_

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class HidSnapshot {
 public:
  HidSnapshot() = default;
  HidSnapshot(const HidSnapshot&) = delete;
  HidSnapshot& operator=(const HidSnapshot&) = delete;
  virtual ~HidSnapshot() = default;

  // The driver key as the platform stores it (on Windows with its
  // terminating zero byte), or nothing when it cannot be read.
  virtual std::optional<std::string> driverKey(uint32_t index) = 0;
  // False once index is past the last interface.
  virtual bool hasInterface(uint32_t index) = 0;
  // The interface path, or nothing when its details cannot be read.
  virtual std::optional<std::string> interfacePath(uint32_t index) = 0;
};

// Makes a fresh snapshot, or throws std::runtime_error with the user's message.
using HidSnapshotSource = std::function<std::unique_ptr<HidSnapshot>()>;

// One plain record per interface, as a backend or a script lists them.
struct HidDeviceRecord {
  std::optional<std::string> driverKey;
  std::optional<std::string> interfacePath;
};

class HidRecordSnapshot : public HidSnapshot {
 public:
  explicit HidRecordSnapshot(std::vector<HidDeviceRecord> records)
      : records_(std::move(records)) {}

  std::optional<std::string> driverKey(uint32_t index) override {
    return index < records_.size() ? records_[index].driverKey : std::nullopt;
  }
  bool hasInterface(uint32_t index) override { return index < records_.size(); }
  std::optional<std::string> interfacePath(uint32_t index) override {
    return index < records_.size() ? records_[index].interfacePath : std::nullopt;
  }

 private:
  std::vector<HidDeviceRecord> records_;
};

// The operating system's own devices (SetupDi on Windows; on Linux, the
// development host, the scripted list).
std::unique_ptr<HidSnapshot> openNativeHidSnapshot();

#endif  // TRV_DETECT_HID_SNAPSHOT_H_
