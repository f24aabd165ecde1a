#include "sioc_lib/write_text_file.h"

#include <chrono>
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

// The line after "Failed to create" that says why, where the reason is
// known: the permissions refuse this user, a protection refuses although
// they allow, or another program has the file open.
std::string reasonNote(sioc_lib::Access access, const char* what,
                       const std::filesystem::path& name) {
  const std::string shown = sioc_lib::windowsForm(name);
  switch (access) {
    case sioc_lib::Access::kDenied:
      return std::string("\nThis user may not change the ") + what + " " + shown +
#ifdef _WIN32
             ": start the program with \"Run as administrator\", or keep the "
             "installation outside protected folders such as Program Files or the "
             "root of a drive (C:\\).";
#else
             ": its owner may, or may give this user the right (chmod, chown).";
#endif
    case sioc_lib::Access::kProtected:
      return std::string("\nA protection refused the change to the ") + what + " " +
             shown +
#ifdef _WIN32
             " although this user may make it: allow the program in Windows Security "
             "(Controlled folder access) or in the virus scanner, then run it again.";
#else
             " although this user may make it: it is marked immutable or append-only, "
             "which root may undo (chattr -i -a).";
#endif
    case sioc_lib::Access::kHeld:
      return "\nAnother program has the file " + shown +
             " open: close it (SIOC itself, an editor or a sync client), then run "
             "the setup again.";
    default:
      return "";
  }
}

// What writeFile refuses before it writes anything: a name that cannot be
// looked at, or what stands there and may not be replaced.
bool refusedBeforeWriting(const sioc_lib::FileStatus& earlier, ExistingFile existing) {
  return earlier.what == Standing::kError ||
         (existing == ExistingFile::kReplace && refusesToReplace(earlier));
}

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

// Writes bytes into a temporary of this run's own and moves it to fileName
// only once every write, the flush and the close succeeded: a full disk, a
// power cut or another run never leaves a half-written file. The file gets
// the readers of readersOf before it appears under its name.
void writeFile(const std::string& bytes, const std::filesystem::path& fileName,
               ExistingFile existing, const std::filesystem::path& readersOf) {
  const std::string shown = sioc_lib::windowsForm(fileName);
  const auto failure = [&] { return std::runtime_error("Failed to create " + shown); };
  const std::filesystem::path folder = fileName.parent_path();

  if (refusedBeforeWriting(sioc_lib::fileStatus(fileName), existing)) throw failure();

  TemporaryFile temporary;  // outlives the file, which must close first
  sioc_lib::NewFile file;
  for (int draw = 0; temporary.name.empty(); ++draw) {
    if (draw == kNameDraws) throw failure();
    const std::filesystem::path name = folder / temporaryName();
    const sioc_lib::Created created = file.create(name);
    if (created == sioc_lib::Created::kCreated) {
      temporary.name = name;
    } else if (const Standing taken = sioc_lib::fileStatus(name, false).what;
               taken == Standing::kNothing || taken == Standing::kError) {
      // No clash with another file: the folder refuses. Where the
      // permissions allow, something else refused.
      sioc_lib::Access access = sioc_lib::accessToCreateIn(folder);
      if (access == sioc_lib::Access::kGranted && created == sioc_lib::Created::kDenied)
        access = sioc_lib::kCreateDeniedThoughAllowed;
      throw std::runtime_error(failure().what() + reasonNote(access, "folder", folder));
    }
  }
  removeStaleTemporaries(folder, temporary.name);
  if (!file.write(bytes) || !file.finish(readersOf)) throw failure();

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
    throw std::runtime_error(
        failure().what() +
        reasonNote(sioc_lib::accessToReplace(fileName), "file", fileName));
  }
  // Another run may take the free name at once: it is no longer ours.
  temporary.name.clear();
  sioc_lib::syncFolder(folder);
  printLine(shown + " created.");
}

}  // namespace

std::optional<std::string> foreseeWriteFailure(const std::filesystem::path& fileName,
                                               ExistingFile existing,
                                               sioc_lib::FileStatus& earlier,
                                               bool& held) {
  const std::string failure = "Failed to create " + sioc_lib::windowsForm(fileName);
  earlier = sioc_lib::fileStatus(fileName);
  held = false;
  if (refusedBeforeWriting(earlier, existing)) {
    return failure;
  }
  const std::filesystem::path folder = fileName.parent_path();
  if (const sioc_lib::Access access = sioc_lib::accessToCreateIn(folder);
      access != sioc_lib::Access::kGranted) {
    return failure + reasonNote(access, "folder", folder);
  }
  if (existing == ExistingFile::kKeep || earlier.what == Standing::kNothing) return {};
  const sioc_lib::Access access = sioc_lib::accessToReplace(fileName);
  held = access == sioc_lib::Access::kHeld;
  if (held || access == sioc_lib::Access::kGranted) return {};
  return failure + reasonNote(access, "file", fileName);
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
  writeFile(sioc_lib::windowsText(lines), fileName, existing, fileName);
}

void writeByteFile(const std::string& bytes, const std::filesystem::path& fileName,
                   ExistingFile existing, const std::filesystem::path& readersOf) {
  writeFile(bytes, fileName, existing, readersOf);
}
