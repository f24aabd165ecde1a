#include "app/run_boards.h"

#include <exception>

#include "app/console.h"
#include "app/globals.h"
#include "app/location.h"
#include "app/preview.h"
#include "detect/board_listing.h"
#include "detect/hid_search.h"

int runBoards() {
  const std::string rule(65, '=');
  printLine(rule);
  printLine(" HID devices and what the setup makes of them, version " + setupVersion);
  printLine(rule);
  try {
    const std::vector<HidDeviceRecord> devices = readDevices(*takeHidSnapshot());
    const BoardListing listing = listBoards(devices);
    for (const std::string& line : listing.lines) printWrapped(line);
    const StartupLocation location = locateBaseFolder(startupFolder);
    if (!location.found) {
      if (listing.slots) {
        for (const std::string& line : slotLines(*listing.slots, {})) printWrapped(line);
      }
      printLine("");
      printWrapped(
          "Started in the installation's TRV_setup folder, it also shows what a setup "
          "run would change there.");
    } else if (listing.slots) {
      baseFolder = location.baseFolder;
      previewSetupRun(*listing.slots);
    }
  } catch (const std::exception& e) {
    printStop(e.what());
  }
  // Only a person needs the window kept open; output sent to a file or a
  // pipe (as a helper asks for it) ends at once, all of it there.
  if (outputIsConsole()) waitForReturn();
  return 0;
}
