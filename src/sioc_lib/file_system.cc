#include "sioc_lib/file_system.h"

#include <fstream>
#include <new>
#include <system_error>

namespace sioc_lib {

namespace {

class StreamFile : public ReadableFile {
 public:
  explicit StreamFile(const std::filesystem::path& name) {
    stream_.open(name, std::ios::in | std::ios::binary);
  }
  [[nodiscard]] bool isOpen() const { return stream_.is_open(); }

  // A failed read(2) and a std::bad_alloc inside the stream both end in
  // badbit; the end of the file does not.
  std::optional<std::string> readAll() override {
    stream_.clear();
    if (!stream_.seekg(0, std::ios::beg)) return std::nullopt;
    std::string bytes;
    try {
      char buffer[4096];
      while (stream_.read(buffer, sizeof buffer) || stream_.gcount() > 0)
        bytes.append(buffer, static_cast<size_t>(stream_.gcount()));
    } catch (const std::bad_alloc&) {
      return std::nullopt;
    }
    const bool complete = !stream_.bad();
    stream_.clear();
    if (!complete) return std::nullopt;
    return bytes;
  }

 private:
  std::ifstream stream_;
};

FileSystem*& current() {
  static FileSystem* files = nullptr;
  return files;
}

}  // namespace

SystemFileSystem::SystemFileSystem() = default;
SystemFileSystem::~SystemFileSystem() = default;

FileStatus SystemFileSystem::status(const std::filesystem::path& name, bool followLinks) {
  return fileStatus(name, followLinks);
}

std::vector<std::filesystem::path> SystemFileSystem::list(
    const std::filesystem::path& folder) {
  std::vector<std::filesystem::path> names;
  std::error_code ec;
  for (auto it = std::filesystem::directory_iterator(folder, ec);
       !ec && it != std::filesystem::directory_iterator(); it.increment(ec))
    names.push_back(it->path());
  return names;
}

std::unique_ptr<ReadableFile> SystemFileSystem::open(const std::filesystem::path& file) {
  std::unique_ptr<StreamFile> opened;
  const auto attempt = [&] {
#ifdef _WIN32
    // The stream does not tell why it failed; this asks in a way that does.
    if (!openableForReading(file)) return false;
#endif
    opened = std::make_unique<StreamFile>(file);
    return opened->isOpen();
  };
  if (!retryWhileHeld(file, attempt)) return nullptr;
  return opened;
}

std::unique_ptr<WriteBlock> SystemFileSystem::blockWrites(
    const std::filesystem::path& file) {
  return std::make_unique<WriteBlock>(file);
}

Created SystemFileSystem::create(const std::filesystem::path& temporary) {
  file_ = std::make_unique<NewFile>();
  fileName_ = temporary;
  const Created created = file_->create(temporary);
  if (created == Created::kCreated) {
    if (const FileStatus made = fileStatus(temporary, false);
        made.what == Standing::kFile)
      lastMade_ = made.lastWrite;
  }
  return created;
}

bool SystemFileSystem::write(const std::string& bytes,
                             const std::filesystem::path& readersOf) {
  return file_->write(bytes) && file_->finish(readersOf);
}

bool SystemFileSystem::remove(const std::filesystem::path& file, bool waitWhileHeld) {
  if (file == fileName_) file_.reset();  // closed before it goes
  return removeFile(file, waitWhileHeld);
}

bool SystemFileSystem::replace(const std::filesystem::path& source,
                               const std::filesystem::path& target) {
  return replaceFile(source, target);
}

Placement SystemFileSystem::place(const std::filesystem::path& source,
                                  const std::filesystem::path& target) {
  return placeNewFile(source, target);
}

void SystemFileSystem::syncFolder(const std::filesystem::path& folder) {
  sioc_lib::syncFolder(folder);
}

Access SystemFileSystem::accessToCreateIn(const std::filesystem::path& folder) {
  return sioc_lib::accessToCreateIn(folder);
}

Access SystemFileSystem::accessToReplace(const std::filesystem::path& file) {
  return sioc_lib::accessToReplace(file);
}

std::optional<std::filesystem::path> SystemFileSystem::virtualStoreCopy(
    const std::filesystem::path& file) {
  return sioc_lib::virtualStoreCopy(file);
}

FileTime SystemFileSystem::now() { return lastMade_ ? *lastMade_ : fileTimeNow(); }

FileSystem& fileSystem() {
  static SystemFileSystem system;
  if (current() != nullptr) return *current();
  return system;
}

UseFileSystem::UseFileSystem(FileSystem& files) : earlier_(current()) {
  current() = &files;
}

UseFileSystem::~UseFileSystem() { current() = earlier_; }

}  // namespace sioc_lib
