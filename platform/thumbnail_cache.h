#pragma once
// The freedesktop thumbnail cache, shared with file managers and viewers:
// $XDG_CACHE_HOME/thumbnails/large/, one PNG of at most 256 × 256 pixels per
// picture, named by the MD5 of the picture's file URI and carrying
// Thumb::URI and Thumb::MTime, by which a stale entry is told.
#include <QImage>
#include <QSize>
#include <filesystem>

namespace platform {

inline constexpr int kLargeThumbnailSide = 256;

// Where the thumbnail of `file` is kept.
std::filesystem::path CachedThumbnailPath(const std::filesystem::path& file);

// The kept thumbnail of `file` when its URI, modification time and (when the
// entry tells it) size match the file as it is now; a null image otherwise. `original` gets the picture's
// own size when the entry tells it (Thumb::Image::Width and Height).
QImage ReadCachedThumbnail(const std::filesystem::path& file, QSize* original = nullptr);

// Keeps `thumbnail` (at most 256 × 256) for `file`, whose picture is
// `original` pixels. Written whole under a temporary name and renamed into
// place, readable by the user only. False when it could not be.
bool WriteCachedThumbnail(const std::filesystem::path& file, const QImage& thumbnail, QSize original);

}  // namespace platform
