#include "platform/picture_gallery.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDesktopServices>
#include <QFile>
#include <QStandardPaths>
#include <QUrl>
#include <cerrno>

namespace platform {

namespace fs = std::filesystem;

namespace {

constexpr int kMaxNumber = 100000;

bool CopyBytes(int in, int out) {
  char buffer[64 * 1024];
  for (;;) {
    const ssize_t got = ::read(in, buffer, sizeof buffer);
    if (got == 0) return true;
    if (got < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    for (ssize_t put = 0; put < got;) {
      const ssize_t n = ::write(out, buffer + put, size_t(got - put));
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return false;
      put += n;
    }
  }
}

bool StaysInside(const fs::path& relative) {
  if (relative.empty() || relative.is_absolute()) return false;
  for (const fs::path& part : relative)
    if (part == "..") return false;
  return true;
}

}  // namespace

fs::path GalleryFolder() {
  const QString location = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
  const fs::path gallery = QFile::encodeName(location).toStdString();
  if (gallery.empty() || !gallery.is_absolute()) return {};
  std::error_code ec;
  fs::create_directories(gallery, ec);
  return fs::is_directory(gallery, ec) ? gallery : fs::path();
}

std::string NumberedName(const std::string& name, int number) {
  const size_t slash = name.rfind('/');
  const size_t dot = name.rfind('.');
  const bool hasExtension = dot != std::string::npos && (slash == std::string::npos || dot > slash);
  const size_t cut = hasExtension ? dot : name.size();
  return name.substr(0, cut) + "(" + std::to_string(number) + ")" + name.substr(cut);
}

fs::path CopyToGallery(const fs::path& source, const std::string& name, const fs::path& gallery) {
  if (gallery.empty() || !StaysInside(fs::path(name))) return {};
  const int in = ::open(source.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (in < 0) return {};
  struct stat st {};
  if (::fstat(in, &st) != 0 || !S_ISREG(st.st_mode)) {
    ::close(in);
    return {};
  }
  fs::path copied;
  for (int number = 0; number <= kMaxNumber; ++number) {
    const fs::path destination = gallery / (number == 0 ? name : NumberedName(name, number));
    // O_EXCL: the name is ours only when we made it; a link there is not followed.
    const int out = ::open(destination.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
    if (out < 0) {
      if (errno == EEXIST) continue;
      break;  // a missing subfolder, no room, no write access
    }
    const bool whole = CopyBytes(in, out);
    if (::close(out) == 0 && whole) {
      copied = destination;
    } else {
      ::unlink(destination.c_str());
    }
    break;
  }
  ::close(in);
  return copied;
}

bool OpenGallery() {
  const fs::path gallery = GalleryFolder();
  return !gallery.empty() && QDesktopServices::openUrl(QUrl::fromLocalFile(QFile::decodeName(gallery.c_str())));
}

}  // namespace platform
