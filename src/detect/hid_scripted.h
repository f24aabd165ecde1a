// A device list read from a text file instead of the operating system, for
// end-to-end tests and the demo.
#ifndef TRV_DETECT_HID_SCRIPTED_H_
#define TRV_DETECT_HID_SCRIPTED_H_

#include <memory>
#include <string>
#include <vector>

#include "detect/hid_snapshot.h"

// One interface a line: driver key, TAB, interface path. An empty field
// cannot be read. Lines end in LF or CR LF.
std::vector<HidDeviceRecord> parseScriptedDevices(const std::string& text);

// Reads the file named by TRV_SETUP_DEVICES afresh; without it, the snapshot
// fails as Windows reports it.
std::unique_ptr<HidSnapshot> openScriptedHidSnapshot();

#endif  // TRV_DETECT_HID_SCRIPTED_H_
