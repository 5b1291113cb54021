#include "engine/project_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>

namespace engine {

ProjectLock::~ProjectLock() {
  // The file stays: removing it would let a run that opened it a moment ago
  // lock a name no one else sees.
  if (m_fd >= 0) ::close(m_fd);
}

ProjectLock::Attempt ProjectLock::Take(int dirFd) {
  Attempt attempt;
  const int fd = ::openat(dirFd, kProjectLockName, O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0644);
  if (fd < 0) {
    // A folder that takes no lock file takes no other file either: the run
    // goes on and says what it could not store.
    attempt.lock.reset(new ProjectLock(-1));
    return attempt;
  }
  int taken;
  while ((taken = ::flock(fd, LOCK_EX | LOCK_NB)) != 0 && errno == EINTR) {
  }
  if (taken != 0) {
    const int error = errno;
    char text[32] = {};
    const ssize_t n = ::pread(fd, text, sizeof text - 1, 0);
    if (error != EWOULDBLOCK) {
      // A file system without locks (some network shares): run unlocked.
      attempt.lock.reset(new ProjectLock(fd));
      return attempt;
    }
    ::close(fd);
    if (n > 0) std::from_chars(text, text + n, attempt.holder);
    return attempt;
  }
  const std::string pid = std::to_string(::getpid()) + "\n";
  if (::ftruncate(fd, 0) != 0 || ::pwrite(fd, pid.data(), pid.size(), 0) != ssize_t(pid.size())) {
    // A full disk leaves the lock without its holder's number: it holds all
    // the same.
  }
  attempt.lock.reset(new ProjectLock(fd));
  return attempt;
}

}  // namespace engine
