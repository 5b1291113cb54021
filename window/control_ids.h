#pragma once
// The fixed ids of the windows' controls and menu commands. The engine's view
// and the tests find controls by these numbers.

#include "engine/worker_rows.h"

namespace window {

// Main dialog.
inline constexpr int kAddressEdit = 1000;
inline constexpr int kDownloadButton = 1001;
inline constexpr int kTitleLog = 1002;
inline constexpr int kRunLog = 1003;
inline constexpr int kStopButton = 1004;
inline constexpr int kSponsorPanel = 1006;
inline constexpr int kFirstProgressBar = 1013;  // 1013 to 1017
inline constexpr int kFirstCancelButton = 1018;  // 1018 to 1022
inline constexpr int kFirstFileLabel = 1023;     // 1023 to 1027
inline constexpr int kThumbnailList = 1029;
inline constexpr int kPictureCounter = 1030;
inline constexpr int kNoScrollCheck = 1031;
inline constexpr int kEnlargeButton = 1032;
inline constexpr int kCounterLabel = 1033;
inline constexpr int kExitButton = 2;
using engine::kWorkerCount;

// About box.
inline constexpr int kOkButton = 1;

// Settings pages.
inline constexpr int kMaxCountEdit = 1006;
inline constexpr int kFileSizeEdit = 1006;
inline constexpr int kLevelCombo = 1007;
inline constexpr int kRangeFromEdit = 1008;
inline constexpr int kRangeToEdit = 1009;
inline constexpr int kButtonCheck = 1010;
inline constexpr int kShowLinkCheck = 1010;
inline constexpr int kShowThreadCheck = 1011;
inline constexpr int kBookmarkletEdit = 1012;
inline constexpr int kFolderEdit = 1013;
inline constexpr int kWaitEdit = 1040;
inline constexpr int kRateEdit = 1041;
inline constexpr int kRobotsCheck = 1042;
inline constexpr int kModernPagesCheck = 1043;

// Menu commands.
inline constexpr int kCmdExit = 2;
inline constexpr int kCmdDownloadRange = 130;
inline constexpr int kCmdAbout = 132;
inline constexpr int kCmdFileFormats = 135;
inline constexpr int kCmdHelpContents = 136;
inline constexpr int kCmdFileSize = 138;
inline constexpr int kCmdStatus = 140;
inline constexpr int kCmdDirectoryLevel = 142;
inline constexpr int kCmdBrowserButton = 144;
inline constexpr int kCmdOpenGallery = 148;

}  // namespace window
