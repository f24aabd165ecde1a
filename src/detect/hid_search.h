#ifndef TRV_DETECT_HID_SEARCH_H_
#define TRV_DETECT_HID_SEARCH_H_

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "detect/hid_snapshot.h"

// Interfaces a search visits at most; lowered to the list's length whenever a
// search reaches its end.
constexpr uint32_t kHidInterfaceLimit = 1000;
extern uint32_t hidInterfaceLimit;

// Where searches take their snapshots from (the native backend by default).
void setHidSnapshotSource(HidSnapshotSource source);

// Makes searches take their snapshots from source while it lives; then the
// source and the interface limit are as they were.
class ScopedHidSnapshotSource {
 public:
  explicit ScopedHidSnapshotSource(HidSnapshotSource source);
  ~ScopedHidSnapshotSource();
  ScopedHidSnapshotSource(const ScopedHidSnapshotSource&) = delete;
  ScopedHidSnapshotSource& operator=(const ScopedHidSnapshotSource&) = delete;

 private:
  HidSnapshotSource earlier_;
  uint32_t earlierLimit_;
};
// A fresh snapshot from there.
std::unique_ptr<HidSnapshot> takeHidSnapshot();
// All interfaces of one snapshot, in list order.
std::vector<HidDeviceRecord> readDevices(HidSnapshot& snapshot);

// The device number of the first board (vendor 0000, product productId) in
// list order whose number is neither skip number; -1 when there is none.
int32_t findHidDevice(unsigned productId, int32_t skipNumber1, int32_t skipNumber2);

// The four digits after the last "}\" of a driver key, or -1.
int32_t deviceNumberFromDriverKey(const std::string& key);

// value in exactly four digits of base 10 or 16, with leading zeros, as the
// platform writes numbers in keys and paths.
std::string fourDigits(unsigned long value, unsigned base);

// The two rules of an interface path: "#vid_0000" in any letter case, with
// a character before and after, and the product digits after the last
// "pid_" that a character precedes and four word characters and one more
// follow.
bool namesOpencockpitsVendor(const std::string& path);
std::optional<unsigned> productIdInPath(const std::string& path);

// One interface as the setup reads it, worked out once from what the
// platform gives.
struct HidInterface {
  bool keyRead = false;             // its driver key could be read
  int32_t deviceNumber = -1;        // from the driver key; -1 for none
  bool pathRead = false;            // its interface path could be read
  std::string path;                 // empty where it could not
  bool opencockpits = false;        // the path names vendor 0000
  std::optional<unsigned> product;  // the product id in the path, any vendor
};
HidInterface readInterface(HidDeviceRecord record);

#endif  // TRV_DETECT_HID_SEARCH_H_
