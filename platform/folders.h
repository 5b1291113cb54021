#pragma once
// Folders: where project folders go, and clearing one into the trash.
#include <filesystem>
#include <string>

namespace platform {

// The folder below which project folders are made: `chosen` when given, else
// the executable's folder when it can be written, else
// "<XDG data home>/Ombrel software/<program>".
std::filesystem::path ProgramFolder(const std::string& programName,
                                    const std::filesystem::path& chosen = {});

// Moves every entry of `folder` (not the folder itself) but `keep` to the
// user's trash. What cannot be trashed stays; nothing is deleted for good.
// Returns the number of entries left behind.
int ClearFolderToTrash(const std::filesystem::path& folder, const std::string& keep = {});

// Asks the desktop to show `folder` in its file manager.
bool OpenInFileManager(const std::filesystem::path& folder);

}  // namespace platform
