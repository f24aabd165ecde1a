// The file-system steps that differ between the platforms. Together they let
// a file appear under its name only complete and on stable storage.
#ifndef TRV_SIOC_LIB_REPLACE_FILE_H_
#define TRV_SIOC_LIB_REPLACE_FILE_H_

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>

namespace sioc_lib {

// What stands at a name.
enum class Standing { kNothing, kFile, kFolder, kOther, kError };

struct FileStatus {
  Standing what = Standing::kError;
  bool readOnly = false;
  uint64_t size = 0;
  std::chrono::nanoseconds lastWrite{0};  // by the file system's own clock
};

// Asks the operating system itself (the C runtime calls most failures "no
// such file"). Only a name at which nothing can stand is kNothing: a denied
// look, a dropped network share or a drive that is not ready is kError, so
// that no file is ever taken for missing. Without followLinks a link is
// kOther, whatever it points to.
FileStatus fileStatus(const std::filesystem::path& name, bool followLinks = true);

// Runs attempt. On Windows, while it fails because another program holds
// the file (a virus scanner or an editor: a sharing or lock violation, or access
// denied to a file that is not read-only), runs it again for about two
// seconds with growing pauses.
bool retryWhileHeld(const std::filesystem::path& file,
                    const std::function<bool()>& attempt);

#ifdef _WIN32
// Creates an empty file where nothing stands at the name (CREATE_NEW).
bool createNewFile(const std::filesystem::path& file);
// Whether the file can be opened for reading now; on failure the reason is
// left for retryWhileHeld.
bool openableForReading(const std::filesystem::path& file);
#endif

// Removes a file (never a folder); with waitWhileHeld, waiting for a program
// that holds it.
bool removeFile(const std::filesystem::path& file, bool waitWhileHeld = true);

// Flushes the file's data to stable storage; false when that failed. This
// and the two moves below wait for a program that holds a file.
bool syncFile(const std::filesystem::path& file);

// Moves source over target in one step, replacing an earlier target file.
// False when the target could not be replaced; both files are then as before.
bool replaceFile(const std::filesystem::path& source,
                 const std::filesystem::path& target);

enum class Placement { kPlaced, kNameTaken, kFailed };

// Moves source to target only if nothing stands at target, checked and done
// in one step; with kNameTaken source is left where it is.
Placement placeNewFile(const std::filesystem::path& source,
                       const std::filesystem::path& target);

// Makes the moves into folder durable; where moves write through, nothing.
void syncFolder(const std::filesystem::path& folder);

}  // namespace sioc_lib

#endif  // TRV_SIOC_LIB_REPLACE_FILE_H_
