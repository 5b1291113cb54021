#pragma once
// The Settings sheet: one tab per page, OK, Cancel and Apply. A page is made
// and loaded from the store the first time its tab comes to the front during
// an opening; OK and Apply write the pages made during this opening, in tab
// order, and no other.
#include <QDialog>
#include <vector>

#include "window/settings_page.h"

class QPushButton;
class QTabWidget;

namespace window {

// The tab index of `page` in `program`'s sheet, or -1 when it has no such page.
int PageIndexOf(const WindowProgram& program, PageKind page);

// Ids of the sheet's own controls.
inline constexpr int kSheetTabs = 12320;
inline constexpr int kSheetApply = 12321;
inline constexpr int kSheetOk = 1;
inline constexpr int kSheetCancel = 2;

class SettingsSheet : public QDialog {
  Q_OBJECT

 public:
  SettingsSheet(const PageContext& context, int startPage, QWidget* parent = nullptr);

  // The page at `index` when it has been made during this opening, else null.
  SettingsPage* Page(int index) const;
  int PageCount() const { return static_cast<int>(m_pages.size()); }
  QTabWidget* Tabs() const { return m_tabs; }

  // The Apply button: checks the page in front, then writes every page made.
  // Returns false when the page in front holds a bad value.
  bool ApplyNow();

  void accept() override;

 private:
  void EnsurePage(int index);
  void OnTabChanged(int index);
  bool LeaveCurrentPage();
  void ApplyPages();
  void UpdateApply();

  PageContext m_context;
  std::vector<PageKind> m_kinds;
  std::vector<SettingsPage*> m_pages;  // null until made
  std::vector<bool> m_modified;
  QTabWidget* m_tabs = nullptr;
  QPushButton* m_apply = nullptr;
  int m_current = 0;
};

}  // namespace window
