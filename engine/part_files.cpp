#include "engine/part_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace engine {

namespace {

constexpr std::string_view kPrefix = "~resume-";
constexpr size_t kHexDigits = 16;
constexpr size_t kMaxInfoBytes = 16 * 1024;

// FNV-1a: the same name for the same address in every build and run.
std::string AddressHash(const std::string& url) {
  uint64_t h = 14695981039346656037ull;
  for (unsigned char c : url) h = (h ^ c) * 1099511628211ull;
  static const char kDigits[] = "0123456789abcdef";
  std::string out(kHexDigits, '0');
  for (size_t i = kHexDigits; i-- > 0; h >>= 4) out[i] = kDigits[h & 15];
  return out;
}

}  // namespace

std::string PartFileName(const std::string& requestUrl) {
  return std::string(kPrefix) + AddressHash(requestUrl) + ".part";
}

std::string PartInfoName(const std::string& requestUrl) {
  return std::string(kPrefix) + AddressHash(requestUrl) + ".info";
}

bool IsPartName(std::string_view name) {
  if (name.size() != kPrefix.size() + kHexDigits + 5 || name.substr(0, kPrefix.size()) != kPrefix) return false;
  const std::string_view end = name.substr(kPrefix.size() + kHexDigits);
  if (end != ".part" && end != ".info") return false;
  for (char c : name.substr(kPrefix.size(), kHexDigits))
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) return false;
  return true;
}

std::string PartValidator(const std::string& etag, const std::string& lastModified) {
  // A weak ETag may not stand in If-Range.
  if (!etag.empty() && etag.compare(0, 2, "W/") != 0) return etag;
  return lastModified;
}

void ForgetPart(int dirFd, const std::string& requestUrl) {
  ::unlinkat(dirFd, PartInfoName(requestUrl).c_str(), 0);
  ::unlinkat(dirFd, PartFileName(requestUrl).c_str(), 0);
}

bool WritePartInfo(int dirFd, const std::string& requestUrl, const std::string& validator) {
  const std::string name = PartInfoName(requestUrl);
  const int fd = ::openat(dirFd, name.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0644);
  if (fd < 0) return false;
  const std::string text = requestUrl + "\n" + validator + "\n";
  const bool ok = ::write(fd, text.data(), text.size()) == ssize_t(text.size());
  ::close(fd);
  return ok;
}

std::optional<KeptPart> FindPart(int dirFd, const std::string& requestUrl) {
  const std::string info = PartInfoName(requestUrl);
  const int fd = ::openat(dirFd, info.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  std::string text(kMaxInfoBytes, '\0');
  const ssize_t n = ::read(fd, text.data(), text.size());
  ::close(fd);
  if (n <= 0) return std::nullopt;
  text.resize(size_t(n));
  // Two lines: the address (another address of the same hash is no match) and the validator.
  const size_t first = text.find('\n');
  const size_t second = first == std::string::npos ? first : text.find('\n', first + 1);
  if (second == std::string::npos || text.compare(0, first, requestUrl) != 0 || first != requestUrl.size())
    return std::nullopt;
  KeptPart part;
  part.validator = text.substr(first + 1, second - first - 1);
  struct stat st {};
  if (part.validator.empty() ||
      ::fstatat(dirFd, PartFileName(requestUrl).c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode) ||
      st.st_size <= 0)
    return std::nullopt;
  part.size = st.st_size;
  return part;
}

}  // namespace engine
