#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <ctime>

#include "sioc_lib/replace_file.h"

namespace sioc_lib {

namespace {

// Closes a descriptor when it goes out of scope.
class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  [[nodiscard]] int get() const { return fd_; }

 private:
  int fd_;
};

// A POSIX ACL as the kernel keeps it in an extended attribute: a 4-byte
// version, then 8-byte entries of tag, permissions (16 bits each) and id,
// little-endian.
const char kAccessAcl[] = "system.posix_acl_access";
const char kDefaultAcl[] = "system.posix_acl_default";
constexpr unsigned kOwnerEntry = 0x01, kGroupEntry = 0x04, kMaskEntry = 0x10,
                   kOthersEntry = 0x20;

std::string aclOf(const std::filesystem::path& name, const char* which) {
  std::string acl(static_cast<size_t>(
                      std::max<ssize_t>(getxattr(name.c_str(), which, nullptr, 0), 0)),
                  '\0');
  const ssize_t size = getxattr(name.c_str(), which, acl.data(), acl.size());
  acl.resize(size > 0 ? static_cast<size_t>(size) : 0);
  return acl;
}

// Where an entry with tag stands in acl, or 0.
size_t entryAt(const std::string& acl, unsigned tag) {
  for (size_t at = 4; at + 8 <= acl.size(); at += 8)
    if (static_cast<unsigned char>(acl[at]) == tag) return at;
  return 0;
}

// Takes away from the entry with tag the permissions that allowed lacks.
void narrowEntry(std::string& acl, unsigned tag, unsigned allowed) {
  if (const size_t at = entryAt(acl, tag))
    acl[at + 2] = static_cast<char>(acl[at + 2] & allowed);
}

// The mask of the process, set and set back: safe in a program with one
// thread.
mode_t currentUmask() {
  const mode_t mask = umask(077);
  umask(mask);
  return mask;
}

// Gives fd the readers of a new file in folder: its default ACL as the
// kernel gives it to a file made with mode 0666, else that mode less the
// umask.
bool giveNewFileReaders(int fd, const std::filesystem::path& folder) {
  std::string acl = aclOf(folder, kDefaultAcl);
  if (acl.empty()) return fchmod(fd, 0666 & ~currentUmask()) == 0;
  narrowEntry(acl, kOwnerEntry, 6);
  narrowEntry(acl, entryAt(acl, kMaskEntry) != 0 ? kMaskEntry : kGroupEntry, 6);
  narrowEntry(acl, kOthersEntry, 6);
  return fsetxattr(fd, kAccessAcl, acl.data(), acl.size(), 0) == 0;
}

// Gives fd the owner, group, mode and ACL of what stands at like. Where the
// system refuses the owner, the file stays this user's; where it refuses the
// group, the group gets no more than others may. The ACL goes first: what a
// default ACL of the folder gave the file at its create must never meet
// wider mode bits.
bool giveReadersOf(int fd, const struct stat& like, std::string acl) {
  const bool groupKept = fchown(fd, like.st_uid, like.st_gid) == 0 ||
                         fchown(fd, static_cast<uid_t>(-1), like.st_gid) == 0;
  mode_t mode = like.st_mode & 07777;
  if (!groupKept) {
    mode &= ~(static_cast<mode_t>(070) & ~((mode & 07) << 3));
    if (const size_t others = entryAt(acl, kOthersEntry))
      narrowEntry(acl, kGroupEntry, static_cast<unsigned char>(acl[others + 2]));
  }
  const bool aclGiven =
      acl.empty()
          ? fremovexattr(fd, kAccessAcl) == 0 || errno == ENODATA || errno == ENOTSUP
          : fsetxattr(fd, kAccessAcl, acl.data(), acl.size(), 0) == 0;
  return aclGiven && fchmod(fd, mode) == 0;
}

}  // namespace

