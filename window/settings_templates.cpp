#include "window/settings_templates.h"

#include "window/control_ids.h"

namespace window {

namespace {

using K = ControlKind;

const ControlTemplate kDownloadRange[] = {
    {kNoId, K::GroupBox, "Zero means no limit", {7, 7, 189, 69}},
    {kNoId, K::Label, "Maximal file count:", {9, 18, 72, 8}},
    {kMaxCountEdit, K::Edit, "", {83, 16, 102, 14}},
    {kNoId, K::Label, "Download range from:", {10, 38, 72, 8}},
    {kRangeFromEdit, K::Edit, "", {83, 35, 101, 14}},
    {kNoId, K::Label, "Range To:", {46, 58, 34, 8}},
    {kRangeToEdit, K::Edit, "", {83, 56, 102, 14}},
};

const ControlTemplate kFileSize[] = {
    {kNoId, K::Label, "Do not download files whose size exceed:", {7, 7, 134, 8}},
    {kFileSizeEdit, K::Edit, "", {7, 20, 40, 14}},
    {kNoId, K::Label, "KB(zero means no limit)", {53, 22, 75, 8}},
    {kNoId, K::Label, "Wait between two requests to one host:", {7, 42, 134, 8}},
    {kWaitEdit, K::Edit, "", {7, 53, 40, 14}},
    {kNoId, K::Label, "ms", {53, 55, 75, 8}},
    {kNoId, K::Label, "Download at most:", {7, 71, 60, 8}},
    {kRateEdit, K::Edit, "", {68, 69, 40, 14}},
    {kNoId, K::Label, "KB/s(zero: no limit)", {112, 71, 70, 8}},
    {kNoId, K::Label, "Project folders are made below (from the next start):", {7, 91, 172, 8}},
    {kFolderEdit, K::Edit, "", {7, 103, 172, 14}},
};

const ControlTemplate kDirectoryLevel[] = {
    {kNoId, K::Label, "Directory level compare to the first page:", {7, 24, 133, 8}},
    {kLevelCombo, K::ComboBox, nullptr, {7, 38, 109, 30}},
};

// The button is a bookmarklet that hands the page's address to the program
// through its own URL scheme; the page shows it for the user to copy.
const ControlTemplate kBrowserButton[] = {
    {kNoId, K::Label,
     "If enabled, you will see a button on the web browser toolbar and a menu under tools menu, "
     "thus it will be convient for you to run them when you are searching using the web browser.",
     {7, 24, 197, 36}, kWordWrap},
    {kButtonCheck, K::CheckBox, "Enable button on the web browser toolbar and tools menu",
     {7, 70, 197, 10}, kFitText},
    {kNoId, K::Label, "Button for the bookmarks toolbar (copy it into a new bookmark's address):",
     {7, 88, 197, 16}, kWordWrap},
    {kBookmarkletEdit, K::Edit, "", {7, 106, 197, 14}, kReadOnly},
};

const ControlTemplate kStatus[] = {
    {kShowLinkCheck, K::CheckBox, "Show all of the found link", {7, 25, 96, 10}, kFitText},
    {kShowThreadCheck, K::CheckBox, "Show thread infomation", {7, 42, 92, 10}, kFitText},
    {kRobotsCheck, K::CheckBox, "Follow each site's robots.txt", {7, 59, 120, 10}, kFitText},
    // Shown only for a program that has the setting.
    {kModernPagesCheck, K::CheckBox, "Read modern pages (srcset, lazy loading)",
     {7, 76, 150, 10}, kFitText | kHidden},
};

}  // namespace

DialogTemplate DownloadRangeTemplate() { return {131, "Download range", 203, 86, kDownloadRange}; }
DialogTemplate FileSizeTemplate() { return {137, "File size", 186, 124, kFileSize}; }
DialogTemplate DirectoryLevelTemplate() { return {141, "Directory level", 186, 90, kDirectoryLevel}; }
DialogTemplate BrowserButtonTemplate() { return {143, "Web browser button", 211, 150, kBrowserButton}; }
DialogTemplate StatusTemplate() { return {139, "Status", 186, 90, kStatus}; }

}  // namespace window
