#ifndef TRV_APP_PREVIEW_H_
#define TRV_APP_PREVIEW_H_

#include "detect/modules.h"

// Prints what a setup run with boards in these slots would do to the files
// of the installation at baseFolder, file by file in the order a run writes
// them, with the module messages a run prints. The setup's own collection
// and generation work it out; nothing is written.
void previewSetupRun(const ModuleSlots& slots);

#endif  // TRV_APP_PREVIEW_H_