FileStatus fileStatus(const std::filesystem::path& name, bool followLinks) {
  FileStatus status;
  struct stat info {};
  if ((followLinks ? stat(name.c_str(), &info) : lstat(name.c_str(), &info)) != 0) {
    // EOVERFLOW and every other failure leave the question open.
    if (errno == ENOENT || errno == ENOTDIR) status.what = Standing::kNothing;
    return status;
  }
  if (S_ISREG(info.st_mode)) {
    status.what = Standing::kFile;
  } else if (S_ISDIR(info.st_mode)) {
    status.what = Standing::kFolder;
  } else {
    status.what = Standing::kOther;
  }
  status.readOnly = (info.st_mode & S_IWUSR) == 0;
  status.lastWrite = std::chrono::seconds(info.st_mtim.tv_sec) +
                     std::chrono::nanoseconds(info.st_mtim.tv_nsec);
  return status;
}

NewFile::~NewFile() {
  if (fd_ >= 0) close(fd_);
}

Created NewFile::create(const std::filesystem::path& name) {
  fd_ = open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd_ >= 0) return Created::kCreated;
  return errno == EACCES || errno == EPERM ? Created::kDenied : Created::kFailed;
}

bool NewFile::write(const std::string& bytes) {
  for (size_t done = 0; done < bytes.size();) {
    const ssize_t written = ::write(fd_, bytes.data() + done, bytes.size() - done);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    done += static_cast<size_t>(written);
  }
  return true;
}

bool NewFile::finish(const std::filesystem::path& like) {
  struct stat info {};
  const bool given = stat(like.c_str(), &info) == 0 && S_ISREG(info.st_mode)
                         ? giveReadersOf(fd_, info, aclOf(like, kAccessAcl))
                         : giveNewFileReaders(fd_, like.parent_path());
  const bool flushed = given && fsync(fd_) == 0;
  const int fd = fd_;
  fd_ = -1;
  return close(fd) == 0 && flushed;
}

WriteBlock::WriteBlock(const std::filesystem::path& /*file*/) : inForce_(true) {}
WriteBlock::~WriteBlock() = default;

bool retryWhileHeld(const std::filesystem::path& /*file*/,
                    const std::function<bool()>& attempt) {
  return attempt();  // no other program can hold a file here
}

const Access kCreateDeniedThoughAllowed = Access::kRefused;

// Here a refusal that the permissions do not explain (a mark, a read-only
// disk, a network server) gets no reason: only the system knows it.
Access accessToCreateIn(const std::filesystem::path& folder) {
  if (faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) == 0)
    return Access::kGranted;
  return errno == EACCES ? Access::kDenied : Access::kRefused;
}

Access accessToReplace(const std::filesystem::path& /*file*/) { return Access::kGranted; }

std::optional<std::filesystem::path> virtualStoreCopy(
    const std::filesystem::path& /*file*/) {
  return std::nullopt;
}

FileTime fileTimeNow() {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  return std::chrono::seconds(now.tv_sec) + std::chrono::nanoseconds(now.tv_nsec);
}

bool removeFile(const std::filesystem::path& file, bool /*waitWhileHeld*/) {
  return unlink(file.c_str()) == 0;
}

bool replaceFile(const std::filesystem::path& source,
                 const std::filesystem::path& target) {
  return std::rename(source.c_str(), target.c_str()) == 0;
}

Placement placeNewFile(const std::filesystem::path& source,
                       const std::filesystem::path& target) {
  if (renameat2(AT_FDCWD, source.c_str(), AT_FDCWD, target.c_str(), RENAME_NOREPLACE) ==
      0) {
    return Placement::kPlaced;
  }
  if (errno == EEXIST) return Placement::kNameTaken;
  if (errno != EINVAL && errno != ENOSYS) return Placement::kFailed;
  // A file system without RENAME_NOREPLACE: a hard link fails on a taken name.
  if (link(source.c_str(), target.c_str()) != 0) {
    return errno == EEXIST ? Placement::kNameTaken : Placement::kFailed;
  }
  unlink(source.c_str());
  return Placement::kPlaced;
}

void syncFolder(const std::filesystem::path& folder) {
  const Descriptor fd(open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (fd.get() >= 0) fsync(fd.get());
}

}  // namespace sioc_lib
