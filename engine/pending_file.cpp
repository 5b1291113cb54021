#include "engine/file_store.h"

#include <fcntl.h>
#include <unistd.h>

#include <sys/stat.h>

#include <cerrno>
#include <vector>

#include "engine/part_files.h"

namespace engine {

PendingFile::PendingFile(int fd, std::string tempName, FileStore& store, std::string infoName)
    : m_fd(fd), m_tempName(std::move(tempName)), m_store(store), m_dirFd(store.m_dirFd), m_infoName(std::move(infoName)) {}

PendingFile::~PendingFile() { Discard(); }

bool PendingFile::Write(const char* data, size_t size) {
  constexpr size_t kGather = 64 * 1024;
  if (m_error) return false;
  if (m_pending.size() + size < kGather) {
    // Reads come in small pieces: one allocation holds them all.
    if (m_pending.capacity() < kGather) m_pending.reserve(kGather);
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
  if (m_pending.empty()) return true;
  const bool first = m_size == 0;
  const bool written = WriteOut(m_pending.data(), m_pending.size());
  // The body's first bytes stay: its header is read from them, not the disk.
  if (written && first) m_head = std::move(m_pending);
  m_pending.clear();
  return written;
}

bool PendingFile::WriteOut(const char* data, size_t size) {
  if (size > 0 && !m_partUrl.empty() && !NamePart()) return false;
  while (size > 0) {
    const ssize_t n = ::write(m_fd, data, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      m_error = errno;
      m_store.NoteError(m_error);
      return false;
    }
    data += n;
    size -= size_t(n);
    m_size += n;
  }
  return true;
}

bool PendingFile::TakeTemporaryName() {
  std::string name;
  const int fd = m_store.CreateTemporary(name);
  if (fd < 0) {
    m_error = errno;
    return false;
  }
  std::vector<char> buffer(64 * 1024);
  for (off_t at = 0; at < m_size;) {
    const ssize_t n = ::pread(m_fd, buffer.data(), buffer.size(), at);
    if (n <= 0 || ::write(fd, buffer.data(), size_t(n)) != n) {
      m_error = n < 0 ? errno : errno ? errno : EIO;
      m_store.NoteError(m_error);
      ::close(fd);
      ::unlinkat(m_dirFd, name.c_str(), 0);
      return false;
    }
    at += n;
  }
  ::close(m_fd);
  m_fd = fd;
  m_tempName = std::move(name);
  return true;
}

bool PendingFile::NamePart() {
  const std::string url = std::move(m_partUrl);
  m_partUrl.clear();
  m_store.m_mayHoldParts = true;
  // The note first, as a kill between the two must not leave a part without one.
  int fd = -1;
  struct stat st {};
  if (WritePartInfo(m_dirFd, url, m_partValidator)) {
    m_infoName = PartInfoName(url);
    fd = ::openat(m_dirFd, PartFileName(url).c_str(), O_RDWR | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0644);
  }
  if (fd < 0 || ::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    m_error = fd < 0 && errno ? errno : EIO;
    m_store.NoteError(m_error);
    if (fd >= 0) ::close(fd);
    return false;
  }
  // Nothing was written to the nameless file yet.
  ::close(m_fd);
  m_fd = fd;
  m_tempName = PartFileName(url);
  return true;
}

bool PendingFile::Keep() {
  // A part still nameless is named with the bytes gathered.
  if (!Flush() || m_tempName.empty() || m_infoName.empty()) return false;
  m_kept = true;
  return true;
}

void PendingFile::Discard() {
  if (m_fd >= 0) ::close(m_fd);
  m_fd = -1;
  if (!m_kept && !m_tempName.empty()) ::unlinkat(m_dirFd, m_tempName.c_str(), 0);
  if (!m_kept && !m_infoName.empty()) ::unlinkat(m_dirFd, m_infoName.c_str(), 0);
  m_tempName.clear();
}

}  // namespace engine
