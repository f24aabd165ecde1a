#include "sioc_lib/replace_file.h"

#ifdef _WIN32
#include <windows.h>

#include <chrono>
#include <thread>
#include <vector>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <ctime>
#endif

namespace sioc_lib {

#ifdef _WIN32

namespace {

bool meansNothing(DWORD error) {
  return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ||
         error == ERROR_INVALID_NAME;
}

}  // namespace

FileStatus fileStatus(const std::filesystem::path& name, bool followLinks) {
  FileStatus status;
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (GetFileAttributesExW(name.c_str(), GetFileExInfoStandard, &data) == 0) {
    const DWORD error = GetLastError();
    if (meansNothing(error)) status.what = Standing::kNothing;
    // Wine follows a link even here; a link to itself still stands.
    if (!followLinks && error == ERROR_CANT_RESOLVE_FILENAME)
      status.what = Standing::kOther;
    return status;
  }
  DWORD attributes = data.dwFileAttributes;
  DWORD sizeHigh = data.nFileSizeHigh, sizeLow = data.nFileSizeLow;
  FILETIME lastWrite = data.ftLastWriteTime;
  if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
    if (!followLinks) {
      status.what = Standing::kOther;
      return status;
    }
    // The attributes are the link's own; what it leads to, as stat() tells.
    const HANDLE handle = CreateFileW(
        name.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
        OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
      if (meansNothing(GetLastError())) status.what = Standing::kNothing;
      return status;
    }
    BY_HANDLE_FILE_INFORMATION info;
    const bool known = GetFileInformationByHandle(handle, &info) != 0;
    CloseHandle(handle);
    if (!known) return status;
    attributes = info.dwFileAttributes;
    sizeHigh = info.nFileSizeHigh, sizeLow = info.nFileSizeLow;
    lastWrite = info.ftLastWriteTime;
  }
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    status.what = Standing::kFolder;
  } else if ((attributes & FILE_ATTRIBUTE_DEVICE) != 0) {
    status.what = Standing::kOther;
  } else {
    status.what = Standing::kFile;
  }
  status.readOnly = (attributes & FILE_ATTRIBUTE_READONLY) != 0;
  status.size = (uint64_t{sizeHigh} << 32) | sizeLow;
  const uint64_t ticks =
      (uint64_t{lastWrite.dwHighDateTime} << 32) | lastWrite.dwLowDateTime;
  status.lastWrite = FileTime(static_cast<int64_t>(ticks));
  return status;
}

bool setPermissions(const std::filesystem::path& /*file*/, const FileStatus* /*like*/) {
  return true;
}

WriteBlock::WriteBlock(const std::filesystem::path& file) {
  HANDLE handle = INVALID_HANDLE_VALUE;
  held_ = retryWhileHeld(file, [&] {
    handle = CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    return handle != INVALID_HANDLE_VALUE;
  });
  handle_ = held_ ? handle : nullptr;
}

WriteBlock::~WriteBlock() {
  if (handle_ != nullptr) CloseHandle(handle_);
}

bool retryWhileHeld(const std::filesystem::path& file,
                    const std::function<bool()>& attempt) {
  std::chrono::milliseconds pause(10);
  std::chrono::milliseconds waited(0);
  for (;;) {
    if (attempt()) return true;
    const DWORD error = GetLastError();
    // A read-only file is denied for good; it is never made writable.
    const bool held = error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION ||
                      (error == ERROR_ACCESS_DENIED && !fileStatus(file).readOnly);
    if (!held || waited >= std::chrono::milliseconds(2000)) return false;
    std::this_thread::sleep_for(pause);
    waited += pause;
    pause *= 2;
  }
}

