#include "sioc_lib/write_text_file.h"

#include <stdexcept>
#include <string>
#include <system_error>

#include "app/console.h"
#include "sioc_lib/path_text.h"
#include "sioc_lib/replace_file.h"

namespace {

// Opens only a file it creates itself, never one standing at the name.
class NewFileWriter : public sioc_lib::TxtFileWriter {
 public:
  bool open(const std::filesystem::path& fileName, bool /*inDocuments*/) override {
    return openFile(fileName, true);
  }
};

// Removes the temporary file on every way out; once it has been moved to its
// name, nothing stands at the temporary name any more.
struct TemporaryFile {
  std::filesystem::path name;
  TemporaryFile() = default;
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;
  ~TemporaryFile() {
    std::error_code ec;
    std::filesystem::remove(name, ec);
  }
};

}  // namespace

void writeTextFile(const sioc_lib::LineList& lines, const std::filesystem::path& fileName,
                   ExistingFile existing) {
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

  // Write beside the target under a name of this run's own, and move it to
  // the name only once every write, the close and the flush succeeded: a
  // full disk, a power cut or another run never leaves a half-written file.
  static unsigned counter = 0;
  TemporaryFile temporary;  // outlives the writer, which must close first
  NewFileWriter writer;
  for (int attempt = 0;; ++attempt) {
    temporary.name = fileName;
    temporary.name += ".trv_setup-" + std::to_string(sioc_lib::processId()) + "-" +
                      std::to_string(counter++) + ".new";
    if (writer.open(temporary.name, false)) break;
    // A run that was killed may have left a temporary under a reused
    // process id: take the next name.
    const bool taken = std::filesystem::symlink_status(temporary.name, ec).type() !=
                       std::filesystem::file_type::not_found;
    temporary.name.clear();
    if (!taken || attempt == 99) throw failure();
  }
  writer.writeLines(lines);
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
  sioc_lib::syncFolder(fileName.parent_path());
  printLine(shown + " created.");
}
