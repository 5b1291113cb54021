#pragma once
// What the viewer's menu does with the picture it shows. PictureActions does
// it for the programs; tests put their own in.
#include <filesystem>
#include <string>

namespace pictures {

class PictureCommands {
 public:
  virtual ~PictureCommands() = default;
  // `path` is the picture's label, `file` where to read it; both empty when
  // the viewer shows nothing.
  virtual void SendToGallery(const std::string& path, const std::filesystem::path& file) = 0;
  virtual void SetAsWallpaper(const std::filesystem::path& file) = 0;
  // `host`: the other site the selected picture came from; "" for none.
  virtual bool DownloadWholeSite(const std::string& host) = 0;
};

}  // namespace pictures
