#include "window/settings_pages.h"

#include <QComboBox>
#include <QLineEdit>

#include "engine/settings_table.h"
#include "platform/browser_button.h"
#include "platform/folders.h"
#include "window/control_ids.h"
#include "window/settings_templates.h"

namespace window {

DownloadRangePage::DownloadRangePage(const PageContext& context, QWidget* parent)
    : SettingsPage(DownloadRangeTemplate(), context, parent) {
  for (int id : {kMaxCountEdit, kRangeFromEdit, kRangeToEdit}) ModifiedOnEdit(id);
}

void DownloadRangePage::Load() {
  m_maxCount = ReadInt(engine::keys::kMaxCount);
  m_rangeFrom = ReadInt(engine::keys::kRangeFrom);
  m_rangeTo = ReadInt(engine::keys::kRangeTo);
  ShowInt(kMaxCountEdit, m_maxCount);
  ShowInt(kRangeFromEdit, m_rangeFrom);
  ShowInt(kRangeToEdit, m_rangeTo);
}

bool DownloadRangePage::Save() {
  return TakeInt(kMaxCountEdit, m_maxCount) && TakeInt(kRangeFromEdit, m_rangeFrom) &&
         TakeInt(kRangeToEdit, m_rangeTo);
}

void DownloadRangePage::Apply() {
  WriteInt(engine::keys::kMaxCount, m_maxCount);
  WriteInt(engine::keys::kRangeFrom, m_rangeFrom);
  WriteInt(engine::keys::kRangeTo, m_rangeTo);
}

FileSizePage::FileSizePage(const PageContext& context, QWidget* parent)
    : SettingsPage(FileSizeTemplate(), context, parent) {
  ModifiedOnEdit(kFileSizeEdit);
  ModifiedOnEdit(kWaitEdit);
  ModifiedOnEdit(kRateEdit);
  ModifiedOnEdit(kFolderEdit);
}

namespace {

QString DefaultFolder(const platform::SettingsStore& store) {
  return QString::fromStdString(platform::ProgramFolder(store.ProgramName()).string());
}

}  // namespace

void FileSizePage::Load() {
  m_fileSizeKB = ReadInt(engine::keys::kFileSize);
  m_waitMs = ReadInt(engine::keys::kWait);
  m_rateKBs = ReadInt(engine::keys::kRate);
  ShowInt(kFileSizeEdit, m_fileSizeKB);
  ShowInt(kWaitEdit, m_waitMs);
  ShowInt(kRateEdit, m_rateKBs);
  const platform::SettingsStore& store = Context().store;
  m_folder = QString::fromStdString(
      platform::ProgramFolder(store.ProgramName(), engine::Read(store, engine::keys::kFolder)).string());
  if (auto* edit = FindControl<QLineEdit>(this, kFolderEdit)) edit->setText(m_folder);
}

bool FileSizePage::Save() {
  if (auto* edit = FindControl<QLineEdit>(this, kFolderEdit)) m_folder = edit->text().trimmed();
  return TakeInt(kFileSizeEdit, m_fileSizeKB) && TakeInt(kWaitEdit, m_waitMs) && TakeInt(kRateEdit, m_rateKBs);
}

void FileSizePage::Apply() {
  WriteInt(engine::keys::kFileSize, m_fileSizeKB);
  WriteInt(engine::keys::kWait, m_waitMs);
  WriteInt(engine::keys::kRate, m_rateKBs);
  // The default is kept as no value, so that it follows $XDG_PICTURES_DIR.
  const platform::SettingsStore& store = Context().store;
  const bool isDefault = m_folder.isEmpty() || m_folder == DefaultFolder(store);
  if (isDefault && engine::Read(store, engine::keys::kFolder).empty()) return;
  engine::Write(store, engine::keys::kFolder, isDefault ? std::string() : m_folder.toStdString());
}

DirectoryLevelPage::DirectoryLevelPage(const PageContext& context, QWidget* parent)
    : SettingsPage(DirectoryLevelTemplate(), context, parent) {}

void DirectoryLevelPage::Load() {
  auto* combo = FindControl<QComboBox>(this, kLevelCombo);
  combo->clear();
  combo->addItem(QStringLiteral("Entire site"));
  combo->addItem(QStringLiteral("Same directory"));
  const int32_t level = ReadInt(engine::keys::kLevel);
  // A stored value with no entry shows no selection.
  combo->setCurrentIndex(level == 0 || level == 1 ? level : -1);
}

void DirectoryLevelPage::Apply() {
  auto* combo = FindControl<QComboBox>(this, kLevelCombo);
  // Text typed into the edit part that names no entry is no selection.
  const int index = combo->currentIndex();
  const bool selected = index >= 0 && combo->currentText() == combo->itemText(index);
  WriteInt(engine::keys::kLevel, selected ? index : -1);
}

StatusPage::StatusPage(const PageContext& context, QWidget* parent)
    : SettingsPage(StatusTemplate(), context, parent),
      m_hasModernPages(engine::FindSetting(engine::keys::kModernPages.name, *context.program->engine)) {
  ModifiedOnClick(kShowLinkCheck);
  ModifiedOnClick(kShowThreadCheck);
  ModifiedOnClick(kRobotsCheck);
  ModifiedOnClick(kModernPagesCheck);
  if (auto* check = FindControl<QWidget>(this, kModernPagesCheck)) check->setVisible(m_hasModernPages);
}

void StatusPage::Load() {
  m_showLink = ReadInt(engine::keys::kShowLink);
  m_showThread = ReadInt(engine::keys::kShowThread);
  ShowCheck(kShowLinkCheck, m_showLink);
  ShowCheck(kShowThreadCheck, m_showThread);
  m_robots = ReadInt(engine::keys::kRobots);
  ShowCheck(kRobotsCheck, m_robots);
  if (!m_hasModernPages) return;
  m_modernPages = ReadInt(engine::keys::kModernPages);
  ShowCheck(kModernPagesCheck, m_modernPages);
}

bool StatusPage::Save() {
  m_showLink = TakeCheck(kShowLinkCheck);
  m_showThread = TakeCheck(kShowThreadCheck);
  m_robots = TakeCheck(kRobotsCheck);
  if (m_hasModernPages) m_modernPages = TakeCheck(kModernPagesCheck);
  return true;
}

void StatusPage::Apply() {
  WriteInt(engine::keys::kShowLink, m_showLink);
  WriteInt(engine::keys::kShowThread, m_showThread);
  WriteInt(engine::keys::kRobots, m_robots);
  if (m_hasModernPages) WriteInt(engine::keys::kModernPages, m_modernPages);
}

BrowserButtonPage::BrowserButtonPage(const PageContext& context, QWidget* parent)
    : SettingsPage(BrowserButtonTemplate(), context, parent) {
  ModifiedOnClick(kButtonCheck);
  if (auto* edit = FindControl<QLineEdit>(this, kBookmarkletEdit)) {
    edit->setText(platform::Bookmarklet(context.program->UrlScheme()));
    edit->setCursorPosition(0);
  }
}

void BrowserButtonPage::Load() {
  m_enabled = platform::IsBrowserButtonRegistered(Context().program->UrlScheme()) ? 1 : 0;
  ShowCheck(kButtonCheck, m_enabled);
}

bool BrowserButtonPage::Save() {
  m_enabled = TakeCheck(kButtonCheck);
  return true;
}

void BrowserButtonPage::Apply() {
  const WindowProgram& program = *Context().program;
  if (m_enabled)
    platform::RegisterBrowserButton(platform::BrowserButtonOf(
        program.UrlScheme(), program.Title(), program.browserButtonStatus, Context().executablePath));
  else
    platform::RemoveBrowserButton(program.UrlScheme());
}

}  // namespace window
