#include "window/settings_sheet.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QVBoxLayout>

#include "window/settings_pages.h"
#include "window/settings_templates.h"

namespace window {

namespace {

const char* const kIdProperty = "controlId";

DialogTemplate TemplateOf(PageKind kind) {
  switch (kind) {
    case PageKind::DownloadRange: return DownloadRangeTemplate();
    case PageKind::FileSize: return FileSizeTemplate();
    case PageKind::DirectoryLevel: return DirectoryLevelTemplate();
    case PageKind::BrowserButton: return BrowserButtonTemplate();
    case PageKind::Status: return StatusTemplate();
  }
  return StatusTemplate();
}

SettingsPage* MakePage(PageKind kind, const PageContext& context, QWidget* parent) {
  switch (kind) {
    case PageKind::DownloadRange: return new DownloadRangePage(context, parent);
    case PageKind::FileSize: return new FileSizePage(context, parent);
    case PageKind::DirectoryLevel: return new DirectoryLevelPage(context, parent);
    case PageKind::BrowserButton: return new BrowserButtonPage(context, parent);
    case PageKind::Status: return new StatusPage(context, parent);
  }
  return nullptr;
}

}  // namespace

int PageIndexOf(const WindowProgram& program, PageKind page) {
  const std::vector<PageKind>& pages = program.settingsPages;
  for (size_t i = 0; i < pages.size(); ++i)
    if (pages[i] == page) return static_cast<int>(i);
  return -1;
}

SettingsSheet::SettingsSheet(const PageContext& context, int startPage, QWidget* parent)
    : QDialog(parent), m_context(context), m_kinds(context.program->settingsPages) {
  setWindowTitle(QStringLiteral("Settings"));
  m_pages.assign(m_kinds.size(), nullptr);
  m_modified.assign(m_kinds.size(), false);

  m_tabs = new QTabWidget(this);
  m_tabs->setProperty(kIdProperty, kSheetTabs);
  // Every tab in sight, as the platform's property sheets show them.
  m_tabs->setUsesScrollButtons(false);
  // Every tab's holder is as large as the largest page, as the sheet is.
  QSize largest;
  const BaseUnits units = DialogBaseUnits();
  for (PageKind kind : m_kinds) {
    const DialogTemplate layout = TemplateOf(kind);
    largest = largest.expandedTo(TemplateSize(layout, units));
    m_tabs->addTab(new QWidget, QString::fromUtf8(layout.caption));
  }
  for (int i = 0; i < m_tabs->count(); ++i) m_tabs->widget(i)->setMinimumSize(largest);

  auto* buttons = new QDialogButtonBox(
      QDialogButtonBox::Ok | QDialogButtonBox::Cancel | QDialogButtonBox::Apply, this);
  buttons->button(QDialogButtonBox::Ok)->setProperty(kIdProperty, kSheetOk);
  buttons->button(QDialogButtonBox::Cancel)->setProperty(kIdProperty, kSheetCancel);
  m_apply = buttons->button(QDialogButtonBox::Apply);
  m_apply->setProperty(kIdProperty, kSheetApply);
  m_apply->setEnabled(false);
  connect(buttons, &QDialogButtonBox::accepted, this, &SettingsSheet::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &SettingsSheet::reject);
  connect(m_apply, &QPushButton::clicked, this, &SettingsSheet::ApplyNow);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(m_tabs);
  layout->addWidget(buttons);
  layout->setSizeConstraint(QLayout::SetFixedSize);

  m_current = std::clamp(startPage, 0, static_cast<int>(m_kinds.size()) - 1);
  {
    const QSignalBlocker blocker(m_tabs);
    m_tabs->setCurrentIndex(m_current);
  }
  EnsurePage(m_current);
  connect(m_tabs, &QTabWidget::currentChanged, this, &SettingsSheet::OnTabChanged);
}

SettingsPage* SettingsSheet::Page(int index) const {
  return index >= 0 && index < PageCount() ? m_pages[index] : nullptr;
}

void SettingsSheet::EnsurePage(int index) {
  if (m_pages[index]) return;
  SettingsPage* page = MakePage(m_kinds[index], m_context, m_tabs->widget(index));
  page->move(0, 0);
  page->show();
  // A page wider than its template (a text that did not fit) widens the sheet.
  QWidget* holder = m_tabs->widget(index);
  holder->setMinimumSize(holder->minimumSize().expandedTo(page->size()));
  m_pages[index] = page;
  page->Load();
  connect(page, &SettingsPage::modified, this, [this, index] {
    m_modified[index] = true;
    UpdateApply();
  });
}

bool SettingsSheet::LeaveCurrentPage() {
  SettingsPage* page = Page(m_current);
  return !page || page->Save();
}

void SettingsSheet::OnTabChanged(int index) {
  if (index == m_current) return;
  // The page being left is checked while it is still in front, so a bad
  // field can take the focus; the sheet then stays on it.
  {
    const QSignalBlocker blocker(m_tabs);
    m_tabs->setCurrentIndex(m_current);
  }
  if (!LeaveCurrentPage()) return;
  {
    const QSignalBlocker blocker(m_tabs);
    m_tabs->setCurrentIndex(index);
  }
  m_current = index;
  EnsurePage(index);
}

void SettingsSheet::ApplyPages() {
  for (SettingsPage* page : m_pages)
    if (page) page->Apply();
  m_modified.assign(m_modified.size(), false);
  UpdateApply();
}

bool SettingsSheet::ApplyNow() {
  if (!LeaveCurrentPage()) return false;
  ApplyPages();
  return true;
}

void SettingsSheet::accept() {
  if (!LeaveCurrentPage()) return;
  ApplyPages();
  QDialog::accept();
}

void SettingsSheet::UpdateApply() {
  m_apply->setEnabled(std::find(m_modified.begin(), m_modified.end(), true) != m_modified.end());
}

}  // namespace window
