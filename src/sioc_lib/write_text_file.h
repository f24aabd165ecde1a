#ifndef TRV_SIOC_LIB_WRITE_TEXT_FILE_H_
#define TRV_SIOC_LIB_WRITE_TEXT_FILE_H_

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "sioc_lib/replace_file.h"
#include "sioc_lib/txt_file.h"

namespace sioc_lib {

// What writeTextFile does with a file that already stands at its name.
enum class ExistingFile { kReplace, kKeep };

// The file system as a run's file steps meet it. The steps are written once,
// over this: a run's performs them (RunFileSteps); a preview's writes
// nothing, answers what the system would refuse, and says what each step
// would change, so the preview stops where the run stops, with its lines,
// except where only writing can tell (a full disk).
class FileSteps {
 public:
  FileSteps() = default;
  FileSteps(const FileSteps&) = delete;
  FileSteps& operator=(const FileSteps&) = delete;
  virtual ~FileSteps() = default;

  // A step on the file name begins; it has not failed yet.
  virtual void begin(const std::filesystem::path& name) = 0;
  // Makes the run's own temporary where nothing stands.
  virtual Created create(const std::filesystem::path& temporary) = 0;
  // The time of the temporary just made, by the file system's clock; none
  // where it cannot be told.
  virtual std::optional<FileTime> madeAt(const std::filesystem::path& temporary) = 0;
  // Writes bytes into it, gives it the readers of readersOf, flushes it.
  virtual bool write(const std::string& bytes,
                     const std::filesystem::path& readersOf) = 0;
  // Removes a temporary: a leftover of a run cut off, or the run's own.
  virtual void remove(const std::filesystem::path& temporary, bool leftover) = 0;
  virtual bool replace(const std::filesystem::path& temporary,
                       const std::filesystem::path& target) = 0;
  virtual Placement place(const std::filesystem::path& temporary,
                          const std::filesystem::path& target) = 0;
  // bytes now stand at name, where earlier stood before.
  virtual void written(const std::filesystem::path& name, const std::string& bytes,
                       const FileStatus& earlier, ExistingFile existing) = 0;
  // The step on name writes nothing, for this reason.
  virtual void passedOver(const std::filesystem::path& name, const std::string& why) = 0;
  // The time now by the clock that stamps the files written: the time of
  // the last temporary made, where one was made.
  virtual FileTime now() = 0;
};

// The file steps of a run: each done, and each file that appears announced
// as "<path> created.".
class RunFileSteps : public FileSteps {
 public:
  RunFileSteps();
  ~RunFileSteps() override;
  void begin(const std::filesystem::path& name) override;
  Created create(const std::filesystem::path& temporary) override;
  std::optional<FileTime> madeAt(const std::filesystem::path& temporary) override;
  bool write(const std::string& bytes, const std::filesystem::path& readersOf) override;
  void remove(const std::filesystem::path& temporary, bool leftover) override;
  bool replace(const std::filesystem::path& temporary,
               const std::filesystem::path& target) override;
  Placement place(const std::filesystem::path& temporary,
                  const std::filesystem::path& target) override;
  void written(const std::filesystem::path& name, const std::string& bytes,
               const FileStatus& earlier, ExistingFile existing) override;
  void passedOver(const std::filesystem::path& name, const std::string& why) override;
  FileTime now() override;

 private:
  std::unique_ptr<NewFile> file_;
  std::optional<FileTime> lastMade_;
};

// Writes the bytes to fileName. The file appears in one step, complete and
// flushed to the disk, with the readers (owner, group, permissions, ACL; on
// Windows attributes and DACL) of the file readersOf; where none stands
// there, its folder's defaults. With kKeep, something standing at the name
// when the file would appear is left alone. On any failure throws
// std::runtime_error "Failed to create <path>", with a line that says why
// where the reason is known, and leaves an earlier file exactly as it was.
void writeFile(FileSteps& steps, const std::string& bytes,
               const std::filesystem::path& fileName, ExistingFile existing,
               const std::filesystem::path& readersOf);

// The same for lines, with CR LF line ends, keeping the readers of the file
// replaced.
void writeTextFile(FileSteps& steps, const LineList& lines,
                   const std::filesystem::path& fileName);

// The line after a failure that says why: the permissions refuse this user,
// a protection refuses although they allow, or another program has the file
// open; empty where the reason is unknown. what is "file" or "folder".
std::string reasonNote(Access access, const char* what,
                       const std::filesystem::path& name);

}  // namespace sioc_lib

#endif  // TRV_SIOC_LIB_WRITE_TEXT_FILE_H_
