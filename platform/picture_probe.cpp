#include "platform/picture_probe.h"

#include <QFile>
#include <QImageReader>

namespace platform {

void LoadPictureFormats() { QImageReader::supportedImageFormats(); }

bool IsReadablePicture(const std::filesystem::path& file) {
  QImageReader reader(QFile::decodeName(file.c_str()));
  const QSize size = reader.size();
  return reader.canRead() && size.isValid() && !size.isEmpty();
}

}  // namespace platform
