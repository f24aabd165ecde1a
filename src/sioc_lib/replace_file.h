// The file-system steps that differ between the platforms. Together they let
// a file appear under its name only complete and on stable storage.
#ifndef TRV_SIOC_LIB_REPLACE_FILE_H_
#define TRV_SIOC_LIB_REPLACE_FILE_H_

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

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
  FileTime lastWrite{0};
};

// Asks the operating system itself (the C runtime calls most failures "no
// such file"). Only a name at which nothing can stand is kNothing: a denied
// look, a dropped network share or a drive that is not ready is kError, so
// that no file is ever taken for missing. Without followLinks a link is
// kOther, whatever it points to; with it, a link is what it leads to, and a
// link to nothing is kNothing.
FileStatus fileStatus(const std::filesystem::path& name, bool followLinks = true);

// What the system answers an exclusive create.
enum class Created { kCreated, kDenied, kFailed };

// A file this run creates where nothing stands, writes and flushes through
// the one handle it holds, then gives its final readers. No other user can
// open it before: it is made for its owner alone (here the mode of the
// create, which no default ACL widens; on Windows a handle that shares
// nothing).
class NewFile {
 public:
  NewFile() = default;
  ~NewFile();
  NewFile(const NewFile&) = delete;
  NewFile& operator=(const NewFile&) = delete;

  Created create(const std::filesystem::path& name);
  bool write(const std::string& bytes);
  // Gives the file the readers of like, where a file stands there: here its
  // owner, group, mode and ACL (where the group cannot be given, the group
  // gets no more than others); on Windows its attributes and DACL. Without
  // one, the defaults of a new file in its folder. Then flushes it to stable
  // storage and closes it; false when a write, the flush or the close failed.
  bool finish(const std::filesystem::path& like);

 private:
#ifdef _WIN32
  void* handle_ = nullptr;
#else
  int fd_ = -1;
#endif
};

// Keeps other programs from changing a file while it is held: on Windows a
// handle that shares reading only, taken while no program has the file open
// for writing (waiting for one about two seconds, as for a held file). Here
// no open binds another program: it holds nothing and is always in force.
class WriteBlock {
 public:
  explicit WriteBlock(const std::filesystem::path& file);
  ~WriteBlock();
  WriteBlock(const WriteBlock&) = delete;
  WriteBlock& operator=(const WriteBlock&) = delete;
  [[nodiscard]] bool inForce() const { return inForce_; }

 private:
#ifdef _WIN32
  void* handle_ = nullptr;
#endif
  bool inForce_ = false;
};

// Runs attempt. On Windows, while it fails because another program holds
// the file (a virus scanner or an editor: a sharing or lock violation, or access
// denied to a file that is not read-only), runs it again for about two
// seconds with growing pauses.
bool retryWhileHeld(const std::filesystem::path& file,
                    const std::function<bool()>& attempt);

#ifdef _WIN32
// Whether the file can be opened for reading now; on failure the reason is
// left for retryWhileHeld.
bool openableForReading(const std::filesystem::path& file);
#endif

// What the system would answer a run that writes now, asked without
// changing anything: granted; denied to this user by the permissions; held
// by another program that has the file open in any way (a run waits for it
// about two seconds); refused by a protection although the permissions
// allow (Controlled folder access or a virus scanner, on Windows); refused
// as the file is marked read-only; or refused for another reason (a
// read-only disk).
enum class Access { kGranted, kDenied, kHeld, kProtected, kReadOnly, kRefused };

// What refused a create that accessToCreateIn allowed: on Windows a
// protection (Controlled folder access, a virus scanner); here the cause is
// unknown (a network server, a sandbox).
extern const Access kCreateDeniedThoughAllowed;

// Whether this user may create files in folder (and move them to names
// there). On a network share only the server can tell: its answer to the
// open is the whole answer.
Access accessToCreateIn(const std::filesystem::path& folder);
// Whether a run may replace the file that stands at file (on Linux always:
// there the permissions of its folder decide, as accessToCreateIn asks).
Access accessToReplace(const std::filesystem::path& file);

// Where Windows keeps the copy of file that an old program without
// administrator rights wrote in its place below a protected folder
// (VirtualStore), if such a copy stands; never here.
std::optional<std::filesystem::path> virtualStoreCopy(const std::filesystem::path& file);

// The time now, by the clock that dates the files.
FileTime fileTimeNow();

// Removes a file (never a folder); with waitWhileHeld, waiting for a program
// that holds it.
bool removeFile(const std::filesystem::path& file, bool waitWhileHeld = true);

// The two moves wait for a program that holds a file.
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
