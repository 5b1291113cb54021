#pragma once
// The full-screen viewer: the list's selected picture on black, fitted to
// the screen, stepped through with the keys and the wheel; its right-button
// menu carries the picture actions.
#include <QDialog>
#include <QImage>
#include <filesystem>
#include <string>

#include "engine/program.h"
#include "pictures/picture_cursor.h"
#include "pictures/picture_types.h"

class QAction;
class QMenu;
class QPainter;

namespace pictures {

class PictureCommands;
class ThumbnailModel;

// Menu and command ids the window's tests and resources know them by; each
// QAction carries its id in the property "commandId".
inline constexpr int kDealWithImageMenu = 146;
inline constexpr int kSendToGalleryCommand = 147;
inline constexpr int kSetAsWallpaperCommand = 149;
inline constexpr int kDownloadWholeSiteCommand = 150;

class PictureViewer : public QDialog {
  Q_OBJECT
 public:
  // Steps through `model` by moving `selection`; the menu runs `commands`
  // (none: the menu does nothing) and offers `extra` beside the gallery and
  // the wallpaper.
  PictureViewer(const ThumbnailModel& model, QItemSelectionModel& selection, PictureCommands* commands,
                engine::ViewerAction extra, QWidget* parent);

  // Shows the selected picture (none without a selection) full screen on the
  // screen of the parent's window; modal, returns at once.
  void Open();

  // m_path: the label of the picture shown; "" when none.
  const std::string& Path() const { return m_path; }
  // Where the picture is drawn, in device pixels; empty when nothing is.
  QRect PictureRect() const { return m_picture.isNull() ? QRect() : m_rect; }
  QMenu* Menu() const { return m_menu; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  QAction* AddCommand(int id, const QString& text);
  void Step(PictureDirection direction);
  void LoadPicture();
  void DrawPicture(QPainter& painter) const;
  QSize ScreenPixels() const;

  PictureCursor m_cursor;
  PictureCommands* const m_commands;
  std::string m_path;
  std::filesystem::path m_file;
  QImage m_picture;  // decoded at the size it is drawn
  QRect m_rect;
  QMenu* m_menu;
  int m_wheel = 0;  // wheel turn not yet stepped, in eighths of a degree
};

}  // namespace pictures
