#ifndef TRV_APP_RUN_SETUP_H_
#define TRV_APP_RUN_SETUP_H_

#include "sioc_lib/write_text_file.h"

// The run's file steps, in order, told to reports: Vorlantrv.lst, the
// one-time backup of sioc.ini, sioc.ini, and the note on a copy under
// VirtualStore.
void writeSetupFiles(sioc_lib::FileReports& reports);

// The same steps over a file system that writes nothing: what they would
// change is told to reports, and a step that would fail throws as in a run.
void foreseeSetupFiles(sioc_lib::FileReports& reports);

// Detection, collection and generation, then the files. Failures are thrown
// with a message ready for the user.
void runSetup();

// The whole program from banner to closing prompt; always returns 0.
int runTool();

#endif  // TRV_APP_RUN_SETUP_H_
