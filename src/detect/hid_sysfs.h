// The hidraw devices of a Linux sysfs tree, as plain device records.
#ifndef TRV_DETECT_HID_SYSFS_H_
#define TRV_DETECT_HID_SYSFS_H_

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "detect/hid_snapshot.h"

struct HidUsbId {
  unsigned vendor = 0;
  unsigned product = 0;
};

// Vendor and product from the HID_ID=bus:vendor:product line of a uevent file.
std::optional<HidUsbId> parseHidUevent(const std::string& uevent);

class SysfsHidBackend {
 public:
  // sysRoot is /sys in the product; tests point it at a fake tree.
  explicit SysfsHidBackend(std::filesystem::path sysRoot);

  // hidrawN in ascending N. No hidraw class folder means no devices; one that
  // cannot be read throws std::runtime_error naming it.
  [[nodiscard]] std::vector<HidDeviceRecord> listDevices() const;
  [[nodiscard]] std::unique_ptr<HidSnapshot> snapshot() const;

 private:
  std::filesystem::path sysRoot_;
};

#endif  // TRV_DETECT_HID_SYSFS_H_
