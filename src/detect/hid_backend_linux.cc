// The native device list of the Linux build: the hidraw devices of /sys.
#include "detect/hid_snapshot.h"
#include "detect/hid_sysfs.h"

std::unique_ptr<HidSnapshot> openNativeHidSnapshot() {
  return SysfsHidBackend("/sys").snapshot();
}
