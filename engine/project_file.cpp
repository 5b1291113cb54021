#include "engine/project_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <climits>
#include <cstring>
#include <random>

namespace engine {

namespace {

// The whole file is read into memory, so it is bounded: a project of a
// million links takes a few hundred MB at most.
constexpr off_t kMaxProjectFile = off_t(1) << 30;

std::optional<int32_t> ParseCount(std::string_view line) {
  size_t i = line.find_first_not_of(" \t");
  if (i == std::string_view::npos) return std::nullopt;
  bool negative = false;
  if (line[i] == '+' || line[i] == '-') negative = line[i++] == '-';
  const size_t end = line.find_first_not_of("0123456789", i);
  if (i == line.size() || end == i) return std::nullopt;
  if (line.find_first_not_of(" \t", end) != std::string_view::npos) return std::nullopt;
  int64_t value = 0;
  const auto [ptr, ec] = std::from_chars(line.data() + i, line.data() + (end == std::string_view::npos ? line.size() : end), value);
  if (ec != std::errc()) return std::nullopt;
  if (negative) value = -value;
  if (value < INT32_MIN || value > INT32_MAX) return std::nullopt;
  return int32_t(value);
}

bool WriteAll(int fd, const std::string& data) {
  for (size_t at = 0; at < data.size();) {
    const ssize_t n = ::write(fd, data.data() + at, data.size() - at);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    at += size_t(n);
  }
  return true;
}

}  // namespace

bool IsProjectFileTemporary(std::string_view name) {
  for (std::string_view prefix : {"~project.cfg.", "project.cfg.", ".project.cfg."}) {
    if (name.size() == prefix.size() + 6 && name.substr(0, prefix.size()) == prefix) return true;
  }
  return false;
}

bool ReadProjectLine(std::string_view text, size_t& at, std::string_view& line) {
  const size_t end = text.find('\n', at);
  if (end == std::string_view::npos) {
    line = text.substr(std::min(at, text.size()));
    at = text.size();
    return false;
  }
  line = text.substr(at, end - at);
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  at = end + 1;
  return true;
}

LoadedProject LoadProjectFile(std::string_view text) {
  size_t at = 0;
  std::string_view line;
  ReadProjectLine(text, at, line);
  const auto count = ParseCount(line);
  if (!count) return {std::nullopt, "its first line is not a number"};
  links::ProjectRecord record;
  record.count = *count;
  int number = 1;
  while (ReadProjectLine(text, at, line)) {
    ++number;
    if (line.size() > kMaxProjectLine) continue;
    const bool formed = line.size() >= 2 && line[0] >= '0' && line[0] <= '2' && line[1] == ' ' &&
                        line.find('\0') == std::string_view::npos;
    if (!formed) return {std::nullopt, "line " + std::to_string(number) + " is not a state and a link"};
    record.states.push_back(links::LinkState(line[0] - '0'));
    record.links.emplace_back(line.substr(2));
  }
  return {std::move(record), {}};
}

std::optional<LoadedProject> ReadProjectFile(int dirFd) {
  const int fd = ::openat(dirFd, kProjectFileName, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    if (errno == ENOENT) return std::nullopt;
    return LoadedProject{std::nullopt, std::strerror(errno)};
  }
  struct stat st {};
  if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(fd);
    return LoadedProject{std::nullopt, "it is not a regular file"};
  }
  if (st.st_size > kMaxProjectFile) {
    ::close(fd);
    return LoadedProject{std::nullopt, "it is too large"};
  }
  std::string text(size_t(st.st_size), '\0');
  size_t got = 0;
  while (got < text.size()) {
    const ssize_t n = ::read(fd, text.data() + got, text.size() - got);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    got += size_t(n);
  }
  ::close(fd);
  text.resize(got);
  return LoadProjectFile(text);
}

std::string SaveProjectFile(int dirFd, const links::ProjectRecord& record) {
  // The files the record calls taken reach the disk first; one sync of the
  // file system here is far cheaper than one for every file.
  if (::syncfs(dirFd) != 0 && errno != EBADF) return std::strerror(errno);
  static thread_local std::mt19937 random{std::random_device{}()};
  static const char kChars[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
  std::string temp;
  int fd = -1;
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    temp = "~project.cfg.";
    for (int i = 0; i < 6; ++i) temp += kChars[random() % (sizeof kChars - 1)];
    fd = ::openat(dirFd, temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0 && errno != EEXIST) break;
  }
  if (fd < 0) return std::strerror(errno);

  std::string text = std::to_string(record.count) + "\r\n";
  bool ok = true;
  for (size_t i = 0; ok && i < record.links.size(); ++i) {
    text += char('0' + int(record.states[i]));
    text += ' ';
    text += record.links[i];
    text += "\r\n";
    if (text.size() >= (1u << 20)) {
      ok = WriteAll(fd, text);
      text.clear();
    }
  }
  ok = ok && WriteAll(fd, text);
  int error = ok ? 0 : errno;
  if (ok && ::fsync(fd) != 0) error = errno, ok = false;
  if (::close(fd) != 0 && ok) error = errno, ok = false;
  // renameat replaces a link named project.cfg itself, never what it points at.
  if (ok && ::renameat(dirFd, temp.c_str(), dirFd, kProjectFileName) != 0) error = errno, ok = false;
  // The new name itself is on disk only once the folder is.
  if (ok) ::fsync(dirFd);
  if (!ok) {
    ::unlinkat(dirFd, temp.c_str(), 0);
    return std::strerror(error ? error : EIO);
  }
  return {};
}

}  // namespace engine
