#include "window/settings_pages.h"

#include <QComboBox>
#include <QLineEdit>

#include "engine/settings_table.h"
#include "platform/folders.h"
#include "window/browser_button.h"
#include "window/control_ids.h"
#include "window/settings_templates.h"

namespace shell {

DownloadRangePage::DownloadRangePage(const PageContext& context, QWidget* parent)
    : SettingsPage(DownloadRangeTemplate(), context, parent) {
  for (int id : {kMaxCountEdit, kRangeFromEdit, kRangeToEdit}) ModifiedOnEdit(id);
}

void DownloadRangePage::Load() {
  m_maxCount = ReadInt("MaxCount");
  m_rangeFrom = ReadInt("RangeFrom");
  m_rangeTo = ReadInt("RangeTo");
  ShowInt(kMaxCountEdit, m_maxCount);
  ShowInt(kRangeFromEdit, m_rangeFrom);
  ShowInt(kRangeToEdit, m_rangeTo);
}

bool DownloadRangePage::Save() {
  return TakeInt(kMaxCountEdit, m_maxCount) && TakeInt(kRangeFromEdit, m_rangeFrom) &&
         TakeInt(kRangeToEdit, m_rangeTo);
}

void DownloadRangePage::Apply() {
  WriteInt("MaxCount", m_maxCount);
  WriteInt("RangeFrom", m_rangeFrom);
  WriteInt("RangeTo", m_rangeTo);
}

FileSizePage::FileSizePage(const PageContext& context, QWidget* parent)
    : SettingsPage(FileSizeTemplate(), context, parent) {
  ModifiedOnEdit(kFileSizeEdit);
  ModifiedOnEdit(kFolderEdit);
}

namespace {

QString DefaultFolder(const platform::SettingsStore& store) {
  return QString::fromStdString(platform::ProgramFolder(store.ProgramName()).string());
}

}  // namespace

void FileSizePage::Load() {
  m_fileSizeKB = ReadInt("file size");
  ShowInt(kFileSizeEdit, m_fileSizeKB);
  const platform::SettingsStore& store = Context().store;
  const std::string chosen = store.ReadSettingString(platform::kSettingsSection, std::string(engine::kFolderKey), "");
  m_folder = QString::fromStdString(platform::ProgramFolder(store.ProgramName(), chosen).string());
  if (auto* edit = FindControl<QLineEdit>(this, kFolderEdit)) edit->setText(m_folder);
}

bool FileSizePage::Save() {
  if (auto* edit = FindControl<QLineEdit>(this, kFolderEdit)) m_folder = edit->text().trimmed();
  return TakeInt(kFileSizeEdit, m_fileSizeKB);
}

void FileSizePage::Apply() {
  WriteInt("file size", m_fileSizeKB);
  // The default is kept as no value, so that it follows $XDG_PICTURES_DIR.
  const platform::SettingsStore& store = Context().store;
  const bool isDefault = m_folder.isEmpty() || m_folder == DefaultFolder(store);
  const std::string key(engine::kFolderKey);
  if (isDefault && store.ReadSettingString(platform::kSettingsSection, key, "").empty()) return;
  store.WriteSettingString(platform::kSettingsSection, key, isDefault ? std::string() : m_folder.toStdString());
}

DirectoryLevelPage::DirectoryLevelPage(const PageContext& context, QWidget* parent)
    : SettingsPage(DirectoryLevelTemplate(), context, parent) {}

void DirectoryLevelPage::Load() {
  auto* combo = FindControl<QComboBox>(this, kLevelCombo);
  combo->clear();
  combo->addItem(QStringLiteral("Entire site"));
  combo->addItem(QStringLiteral("Same directory"));
  const int32_t level = ReadInt("level");
  // A stored value with no entry shows no selection.
  combo->setCurrentIndex(level == 0 || level == 1 ? level : -1);
}

void DirectoryLevelPage::Apply() {
  auto* combo = FindControl<QComboBox>(this, kLevelCombo);
  // Text typed into the edit part that names no entry is no selection.
  const int index = combo->currentIndex();
  const bool selected = index >= 0 && combo->currentText() == combo->itemText(index);
  WriteInt("level", selected ? index : -1);
}

StatusPage::StatusPage(const PageContext& context, QWidget* parent)
    : SettingsPage(StatusTemplate(), context, parent) {
  ModifiedOnClick(kShowLinkCheck);
  ModifiedOnClick(kShowThreadCheck);
}

void StatusPage::Load() {
  m_showLink = ReadInt("show link");
  m_showThread = ReadInt("show thread");
  ShowCheck(kShowLinkCheck, m_showLink);
  ShowCheck(kShowThreadCheck, m_showThread);
}

bool StatusPage::Save() {
  m_showLink = TakeCheck(kShowLinkCheck);
  m_showThread = TakeCheck(kShowThreadCheck);
  return true;
}

void StatusPage::Apply() {
  WriteInt("show link", m_showLink);
  WriteInt("show thread", m_showThread);
}

BrowserButtonPage::BrowserButtonPage(const PageContext& context, QWidget* parent)
    : SettingsPage(BrowserButtonTemplate(), context, parent) {
  ModifiedOnClick(kButtonCheck);
  if (auto* edit = FindControl<QLineEdit>(this, kBookmarkletEdit)) {
    edit->setText(Bookmarklet(UrlSchemeOf(context.kind)));
    edit->setCursorPosition(0);
  }
}

void BrowserButtonPage::Load() {
  m_enabled = IsBrowserButtonRegistered(UrlSchemeOf(Context().kind)) ? 1 : 0;
  ShowCheck(kButtonCheck, m_enabled);
}

bool BrowserButtonPage::Save() {
  m_enabled = TakeCheck(kButtonCheck);
  return true;
}

void BrowserButtonPage::Apply() {
  if (m_enabled)
    RegisterBrowserButton(BrowserButtonOf(Context().kind, Context().executablePath));
  else
    RemoveBrowserButton(UrlSchemeOf(Context().kind));
}

}  // namespace shell
