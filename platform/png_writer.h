#pragma once
// Writes a picture as PNG, quickly: thumbnails are written while a download
// runs, on the same cores.
#include <QByteArray>
#include <QImage>
#include <utility>
#include <vector>

class QIODevice;

namespace platform {

// Writes `image` to `out` as an 8-bit PNG, RGB, or RGBA when it has an
// alpha channel, with `texts` as uncompressed tEXt chunks (keys in Latin-1,
// 1 to 79 bytes, and kept whole: QImage::setText would cut them at a ':').
// False when the image is null or the device refuses a write.
bool WritePng(QIODevice& out, const QImage& image, const std::vector<std::pair<QByteArray, QByteArray>>& texts);

}  // namespace platform
