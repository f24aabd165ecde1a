#include <windows.h>

#include <algorithm>
#include <chrono>
#include <thread>
#include <vector>

#include "sioc_lib/file_rules.h"
#include "sioc_lib/replace_file.h"

namespace sioc_lib {

namespace {

Failure failureOf(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
      return Failure::kNothingThere;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      return Failure::kHeld;
    case ERROR_ACCESS_DENIED:
      return Failure::kDenied;
    case ERROR_ALREADY_EXISTS:
    case ERROR_FILE_EXISTS:
      return Failure::kExists;
    default:
      return Failure::kOther;
  }
}

bool meansNothing(DWORD error) { return failureOf(error) == Failure::kNothingThere; }

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
  const uint64_t ticks =
      (uint64_t{lastWrite.dwHighDateTime} << 32) | lastWrite.dwLowDateTime;
  status.lastWrite = FileTime(static_cast<int64_t>(ticks));
  return status;
}

NewFile::~NewFile() {
  if (handle_ != nullptr) CloseHandle(handle_);
}

Created NewFile::create(const std::filesystem::path& name) {
  // Shares nothing: no other program opens it while this run writes it.
  const HANDLE handle = CreateFileW(name.c_str(), GENERIC_WRITE | WRITE_DAC, 0, nullptr,
                                    CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle != INVALID_HANDLE_VALUE) {
    handle_ = handle;
    return Created::kCreated;
  }
  return GetLastError() == ERROR_ACCESS_DENIED ? Created::kDenied : Created::kFailed;
}

bool NewFile::write(const std::string& bytes) {
  for (size_t done = 0; done < bytes.size();) {
    DWORD written = 0;
    const auto chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1 << 20));
    if (WriteFile(handle_, bytes.data() + done, chunk, &written, nullptr) == 0 ||
        written == 0) {
      return false;
    }
    done += written;
  }
  return true;
}

