#pragma once
// The pages of the Settings sheet.
#include <cstdint>

#include "window/settings_page.h"

namespace window {

class DownloadRangePage : public SettingsPage {
  Q_OBJECT
 public:
  DownloadRangePage(const PageContext& context, QWidget* parent);
  void Load() override;
  bool Save() override;
  void Apply() override;

 private:
  int32_t m_maxCount = 0;
  int32_t m_rangeFrom = 0;
  int32_t m_rangeTo = 0;
};

class FileSizePage : public SettingsPage {
  Q_OBJECT
 public:
  FileSizePage(const PageContext& context, QWidget* parent);
  void Load() override;
  bool Save() override;
  void Apply() override;

 private:
  int32_t m_fileSizeKB = 0;
  QString m_folder;  // as shown: the "folder" setting, else the default
  int32_t m_waitMs = 0;
  int32_t m_rateKBs = 0;
};

// Choosing an entry does not mark the page modified; OK stores it anyway.
class DirectoryLevelPage : public SettingsPage {
  Q_OBJECT
 public:
  DirectoryLevelPage(const PageContext& context, QWidget* parent);
  void Load() override;
  bool Save() override { return true; }
  void Apply() override;
};

class StatusPage : public SettingsPage {
  Q_OBJECT
 public:
  StatusPage(const PageContext& context, QWidget* parent);
  void Load() override;
  bool Save() override;
  void Apply() override;

 private:
  int32_t m_showLink = 0;
  int32_t m_showThread = 0;
  int32_t m_robots = 1;
  int32_t m_modernPages = 1;
  bool m_hasModernPages = false;
};

// Shows whether the web browser's button is registered; Apply registers it
// anew or removes it.
class BrowserButtonPage : public SettingsPage {
  Q_OBJECT
 public:
  BrowserButtonPage(const PageContext& context, QWidget* parent);
  void Load() override;
  bool Save() override;
  void Apply() override;

 private:
  int32_t m_enabled = 0;
};

}  // namespace window
