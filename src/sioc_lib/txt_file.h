// Line-oriented text files. Files are Windows text files on every platform:
// each line ends in CR LF on disk, and CR LF or a bare LF ends a line when
// reading. Bytes are never converted.
#ifndef TRV_SIOC_LIB_TXT_FILE_H_
#define TRV_SIOC_LIB_TXT_FILE_H_

#include <filesystem>
#include <list>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace sioc_lib {

using LineList = std::list<std::string>;

struct TxtFileReaderImpl;

// What a file of these lines holds: each element followed by CR LF, and each
// line feed inside an element written as CR LF too.
std::string windowsText(const LineList& lines);

// The lines of a file's bytes, as readLines reads them: LF or CR LF ends a
// line, and a last line without a line end is a line too.
std::vector<std::string_view> lineViews(std::string_view text);

class TxtFileReader {
 public:
  TxtFileReader();
  virtual ~TxtFileReader();

  // With inDocuments, fileName is taken relative to the user's Documents
  // folder. False when nothing stands at the name, or something that is no
  // regular file: a folder, a FIFO or a device, so that reading never blocks.
  // A file that is there but cannot be opened, even after waiting for a
  // program that holds it, or a name whose status cannot be queried, throws
  // std::runtime_error "Failed to read <path>": it is never taken for none.
  virtual bool open(const std::filesystem::path& fileName, bool inDocuments);

  // Rewinds and appends every line of the file to lines. When the read ends
  // before the end of the file (an I/O error, a failed seek, exhausted
  // memory) throws "Failed to read <path>": part of a file is never used as
  // if it were all of it.
  void readLines(LineList& lines);

  // Rewinds and gives the file's bytes as they are; fails like readLines.
  std::string readBytes();

 private:
  std::shared_ptr<TxtFileReaderImpl> impl_;
};

}  // namespace sioc_lib

#endif  // TRV_SIOC_LIB_TXT_FILE_H_
