// Any start-up path gives either a base folder or one of the two messages;
// a base folder is a prefix of the start-up path.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "app/location.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  const StartupLocation location = locateBaseFolder(std::filesystem::u8path(text));
  if (location.found) {
    const std::string base = location.baseFolder.u8string();
    if (!location.message.empty() || text.compare(0, base.size(), base) != 0)
      std::abort();
  } else if (location.message !=
                 "! You should run this program in the SIOC\\Kesmira\\TRV_setup "
                 "folder." &&
             location.message != "! Your Vorlancockpit folder could not be found...") {
    std::abort();
  }
  return 0;
}
