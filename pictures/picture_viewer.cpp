#include "pictures/picture_viewer.h"

#include <QAction>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QScreen>

#include "pictures/picture_commands.h"
#include "pictures/viewer_geometry.h"
#include "platform/picture_decoder.h"

namespace pictures {

namespace {
constexpr int kWheelStep = 120;  // one notch of a mouse wheel
}

PictureViewer::PictureViewer(const ThumbnailModel& model, QItemSelectionModel& selection, PictureCommands* commands,
                             engine::ViewerAction extra, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint),
      m_cursor(model, selection),
      m_commands(commands),
      m_menu(new QMenu("Deal with image", this)) {
  setWindowModality(Qt::ApplicationModal);
  setAutoFillBackground(false);
  m_menu->setProperty("commandId", kDealWithImageMenu);
  connect(AddCommand(kSendToGalleryCommand, "&Send to image gallery"), &QAction::triggered, this, [this] {
    if (m_commands) m_commands->SendToGallery(m_path, m_path.empty() ? std::filesystem::path() : m_file);
  });
  connect(AddCommand(kSetAsWallpaperCommand, "&Set as wallpaper"), &QAction::triggered, this, [this] {
    if (m_commands) m_commands->SetAsWallpaper(m_path.empty() ? std::filesystem::path() : m_file);
  });
  if (extra == engine::ViewerAction::DownloadWholeSite)
    connect(AddCommand(kDownloadWholeSiteCommand, "&Download all images in the site include this image"),
            &QAction::triggered, this, [this] {
              if (m_commands) m_commands->DownloadWholeSite(m_cursor.SelectedHost());
            });
}

QAction* PictureViewer::AddCommand(int id, const QString& text) {
  QAction* action = m_menu->addAction(text);
  action->setProperty("commandId", id);
  return action;
}

void PictureViewer::Open() {
  if (QScreen* screen = (parentWidget() ? parentWidget()->window() : static_cast<QWidget*>(this))->screen()) {
    setScreen(screen);
    setGeometry(screen->geometry());
  }
  m_path = m_cursor.GetPicturePath(PictureDirection::Current);
  m_file = m_path.empty() ? std::filesystem::path() : m_cursor.SelectedFile();
  m_wheel = 0;
  LoadPicture();
  showFullScreen();
  raise();
  activateWindow();
}

void PictureViewer::Step(PictureDirection direction) {
  const std::string path = m_cursor.GetPicturePath(direction);
  if (path.empty()) return;
  m_path = path;
  m_file = m_cursor.SelectedFile();
  LoadPicture();
}

QSize PictureViewer::ScreenPixels() const {
  const QScreen* shown = screen();
  return shown ? shown->size() * shown->devicePixelRatio() : QSize();
}

// Decodes at most at the size it is drawn; a file that has gone, or is no
// picture, draws nothing.
void PictureViewer::LoadPicture() {
  const QSize screenPixels = ScreenPixels();
  m_picture = m_file.empty() ? QImage()
                             : platform::DecodePicture(m_file, [screenPixels](QSize declared) {
                                 return FitToScreen(declared, screenPixels).size();
                               });
  m_rect = FitToScreen(m_picture.size(), screenPixels);
  update();
}

void PictureViewer::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), Qt::black);
  DrawPicture(painter);
}

// The picture was decoded at the size it is drawn, in device pixels.
void PictureViewer::DrawPicture(QPainter& painter) const {
  if (m_picture.isNull()) return;
  const qreal ratio = screen() ? screen()->devicePixelRatio() : 1.0;
  const QRectF target(m_rect.x() / ratio, m_rect.y() / ratio, m_rect.width() / ratio, m_rect.height() / ratio);
  painter.drawImage(target, m_picture);
}

void PictureViewer::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_PageUp:
    case Qt::Key_Up:
      Step(PictureDirection::Previous);
      break;
    case Qt::Key_PageDown:
    case Qt::Key_Down:
      Step(PictureDirection::Next);
      break;
    case Qt::Key_Home:
      Step(PictureDirection::First);
      break;
    case Qt::Key_End:
      Step(PictureDirection::Last);
      break;
    case Qt::Key_Left:
    case Qt::Key_Right:
      break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      accept();
      break;
    default:
      QDialog::keyPressEvent(event);  // Escape closes
  }
}

void PictureViewer::wheelEvent(QWheelEvent* event) {
  // Touchpads send small turns; a step is taken per notch's worth.
  m_wheel += event->angleDelta().y();
  for (; m_wheel >= kWheelStep; m_wheel -= kWheelStep) Step(PictureDirection::Previous);
  for (; m_wheel <= -kWheelStep; m_wheel += kWheelStep) Step(PictureDirection::Next);
  event->accept();
}

void PictureViewer::mouseReleaseEvent(QMouseEvent* event) {
  QDialog::mouseReleaseEvent(event);
  if (event->button() == Qt::RightButton) m_menu->popup(event->globalPosition().toPoint());
}

}  // namespace pictures
