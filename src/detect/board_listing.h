// What the PC sees, interface by interface, and what the setup makes of it:
// for the builder whose board is not detected.
#ifndef TRV_DETECT_BOARD_LISTING_H_
#define TRV_DETECT_BOARD_LISTING_H_

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "detect/hid_snapshot.h"
#include "detect/modules.h"

struct BoardListing {
  // One line per interface (index, vendor and product ids, device number and
  // the slot it takes or why it takes none), then why a setup run would
  // write nothing, where it refuses the boards or finds none.
  std::vector<std::string> lines;
  // The slots a setup run fills; nothing when it refuses the boards or
  // finds none.
  std::optional<ModuleSlots> slots;
};

// Detection runs over these devices once, through the setup's own code, so
// the two programs never disagree.
BoardListing listBoards(const std::vector<HidDeviceRecord>& devices);

// The slots a setup run fills, each with its device number; one the run
// leaves out with why (leftOut, by slot).
std::vector<std::string> slotLines(const ModuleSlots& slots,
                                   const std::map<int, std::string>& leftOut);

#endif  // TRV_DETECT_BOARD_LISTING_H_
