#include "window/sponsor_panel.h"

#include "window/main_dialog.h"

namespace shell {

namespace {

QUrl PageOn(const QString& host, const QString& path) {
  return QUrl(QStringLiteral("http://") + host + path + QStringLiteral("?adpos=0"), QUrl::StrictMode);
}

}  // namespace

QUrl SponsorPageAddress(engine::ProgramKind kind, const platform::SettingsStore& store) {
  const QString path = kind == engine::ProgramKind::Quorvash ? QStringLiteral("/p-net-Quorvash.asp")
                                                             : QStringLiteral("/p-net-Tarvelin.asp");
  const QString host = QString::fromStdString(
      store.ReadSettingString(platform::kSettingsSection, kSponsorHostKey, kDefaultSponsorHost)).trimmed();
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
  panel->AttachPanel();
  panel->Navigate(SponsorPageAddress(dialog.Kind(), store));
  return panel;
}

}  // namespace shell
