#include "sioc_lib/write_text_file.h"

#include <chrono>
#include <functional>
#include <random>
#include <stdexcept>
#include <string>
#include <system_error>

#include "app/console.h"
#include "sioc_lib/path_text.h"
#include "sioc_lib/replace_file.h"

namespace {

using sioc_lib::Standing;

// Temporaries are ~trv, five random letters or digits and .tmp beside the
// file: a name of the run's own that no other run takes up after it (a
// clash draws again), and no longer than Vorlantrv.lst, the first file a run
// writes, so no temporary's path is longer than a path the run writes.
const std::string kLettersAndDigits = "abcdefghijklmnopqrstuvwxyz0123456789";
constexpr size_t kRandomPart = 5;
constexpr int kNameDraws = 100;

std::string temporaryName() {
  static std::mt19937 random{std::random_device{}()};
  std::uniform_int_distribution<size_t> pick(0, kLettersAndDigits.size() - 1);
  std::string name = "~trv";
  for (size_t i = 0; i < kRandomPart; ++i) name += kLettersAndDigits[pick(random)];
  return name + ".tmp";
}

bool isTemporaryName(const std::string& name) {
  const size_t end = 4 + kRandomPart;
  return name.size() == end + 4 && name.compare(0, 4, "~trv") == 0 &&
         name.compare(end, 4, ".tmp") == 0 &&
         name.find_first_not_of(kLettersAndDigits, 4) == end;
}

// Removes the temporaries that runs ended by force (a power cut, a closed
// window, a crash) left behind. A leftover that another program holds is
// left for later.
void removeStaleTemporaries(const std::filesystem::path& folder,
                            const std::filesystem::path& own) {
  const sioc_lib::FileStatus ours = sioc_lib::fileStatus(own, false);
  if (ours.what != Standing::kFile) return;
  for (const std::filesystem::path& name : staleTemporaries(folder, ours.lastWrite))
    if (name != own) sioc_lib::removeFile(name, false);
}

// The line after "Failed to create" when the system refused for lack of
// rights: who may change it, and what the builder can do.
std::string deniedNote(const char* what, const std::filesystem::path& name) {
  return std::string("\nThis user may not change the ") + what + " " +
         sioc_lib::windowsForm(name) +
#ifdef _WIN32
         ": start the program with \"Run as administrator\", or keep the installation "
         "outside protected folders such as Program Files.";
#else
         ": its owner may, or may give this user the right (chmod, chown).";
#endif
}

// The message for a folder that refuses a new file.
std::string refusedInFolder(const std::string& failure,
                            const std::filesystem::path& folder) {
  return sioc_lib::accessToCreateIn(folder) == sioc_lib::Access::kDenied
             ? failure + deniedNote("folder", folder)
             : failure;
}

// What writeFile refuses before it writes anything: a name that cannot be
// looked at, or what stands there and may not be replaced.
bool refusedBeforeWriting(const sioc_lib::FileStatus& earlier, ExistingFile existing) {
  return earlier.what == Standing::kError ||
         (existing == ExistingFile::kReplace && refusesToReplace(earlier));
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
// permissionsOf, when given, is the file whose permissions the new one takes
// in place of those of the file it replaces.
void writeFile(const std::function<void(sioc_lib::TxtFileWriter&)>& write,
               const std::filesystem::path& fileName, ExistingFile existing,
               const sioc_lib::FileStatus* permissionsOf = nullptr) {
  const std::string shown = sioc_lib::windowsForm(fileName);
  const auto failure = [&] { return std::runtime_error("Failed to create " + shown); };
  const std::filesystem::path folder = fileName.parent_path();

  const sioc_lib::FileStatus earlier = sioc_lib::fileStatus(fileName);
  if (refusedBeforeWriting(earlier, existing)) {
    throw failure();
  }

  TemporaryFile temporary;  // outlives the writer, which must close first
  NewFileWriter writer;
  for (int draw = 0; temporary.name.empty(); ++draw) {
    if (draw == kNameDraws) throw failure();
    const std::filesystem::path name = folder / temporaryName();
    if (writer.open(name, false)) {
      temporary.name = name;
    } else if (const Standing taken = sioc_lib::fileStatus(name, false).what;
               taken == Standing::kNothing || taken == Standing::kError) {
      // No clash with another file: the folder refuses.
      throw std::runtime_error(refusedInFolder(failure().what(), folder));
    }
  }
  if (permissionsOf == nullptr && earlier.what == Standing::kFile)
    permissionsOf = &earlier;
  if (!sioc_lib::setPermissions(temporary.name, permissionsOf)) throw failure();
  removeStaleTemporaries(folder, temporary.name);
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
    const bool denied = sioc_lib::accessToReplace(fileName) == sioc_lib::Access::kDenied;
    throw std::runtime_error(failure().what() +
                             (denied ? deniedNote("file", fileName) : ""));
  }
  // Another run may take the free name at once: it is no longer ours.
  temporary.name.clear();
  sioc_lib::syncFolder(folder);
  printLine(shown + " created.");
}

}  // namespace

