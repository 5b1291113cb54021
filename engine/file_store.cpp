#include "engine/file_store.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "engine/part_files.h"
#include "engine/project_file.h"
#include "links/link_mapping.h"

namespace engine {

namespace fs = std::filesystem;

namespace {

std::string ErrorText(int error) { return std::strerror(error); }

bool IsTempName(const std::string& name) { return IsTemporaryFileName(name) || IsProjectFileTemporary(name); }

bool DiskFullError(int error) { return error == ENOSPC || error == EROFS || error == EDQUOT; }

// Opens (and makes) the folders of `path` below `dirFd`, never following a
// link. Returns the innermost folder's descriptor (to close), or -1.
int OpenFolders(int dirFd, const std::string& path, int& error) {
  int current = ::dup(dirFd);
  size_t start = 0;
  for (size_t slash; current >= 0 && (slash = path.find('/', start)) != std::string::npos; start = slash + 1) {
    const std::string part = path.substr(start, slash - start);
    if (::mkdirat(current, part.c_str(), 0755) != 0 && errno != EEXIST) {
      error = errno;
      ::close(current);
      return -1;
    }
    const int next = ::openat(current, part.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (next < 0) error = errno;
    ::close(current);
    current = next;
  }
  return current;
}

bool SameContent(int a, int b, int64_t size) {
  std::vector<char> x(64 * 1024), y(64 * 1024);
  for (int64_t at = 0; at < size;) {
    const size_t want = size_t(std::min<int64_t>(int64_t(x.size()), size - at));
    if (::pread(a, x.data(), want, at) != ssize_t(want) || ::pread(b, y.data(), want, at) != ssize_t(want))
      return false;
    if (std::memcmp(x.data(), y.data(), want) != 0) return false;
    at += int64_t(want);
  }
  return true;
}

}  // namespace

// --- FileStore ---

std::unique_ptr<FileStore> FileStore::Open(const fs::path& folder, std::string& error) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) {
    error = ErrorText(errno);
    return nullptr;
  }
  return std::unique_ptr<FileStore>(new FileStore(fd, folder));
}

FileStore::~FileStore() {
  m_namer.Finish();
  ::close(m_dirFd);
}

void FileStore::NoteError(int error) {
  int none = 0;
  if (DiskFullError(error)) m_diskError.compare_exchange_strong(none, error);
}

int FileStore::CreateTemporary(std::string& name) {
  for (int attempt = 0; attempt < 100; ++attempt) {
    name = NewTemporaryFileName();
    const int fd = ::openat(m_dirFd, name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd >= 0 || errno != EEXIST) return fd;
  }
  return -1;
}

std::unique_ptr<PendingFile> FileStore::Begin(std::string& error) {
  // The kernel keeps the file nameless until it is linked in: a crash leaves
  // nothing. Where links fail, a nameless file could never get a name.
  if (!m_namer.NoLinks()) {
    const int fd = ::openat(m_dirFd, ".", O_TMPFILE | O_RDWR | O_CLOEXEC, 0644);
    if (fd >= 0) return std::unique_ptr<PendingFile>(new PendingFile(fd, {}, *this));
    if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL && errno != ENOENT) {
      NoteError(errno);
      error = ErrorText(errno);
      return nullptr;
    }
  }
  std::string name;
  const int fd = CreateTemporary(name);
  if (fd >= 0) return std::unique_ptr<PendingFile>(new PendingFile(fd, std::move(name), *this));
  NoteError(errno);
  error = ErrorText(errno);
  return nullptr;
}

