#include "sioc_lib/write_text_file.h"

#include <chrono>
#include <functional>
#include <stdexcept>
#include <string>
#include <system_error>

#include "app/console.h"
#include "sioc_lib/path_text.h"
#include "sioc_lib/replace_file.h"

namespace {

// Temporaries are ~trv00.tmp to ~trv99.tmp beside the file: never longer
// than Vorlantrv.lst, the first file a run writes, so no temporary's path is
// longer than a path the run writes anyway.
constexpr int kTemporaryNames = 100;

std::filesystem::path temporaryName(const std::filesystem::path& folder, int n) {
  return folder / ("~trv" + std::to_string(n / 10) + std::to_string(n % 10) + ".tmp");
}

// Removes the temporaries that runs ended by force (a power cut, a closed
// window, a crash) left behind. A run's writes take milliseconds, so a
// temporary an hour old belongs to no run that is still alive.
void removeStaleTemporaries(const std::filesystem::path& folder) {
  const auto stale =
      std::filesystem::file_time_type::clock::now() - std::chrono::hours(1);
  for (int n = 0; n < kTemporaryNames; ++n) {
    const std::filesystem::path name = temporaryName(folder, n);
    std::error_code ec;
    if (std::filesystem::symlink_status(name, ec).type() ==
            std::filesystem::file_type::regular &&
        std::filesystem::last_write_time(name, ec) < stale && !ec) {
      sioc_lib::removeFile(name);
    }
  }
}

// Opens only a file it creates itself, never one standing at the name.
class NewFileWriter : public sioc_lib::TxtFileWriter {
 public:
  bool open(const std::filesystem::path& fileName, bool /*inDocuments*/) override {
    return openFile(fileName, true);
  }
};

// Removes the temporary file on every way out but its move to the name.
struct TemporaryFile {
  std::filesystem::path name;
  TemporaryFile() = default;
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;
  ~TemporaryFile() {
    if (!name.empty()) sioc_lib::removeFile(name);
  }
};

// Writes through write into a temporary of this run's own and moves it to
// fileName only once every write, the close and the flush succeeded: a full
// disk, a power cut or another run never leaves a half-written file.
void writeFile(const std::function<void(sioc_lib::TxtFileWriter&)>& write,
               const std::filesystem::path& fileName, ExistingFile existing) {
  const std::string shown = sioc_lib::windowsForm(fileName);
  const auto failure = [&] { return std::runtime_error("Failed to create " + shown); };

  // A folder standing at the name is never removed to make room, and a file
  // made read-only is never replaced.
  std::error_code ec;
  const std::filesystem::file_status earlier = std::filesystem::status(fileName, ec);
  if (existing == ExistingFile::kReplace &&
      (std::filesystem::is_directory(earlier) ||
       (std::filesystem::exists(earlier) &&
        (earlier.permissions() & std::filesystem::perms::owner_write) ==
            std::filesystem::perms::none))) {
    throw failure();
  }

  const std::filesystem::path folder = fileName.parent_path();
  removeStaleTemporaries(folder);
  TemporaryFile temporary;  // outlives the writer, which must close first
  NewFileWriter writer;
  for (int n = 0; temporary.name.empty(); ++n) {
    if (n == kTemporaryNames) throw failure();
    const std::filesystem::path name = temporaryName(folder, n);
    if (writer.open(name, false)) {
      temporary.name = name;
    } else if (std::filesystem::symlink_status(name, ec).type() ==
               std::filesystem::file_type::not_found) {
      throw failure();  // not a name taken by another run: the folder refuses
    }
  }
  write(writer);
  if (!writer.close() || !sioc_lib::syncFile(temporary.name)) throw failure();

  if (existing == ExistingFile::kKeep) {
    switch (sioc_lib::placeNewFile(temporary.name, fileName)) {
      case sioc_lib::Placement::kNameTaken:
        return;
      case sioc_lib::Placement::kFailed:
        throw failure();
      case sioc_lib::Placement::kPlaced:
        break;
    }
  } else if (!sioc_lib::replaceFile(temporary.name, fileName)) {
    throw failure();
  }
  // Another run may take the free name at once: it is no longer ours.
  temporary.name.clear();
  sioc_lib::syncFolder(folder);
  printLine(shown + " created.");
}

}  // namespace

void writeTextFile(const sioc_lib::LineList& lines, const std::filesystem::path& fileName,
                   ExistingFile existing) {
  writeFile([&](sioc_lib::TxtFileWriter& writer) { writer.writeLines(lines); }, fileName,
            existing);
}

void writeByteFile(const std::string& bytes, const std::filesystem::path& fileName,
                   ExistingFile existing) {
  writeFile([&](sioc_lib::TxtFileWriter& writer) { writer.writeBytes(bytes); }, fileName,
            existing);
}
