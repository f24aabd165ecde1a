#include "sioc_lib/txt_file.h"

#include <fstream>
#include <new>
#include <stdexcept>

#include "sioc_lib/path_text.h"
#include "sioc_lib/replace_file.h"

#ifdef _WIN32
#include <windows.h>
// after windows.h
#include <shlobj.h>
#endif

namespace sioc_lib {

namespace {

// Owns one file stream and closes it on destruction, never throwing.
template <typename Stream>
struct FileStreamOwner {
  Stream stream;
  FileStreamOwner() = default;
  FileStreamOwner(const FileStreamOwner&) = delete;
  FileStreamOwner& operator=(const FileStreamOwner&) = delete;
  ~FileStreamOwner() {
    try {
      if (stream.is_open()) stream.close();
    } catch (...) {  // NOLINT(bugprone-empty-catch): a destructor must not throw
    }
  }
};

}  // namespace

struct TxtFileReaderImpl : FileStreamOwner<std::ifstream> {
  std::string shownName;  // the open file's name in Windows form
};

namespace {

std::filesystem::path documentsFolder() {
#ifdef _WIN32
  char folder[MAX_PATH] = {};
  if (SUCCEEDED(SHGetFolderPathA(nullptr, CSIDL_PERSONAL, nullptr, 0, folder))) {
    return std::filesystem::u8path(folder);
  }
#endif
  return {};
}

std::filesystem::path nameToOpen(const std::filesystem::path& fileName,
                                 bool inDocuments) {
  if (!inDocuments) return fileName;
  const std::filesystem::path folder = documentsFolder();
  return folder.empty() ? fileName : joinPath(folder, pathText(fileName));
}

template <typename Stream>
bool openStream(Stream& stream, const std::filesystem::path& name,
                std::ios::openmode mode) {
  stream.open(name, mode | std::ios::binary);
  stream.clear();
  return stream.is_open();
}

[[noreturn]] void failedToRead(const std::string& shownName) {
  throw std::runtime_error("Failed to read " + shownName);
}

// Rewinds for a read of the whole file; false when the seek failed.
bool rewind(std::ifstream& in) {
  in.clear();
  return static_cast<bool>(in.seekg(0, std::ios::beg));
}

// Ends a read begun by rewind. A failed read(2) and a std::bad_alloc inside
// the stream both end in badbit; the end of the file does not.
void finishRead(TxtFileReaderImpl& impl, bool complete) {
  complete = complete && !impl.stream.bad();
  impl.stream.clear();
  if (!complete) failedToRead(impl.shownName);
}

}  // namespace

std::string windowsText(const LineList& lines) {
  std::string text;
  for (const std::string& line : lines) {
    size_t start = 0;
    for (size_t lf = line.find('\n'); lf != std::string::npos;
         lf = line.find('\n', start)) {
      text.append(line, start, lf - start).append("\r\n");
      start = lf + 1;
    }
    text.append(line, start).append("\r\n");
  }
  return text;
}

std::vector<std::string_view> lineViews(std::string_view text) {
  std::vector<std::string_view> lines;
  for (size_t start = 0; start < text.size();) {
    size_t end = text.find('\n', start);
    // Only a CR directly before the LF belongs to the line end; a last line
    // without LF keeps all its bytes.
    size_t next = end + 1;
    if (end == std::string::npos) {
      end = next = text.size();
    } else if (end > start && text[end - 1] == '\r') {
      --end;
    }
    lines.push_back(text.substr(start, end - start));
    start = next;
  }
  return lines;
}

TxtFileReader::TxtFileReader() : impl_(std::make_shared<TxtFileReaderImpl>()) {}
TxtFileReader::~TxtFileReader() = default;

bool TxtFileReader::open(const std::filesystem::path& fileName, bool inDocuments) {
  const std::filesystem::path name = nameToOpen(fileName, inDocuments);
  impl_->shownName = windowsForm(name);
  const Standing standing = fileStatus(name).what;
  if (standing == Standing::kError) failedToRead(impl_->shownName);
  // A folder would open on Linux, and a FIFO would block the run in open.
  if (standing != Standing::kFile) return false;
  const auto attempt = [&] {
#ifdef _WIN32
    // The stream does not tell why it failed; this asks in a way that does.
    if (!openableForReading(name)) return false;
#endif
    return openStream(impl_->stream, name, std::ios::in);
  };
  if (!retryWhileHeld(name, attempt)) failedToRead(impl_->shownName);
  return true;
}

void TxtFileReader::readLines(LineList& lines) {
  const std::string bytes = readBytes();
  try {
    for (const std::string_view line : lineViews(bytes)) lines.emplace_back(line);
  } catch (const std::bad_alloc&) {
    failedToRead(impl_->shownName);
  }
}

std::string TxtFileReader::readBytes() {
  std::ifstream& in = impl_->stream;
  std::string bytes;
  if (!in.is_open()) return bytes;
  bool complete = rewind(in);
  try {
    char buffer[4096];
    while (complete && (in.read(buffer, sizeof buffer) || in.gcount() > 0))
      bytes.append(buffer, static_cast<size_t>(in.gcount()));
  } catch (const std::bad_alloc&) {
    complete = false;
  }
  finishRead(*impl_, complete);
  return bytes;
}

}  // namespace sioc_lib
