#include "tarvelin/tarvelin_window_program.h"

#include "tarvelin/tarvelin_program.h"
#include "window/main_dialog_template.h"

namespace tarvelin {

namespace {

using K = window::ControlKind;

const window::ControlTemplate kMain[] = {
    {window::kNoId, K::Label, "&URL address:", {7, 9, 44, 8}},
    {window::kAddressEdit, K::Edit, "", {55, 7, 241, 14}, window::kNoFlags, window::kAnchorTopWide},
    {window::kDownloadButton, K::Button, "&Download", {296, 7, 50, 14}, window::kNoFlags, window::kAnchorTopRight},
    {window::kNoId, K::Label, "&Analyze result:", {7, 25, 49, 8}, window::kHidden},
    {window::kTitleLog, K::ReadOnlyLog, "", {327, 63, 19, 18}, window::kHidden, window::kAnchorTopRight},
    WINDOW_WORKER_AND_LIST_ROWS,
    {window::kNoId, K::Label, WINDOW_SPONSOR_NOTICE, {7, 25, 314, 16}},
    {window::kSponsorPanel, K::Placeholder, nullptr, {7, 42, 314, 39}},
};

const window::ControlTemplate kAbout[] = {
    {window::kNoId, K::Icon, nullptr, {11, 17, 21, 20}},
    {window::kNoId, K::Label, "Tarvelin Version 1.0", {40, 10, 119, 8}},
    {window::kNoId, K::Label, "Made by Ombrel software", {40, 25, 130, 8}},
    {window::kNoId, K::Label, "Contact: support@ombrel.example", {40, 40, 130, 8}},
    {window::kOkButton, K::DefaultButton, "OK", {178, 7, 50, 16}},
};

}  // namespace

const window::WindowProgram& TarvelinWindowProgram() {
  static const window::WindowProgram program = [] {
    window::WindowProgram p;
    p.engine = &TarvelinProgram();
    p.mainTemplate = {window::kMainDialogId, "Tarvelin", window::kMainDialogWidth,
                      window::kMainDialogHeight, kMain};
    p.aboutTemplate = {window::kAboutDialogId, "About Tarvelin", 235, 55, kAbout};
    p.settingMenuDeletes = {1};  // "&File formats..."
    p.settingsPages = {window::PageKind::DownloadRange, window::PageKind::FileSize,
                       window::PageKind::DirectoryLevel, window::PageKind::BrowserButton,
                       window::PageKind::Status};
    p.browserButtonStatus = QStringLiteral("Download all pictures from this site");
    p.defaultHistory = [](const platform::SettingsStore&) { return std::string(kDefaultHistory); };
    // The browser's address is taken as it is: the user presses Download.
    p.takeBrowserAddress = [](const std::string& address, const platform::SettingsStore&) {
      return std::optional<std::string>(address);
    };
    return p;
  }();
  return program;
}

}  // namespace tarvelin
