#pragma once
// What the console and the window count as a picture: a stored file whose
// header declares a picture of some size within the cap. A stored file
// always arrived whole, so nothing more is read; a body that then does not
// decode still counts.
#include <filesystem>
#include <optional>
#include <utility>

#include "platform/picture_decoder.h"

namespace platform {

inline bool CountsAsPicture(QSize declared) {
  return !declared.isEmpty() && qint64(declared.width()) * declared.height() <= kMaxPicturePixels;
}

// `declared`: the width and height the header declares, when it was read
// already; the file is read only without it.
inline bool CountsAsPicture(const std::filesystem::path& file,
                            const std::optional<std::pair<int, int>>& declared = {}) {
  return CountsAsPicture(declared ? QSize(declared->first, declared->second) : ProbePicture(file));
}

}  // namespace platform
