#pragma once
// Thumbnails: the picture's longer side made exactly `side` pixels, centred
// on a white square. Safe on any thread.
#include <QImage>
#include <QPoint>
#include <QSize>
#include <filesystem>

namespace pictures {

inline constexpr int kThumbnailSide = 200;

struct ThumbnailGeometry {
  QSize scaled;   // the picture's size inside the square; empty: no thumbnail
  QPoint offset;  // where it sits in the square
  bool fill = false;  // white around it (a picture that is not square)
};

// The longer side becomes `side`, the other side * short / long, truncated
// (at least one pixel); small pictures are enlarged.
ThumbnailGeometry ThumbnailLayout(QSize picture, int side = kThumbnailSide);

// Centres the picture on a white square as wide as its longer side; a
// square picture is taken as it is. Transparency shows white.
QImage PadToSquare(const QImage& picture);

// Decodes the file at thumbnail size (never at full size) and pads it; a
// null image when the file is no picture.
QImage MakeThumbnail(const std::filesystem::path& file, int side = kThumbnailSide);

}  // namespace pictures