std::optional<std::string> foreseeWriteFailure(const std::filesystem::path& fileName,
                                               ExistingFile existing, bool& held) {
  const std::string failure = "Failed to create " + sioc_lib::windowsForm(fileName);
  const sioc_lib::FileStatus earlier = sioc_lib::fileStatus(fileName);
  held = false;
  if (refusedBeforeWriting(earlier, existing)) {
    return failure;
  }
  const std::filesystem::path folder = fileName.parent_path();
  if (sioc_lib::accessToCreateIn(folder) != sioc_lib::Access::kGranted)
    return refusedInFolder(failure, folder);
  if (existing == ExistingFile::kKeep || earlier.what == Standing::kNothing) return {};
  switch (sioc_lib::accessToReplace(fileName)) {
    case sioc_lib::Access::kDenied:
      return failure + deniedNote("file", fileName);
    case sioc_lib::Access::kRefused:
      return failure;
    case sioc_lib::Access::kHeld:
      held = true;
      break;
    case sioc_lib::Access::kGranted:
      break;
  }
  return {};
}

std::vector<std::filesystem::path> staleTemporaries(const std::filesystem::path& folder,
                                                    sioc_lib::FileTime ours) {
  // A run's writes take milliseconds, so a temporary an hour older than the
  // one a run has just made belongs to no run that is still alive; one more
  // than a day younger was made while the clock stood ahead, and would
  // otherwise stay for good. Both times come from the file system, so no
  // PC's clock matters.
  std::vector<std::filesystem::path> stale;
  std::error_code ec;
  for (auto it = std::filesystem::directory_iterator(folder, ec);
       !ec && it != std::filesystem::directory_iterator(); it.increment(ec)) {
    const std::filesystem::path& name = it->path();
    if (!isTemporaryName(sioc_lib::pathText(name.filename()))) continue;
    const sioc_lib::FileStatus left = sioc_lib::fileStatus(name, false);
    if (left.what == Standing::kFile && (ours - left.lastWrite > std::chrono::hours(1) ||
                                         left.lastWrite - ours > std::chrono::hours(24)))
      stale.push_back(name);
  }
  return stale;
}

bool refusesToReplace(const sioc_lib::FileStatus& earlier) {
  return earlier.what == Standing::kError || earlier.what == Standing::kFolder ||
         (earlier.what != Standing::kNothing && earlier.readOnly);
}

void writeTextFile(const sioc_lib::LineList& lines, const std::filesystem::path& fileName,
                   ExistingFile existing) {
  writeFile([&](sioc_lib::TxtFileWriter& writer) { writer.writeLines(lines); }, fileName,
            existing);
}

void writeByteFile(const std::string& bytes, const std::filesystem::path& fileName,
                   ExistingFile existing, const sioc_lib::FileStatus& copied) {
  writeFile([&](sioc_lib::TxtFileWriter& writer) { writer.writeBytes(bytes); }, fileName,
            existing, &copied);
}
