#ifndef TRV_APP_RUN_SETUP_H_
#define TRV_APP_RUN_SETUP_H_

// Detection, collection and generation, then the files. Failures are thrown
// with a message ready for the user.
void runSetup();

// The whole program from banner to closing prompt; always returns 0.
int runTool();

#endif  // TRV_APP_RUN_SETUP_H_
