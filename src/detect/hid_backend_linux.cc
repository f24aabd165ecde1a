// The Linux build is the development host: it reads no real boards (SIOC,
// which numbers them, runs on Windows), only the scripted device list.
#include "detect/hid_scripted.h"
#include "detect/hid_snapshot.h"

std::unique_ptr<HidSnapshot> openNativeHidSnapshot() { return openScriptedHidSnapshot(); }
