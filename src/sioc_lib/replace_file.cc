#include "sioc_lib/replace_file.h"

#include <system_error>

#ifdef _WIN32
#include <windows.h>

#include <chrono>
#include <thread>
#endif

namespace sioc_lib {

#ifdef _WIN32

bool replaceFile(const std::filesystem::path& source,
                 const std::filesystem::path& target) {
  // A virus scanner or an editor may hold the old file for a moment: retry
  // those errors for about two seconds with growing pauses.
  std::chrono::milliseconds pause(10);
  std::chrono::milliseconds waited(0);
  for (;;) {
    if (MoveFileExW(source.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING) != 0) {
      return true;
    }
    const DWORD error = GetLastError();
    const bool transient = error == ERROR_SHARING_VIOLATION ||
                           error == ERROR_LOCK_VIOLATION || error == ERROR_ACCESS_DENIED;
    // A read-only target is denied for good; it is never made writable.
    const DWORD attributes = GetFileAttributesW(target.c_str());
    const bool readOnly = attributes != INVALID_FILE_ATTRIBUTES &&
                          (attributes & FILE_ATTRIBUTE_READONLY) != 0;
    if (!transient || readOnly || waited >= std::chrono::milliseconds(2000)) return false;
    std::this_thread::sleep_for(pause);
    waited += pause;
    pause *= 2;
  }
}

#else

bool replaceFile(const std::filesystem::path& source,
                 const std::filesystem::path& target) {
  std::error_code ec;
  std::filesystem::rename(source, target, ec);
  return !ec;
}

#endif

}  // namespace sioc_lib
