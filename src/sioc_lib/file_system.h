// The one file layer: every file operation of a run and of its preview goes
// through a FileSystem. The system's performs them; the preview's writes
// nothing and answers what the system would refuse; a test's wraps the
// system's to inject the faults a machine cannot be made to show.
#ifndef TRV_SIOC_LIB_FILE_SYSTEM_H_
#define TRV_SIOC_LIB_FILE_SYSTEM_H_

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "sioc_lib/replace_file.h"

namespace sioc_lib {

// A file open for reading.
class ReadableFile {
 public:
  ReadableFile() = default;
  ReadableFile(const ReadableFile&) = delete;
  ReadableFile& operator=(const ReadableFile&) = delete;
  virtual ~ReadableFile() = default;
  // All its bytes, from the start; none where the read ends early.
  virtual std::optional<std::string> readAll() = 0;
};

class FileSystem {
 public:
  FileSystem() = default;
  FileSystem(const FileSystem&) = delete;
  FileSystem& operator=(const FileSystem&) = delete;
  virtual ~FileSystem() = default;

  // What stands at name (fileStatus).
  virtual FileStatus status(const std::filesystem::path& name, bool followLinks) = 0;
  // The names in folder; none where it cannot be listed.
  virtual std::vector<std::filesystem::path> list(
      const std::filesystem::path& folder) = 0;
  // Opens a file for reading, waiting for a program that holds it; nullptr
  // where it cannot be opened.
  virtual std::unique_ptr<ReadableFile> open(const std::filesystem::path& file) = 0;
  // Keeps other programs from changing file while the block lives.
  virtual std::unique_ptr<WriteBlock> blockWrites(const std::filesystem::path& file) = 0;

  // Makes the run's own temporary where nothing stands; one at a time.
  virtual Created create(const std::filesystem::path& temporary) = 0;
  // Writes bytes into it, gives it the readers of readersOf, flushes and
  // closes it; false when any of that failed.
  virtual bool write(const std::string& bytes,
                     const std::filesystem::path& readersOf) = 0;
  // Removes a file (closing the temporary first where it is that one); with
  // waitWhileHeld, waiting for a program that holds it.
  virtual bool remove(const std::filesystem::path& file, bool waitWhileHeld) = 0;
  virtual bool replace(const std::filesystem::path& source,
                       const std::filesystem::path& target) = 0;
  virtual Placement place(const std::filesystem::path& source,
                          const std::filesystem::path& target) = 0;
  virtual void syncFolder(const std::filesystem::path& folder) = 0;

  virtual Access accessToCreateIn(const std::filesystem::path& folder) = 0;
  virtual Access accessToReplace(const std::filesystem::path& file) = 0;
  virtual std::optional<std::filesystem::path> virtualStoreCopy(
      const std::filesystem::path& file) = 0;
  // The time now by the clock that stamps the files written: the time of
  // the last temporary made, where one was made.
  virtual FileTime now() = 0;
};

// The operating system's file system.
class SystemFileSystem : public FileSystem {
 public:
  SystemFileSystem();
  ~SystemFileSystem() override;
  FileStatus status(const std::filesystem::path& name, bool followLinks) override;
  std::vector<std::filesystem::path> list(const std::filesystem::path& folder) override;
  std::unique_ptr<ReadableFile> open(const std::filesystem::path& file) override;
  std::unique_ptr<WriteBlock> blockWrites(const std::filesystem::path& file) override;
  Created create(const std::filesystem::path& temporary) override;
  bool write(const std::string& bytes, const std::filesystem::path& readersOf) override;
  bool remove(const std::filesystem::path& file, bool waitWhileHeld) override;
  bool replace(const std::filesystem::path& source,
               const std::filesystem::path& target) override;
  Placement place(const std::filesystem::path& source,
                  const std::filesystem::path& target) override;
  void syncFolder(const std::filesystem::path& folder) override;
  Access accessToCreateIn(const std::filesystem::path& folder) override;
  Access accessToReplace(const std::filesystem::path& file) override;
  std::optional<std::filesystem::path> virtualStoreCopy(
      const std::filesystem::path& file) override;
  FileTime now() override;

 private:
  std::unique_ptr<NewFile> file_;
  std::filesystem::path fileName_;
  std::optional<FileTime> lastMade_;
};

// The file system the run's steps use: the system's, unless one is in use.
FileSystem& fileSystem();

// Makes files the file system of the run's steps while it lives.
class UseFileSystem {
 public:
  explicit UseFileSystem(FileSystem& files);
  ~UseFileSystem();
  UseFileSystem(const UseFileSystem&) = delete;
  UseFileSystem& operator=(const UseFileSystem&) = delete;

 private:
  FileSystem* earlier_;
};

}  // namespace sioc_lib

#endif  // TRV_SIOC_LIB_FILE_SYSTEM_H_
