#pragma once
// What a user can do with a downloaded picture outside the program: make it
// the wallpaper, copy it into the picture gallery, open the gallery, and in
// Quorvash start Tarvelin on the picture's site. Runs on the list's thread;
// outcomes are told in message boxes owned by `messageOwner`.
#include <QMessageBox>
#include <QString>
#include <filesystem>
#include <string>

#include "pictures/picture_commands.h"

namespace pictures {

class PictureActions : public PictureCommands {
 public:
  explicit PictureActions(QWidget* messageOwner = nullptr) : m_messageOwner(messageOwner) {}
  // The viewer, once it exists: boxes then open above it.
  void SetMessageOwner(QWidget* owner) { m_messageOwner = owner; }
  // The boxes' caption, the program's title; the application's name when empty.
  void SetCaption(const QString& caption) { m_caption = caption; }

  // SetAsWallpaper: `file` is the picture shown; empty when none.
  void SetAsWallpaper(const std::filesystem::path& file) override;
  // SendToGallery: copies the picture labelled `path` (read from `file`) and
  // tells how it went.
  void SendToGallery(const std::string& path, const std::filesystem::path& file) override;
  // CopyToGallery: the copy made, or empty; says "No selected file." when
  // there is no picture.
  std::filesystem::path CopyToGallery(const std::string& path, const std::filesystem::path& file);
  // OpenGallery: the gallery in the file manager; nothing is told.
  void OpenGallery();
  // DownloadWholeSite: starts the Tarvelin beside this program on "http://"
  // + `host`, the selected picture's. Without a host or a Tarvelin nothing
  // happens. Returns whether it started.
  bool DownloadWholeSite(const std::string& host) override;

  // Where Tarvelin is looked for; the program's own folder when empty.
  void SetExecutableFolder(const QString& folder) { m_executableFolder = folder; }

 private:
  void Tell(QMessageBox::Icon icon, const QString& text);

  QWidget* m_messageOwner;
  QString m_caption;
  QString m_executableFolder;
};

}  // namespace pictures
