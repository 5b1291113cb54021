#include "platform/desktop_wallpaper.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>
#include <QUrl>
#include <algorithm>
#include <vector>

#include "platform/wallpaper_ways.h"

namespace platform {

namespace fs = std::filesystem;

namespace {

constexpr int kToolTimeoutMs = 10000;

struct ToolRun {
  bool ok = false;
  QByteArray out;
};

ToolRun RunTool(const QString& name, const QStringList& arguments) {
  const QString program = QStandardPaths::findExecutable(name);
  if (program.isEmpty()) return {};
  QProcess process;
  process.setStandardInputFile(QProcess::nullDevice());
  process.setStandardErrorFile(QProcess::nullDevice());
  process.start(program, arguments);
  if (!process.waitForFinished(kToolTimeoutMs)) {
    process.kill();
    process.waitForFinished();
    return {};
  }
  return {process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0, process.readAllStandardOutput()};
}

// A string as GVariant text: gsettings reads its values in that syntax.
QString GVariantText(QString value) {
  value.replace('\\', "\\\\").replace('\'', "\\'");
  return "'" + value + "'";
}

// Sets the keys of `schema` to `value`; the first key must take it. Read
// back from a new process, since gsettings' memory backend (no dconf)
// accepts a value and forgets it when it exits.
bool SetByGsettings(const QString& schema, const QStringList& keys, const QString& value) {
  const QString text = GVariantText(value);
  for (const QString& key : keys) {
    if (!RunTool("gsettings", {"set", schema, key, text}).ok && key == keys.first()) return false;
  }
  const ToolRun stored = RunTool("gsettings", {"get", schema, keys.first()});
  return stored.ok && stored.out.trimmed() == text.toUtf8();
}

// Every monitor and workspace has its own "last-image" property.
bool SetByXfconf(const QString& path) {
  const ToolRun list = RunTool("xfconf-query", {"-c", "xfce4-desktop", "-l"});
  if (!list.ok) return false;
  int set = 0;
  for (const QByteArray& line : list.out.split('\n')) {
    const QString property = QString::fromUtf8(line.trimmed());
    if (!property.endsWith("/last-image")) continue;
    if (!RunTool("xfconf-query", {"-c", "xfce4-desktop", "-p", property, "-s", path}).ok) return false;
    ++set;
  }
  return set > 0;
}

bool SetBy(WallpaperWay way, const QString& path, const QString& uri) {
  switch (way) {
    case WallpaperWay::Gnome:
      return SetByGsettings("org.gnome.desktop.background", {"picture-uri", "picture-uri-dark"}, uri);
    case WallpaperWay::Cinnamon:
      return SetByGsettings("org.cinnamon.desktop.background", {"picture-uri"}, uri);
    case WallpaperWay::Mate:
      return SetByGsettings("org.mate.background", {"picture-filename"}, path);
    case WallpaperWay::Plasma:
      return wallpaper::SetByPlasma(uri);
    case WallpaperWay::Xfce:
      return SetByXfconf(path);
    case WallpaperWay::LxQt:
      return RunTool("pcmanfm-qt", {"--set-wallpaper=" + path}).ok;
    case WallpaperWay::Lxde:
      return RunTool("pcmanfm", {"--set-wallpaper=" + path}).ok;
    case WallpaperWay::None:
    case WallpaperWay::Portal:
      break;
  }
  return false;
}

// The ways of the desktops XDG_CURRENT_DESKTOP names. Setting another
// desktop's key changes nothing on screen, so with a known desktop only its
// own ways are tried.
std::vector<WallpaperWay> DesktopWays() {
  std::vector<WallpaperWay> ways;
  auto add = [&ways](WallpaperWay way) {
    if (std::find(ways.begin(), ways.end(), way) == ways.end()) ways.push_back(way);
  };
  const QStringList desktops = qEnvironmentVariable("XDG_CURRENT_DESKTOP").toLower().split(':', Qt::SkipEmptyParts);
  for (const QString& desktop : desktops) {
    if (desktop == "gnome" || desktop == "unity" || desktop == "budgie" || desktop == "pantheon" || desktop == "ubuntu")
      add(WallpaperWay::Gnome);
    else if (desktop == "x-cinnamon" || desktop == "cinnamon")
      add(WallpaperWay::Cinnamon);
    else if (desktop == "mate")
      add(WallpaperWay::Mate);
    else if (desktop == "kde")
      add(WallpaperWay::Plasma);
    else if (desktop == "xfce")
      add(WallpaperWay::Xfce);
    else if (desktop == "lxqt")
      add(WallpaperWay::LxQt);
    else if (desktop == "lxde")
      add(WallpaperWay::Lxde);
  }
  if (!ways.empty()) return ways;
  // No desktop named: the ones that show they are running.
  add(WallpaperWay::Plasma);
  if (wallpaper::SessionServiceRuns("org.gnome.Shell")) add(WallpaperWay::Gnome);
  add(WallpaperWay::Xfce);
  return ways;
}

}  // namespace

WallpaperWay ApplyWallpaper(const fs::path& file) {
  std::error_code ec;
  if (!file.is_absolute() || !fs::is_regular_file(file, ec)) return WallpaperWay::None;
  const QString path = QFile::decodeName(file.c_str());
  // No quote may reach a gsettings value or a script; %27 is the same URI.
  const QString uri = QString::fromLatin1(QUrl::fromLocalFile(path).toEncoded()).replace("'", "%27");
  switch (wallpaper::SetByPortal(uri)) {
    case wallpaper::Outcome::Done:
      return WallpaperWay::Portal;
    case wallpaper::Outcome::Declined:
      return WallpaperWay::None;  // the user said no; not ours to override
    case wallpaper::Outcome::Failed:
      break;
  }
  for (const WallpaperWay way : DesktopWays())
    if (SetBy(way, path, uri)) return way;
  return WallpaperWay::None;
}

}  // namespace platform
