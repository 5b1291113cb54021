#include "engine/file_store.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <random>
#include <vector>

#include "engine/project_file.h"

namespace engine {

namespace fs = std::filesystem;

namespace {

constexpr const char* kTempPrefix = ".part-";
constexpr const char* kTempSuffix = ".tmp";

std::string ErrorText(int error) { return std::strerror(error); }

std::string RandomSuffix() {
  static thread_local std::mt19937_64 random{std::random_device{}()};
  static const char kChars[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  std::string s(10, 'x');
  for (char& c : s) c = kChars[random() % (sizeof kChars - 1)];
  return s;
}

bool IsTempName(const std::string& name) {
  if (name.rfind(kTempPrefix, 0) == 0 && name.size() > 10 && name.ends_with(kTempSuffix)) return true;
  return IsProjectFileTemporary(name);
}

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

std::string NumberedName(const std::string& name, int n) {
  const std::string number = "(" + std::to_string(n) + ")";
  const size_t dot = name.rfind('.');
  // A "." in a folder name is no extension: numbering it would name a folder
  // that does not exist and lose the file.
  const size_t slash = name.rfind('/');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return name + number;
  return name.substr(0, dot) + number + name.substr(dot);
}

// --- PendingFile ---

PendingFile::~PendingFile() { Discard(); }

bool PendingFile::Write(const char* data, size_t size) {
  constexpr size_t kGather = 64 * 1024;
  if (m_error) return false;
  if (m_pending.size() + size < kGather) {
    m_pending.append(data, size);
    return true;
  }
  if (!Flush()) return false;
  if (size < kGather) {
    m_pending.assign(data, size);
    return true;
  }
  return WriteOut(data, size);
}

bool PendingFile::Flush() {
  if (m_error) return false;
  const std::string gathered = std::move(m_pending);
  m_pending.clear();
  return WriteOut(gathered.data(), gathered.size());
}

bool PendingFile::WriteOut(const char* data, size_t size) {
  while (size > 0) {
    const ssize_t n = ::write(m_fd, data, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      m_error = errno;
      return false;
    }
    data += n;
    size -= size_t(n);
    m_size += n;
  }
  return true;
}

void PendingFile::Discard() {
  if (m_fd >= 0) ::close(m_fd);
  m_fd = -1;
  if (!m_tempName.empty()) ::unlinkat(m_dirFd, m_tempName.c_str(), 0);
  m_tempName.clear();
}

// --- FileStore ---

std::unique_ptr<FileStore> FileStore::Open(const fs::path& folder, std::string& error) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) {
    error = ErrorText(errno);
    return nullptr;
  }
  return std::unique_ptr<FileStore>(new FileStore(fd, folder));
}

FileStore::~FileStore() { ::close(m_dirFd); }

std::unique_ptr<PendingFile> FileStore::Begin(std::string& error) {
  // The kernel keeps the file nameless until it is linked in: a crash leaves nothing.
  int fd = ::openat(m_dirFd, ".", O_TMPFILE | O_RDWR | O_CLOEXEC, 0644);
  if (fd >= 0) return std::unique_ptr<PendingFile>(new PendingFile(fd, {}, m_dirFd));
  if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL && errno != ENOENT) {
    error = ErrorText(errno);
    return nullptr;
  }
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string name = kTempPrefix + RandomSuffix() + kTempSuffix;
    fd = ::openat(m_dirFd, name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd >= 0) return std::unique_ptr<PendingFile>(new PendingFile(fd, std::move(name), m_dirFd));
    if (errno != EEXIST) break;
  }
  error = ErrorText(errno);
  return nullptr;
}

bool FileStore::Reserved(const std::string& name) const {
  return name == kProjectFileName || IsTempName(name);
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
  const bool same = SameContent(fd, file.m_fd, file.Size());
  ::close(fd);
  return same;
}

StoreResult FileStore::Commit(PendingFile& file, const std::string& localPath) {
  StoreResult result;
  if (!file.Flush() || file.m_error) {
    result.error = ErrorText(file.m_error);
    return result;
  }
  int error = 0;
  const size_t slash = localPath.rfind('/');
  for (int n = 0; n < 100000; ++n) {
    const std::string name = n == 0 ? localPath : NumberedName(localPath, n);
    if (slash == std::string::npos && Reserved(name)) continue;
    // Numbering may have touched a folder name only when the file has no ".";
    // the folders are the same for every candidate otherwise.
    const size_t cut = name.rfind('/');
    const std::string dirs = cut == std::string::npos ? std::string() : name.substr(0, cut + 1);
    const std::string leaf = cut == std::string::npos ? name : name.substr(cut + 1);
    // The project folder's own descriptor serves a bare name; a path's
    // innermost folder is opened (and closed again) for it.
    const int dirFd = dirs.empty() ? m_dirFd : OpenFolders(m_dirFd, dirs, error);
    auto closeFolder = [&] {
      if (dirFd != m_dirFd) ::close(dirFd);
    };
    if (dirFd < 0) {
      result.error = ErrorText(error ? error : errno);
      return result;
    }
    int linked;
    if (file.m_tempName.empty()) {
      const std::string proc = "/proc/self/fd/" + std::to_string(file.m_fd);
      linked = ::linkat(AT_FDCWD, proc.c_str(), dirFd, leaf.c_str(), AT_SYMLINK_FOLLOW);
    } else {
      linked = ::linkat(m_dirFd, file.m_tempName.c_str(), dirFd, leaf.c_str(), 0);
    }
    const int linkError = errno;
    if (linked == 0) {
      closeFolder();
      std::lock_guard guard(m_mutex);
      m_created.insert(name);
      result.stored = true;
      result.name = name;
      return result;
    }
    if (linkError == EEXIST && SameBytesAsEarlier(dirFd, leaf, name, file)) {
      closeFolder();
      result.stored = true;
      result.name = name;
      return result;
    }
    closeFolder();
    if (linkError != EEXIST) {
      result.error = ErrorText(linkError);
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
  while (const dirent* entry = ::readdir(dir)) {
    const std::string name = entry->d_name;
    if (!IsTempName(name)) continue;
    struct stat st {};
    if (::fstatat(m_dirFd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode))
      stale.push_back(name);
  }
  ::closedir(dir);
  for (const std::string& name : stale) ::unlinkat(m_dirFd, name.c_str(), 0);
}

}  // namespace engine
