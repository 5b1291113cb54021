#pragma once
// What the console and the window count as a picture: a stored file whose
// header declares a picture of some size within the cap. A stored file
// always arrived whole, so nothing more is read; a body that then does not
// decode still counts.
#include <filesystem>

#include "platform/picture_decoder.h"

namespace platform {

inline bool CountsAsPicture(const std::filesystem::path& file) {
  const QSize size = ProbePicture(file);
  return !size.isEmpty() && qint64(size.width()) * size.height() <= kMaxPicturePixels;
}

}  // namespace platform
