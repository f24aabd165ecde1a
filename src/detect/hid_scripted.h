// A device list read from a text file instead of the operating system, for
// end-to-end tests and the demo.
#ifndef TRV_DETECT_HID_SCRIPTED_H_
#define TRV_DETECT_HID_SCRIPTED_H_

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "detect/hid_snapshot.h"

// One interface a line: driver key, TAB, interface path. An empty field
// cannot be read. Lines end in LF or CR LF. A field becomes a string only
// when it is asked for, as the system's answers do.
class ScriptedHidSnapshot : public HidSnapshot {
 public:
  explicit ScriptedHidSnapshot(std::string text);

  std::optional<std::string> driverKey(uint32_t index) override;
  bool hasInterface(uint32_t index) override { return index < keys_.size(); }
  std::optional<std::string> interfacePath(uint32_t index) override;

 private:
  std::string text_;
  std::vector<std::string_view> keys_;   // into text_
  std::vector<std::string_view> paths_;  // into text_
};

// The same lines as records.
std::vector<HidDeviceRecord> parseScriptedDevices(const std::string& text);

// Reads the file named by TRV_SETUP_DEVICES afresh; without it, the snapshot
// fails as Windows reports it.
std::unique_ptr<HidSnapshot> openScriptedHidSnapshot();

#endif  // TRV_DETECT_HID_SCRIPTED_H_