std::unique_ptr<PendingFile> FileStore::BeginPart(const std::string& requestUrl, int64_t keepBytes,
                                                  const std::string& validator, std::string& error) {
  if (keepBytes <= 0 && !m_namer.NoLinks()) {
    // The part of an earlier try goes now: this body may be whole before it
    // needs a part of its own.
    if (MayHoldParts()) ForgetPart(m_dirFd, requestUrl);
    const int fd = ::openat(m_dirFd, ".", O_TMPFILE | O_RDWR | O_CLOEXEC, 0644);
    if (fd >= 0) {
      auto file = std::unique_ptr<PendingFile>(new PendingFile(fd, {}, *this));
      file->m_partUrl = requestUrl;
      file->m_partValidator = validator;
      return file;
    }
  }
  m_mayHoldParts = true;
  const std::string name = PartFileName(requestUrl);
  if (keepBytes <= 0 && !WritePartInfo(m_dirFd, requestUrl, validator)) {
    error = ErrorText(errno);
    return nullptr;
  }
  const int flags = O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC | (keepBytes > 0 ? 0 : O_TRUNC);
  const int fd = ::openat(m_dirFd, name.c_str(), flags, 0644);
  struct stat st {};
  // The part must still hold what the server was asked to continue. A part
  // of that length is not cut: fusefat (a FAT stick) refuses every cut but
  // to nothing.
  if (fd < 0 || ::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size < keepBytes ||
      (st.st_size != keepBytes && ::ftruncate(fd, keepBytes) != 0) || ::lseek(fd, 0, SEEK_END) < 0) {
    error = ErrorText(fd < 0 ? errno : EIO);
    if (fd >= 0) ::close(fd);
    // The next try starts over instead of failing here again.
    if (keepBytes > 0) ForgetPart(m_dirFd, requestUrl);
    return nullptr;
  }
  auto file = std::unique_ptr<PendingFile>(new PendingFile(fd, name, *this, PartInfoName(requestUrl)));
  file->m_size = keepBytes > 0 ? keepBytes : 0;
  return file;
}

bool FileStore::Reserved(const std::string& name) const {
  return name == kProjectFileName || IsTempName(name) || IsPartName(name) || name.starts_with(links::kTemporaryLead);
}

