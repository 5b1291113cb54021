#pragma once
#include <filesystem>

namespace platform {

// Loads the picture plugins now, before worker threads ask for them.
void LoadPictureFormats();
// Whether the file's header reads as a picture of a usable size; nothing is
// decoded.
bool IsReadablePicture(const std::filesystem::path& file);

}  // namespace platform