bool createNewFile(const std::filesystem::path& file) {
  const HANDLE handle =
      CreateFileW(file.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                  nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  return handle != INVALID_HANDLE_VALUE && CloseHandle(handle) != 0;
}

bool openableForReading(const std::filesystem::path& file) {
  // The sharing of the C runtime's own open, so that the answer is its answer.
  const HANDLE handle =
      CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  return handle != INVALID_HANDLE_VALUE && CloseHandle(handle) != 0;
}

namespace {

// Whether the folder's security descriptor grants this program's user the
// right to add a file; true where that cannot be told.
bool descriptorAllowsNewFiles(const std::filesystem::path& folder) {
  const SECURITY_INFORMATION parts =
      OWNER_SECURITY_INFORMATION | GROUP_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION;
  DWORD size = 0;
  GetFileSecurityW(folder.c_str(), parts, nullptr, 0, &size);
  std::vector<char> descriptor(size);
  HANDLE process = nullptr;
  if (size == 0 ||
      GetFileSecurityW(folder.c_str(), parts, descriptor.data(), size, &size) == 0 ||
      OpenProcessToken(GetCurrentProcess(), TOKEN_DUPLICATE | TOKEN_QUERY, &process) ==
          0) {
    return true;
  }
  GENERIC_MAPPING mapping = {FILE_GENERIC_READ, FILE_GENERIC_WRITE, FILE_GENERIC_EXECUTE,
                             FILE_ALL_ACCESS};
  PRIVILEGE_SET privileges;
  DWORD privilegesSize = sizeof privileges;
  DWORD granted = 0;
  BOOL allowed = TRUE;
  HANDLE token = nullptr;
  if (DuplicateToken(process, SecurityImpersonation, &token) != 0) {
    if (AccessCheck(descriptor.data(), token, FILE_ADD_FILE, &mapping, &privileges,
                    &privilegesSize, &granted, &allowed) == 0) {
      allowed = TRUE;
    }
    CloseHandle(token);
  }
  CloseHandle(process);
  return allowed != FALSE;
}

}  // namespace

Access accessToCreateIn(const std::filesystem::path& folder) {
  // The open asks as a run's create would; the descriptor is asked too, as
  // Wine grants the open whatever the folder's owner allows.
  const HANDLE handle =
      CreateFileW(folder.c_str(), FILE_ADD_FILE,
                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (handle == INVALID_HANDLE_VALUE)
    return GetLastError() == ERROR_ACCESS_DENIED ? Access::kDenied : Access::kRefused;
  CloseHandle(handle);
  return descriptorAllowsNewFiles(folder) ? Access::kGranted : Access::kDenied;
}

Access accessToReplace(const std::filesystem::path& file) {
  // The access a replacing move asks for, sharing everything, so that only
  // a program that keeps others from removing the file stands in the way.
  const HANDLE handle = CreateFileW(
      file.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
      nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS,
      nullptr);
  if (handle != INVALID_HANDLE_VALUE) {
    CloseHandle(handle);
    return Access::kGranted;
  }
  switch (GetLastError()) {
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      return Access::kHeld;
    case ERROR_ACCESS_DENIED:
      return fileStatus(file).readOnly ? Access::kRefused : Access::kDenied;
    default:
      return Access::kRefused;
  }
}

FileTime fileTimeNow() {
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  return FileTime((int64_t{now.dwHighDateTime} << 32) | now.dwLowDateTime);
}

bool removeFile(const std::filesystem::path& file, bool waitWhileHeld) {
  const auto remove = [&] { return DeleteFileW(file.c_str()) != 0; };
  return waitWhileHeld ? retryWhileHeld(file, remove) : remove();
}

bool syncFile(const std::filesystem::path& file) {
  return retryWhileHeld(file, [&] {
    const HANDLE handle =
        CreateFileW(file.c_str(), GENERIC_WRITE,
                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return false;
    const bool flushed = FlushFileBuffers(handle) != 0;
    const DWORD error = GetLastError();
    const bool closed = CloseHandle(handle) != 0;
    SetLastError(error);
    return closed && flushed;
  });
}

bool replaceFile(const std::filesystem::path& source,
                 const std::filesystem::path& target) {
  return retryWhileHeld(target, [&] {
    return MoveFileExW(source.c_str(), target.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
  });
}

Placement placeNewFile(const std::filesystem::path& source,
                       const std::filesystem::path& target) {
  // Without MOVEFILE_REPLACE_EXISTING the move fails on an existing name.
  bool taken = false;
  const bool placed = retryWhileHeld(source, [&] {
    if (MoveFileExW(source.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH) != 0)
      return true;
    const DWORD error = GetLastError();
    taken = error == ERROR_ALREADY_EXISTS || error == ERROR_FILE_EXISTS;
    return false;
  });
  if (placed) return Placement::kPlaced;
  return taken ? Placement::kNameTaken : Placement::kFailed;
}

void syncFolder(const std::filesystem::path& /*folder*/) {}

#else

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
  status.size = static_cast<uint64_t>(info.st_size);
  status.lastWrite = std::chrono::seconds(info.st_mtim.tv_sec) +
                     std::chrono::nanoseconds(info.st_mtim.tv_nsec);
  status.permissions = info.st_mode & 07777;
  return status;
}

bool setPermissions(const std::filesystem::path& file, const FileStatus* like) {
  mode_t mode = 0;
  if (like != nullptr && like->what == Standing::kFile) {
    mode = like->permissions;
  } else {
    const mode_t mask = umask(0);  // read by setting it; put back at once
    umask(mask);
    mode = 0666 & ~mask;
  }
  return chmod(file.c_str(), mode) == 0;
}

WriteBlock::WriteBlock(const std::filesystem::path& /*file*/) : held_(true) {}
WriteBlock::~WriteBlock() = default;

bool retryWhileHeld(const std::filesystem::path& /*file*/,
                    const std::function<bool()>& attempt) {
  return attempt();  // no other program can hold a file here
}

Access accessToCreateIn(const std::filesystem::path& folder) {
  if (faccessat(AT_FDCWD, folder.c_str(), W_OK | X_OK, AT_EACCESS) == 0)
    return Access::kGranted;
  return errno == EACCES || errno == EPERM ? Access::kDenied : Access::kRefused;
}

Access accessToReplace(const std::filesystem::path& file) {
  // In a folder with the sticky bit (as /tmp) only the file's or the
  // folder's owner may replace a file.
  struct stat folder {};
  struct stat info {};
  const uid_t user = geteuid();
  if (stat(file.parent_path().c_str(), &folder) == 0 && (folder.st_mode & S_ISVTX) != 0 &&
      lstat(file.c_str(), &info) == 0 && user != 0 && user != folder.st_uid &&
      user != info.st_uid) {
    return Access::kDenied;
  }
  return Access::kGranted;
}

FileTime fileTimeNow() {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  return std::chrono::seconds(now.tv_sec) + std::chrono::nanoseconds(now.tv_nsec);
}

bool removeFile(const std::filesystem::path& file, bool /*waitWhileHeld*/) {
  return unlink(file.c_str()) == 0;
}

bool syncFile(const std::filesystem::path& file) {
  const Descriptor fd(open(file.c_str(), O_RDONLY | O_CLOEXEC));
  return fd.get() >= 0 && fsync(fd.get()) == 0;
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

#endif

}  // namespace sioc_lib
