#include <QCheckBox>
#include <QEvent>
#include <QHideEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "engine/settings_table.h"
#include "window/control_ids.h"
#include "window/dialog_template.h"
#include "window/dialog_units.h"
#include "window/main_dialog.h"

// The main window's size: its controls follow their anchors, its smallest
// size, its place kept in the settings, and the progress in its title.
namespace window {

namespace {
// How low the list may get, in dialog units: low enough for the whole
// window to fit a 1024 x 768 screen at 144 dpi, where even one row of
// thumbnails would not leave it room.
constexpr int kSmallestListDlu = 24;

}  // namespace

void MainDialog::FitMinimumSize() {
  const QSize nominal = NominalSize(m_client);
  QWidget* list = FindControl(m_client, kThumbnailList);
  const int listHeight = list ? list->height() : 0;
  const int spare = std::max(0, listHeight - DluToPixelsY(kSmallestListDlu, DialogBaseUnits()));
  m_client->setMinimumSize(nominal.width(), nominal.height() - spare);
}

void MainDialog::LayOut() {
  ApplyAnchors(m_client);
  // The enlarged list keeps its top at the address field's at any size.
  // Before the controls are bound the list is not enlarged: nothing more to do.
  QPushButton* button = m_controls.enlarge;
  QWidget* list = m_controls.list;
  if (!button || !list || !m_controls.address || button->text() == QLatin1String("&Up")) return;
  const QRect rect = list->geometry();
  const int top = m_controls.address->geometry().top();
  list->setGeometry(rect.left(), top, rect.width(), rect.bottom() + 1 - top);
}

bool MainDialog::eventFilter(QObject* watched, QEvent* event) {
  if (watched == m_client && event->type() == QEvent::Resize) LayOut();
  return QDialog::eventFilter(watched, event);
}

void MainDialog::SaveGeometry() {
  engine::Write(m_store, engine::keys::kWindowGeometry, saveGeometry().toBase64().toStdString());
}

void MainDialog::hideEvent(QHideEvent* event) {
  if (m_shown && !event->spontaneous()) SaveGeometry();
  QDialog::hideEvent(event);
}

void MainDialog::ShowRunProgress(int pictures, double bytesPerSecond) {
  const QString name = m_program.Title();
  if (bytesPerSecond < 0) {
    setWindowTitle(name);
    return;
  }
  const QString count = pictures == 1 ? QStringLiteral("1 picture") : QStringLiteral("%1 pictures").arg(pictures);
  const QString rate = bytesPerSecond >= 1e6 ? QStringLiteral("%1 MB/s").arg(bytesPerSecond / 1e6, 0, 'f', 1)
                                             : QStringLiteral("%1 KB/s").arg(qRound(bytesPerSecond / 1e3));
  setWindowTitle(QStringLiteral("%1 \u2014 %2, %3").arg(name, count, rate));
}

void MainDialog::EnlargeThumbnails() {
  const Controls& c = m_controls;
  QPushButton* button = c.enlarge;
  QWidget* list = c.list;
  const QRect rect = list->geometry();
  const auto children = m_client->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
  if (button->text() == QLatin1String("&Up")) {
    button->setText(QStringLiteral("Do&wn"));
    for (QWidget* child : children) child->hide();
    for (QWidget* control : {list, static_cast<QWidget*>(c.noScroll), static_cast<QWidget*>(c.enlarge),
                             static_cast<QWidget*>(c.stop), static_cast<QWidget*>(c.exit)})
      control->show();
    for (int id : {kCounterLabel, kPictureCounter})
      if (QWidget* control = FindControl(m_client, id)) control->show();
    const int top = c.address->geometry().top();
    list->setGeometry(rect.left(), top, rect.width(), rect.bottom() + 1 - top);
    m_listTop = rect.top();
  } else {
    button->setText(QStringLiteral("&Up"));
    // Everything comes back but what the layout keeps hidden: the two logs
    // and the covered label.
    for (QWidget* child : children) child->setVisible(!HiddenByTemplate(child));
    list->setGeometry(rect.left(), m_listTop, rect.width(), rect.bottom() + 1 - m_listTop);
  }
  list->update();
}

}  // namespace window
