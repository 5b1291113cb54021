#pragma once
// The user's picture gallery: the XDG pictures folder.
#include <filesystem>
#include <string>

namespace platform {

// The pictures folder as it is configured now, made when missing; empty when
// there is none that can be used.
std::filesystem::path GalleryFolder();

// `name` with "(number)" before the last "." of its file name, or at its
// end without one: "a/photo.jpg", 2 gives "a/photo(2).jpg".
std::string NumberedName(const std::string& name, int number);

// CopyToGallery: copies `source` into `gallery` as `name`, or as name(1),
// name(2)... when taken; never overwrites, and claims the name atomically. A
// name with folders needs those folders in the gallery already; a name that
// would leave the gallery is refused. Returns the copy, or empty on failure
// (nothing is left behind then).
std::filesystem::path CopyToGallery(const std::filesystem::path& source, const std::string& name,
                                    const std::filesystem::path& gallery);

// OpenGallery: shows the gallery in the desktop's file manager.
bool OpenGallery();

}  // namespace platform
