#include "pictures/thumbnail.h"

#include <QPainter>
#include <algorithm>

#include "platform/picture_decoder.h"

namespace pictures {

ThumbnailGeometry ThumbnailLayout(QSize picture, int side) {
  const qint64 w = picture.width(), h = picture.height();
  if (w <= 0 || h <= 0 || side <= 0) return {};
  const qint64 longer = std::max(w, h);
  const int sw = int(std::max<qint64>(1, side * w / longer));
  const int sh = int(std::max<qint64>(1, side * h / longer));
  const int square = std::max(sw, sh);
  return {QSize(sw, sh), QPoint((square - sw) / 2, (square - sh) / 2), sw != sh};
}

QImage PadToSquare(const QImage& picture) {
  if (picture.isNull()) return {};
  const int w = picture.width(), h = picture.height();
  if (w == h && !picture.hasAlphaChannel()) return picture.convertToFormat(QImage::Format_RGB32);
  const int square = std::max(w, h);
  QImage out(square, square, QImage::Format_RGB32);
  out.fill(Qt::white);
  QPainter painter(&out);
  painter.drawImage(QPoint((square - w) / 2, (square - h) / 2), picture);
  return out;
}

QImage MakeThumbnail(const std::filesystem::path& file, int side) {
  const QImage picture =
      platform::DecodePicture(file, [side](QSize declared) { return ThumbnailLayout(declared, side).scaled; });
  return PadToSquare(picture);
}

}  // namespace pictures
