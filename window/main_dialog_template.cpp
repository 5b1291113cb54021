#include "window/main_dialog_template.h"

#include "window/control_ids.h"

namespace shell {

namespace {

using K = ControlKind;

#define WORKER_ROW(n, top, barTop, buttonTop)                                          \
  {kNoId, K::Label, "Thread" #n ":", {7, top, 30, 8}},                                 \
  {kFirstFileLabel + n - 1, K::Label, "File" #n, {42, top, 229, 8}},                   \
  {kFirstProgressBar + n - 1, K::ProgressBar, nullptr, {271, barTop, 42, 6}, kBorder}, \
  {kFirstCancelButton + n - 1, K::Button, "Cancel", {313, buttonTop, 33, 10}}

#define WORKER_AND_LIST_ROWS                                                                   \
  {kRunLog, K::ReadOnlyLog, "", {335, 35, 11, 46}, kHidden},                                  \
  WORKER_ROW(1, 89, 90, 89), WORKER_ROW(2, 106, 107, 105), WORKER_ROW(3, 124, 125, 123),      \
  WORKER_ROW(4, 139, 141, 139), WORKER_ROW(5, 156, 157, 156),                                 \
  {kNoId, K::Label,                                                                           \
   "D&ownloaded image thumbnails(double click to view large pictures, use mouse wheel to "    \
   "naviage):",                                                                               \
   {7, 172, 307, 8}},                                                                         \
  {kThumbnailList, K::List, nullptr, {7, 183, 339, 165}, kBorder},                            \
  {kPictureCounter, K::Label, "0", {93, 350, 20, 8}},                                         \
  {kCounterLabel, K::Label, "Total downloaded images: ", {7, 350, 86, 8}},                    \
  {kNoScrollCheck, K::CheckBox, "&No scroll", {271, 350, 43, 10}},                            \
  {kEnlargeButton, K::Button, "&Up", {318, 348, 29, 14}},                                     \
  {kStopButton, K::Button, "&Stop", {81, 362, 50, 14}},                                       \
  {kExitButton, K::Button, "E&xit", {198, 362, 50, 14}}

// Lies over the "&Analyze result:" label, which therefore stays hidden: in
// Quorvash the notice lies lower and the label's top would show above it.
#define SPONSOR_NOTICE                                                                   \
  "Our free tools are sponsored by the below, if you want to pay a visit, can through the " \
  "\nright click popup menu->open in new window."

const ControlTemplate kTarvelinMain[] = {
    {kNoId, K::Label, "&URL address:", {7, 9, 44, 8}},
    {kAddressEdit, K::Edit, "", {55, 7, 241, 14}},
    {kDownloadButton, K::Button, "&Download", {296, 7, 50, 14}},
    {kNoId, K::Label, "&Analyze result:", {7, 25, 49, 8}, kHidden},
    {kTitleLog, K::ReadOnlyLog, "", {327, 63, 19, 18}, kHidden},
    WORKER_AND_LIST_ROWS,
    {kNoId, K::Label, SPONSOR_NOTICE, {7, 25, 314, 16}},
    {kSponsorPanel, K::Placeholder, nullptr, {7, 42, 314, 39}},
};

const ControlTemplate kQuorvashMain[] = {
    {kNoId, K::Label, "&Keyword/address:", {7, 9, 60, 8}},
    {kAddressEdit, K::Edit, "", {71, 7, 225, 14}},
    {kDownloadButton, K::Button, "&Download", {296, 7, 50, 14}},
    {kNoId, K::Label, "&Analyze result:", {7, 25, 49, 8}, kHidden},
    {kTitleLog, K::ReadOnlyLog, "", {326, 56, 20, 25}, kHidden},
    WORKER_AND_LIST_ROWS,
    {kNoId, K::Label, SPONSOR_NOTICE, {7, 26, 314, 16}},
    {kSponsorPanel, K::Placeholder, nullptr, {7, 43, 314, 39}},
};

const ControlTemplate kTarvelinAbout[] = {
    {kNoId, K::Icon, nullptr, {11, 17, 21, 20}},
    {kNoId, K::Label, "Tarvelin Version 1.0", {40, 10, 119, 8}},
    {kNoId, K::Label, "Made by Ombrel software", {40, 25, 130, 8}},
    {kNoId, K::Label, "Contact: support@ombrel.example", {40, 40, 130, 8}},
    {kOkButton, K::DefaultButton, "OK", {178, 7, 50, 16}},
};

const ControlTemplate kQuorvashAbout[] = {
    {kNoId, K::Icon, nullptr, {11, 17, 21, 20}},
    {kNoId, K::Label, "Quorvash Version 2.0", {40, 10, 119, 8}},
    {kNoId, K::Label, "Made by Ombrel software", {40, 25, 130, 8}},
    {kNoId, K::Label, "Contact: support@ombrel.example", {40, 40, 130, 8}},
    {kOkButton, K::DefaultButton, "OK", {178, 7, 50, 16}},
};

}  // namespace

DialogTemplate MainDialogTemplate(engine::ProgramKind kind) {
  if (kind == engine::ProgramKind::Quorvash) return {102, "Quorvash", 353, 383, kQuorvashMain};
  return {102, "Tarvelin", 353, 383, kTarvelinMain};
}

DialogTemplate AboutTemplate(engine::ProgramKind kind) {
  if (kind == engine::ProgramKind::Quorvash) return {100, "About Quorvash", 235, 55, kQuorvashAbout};
  return {100, "About Tarvelin", 235, 55, kTarvelinAbout};
}

}  // namespace shell
