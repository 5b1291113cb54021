#include "engine/final_name.h"

#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <set>

namespace engine {

namespace {

// What a file system without hard links answers to linkat.
bool NoLinkError(int error) { return error == EPERM || error == EOPNOTSUPP || error == ENOSYS || error == EMLINK; }

constexpr off_t kJournalRestart = 64 * 1024;

}  // namespace

bool IsNameError(int error) {
  return error == EINVAL || error == EPERM || error == EILSEQ || error == ENAMETOOLONG || error == ENOENT;
}

void FinalNamer::Finish() {
  std::lock_guard guard(m_journalMutex);
  if (m_journalFd < 0) return;
  ::close(m_journalFd);
  m_journalFd = -1;
  ::unlinkat(m_projectFd, kClaimJournal, 0);
}

FinalNamer::Result FinalNamer::Give(const std::string& temp, int dirFd, const std::string& leaf,
                                    const std::string& path, bool empty, bool& moved, int& error) {
  moved = false;
  if (!m_noLinks.load()) {
    if (::linkat(m_projectFd, temp.c_str(), dirFd, leaf.c_str(), 0) == 0) return Result::Named;
    error = errno;
    if (error == EEXIST) return Result::Taken;
    if (!NoLinkError(error)) return error == ENAMETOOLONG || error == EILSEQ ? Result::Refused : Result::Failed;
    m_noLinks = true;
  }
  if (!m_noExclusiveRename.load()) {
    if (::renameat2(m_projectFd, temp.c_str(), dirFd, leaf.c_str(), RENAME_NOREPLACE) == 0) {
      moved = true;
      return Result::Named;
    }
    error = errno;
    if (error == EEXIST) return Result::Taken;
    // EINVAL is either the flag or the name: the claim tells which.
    if (error != EINVAL && error != ENOSYS && error != EOPNOTSUPP)
      return IsNameError(error) ? Result::Refused : Result::Failed;
  }
  const Result claimed = Claim(temp, dirFd, leaf, path, empty, error);
  if (claimed == Result::Named) moved = true;
  return claimed;
}

FinalNamer::Result FinalNamer::Claim(const std::string& temp, int dirFd, const std::string& leaf,
                                     const std::string& path, bool empty, int& error) {
  {
    std::lock_guard guard(m_journalMutex);
    Note('+', path);
    const int fd = ::openat(dirFd, leaf.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0) {
      error = errno;
      Note('-', path);
      if (error == EEXIST) return Result::Taken;
      return IsNameError(error) ? Result::Refused : Result::Failed;
    }
    ::close(fd);
    ++m_claimsOpen;
  }
  // The name takes files: the rename failed for its flag, not for the name.
  m_noExclusiveRename = true;
  const bool renamed = ::renameat(m_projectFd, temp.c_str(), dirFd, leaf.c_str()) == 0;
  if (!renamed) {
    error = errno;
    ::unlinkat(dirFd, leaf.c_str(), 0);
  }
  std::lock_guard guard(m_journalMutex);
  // An empty file is what an empty body leaves: it must not pass for a claim.
  if (!renamed || empty) Note('-', path);
  if (--m_claimsOpen == 0 && m_journalFd >= 0 && ::lseek(m_journalFd, 0, SEEK_END) > kJournalRestart)
    (void)!::ftruncate(m_journalFd, 0);
  return renamed ? Result::Named : Result::Failed;
}

void FinalNamer::Note(char sign, const std::string& path) {
  if (m_journalFd < 0)
    m_journalFd = ::openat(m_projectFd, kClaimJournal, O_WRONLY | O_CREAT | O_APPEND | O_NOFOLLOW | O_CLOEXEC, 0644);
  const std::string line = sign + path + "\n";
  if (m_journalFd >= 0) (void)!::write(m_journalFd, line.data(), line.size());
}

void FinalNamer::RemoveLeftClaims() {
  const int fd = ::openat(m_projectFd, kClaimJournal, O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return;
  std::string text;
  char buffer[65536];
  for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;) text.append(buffer, size_t(n));
  ::close(fd);
  std::set<std::string> open;
  for (size_t at = 0, end; (end = text.find('\n', at)) != std::string::npos; at = end + 1) {
    const std::string path = text.substr(at + 1, end - at - 1);
    // Claims in subfolders are left: a planted journal must not lead
    // through a link to an empty file outside.
    if (path.empty() || path.find('/') != std::string::npos) continue;
    if (text[at] == '+') open.insert(path);
    if (text[at] == '-') open.erase(path);
  }
  for (const std::string& path : open) {
    struct stat st {};
    if (::fstatat(m_projectFd, path.c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(st.st_mode) &&
        st.st_size == 0)
      ::unlinkat(m_projectFd, path.c_str(), 0);
  }
  ::unlinkat(m_projectFd, kClaimJournal, 0);
}

}  // namespace engine
