#include "platform/folders.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDesktopServices>
#include <QFile>
#include <QStandardPaths>
#include <QUrl>
#include <cerrno>
#include <ctime>
#include <system_error>

namespace platform {

namespace fs = std::filesystem;

namespace {

fs::path DataHome() {
  const char* xdg = std::getenv("XDG_DATA_HOME");
  if (xdg && *xdg == '/') return xdg;
  const char* home = std::getenv("HOME");
  return fs::path(home && *home ? home : "/tmp") / ".local/share";
}

QString Native(const fs::path& path) { return QFile::decodeName(path.c_str()); }

// Qt 6.4 reports success but trashes into the current directory when the
// trash folders are missing; make them first. Folders that exist keep their
// mode: they are the user's.
fs::path EnsureHomeTrash() {
  const fs::path trash = DataHome() / "Trash";
  std::error_code ec;
  fs::create_directories(DataHome(), ec);
  for (const fs::path& folder : {trash, trash / "files", trash / "info"})
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return {};
  return trash;
}

std::string TrashDate() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  ::localtime_r(&now, &local);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &local);
  return text;
}

// Qt does not trash a link whose target is gone, and moving a link across
// file systems would copy its target. A link is only a name and a target:
// it is made again in the trash, with its record, and removed here.
bool TrashSymlink(const fs::path& trash, const fs::path& link) {
  std::error_code ec;
  const fs::path target = fs::read_symlink(link, ec);
  if (ec) return false;
  const std::string base = link.filename().string();
  for (int n = 0; n < 1000; ++n) {
    const std::string name = n == 0 ? base : base + "." + std::to_string(n);
    const fs::path info = trash / "info" / (name + ".trashinfo");
    const int fd = ::open(info.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) {
      if (errno == EEXIST) continue;
      return false;
    }
    // The record holds the path's own bytes, percent-encoded, whatever their encoding.
    const QByteArray path = QByteArray(link.c_str()).toPercentEncoding("/");
    const std::string record = "[Trash Info]\nPath=" + path.toStdString() + "\nDeletionDate=" + TrashDate() + "\n";
    const bool written = ::write(fd, record.data(), record.size()) == ssize_t(record.size());
    ::close(fd);
    if (written && ::symlink(target.c_str(), (trash / "files" / name).c_str()) == 0 && ::unlink(link.c_str()) == 0)
      return true;
    ::unlink(info.c_str());
    return false;
  }
  return false;
}

}  // namespace

fs::path PicturesFolder() {
  const char* xdg = std::getenv("XDG_PICTURES_DIR");
  if (xdg && *xdg == '/') return xdg;
  // Reads user-dirs.dirs; ~/Pictures when it names nothing.
  const QString qt = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
  if (!qt.isEmpty()) return fs::path(qt.toStdString());
  const char* home = std::getenv("HOME");
  return fs::path(home && *home ? home : "/tmp") / "Pictures";
}

fs::path ProgramFolder(const std::string& programName, const fs::path& chosen) {
  if (!chosen.empty()) return fs::absolute(chosen);
  return PicturesFolder() / programName;
}

Trashed ClearFolderToTrash(const fs::path& folder, const std::string& keep) {
  const fs::path trash = EnsureHomeTrash();
  Trashed out{0, 0, trash};
  int& left = out.left;
  std::error_code ec;
  std::vector<fs::path> entries;
  for (const auto& entry : fs::directory_iterator(folder, ec))
    if (keep.empty() || entry.path().filename() != keep) entries.push_back(entry.path());
  for (const auto& path : entries) {
    const bool link = fs::is_symlink(fs::symlink_status(path, ec));
    const bool trashed = link ? !trash.empty() && TrashSymlink(trash, path) : QFile::moveToTrash(Native(path));
    if (!trashed)
      ++left;
    else
      ++out.moved;
  }
  return out;
}

bool OpenInFileManager(const fs::path& folder) {
  return QDesktopServices::openUrl(QUrl::fromLocalFile(Native(folder)));
}

}  // namespace platform
