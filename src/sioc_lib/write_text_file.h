#ifndef TRV_SIOC_LIB_WRITE_TEXT_FILE_H_
#define TRV_SIOC_LIB_WRITE_TEXT_FILE_H_

#include <filesystem>
#include <string>

#include "sioc_lib/file_system.h"
#include "sioc_lib/txt_file.h"

namespace sioc_lib {

// What writeTextFile does with a file that already stands at its name.
enum class ExistingFile { kReplace, kKeep };

// What the file steps tell as they go: a run's reports say " created." of
// each file that appears; a preview's describe what each step would change.
class FileReports {
 public:
  FileReports() = default;
  FileReports(const FileReports&) = delete;
  FileReports& operator=(const FileReports&) = delete;
  virtual ~FileReports() = default;

  // A step on the file name begins; it has not failed yet.
  virtual void begin(const std::filesystem::path& name) = 0;
  // A leftover of a run cut off was removed.
  virtual void leftoverRemoved(const std::filesystem::path& temporary) = 0;
  // bytes now stand at name, where earlier stood before.
  virtual void written(const std::filesystem::path& name, const std::string& bytes,
                       const FileStatus& earlier, ExistingFile existing) = 0;
  // The step on name writes nothing, for this reason.
  virtual void passedOver(const std::filesystem::path& name, const std::string& why) = 0;
};

// Writes the bytes to fileName. The file appears in one step, complete and
// flushed to the disk, with the readers (owner, group, permissions, ACL; on
// Windows attributes and DACL) of the file readersOf; where none stands
// there, its folder's defaults. With kKeep, something standing at the name
// when the file would appear is left alone. On any failure throws
// std::runtime_error "Failed to create <path>", with a line that says why
// where the reason is known, and leaves an earlier file exactly as it was.
// Every file operation goes through fileSystem().
void writeFile(FileReports& reports, const std::string& bytes,
               const std::filesystem::path& fileName, ExistingFile existing,
               const std::filesystem::path& readersOf);

// The same for lines, with CR LF line ends, keeping the readers of the file
// replaced.
void writeTextFile(FileReports& reports, const LineList& lines,
                   const std::filesystem::path& fileName);

// The line after a failure that says why: the permissions refuse this user,
// a protection refuses although they allow, the file is read-only, or
// another program has the file open; empty where the reason is unknown.
// what is "file" or "folder".
std::string reasonNote(Access access, const char* what,
                       const std::filesystem::path& name);

}  // namespace sioc_lib

#endif  // TRV_SIOC_LIB_WRITE_TEXT_FILE_H_
