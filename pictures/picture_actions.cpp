#include "pictures/picture_actions.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMessageBox>
#include <QProcess>

#include "platform/desktop_wallpaper.h"
#include "platform/picture_gallery.h"

namespace pictures {

void PictureActions::Tell(QMessageBox::Icon icon, const QString& text) {
  QMessageBox box(icon, m_caption.isEmpty() ? QGuiApplication::applicationDisplayName() : m_caption, text, QMessageBox::Ok,
                  m_messageOwner);
  box.exec();
}

void PictureActions::SetAsWallpaper(const std::filesystem::path& file) {
  const bool set = !file.empty() && platform::ApplyWallpaper(file) != platform::WallpaperWay::None;
  if (set)
    Tell(QMessageBox::Information, "Set as wallpaper successfully.");
  else
    Tell(QMessageBox::Warning, "Set as wallpaper failed.");
}

void PictureActions::SendToGallery(const std::string& path, const std::filesystem::path& file) {
  if (!CopyToGallery(path, file).empty())
    Tell(QMessageBox::Information, "Sent to picture gallery successfully.");
  else
    Tell(QMessageBox::Warning, "Sent to picture gallery failed.");
}

std::filesystem::path PictureActions::CopyToGallery(const std::string& path, const std::filesystem::path& file) {
  if (path.empty() || file.empty()) {
    Tell(QMessageBox::NoIcon, "No selected file.");
    return {};
  }
  return platform::CopyToGallery(file, path, platform::GalleryFolder());
}

void PictureActions::OpenGallery() { platform::OpenGallery(); }

bool PictureActions::DownloadWholeSite(const std::string& host) {
  if (host.empty()) return false;
  const QString folder = m_executableFolder.isEmpty() ? QCoreApplication::applicationDirPath() : m_executableFolder;
  const QString tarvelin = QDir(folder).filePath("Tarvelin");
  const QFileInfo info(tarvelin);
  if (!info.isFile() || !info.isExecutable()) return false;
  return QProcess::startDetached(tarvelin, {"http://" + QString::fromStdString(host)});
}

}  // namespace pictures
