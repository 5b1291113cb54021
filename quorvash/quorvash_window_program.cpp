#include "quorvash/quorvash_window_program.h"

#include "quorvash/quorvash_program.h"
#include "quorvash/search_address.h"
#include "window/main_dialog_template.h"

namespace quorvash {

namespace {

using K = window::ControlKind;

const window::ControlTemplate kMain[] = {
    {window::kNoId, K::Label, "&Keyword/address:", {7, 9, 60, 8}},
    {window::kAddressEdit, K::Edit, "", {71, 7, 225, 14}, window::kNoFlags, window::kAnchorTopWide},
    {window::kDownloadButton, K::Button, "&Download", {296, 7, 50, 14}, window::kNoFlags, window::kAnchorTopRight},
    {window::kNoId, K::Label, "&Analyze result:", {7, 25, 49, 8}, window::kHidden},
    {window::kTitleLog, K::ReadOnlyLog, "", {326, 56, 20, 25}, window::kHidden, window::kAnchorTopRight},
    WINDOW_WORKER_AND_LIST_ROWS,
    {window::kNoId, K::Label, WINDOW_SPONSOR_NOTICE, {7, 26, 314, 16}},
    {window::kSponsorPanel, K::Placeholder, nullptr, {7, 43, 314, 39}},
};

const window::ControlTemplate kAbout[] = {
    {window::kNoId, K::Icon, nullptr, {11, 17, 21, 20}},
    {window::kNoId, K::Label, "Quorvash Version 2.0", {40, 10, 119, 8}},
    {window::kNoId, K::Label, "Made by Ombrel software", {40, 25, 130, 8}},
    {window::kNoId, K::Label, "Contact: support@ombrel.example", {40, 40, 130, 8}},
    {window::kOkButton, K::DefaultButton, "OK", {178, 7, 50, 16}},
};

}  // namespace

bool IsResultPageAddress(const std::string& address, const platform::SettingsStore& store) {
  const std::string prefix = "http://" + SearchHost(store) + "/images?";
  return address.compare(0, prefix.size(), prefix) == 0;
}

const window::WindowProgram& QuorvashWindowProgram() {
  static const window::WindowProgram program = [] {
    window::WindowProgram p;
    p.engine = &QuorvashProgram();
    p.mainTemplate = {window::kMainDialogId, "Quorvash", window::kMainDialogWidth,
                      window::kMainDialogHeight, kMain};
    p.aboutTemplate = {window::kAboutDialogId, "About Quorvash", 235, 55, kAbout};
    // "Directory &level...", "File &size...", "&File formats...": a search
    // has no site to limit.
    p.settingMenuDeletes = {3, 2, 1};
    p.settingsPages = {window::PageKind::DownloadRange, window::PageKind::BrowserButton,
                       window::PageKind::Status};
    p.browserButtonStatus = QStringLiteral("Download all from google search result");
    p.defaultHistory = [](const platform::SettingsStore& store) { return DefaultHistory(SearchHost(store)); };
    // Only a result page of the search service is taken from the browser.
    p.takeBrowserAddress = [](const std::string& address,
                              const platform::SettingsStore& store) -> std::optional<std::string> {
      if (!IsResultPageAddress(address, store)) return std::nullopt;
      return address;
    };
    return p;
  }();
  return program;
}

}  // namespace quorvash
