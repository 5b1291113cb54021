#include "platform/folders.h"

#include <sys/stat.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDesktopServices>
#include <QFile>
#include <QStandardPaths>
#include <QUrl>
#include <system_error>

namespace platform {

namespace fs = std::filesystem;

namespace {

fs::path ExecutableFolder() {
  std::error_code ec;
  fs::path exe = fs::read_symlink("/proc/self/exe", ec);
  return ec ? fs::path() : exe.parent_path();
}

fs::path DataHome() {
  const char* xdg = std::getenv("XDG_DATA_HOME");
  if (xdg && *xdg == '/') return xdg;
  const char* home = std::getenv("HOME");
  return fs::path(home && *home ? home : "/tmp") / ".local/share";
}

// Qt 6.4 reports success but trashes into the current directory when the
// trash folders are missing; make them first.
void EnsureHomeTrash() {
  const fs::path trash = DataHome() / "Trash";
  for (const char* sub : {"files", "info"}) {
    std::error_code ec;
    fs::create_directories(trash / sub, ec);
  }
  ::chmod(DataHome().c_str(), 0700);
  ::chmod(trash.c_str(), 0700);
  ::chmod((trash / "files").c_str(), 0700);
  ::chmod((trash / "info").c_str(), 0700);
}

}  // namespace

fs::path ProgramFolder(const std::string& programName, const fs::path& chosen) {
  if (!chosen.empty()) return fs::absolute(chosen);
  const fs::path exeDir = ExecutableFolder();
  if (!exeDir.empty() && ::access(exeDir.c_str(), W_OK) == 0) return exeDir;
  return DataHome() / "Ombrel software" / programName;
}

int ClearFolderToTrash(const fs::path& folder) {
  EnsureHomeTrash();
  int left = 0;
  std::error_code ec;
  std::vector<fs::path> entries;
  for (const auto& entry : fs::directory_iterator(folder, ec)) entries.push_back(entry.path());
  for (const auto& path : entries) {
    if (!QFile::moveToTrash(QString::fromStdString(path.string()))) ++left;
  }
  return left;
}

bool OpenInFileManager(const fs::path& folder) {
  return QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(folder.string())));
}

}  // namespace platform