bool NewFile::finish(const std::filesystem::path& like) {
  // What ReplaceFileW keeps of a replaced file, given by this program itself
  // (Wine's keeps nothing): its attributes but read-only, and its DACL. A
  // DACL that cannot be given leaves the one the file inherited.
  WIN32_FILE_ATTRIBUTE_DATA data;
  bool given = true;
  if (GetFileAttributesExW(like.c_str(), GetFileExInfoStandard, &data) != 0 &&
      (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
    FILE_BASIC_INFO basic = {};  // times of 0 are left as they are
    basic.FileAttributes = data.dwFileAttributes &
                           (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM |
                            FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED);
    if (basic.FileAttributes == 0) basic.FileAttributes = FILE_ATTRIBUTE_NORMAL;
    given = SetFileInformationByHandle(handle_, FileBasicInfo, &basic, sizeof basic) != 0;
    DWORD size = 0;
    GetFileSecurityW(like.c_str(), DACL_SECURITY_INFORMATION, nullptr, 0, &size);
    std::vector<char> descriptor(size);
    if (size != 0 && GetFileSecurityW(like.c_str(), DACL_SECURITY_INFORMATION,
                                      descriptor.data(), size, &size) != 0) {
      SetKernelObjectSecurity(handle_, DACL_SECURITY_INFORMATION, descriptor.data());
    }
  }
  const bool flushed = given && FlushFileBuffers(handle_) != 0;
  const HANDLE handle = handle_;
  handle_ = nullptr;
  return CloseHandle(handle) != 0 && flushed;
}

WriteBlock::WriteBlock(const std::filesystem::path& file) {
  HANDLE handle = INVALID_HANDLE_VALUE;
  inForce_ = retryWhileHeld(file, [&] {
    handle = CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    return handle != INVALID_HANDLE_VALUE;
  });
  handle_ = inForce_ ? handle : nullptr;
}

WriteBlock::~WriteBlock() {
  if (handle_ != nullptr) CloseHandle(handle_);
}

bool retryWhileHeld(const std::filesystem::path& file,
                    const std::function<bool()>& attempt) {
  return attemptWhileHeld(
      attempt,
      [&] {
        return heldByAnother(failureOf(GetLastError()),
                             [&] { return fileStatus(file).readOnly; });
      },
      [](std::chrono::milliseconds pause) { std::this_thread::sleep_for(pause); });
}

bool openableForReading(const std::filesystem::path& file) {
  // The sharing of the C runtime's own open, so that the answer is its answer.
  const HANDLE handle =
      CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  return handle != INVALID_HANDLE_VALUE && CloseHandle(handle) != 0;
}

namespace {

// Whether the security descriptor of name grants this program's user
// access; true where that cannot be told.
bool descriptorAllows(const std::filesystem::path& name, DWORD access) {
  const SECURITY_INFORMATION parts =
      OWNER_SECURITY_INFORMATION | GROUP_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION;
  DWORD size = 0;
  GetFileSecurityW(name.c_str(), parts, nullptr, 0, &size);
  std::vector<char> descriptor(size);
  HANDLE process = nullptr;
  if (size == 0 ||
      GetFileSecurityW(name.c_str(), parts, descriptor.data(), size, &size) == 0 ||
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
    if (AccessCheck(descriptor.data(), token, access, &mapping, &privileges,
                    &privilegesSize, &granted, &allowed) == 0) {
      allowed = TRUE;
    }
    CloseHandle(token);
  }
  CloseHandle(process);
  return allowed != FALSE;
}

// Whether name lies on another computer (a \\server\share path or a mapped
// drive), whose descriptors name accounts that this PC's token never holds.
bool onNetwork(const std::filesystem::path& name) {
  const std::wstring root = name.root_name().wstring();
  return sioc_lib::onNetwork(
      root, [&] { return GetDriveTypeW((root + L"\\").c_str()) == DRIVE_REMOTE; });
}

// How an open of name for access failed; none where it opened.
std::optional<Failure> openFailure(const std::filesystem::path& name, DWORD access,
                                   DWORD share, DWORD flags) {
  const HANDLE handle =
      CreateFileW(name.c_str(), access, share, nullptr, OPEN_EXISTING, flags, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return failureOf(GetLastError());
  CloseHandle(handle);
  return std::nullopt;
}

}  // namespace

const Access kCreateDeniedThoughAllowed = Access::kProtected;

Access accessToCreateIn(const std::filesystem::path& folder) {
  // The open asks as a run's create would. Controlled folder access refuses
  // the create itself, not this.
  return accessToCreate(
      openFailure(folder, FILE_ADD_FILE,
                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                  FILE_FLAG_BACKUP_SEMANTICS),
      onNetwork(folder), [&] { return descriptorAllows(folder, FILE_ADD_FILE); });
}

Access accessToReplace(const std::filesystem::path& file) {
  // Shares nothing: a replacing move fails on a file that any program has
  // open, whatever that program shares.
  const std::optional<Failure> opened = openFailure(
      file, DELETE, 0, FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS);
  return accessToChange(opened, opened && fileStatus(file).readOnly, onNetwork(file),
                        [&] { return descriptorAllows(file, DELETE); });
}

std::optional<std::filesystem::path> virtualStoreCopy(const std::filesystem::path& file) {
  const std::wstring root = file.root_name().wstring();
  const DWORD size = GetEnvironmentVariableW(L"LOCALAPPDATA", nullptr, 0);
  if (root.size() != 2 || root[1] != L':' || size == 0) return std::nullopt;
  std::wstring local(size, L'\0');
  local.resize(GetEnvironmentVariableW(L"LOCALAPPDATA", local.data(), size));
  const std::filesystem::path copy =
      std::filesystem::path(local) / L"VirtualStore" / file.relative_path();
  if (fileStatus(copy).what != Standing::kFile) return std::nullopt;
  return copy;
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
    taken = failureOf(GetLastError()) == Failure::kExists;
    return false;
  });
  if (placed) return Placement::kPlaced;
  return taken ? Placement::kNameTaken : Placement::kFailed;
}

void syncFolder(const std::filesystem::path& /*folder*/) {}

}  // namespace sioc_lib