bool FileStore::SameBytesAsEarlier(int dirFd, const std::string& leaf, const std::string& name,
                                   PendingFile& file) {
  {
    std::lock_guard guard(m_mutex);
    if (m_created.count(name)) return false;
  }
  struct stat st {};
  if (::fstatat(dirFd, leaf.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode) ||
      st.st_size != file.Size())
    return false;
  const int fd = ::openat(dirFd, leaf.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return false;
  // Some FUSE file systems (a FAT stick through fusefat) answer a read
  // through the descriptor that wrote the file with zeros, short counts or
  // EPERM; a descriptor opened afresh by name reads what was written.
  const int own = file.m_tempName.empty()
                      ? -1
                      : ::openat(m_dirFd, file.m_tempName.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
  const bool same = SameContent(fd, own >= 0 ? own : file.m_fd, file.Size());
  if (own >= 0) ::close(own);
  ::close(fd);
  return same;
}

bool FileStore::LinkNameless(int fd, int dirFd, const std::string& leaf) {
  if (m_linksByDescriptor.load(std::memory_order_relaxed)) {
    if (::linkat(fd, "", dirFd, leaf.c_str(), AT_EMPTY_PATH) == 0) return true;
    // Refused for want of the right, or because the folder takes no links:
    // the way through /proc tells which.
    if (errno != EPERM && errno != ENOENT) return false;
  }
  const std::string proc = "/proc/self/fd/" + std::to_string(fd);
  if (::linkat(AT_FDCWD, proc.c_str(), dirFd, leaf.c_str(), AT_SYMLINK_FOLLOW) != 0) return false;
  m_linksByDescriptor = false;
  return true;
}

StoreResult FileStore::Commit(PendingFile& file, const std::string& localPath) {
  StoreResult result;
  const auto storedAs = [&result, &file](const std::string& name) {
    result.stored = true;
    result.name = name;
    result.head = std::move(file.m_head);
    result.size = file.Size();
    return std::move(result);
  };
  file.m_partUrl.clear();  // whole: nothing is left to continue
  if (!file.Flush() || file.m_error) {
    result.error = ErrorText(file.m_error);
    return result;
  }
  std::string base = localPath;
  bool portable = false;
  for (int n = 0; n < 100000; ++n) {
    const std::string name = n == 0 ? base : NumberedName(base, n);
    if (name.find('/') == std::string::npos && Reserved(name)) continue;
    // Numbering may have touched a folder name only when the file has no ".";
    // the folders are the same for every candidate otherwise.
    const size_t cut = name.rfind('/');
    const std::string dirs = cut == std::string::npos ? std::string() : name.substr(0, cut + 1);
    const std::string leaf = cut == std::string::npos ? name : name.substr(cut + 1);
    // The project folder's own descriptor serves a bare name; a path's
    // innermost folder is opened (and closed again) for it.
    int error = 0;
    const int dirFd = dirs.empty() ? m_dirFd : OpenFolders(m_dirFd, dirs, error);
    auto closeFolder = [&] {
      if (dirFd != m_dirFd) ::close(dirFd);
    };
    FinalNamer::Result given = FinalNamer::Result::Failed;
    bool moved = false;
    if (dirFd < 0) {
      error = error ? error : errno;
      if (!portable && IsNameError(error))
        given = FinalNamer::Result::Refused;
    } else if (file.m_tempName.empty()) {
      if (LinkNameless(file.m_fd, dirFd, leaf)) {
        given = FinalNamer::Result::Named;
      } else {
        error = errno;
        given = error == EEXIST ? FinalNamer::Result::Taken
                : error == ENAMETOOLONG ? FinalNamer::Result::Refused
                                        : FinalNamer::Result::Failed;
        // A folder without links: the file takes a temporary name and this
        // candidate is tried again.
        if (given == FinalNamer::Result::Failed && (error == EPERM || error == EOPNOTSUPP || error == ENOSYS)) {
          closeFolder();
          if (!file.TakeTemporaryName()) {
            result.error = ErrorText(file.m_error);
            return result;
          }
          --n;
          continue;
        }
      }
    } else {
      given = m_namer.Give(file.m_tempName, dirFd, leaf, name, file.Size() == 0, moved, error);
    }
    if (moved) file.m_tempName.clear();
    if (given == FinalNamer::Result::Named) {
      closeFolder();
      std::lock_guard guard(m_mutex);
      m_created.insert(name);
      return storedAs(name);
    }
    if (given == FinalNamer::Result::Taken && SameBytesAsEarlier(dirFd, leaf, name, file)) {
      closeFolder();
      return storedAs(name);
    }
    closeFolder();
    if (given == FinalNamer::Result::Refused && !portable) {
      // The file system takes no such name: one it takes, numbered afresh.
      portable = true;
      base = PortableName(localPath);
      n = -1;
      continue;
    }
    if (given != FinalNamer::Result::Taken) {
      NoteError(error);
      result.error = ErrorText(error ? error : EIO);
      return result;
    }
  }
  result.error = "no free name";
  return result;
}

void FileStore::RemoveStaleTemporaries() {
  const int fd = ::dup(m_dirFd);
  DIR* dir = fd >= 0 ? ::fdopendir(fd) : nullptr;
  if (!dir) {
    if (fd >= 0) ::close(fd);
    return;
  }
  ::rewinddir(dir);
  std::vector<std::string> stale;
  bool parts = false;
  while (const dirent* entry = ::readdir(dir)) {
    const std::string name = entry->d_name;
    parts = parts || IsPartName(name);
    if (!IsTempName(name)) continue;
    struct stat st {};
    if (::fstatat(m_dirFd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode))
      stale.push_back(name);
  }
  ::closedir(dir);
  m_mayHoldParts = parts;
  for (const std::string& name : stale) ::unlinkat(m_dirFd, name.c_str(), 0);
  m_namer.RemoveLeftClaims();
}

}  // namespace engine
