#pragma once
// Pictures of one colour for the tests, written into a temporary folder.
#include <QColor>
#include <QImage>
#include <QTemporaryDir>
#include <filesystem>

inline std::filesystem::path WritePicture(const QTemporaryDir& dir, const QString& name, QSize size, QColor colour) {
  QImage image(size, QImage::Format_RGB32);
  image.fill(colour);
  image.save(dir.filePath(name));
  return dir.filePath(name).toStdString();
}
