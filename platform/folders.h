#pragma once
// Folders: where project folders go, and clearing one into the trash.
#include <filesystem>
#include <string>

namespace platform {

// $XDG_PICTURES_DIR, else the desktop's pictures folder (~/Pictures).
std::filesystem::path PicturesFolder();

// The folder below which project folders are made: `chosen` when given (the
// --folder option or the "folder" setting), else "<pictures folder>/<program>".
std::filesystem::path ProgramFolder(const std::string& programName,
                                    const std::filesystem::path& chosen = {});

struct Trashed {
  int moved = 0;                // entries now in the trash
  int left = 0;                 // entries that could not be trashed and stayed
  std::filesystem::path trash;  // the trash folder; empty when it could not be made
};

// Moves every entry of `folder` (not the folder itself) but `keep` to the
// user's trash. What cannot be trashed stays; nothing is deleted for good.
Trashed ClearFolderToTrash(const std::filesystem::path& folder, const std::string& keep = {});

// Asks the desktop to show `folder` in its file manager.
bool OpenInFileManager(const std::filesystem::path& folder);

}  // namespace platform
