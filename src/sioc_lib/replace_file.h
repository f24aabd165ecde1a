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

// A time by the file system's own clock, in the units it keeps: 100 ns since
// 1601 on Windows, nanoseconds since 1970 here. Every FILETIME fits.
#ifdef _WIN32
using FileTime = std::chrono::duration<int64_t, std::ratio<1, 10'000'000>>;
#else
using FileTime = std::chrono::nanoseconds;
#endif

struct FileStatus {
  Standing what = Standing::kError;
  bool readOnly = false;
  uint64_t size = 0;
  FileTime lastWrite{0};
  // Who may read and write it: the mode bits here; unused on Windows, where
  // a file takes its folder's inherited permissions.
  uint32_t permissions = 0;
};

// Asks the operating system itself (the C runtime calls most failures "no
// such file"). Only a name at which nothing can stand is kNothing: a denied
// look, a dropped network share or a drive that is not ready is kError, so
// that no file is ever taken for missing. Without followLinks a link is
// kOther, whatever it points to; with it, a link is what it leads to, and a
// link to nothing is kNothing.
FileStatus fileStatus(const std::filesystem::path& name, bool followLinks = true);

// Gives a file made by this run the permissions of like (its mode bits), or
// without a file there the default for a new file; on Windows nothing, as the file
// already has its folder's.
bool setPermissions(const std::filesystem::path& file, const FileStatus* like);

// Keeps other programs from changing a file while it is held: on Windows a
// handle that shares reading only, taken while no program has the file open
// for writing (waiting for one about two seconds, as for a held file). Here
// no open binds another program: it holds nothing and is always held.
class WriteBlock {
 public:
  explicit WriteBlock(const std::filesystem::path& file);
  ~WriteBlock();
  WriteBlock(const WriteBlock&) = delete;
  WriteBlock& operator=(const WriteBlock&) = delete;
  [[nodiscard]] bool held() const { return held_; }

 private:
#ifdef _WIN32
  void* handle_ = nullptr;
#endif
  bool held_ = false;
};

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

// What the system would answer a run that writes now, asked without
// changing anything: granted; denied to this user for lack of rights; held
// by another program (a run waits for it about two seconds); or refused for
// another reason (a read-only disk).
enum class Access { kGranted, kDenied, kHeld, kRefused };

// Whether this user may create files in folder (and move them to names there).
Access accessToCreateIn(const std::filesystem::path& folder);
// Whether a run may replace the file that stands at file.
Access accessToReplace(const std::filesystem::path& file);

// The time now, by the clock that dates the files.
FileTime fileTimeNow();

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
