#include "window/sponsor_panel.h"

#include <QEvent>
#include <QTimer>

#include "engine/settings_table.h"
#include "window/main_dialog.h"

namespace window {

namespace {

QUrl PageOn(const QString& host, const QString& path) {
  return QUrl(QStringLiteral("http://") + host + path + QStringLiteral("?adpos=0"), QUrl::StrictMode);
}

// Makes the panel's web view once the panel has been painted: starting the
// web engine takes longer than the whole rest of the start-up, and the
// window is to show before it.
class AttachAfterFirstPaint : public QObject {
 public:
  AttachAfterFirstPaint(pictures::BrowserPanel* panel, QObject* owner) : QObject(owner), m_panel(panel) {
    panel->installEventFilter(this);
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (watched == m_panel && event->type() == QEvent::Paint) {
      m_panel->removeEventFilter(this);
      QTimer::singleShot(0, m_panel, [panel = m_panel] { panel->AttachPanel(); });
    }
    return false;
  }

 private:
  pictures::BrowserPanel* m_panel;
};

}  // namespace

QUrl SponsorPageAddress(const WindowProgram& program, const platform::SettingsStore& store) {
  const QString path = QStringLiteral("/p-net-") + program.Title() + QStringLiteral(".asp");
  const QString host = QString::fromStdString(
      engine::Read(store, engine::keys::kSponsorHost, kDefaultSponsorHost)).trimmed();
  const QUrl page = PageOn(host, path);
  // A user name, a path or a query in the setting would change the page asked for.
  if (page.isValid() && !page.host().isEmpty() && page.userInfo().isEmpty() && page.path() == path)
    return page;
  return PageOn(QString::fromLatin1(kDefaultSponsorHost), path);
}

pictures::BrowserPanel* AddSponsorPanel(MainDialog& dialog, const platform::SettingsStore& store,
                                        pictures::BrowserPanel::ViewMaker maker) {
  auto* panel = new pictures::BrowserPanel(std::move(maker));
  if (dialog.StartedWithAddress())
    panel->SetRefreshSeconds(2 * pictures::BrowserPanel::kFirstRefreshSeconds);
  dialog.SetSponsorPanel(panel);
  panel->Navigate(SponsorPageAddress(dialog.Program(), store));
  new AttachAfterFirstPaint(panel, &dialog);
  return panel;
}

}  // namespace window
