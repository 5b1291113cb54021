#include "platform/picture_probe.h"

#include <QFile>
#include <QImageReader>

namespace platform {

void LoadPictureFormats() { QImageReader::supportedImageFormats(); }

bool IsReadablePicture(const std::filesystem::path& file) {
  // A picture that would need more than this to decode counts as none: a
  // few hundred bytes may declare 30000 x 30000 pixels.
  constexpr qint64 kMaxDecodeBytes = qint64(256) << 20;
  QImageReader reader(QFile::decodeName(file.c_str()));
  const QSize size = reader.size();
  return reader.canRead() && size.isValid() && !size.isEmpty() &&
         qint64(size.width()) * size.height() * 4 <= kMaxDecodeBytes;
}

}  // namespace platform
