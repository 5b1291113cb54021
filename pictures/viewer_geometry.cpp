#include "pictures/viewer_geometry.h"

#include <algorithm>

namespace pictures {

QRect FitToScreen(QSize picture, QSize screen) {
  qint64 w = picture.width(), h = picture.height();
  const qint64 sw = screen.width(), sh = screen.height();
  if (w <= 0 || h <= 0 || sw <= 0 || sh <= 0) return {};
  if (w > sw) {
    h = h * sw / w;
    w = sw;
    if (h > sh) {
      w = sw * sh / h;
      h = sh;
    }
  } else if (h > sh) {
    w = w * sh / h;
    h = sh;
    if (w > sw) {
      h = sw * sh / w;
      w = sw;
    }
  }
  // A very long, thin picture still shows as a line.
  w = std::max<qint64>(w, 1);
  h = std::max<qint64>(h, 1);
  return QRect(int((sw - w) / 2), int((sh - h) / 2), int(w), int(h));
}

}  // namespace pictures
