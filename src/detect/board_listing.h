// What the PC sees, interface by interface, and what the setup makes of it:
// for the builder whose board is not detected.
#ifndef TRV_DETECT_BOARD_LISTING_H_
#define TRV_DETECT_BOARD_LISTING_H_

#include <string>
#include <vector>

#include "detect/hid_snapshot.h"

// The interfaces of one snapshot in list order, up to the interface limit.
std::vector<HidDeviceRecord> readDevices(HidSnapshot& snapshot);

// One line per interface (index, vendor and product ids, device number and
// the slot it takes or why it takes none), then what a setup run would do.
// Detection runs over these devices through the setup's own code, so the
// two programs never disagree.
std::vector<std::string> boardListing(const std::vector<HidDeviceRecord>& devices);

#endif  // TRV_DETECT_BOARD_LISTING_H_
