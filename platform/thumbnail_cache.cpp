#include "platform/thumbnail_cache.h"

#include "platform/png_writer.h"

#include <sys/stat.h>

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QFile>
#include <QImageReader>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <QUrl>
#include <cerrno>
#include <cstdio>

namespace platform {

namespace fs = std::filesystem;

namespace {

QByteArray FileUri(const fs::path& file) {
  return QUrl::fromLocalFile(QFile::decodeName(fs::absolute(file).lexically_normal().c_str())).toEncoded();
}

// What tells a kept thumbnail stale: the modification time in whole seconds,
// as Thumb::MTime states it, and the size, as Thumb::Size does (a picture
// stored anew within the same second). mtime -1: the file is not there.
struct Stamp {
  qint64 mtime = -1;
  qint64 size = 0;
};

Stamp StampOf(const fs::path& file) {
  struct stat st {};
  if (::stat(file.c_str(), &st) != 0) return {};
  return {qint64(st.st_mtim.tv_sec), qint64(st.st_size)};
}

fs::path LargeFolder() {
  const QString cache = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
  return fs::path(QFile::encodeName(cache).toStdString()) / "thumbnails" / "large";
}

// The folders the cache asks for: the user's alone.
bool MakeFolder(const fs::path& folder) {
  std::error_code error;
  if (fs::is_directory(folder, error)) return true;
  if (!MakeFolder(folder.parent_path())) return false;
  return ::mkdir(folder.c_str(), 0700) == 0 || errno == EEXIST;
}

}  // namespace

fs::path CachedThumbnailPath(const fs::path& file) {
  const QByteArray md5 = QCryptographicHash::hash(FileUri(file), QCryptographicHash::Md5).toHex();
  return LargeFolder() / (md5.toStdString() + ".png");
}

QImage ReadCachedThumbnail(const fs::path& file, QSize* original) {
  const Stamp stamp = StampOf(file);
  if (stamp.mtime < 0) return {};
  // Opened here: a reader given a name that is not there tries it again
  // with every suffix it knows, a score of lookups for each miss.
  QFile entry(QFile::decodeName(CachedThumbnailPath(file).c_str()));
  if (!entry.open(QIODevice::ReadOnly)) return {};
  QImageReader reader(&entry, "png");
  // Anything larger than a large thumbnail is no entry of this cache.
  const QSize size = reader.size();
  if (!size.isValid() || size.width() > kLargeThumbnailSide || size.height() > kLargeThumbnailSide) return {};
  // The reader's own text() splits keys at their first ':'.
  QImage image = reader.read();
  const QString bytes = image.text("Thumb::Size");
  if (image.isNull() || image.text("Thumb::URI").toUtf8() != FileUri(file) ||
      image.text("Thumb::MTime") != QString::number(stamp.mtime) ||
      (!bytes.isEmpty() && bytes != QString::number(stamp.size)))
    return {};
  if (original) {
    const QSize told(image.text("Thumb::Image::Width").toInt(), image.text("Thumb::Image::Height").toInt());
    *original = told.isEmpty() ? image.size() : told;
  }
  return image;
}

bool WriteCachedThumbnail(const fs::path& file, const QImage& thumbnail, QSize original) {
  const Stamp stamp = StampOf(file);
  if (thumbnail.isNull() || stamp.mtime < 0 || thumbnail.width() > kLargeThumbnailSide ||
      thumbnail.height() > kLargeThumbnailSide)
    return false;
  const fs::path target = CachedThumbnailPath(file);
  if (!MakeFolder(target.parent_path())) return false;
  // Whole or not there, as the cache's readers expect: written under a name
  // of its own, then renamed. Not flushed to the disk first, as QSaveFile
  // does: a cache entry lost in a crash is made again, and a flush for each
  // thumbnail kept the thumbnail threads waiting on the disk.
  QTemporaryFile out(QFile::decodeName(target.c_str()) + QStringLiteral(".XXXXXX"));
  if (!out.open()) return false;
  const std::vector<std::pair<QByteArray, QByteArray>> texts = {
      {"Thumb::URI", FileUri(file)},
      {"Thumb::MTime", QByteArray::number(stamp.mtime)},
      {"Thumb::Size", QByteArray::number(stamp.size)},
      {"Thumb::Image::Width", QByteArray::number(original.width())},
      {"Thumb::Image::Height", QByteArray::number(original.height())},
      {"Software", QCoreApplication::applicationName().toLatin1()},
  };
  if (!WritePng(out, thumbnail, texts) || !out.flush()) return false;
  if (::rename(QFile::encodeName(out.fileName()).constData(), target.c_str()) != 0) return false;
  out.setAutoRemove(false);
  return true;
}

}  // namespace platform
