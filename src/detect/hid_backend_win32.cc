// The native device list of the Windows build: the present HID interfaces
// from the setup API.
#include <windows.h>
// after windows.h
#include <setupapi.h>

extern "C" {
#include <hidsdi.h>
}

#include <stdexcept>
#include <vector>

#include "detect/hid_snapshot.h"

namespace {

class SetupDiSnapshot : public HidSnapshot {
 public:
  SetupDiSnapshot() {
    HidD_GetHidGuid(&hidGuid_);
    devices_ = SetupDiGetClassDevsA(&hidGuid_, nullptr, nullptr,
                                    DIGCF_PRESENT | DIGCF_DEVICEINTERFACE);
    if (devices_ == INVALID_HANDLE_VALUE) {
      throw std::runtime_error("SetupDiGetClassDevs failed");
    }
  }
  ~SetupDiSnapshot() override { SetupDiDestroyDeviceInfoList(devices_); }

  std::optional<std::string> driverKey(uint32_t index) override {
    return load(index).driverKey;
  }
  bool hasInterface(uint32_t index) override { return load(index).present; }
  std::optional<std::string> interfacePath(uint32_t index) override {
    return load(index).interfacePath;
  }

 private:
  struct Interface {
    bool present = false;
    std::optional<std::string> driverKey;
    std::optional<std::string> interfacePath;
  };

  // Reads interface index once: its path and the driver key of the device
  // that owns it, so a board with two HID interfaces never shifts another
  // board's device number.
  const Interface& load(uint32_t index) {
    if (loadedIndex_ && *loadedIndex_ == index) return loaded_;
    loadedIndex_ = index;
    loaded_ = Interface();

    SP_DEVICE_INTERFACE_DATA interfaceData{};
    interfaceData.cbSize = sizeof interfaceData;
    if (!SetupDiEnumDeviceInterfaces(devices_, nullptr, &hidGuid_, index,
                                     &interfaceData)) {
      return loaded_;
    }
    loaded_.present = true;

    // The first call only tells the size.
    DWORD size = 0;
    SetupDiGetDeviceInterfaceDetailA(devices_, &interfaceData, nullptr, 0, &size,
                                     nullptr);
    if (size < sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A)) return loaded_;
    std::vector<char> buffer(size);
    auto* detail = reinterpret_cast<SP_DEVICE_INTERFACE_DETAIL_DATA_A*>(buffer.data());
    detail->cbSize = sizeof(SP_DEVICE_INTERFACE_DETAIL_DATA_A);
    SP_DEVINFO_DATA device{};
    device.cbSize = sizeof device;
    if (!SetupDiGetDeviceInterfaceDetailA(devices_, &interfaceData, detail, size, nullptr,
                                          &device)) {
      return loaded_;
    }
    loaded_.interfacePath = std::string(detail->DevicePath);

    BYTE key[512];
    DWORD type = 0;
    DWORD used = 0;
    if (SetupDiGetDeviceRegistryPropertyA(devices_, &device, SPDRP_DRIVER, &type, key,
                                          sizeof key, &used)) {
      loaded_.driverKey = std::string(reinterpret_cast<const char*>(key), used);
    }
    return loaded_;
  }

  GUID hidGuid_{};
  HDEVINFO devices_ = INVALID_HANDLE_VALUE;
  std::optional<uint32_t> loadedIndex_;
  Interface loaded_;
};

}  // namespace

std::unique_ptr<HidSnapshot> openNativeHidSnapshot() {
  return std::make_unique<SetupDiSnapshot>();
}
