#pragma once
// Reads pictures for the thumbnail list, the viewer and the console: the
// declared size from the header first, then a decode no larger than the
// caller needs. Safe on several threads at once.
#include <QImage>
#include <QSize>
#include <atomic>
#include <filesystem>
#include <functional>
#include <string_view>

namespace platform {

// A picture that declares more pixels than this is taken for no picture. A
// progressive JPEG holds coefficients for every declared pixel whatever size
// it is decoded at, so the header is the only place to stop it.
inline constexpr qint64 kMaxPicturePixels = qint64(8192) * 8192;

// Loads the image plugins and sets the decoders' allocation cap. Call once at
// start-up, before any worker decodes; later calls do nothing.
void LoadPictureDecoders();

// The size the picture's header declares, without decoding it; an invalid
// size when the file is no picture a decoder knows. `firstBytes`, when given,
// are the file's first bytes and `fileSize` its size: the file is read only
// when its header lies further back.
QSize ProbePicture(const std::filesystem::path& file, std::string_view firstBytes = {}, int64_t fileSize = -1);

// Chooses the size to decode at from the declared size; an empty size
// refuses the picture.
using DecodeSize = std::function<QSize(QSize declared)>;

// Decodes at exactly the size `sizeFor` chooses. A null image when the file
// cannot be read, is no picture, declares no pixels or more than
// kMaxPicturePixels, or when the chosen size is empty or over the cap; and
// soon after `cancel` is set, even in the middle of a decode.
QImage DecodePicture(const std::filesystem::path& file, const DecodeSize& sizeFor,
                     const std::atomic<bool>* cancel = nullptr);

// Fits the picture within `box`, keeping its aspect; never enlarges it.
QImage DecodePictureWithin(const std::filesystem::path& file, QSize box);

}  // namespace platform
