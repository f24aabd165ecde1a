// The board listing with its boards listed in the file named by
// TRV_SETUP_DEVICES, for end-to-end tests and the demo.
#include "app/run_boards.h"
#include "detect/hid_scripted.h"
#include "detect/hid_search.h"

int main() {
  setHidSnapshotSource(openScriptedHidSnapshot);
  return runBoards();
}
