#include "app/run_boards.h"

#include <exception>

#include "app/console.h"
#include "app/globals.h"
#include "detect/board_listing.h"
#include "detect/hid_search.h"

int runBoards() {
  const std::string rule(65, '=');
  printLine(rule);
  printLine(" HID devices and what the setup makes of them, version " + setupVersion);
  printLine(rule);
  try {
    for (const std::string& line : boardListing(readDevices(*takeHidSnapshot())))
      printLine(line);
  } catch (const std::exception& e) {
    printLine(std::string("! ") + e.what());
  }
  waitForReturn();
  return 0;
}
