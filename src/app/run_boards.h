#ifndef TRV_APP_RUN_BOARDS_H_
#define TRV_APP_RUN_BOARDS_H_

// The board listing from banner to closing prompt; writes no file, always
// returns 0.
int runBoards();

#endif  // TRV_APP_RUN_BOARDS_H_
