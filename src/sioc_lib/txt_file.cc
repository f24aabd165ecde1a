#include "sioc_lib/txt_file.h"

#include <new>
#include <stdexcept>

#include "sioc_lib/file_system.h"
#include "sioc_lib/path_text.h"

#ifdef _WIN32
#include <windows.h>
// after windows.h
#include <shlobj.h>
#endif

namespace sioc_lib {

struct TxtFileReaderImpl {
  std::unique_ptr<ReadableFile> file;
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

[[noreturn]] void failedToRead(const std::string& shownName) {
  throw std::runtime_error("Failed to read " + shownName);
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
  FileSystem& files = fileSystem();
  const Standing standing = files.status(name, true).what;
  if (standing == Standing::kError) failedToRead(impl_->shownName);
  // A folder would open on Linux, and a FIFO would block the run in open.
  if (standing != Standing::kFile) return false;
  impl_->file = files.open(name);
  if (!impl_->file) failedToRead(impl_->shownName);
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
  if (!impl_->file) return {};
  std::optional<std::string> bytes = impl_->file->readAll();
  if (!bytes) failedToRead(impl_->shownName);
  return std::move(*bytes);
}

}  // namespace sioc_lib
