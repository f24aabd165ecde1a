#include "sioc_lib/write_text_file.h"

#include <chrono>
#include <random>
#include <stdexcept>
#include <string>

#include "sioc_lib/file_system.h"
#include "sioc_lib/path_text.h"

namespace sioc_lib {

namespace {

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
// window, a crash) left behind. A run's writes take milliseconds, so a
// temporary an hour older than the one a run has just made belongs to no run
// that is still alive; one more than a day younger was made while the clock
// stood ahead, and would otherwise stay for good. Both times come from the
// file system, so no PC's clock matters.
void removeStaleTemporaries(FileSystem& files, FileReports& reports,
                            const std::filesystem::path& own) {
  const FileStatus made = files.status(own, false);
  if (made.what != Standing::kFile) return;
  const FileTime ours = made.lastWrite;
  for (const std::filesystem::path& name : files.list(own.parent_path())) {
    if (name == own || !isTemporaryName(pathText(name.filename()))) continue;
    const FileStatus left = files.status(name, false);
    // A leftover that another program holds is left for later.
    if (left.what == Standing::kFile &&
        (ours - left.lastWrite > std::chrono::hours(1) ||
         left.lastWrite - ours > std::chrono::hours(24)) &&
        files.remove(name, false))
      reports.leftoverRemoved(name);
  }
}

// What writeFile refuses before it writes anything: a name that cannot be
// looked at, a folder (never removed to make room), or a file made
// read-only.
bool refusedBeforeWriting(const FileStatus& earlier, ExistingFile existing) {
  return earlier.what == Standing::kError ||
         (existing == ExistingFile::kReplace &&
          (earlier.what == Standing::kFolder ||
           (earlier.what != Standing::kNothing && earlier.readOnly)));
}

// Removes the temporary file on every way out but its move to the name.
struct TemporaryFile {
  FileSystem& files;
  std::filesystem::path name;
  explicit TemporaryFile(FileSystem& f) : files(f) {}
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;
  ~TemporaryFile() {
    if (!name.empty()) files.remove(name, true);
  }
};

}  // namespace

// In Windows' words on both platforms, as the tool speaks to builders on
// Windows alone; the Linux build shows them to its tests.
std::string reasonNote(Access access, const char* what,
                       const std::filesystem::path& name) {
  const std::string shown = wholeForm(name);
  switch (access) {
    case Access::kDenied:
      return std::string("\nThis user may not change the ") + what + " " + shown +
             ": start the program with \"Run as administrator\", or keep the "
             "installation outside protected folders such as Program Files or the "
             "root of a drive (C:\\).";
    case Access::kProtected:  // on Windows only
      return std::string("\nA protection refused the change to the ") + what + " " +
             shown +
             " although this user may make it: allow the program in Windows Security "
             "(Controlled folder access) or in the virus scanner, then run it again.";
    case Access::kReadOnly:
      return "\nThe file " + shown +
             " is read-only: clear Read-only in its Properties (right-click it in "
             "Explorer), then run the setup again.";
    case Access::kHeld:
      return "\nAnother program has the file " + shown +
             " open: close it (SIOC itself, an editor or a sync client), then run "
             "the setup again.";
    default:
      return "";
  }
}

// Writes bytes into a temporary of this run's own and moves it to fileName
// only once every write, the flush and the close succeeded: a full disk, a
// power cut or another run never leaves a half-written file.
void writeFile(FileReports& reports, const std::string& bytes,
               const std::filesystem::path& fileName, ExistingFile existing,
               const std::filesystem::path& readersOf) {
  FileSystem& files = fileSystem();
  reports.begin(fileName);
  const std::string shown = windowsForm(fileName);
  const auto failure = [&] { return std::runtime_error("Failed to create " + shown); };
  const std::filesystem::path folder = fileName.parent_path();

  const FileStatus earlier = files.status(fileName, true);
  if (refusedBeforeWriting(earlier, existing)) {
    const bool readOnly = earlier.what == Standing::kFile && earlier.readOnly;
    throw std::runtime_error(
        failure().what() +
        (readOnly ? reasonNote(Access::kReadOnly, "file", fileName) : std::string()));
  }

  TemporaryFile temporary(files);  // removed after the file closed
  for (int draw = 0; temporary.name.empty(); ++draw) {
    if (draw == kNameDraws) throw failure();
    const std::filesystem::path name = folder / temporaryName();
    const Created created = files.create(name);
    if (created == Created::kCreated) {
      temporary.name = name;
    } else if (const Standing taken = files.status(name, false).what;
               taken == Standing::kNothing || taken == Standing::kError) {
      // No clash with another file: the folder refuses.
      Access access = files.accessToCreateIn(folder);
      if (access == Access::kGranted && created == Created::kDenied)
        access = kCreateDeniedThoughAllowed;
      throw std::runtime_error(failure().what() + reasonNote(access, "folder", folder));
    }
  }
  removeStaleTemporaries(files, reports, temporary.name);
  if (!files.write(bytes, readersOf)) throw failure();

  if (existing == ExistingFile::kKeep) {
    switch (files.place(temporary.name, fileName)) {
      case Placement::kNameTaken:
        return;
      case Placement::kFailed:
        throw failure();
      case Placement::kPlaced:
        break;
    }
  } else if (!files.replace(temporary.name, fileName)) {
    throw std::runtime_error(
        failure().what() + reasonNote(files.accessToReplace(fileName), "file", fileName));
  }
  // Another run may take the free name at once: it is no longer ours.
  temporary.name.clear();
  files.syncFolder(folder);
  reports.written(fileName, bytes, earlier, existing);
}

void writeTextFile(FileReports& reports, const LineList& lines,
                   const std::filesystem::path& fileName) {
  writeFile(reports, windowsText(lines), fileName, ExistingFile::kReplace, fileName);
}

}  // namespace sioc_lib
