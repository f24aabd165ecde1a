#include "sioc_lib/write_text_file.h"

#include <stdexcept>
#include <system_error>

#include "app/console.h"
#include "sioc_lib/path_text.h"
#include "sioc_lib/replace_file.h"

void writeTextFile(const sioc_lib::LineList& lines,
                   const std::filesystem::path& fileName) {
  const std::string shown = sioc_lib::windowsForm(fileName);
  const auto failure = [&] { return std::runtime_error("Failed to create " + shown); };

  // A folder standing at the name is never removed to make room, and a file
  // made read-only is never replaced.
  std::error_code ec;
  const std::filesystem::file_status earlier = std::filesystem::status(fileName, ec);
  if (std::filesystem::is_directory(earlier) ||
      (std::filesystem::exists(earlier) &&
       (earlier.permissions() & std::filesystem::perms::owner_write) ==
           std::filesystem::perms::none)) {
    throw failure();
  }

  // Write beside the target and move it over only when every write and the
  // close succeeded, so a full disk never leaves a half-written or lost file.
  std::filesystem::path temporary = fileName;
  temporary += ".trv_setup-new";
  sioc_lib::TxtFileWriter writer;
  if (!writer.open(temporary, false)) throw failure();
  writer.writeLines(lines);
  if (!writer.close() || !sioc_lib::replaceFile(temporary, fileName)) {
    std::filesystem::remove(temporary, ec);
    throw failure();
  }
  printLine(shown + " created.");
}
