#pragma once
// The layouts of the Settings pages. A template's caption is its tab's text.
#include "window/dialog_template.h"

namespace window {

DialogTemplate DownloadRangeTemplate();   // 131
DialogTemplate FileSizeTemplate();        // 137
DialogTemplate DirectoryLevelTemplate();  // 141
DialogTemplate BrowserButtonTemplate();   // 143
DialogTemplate StatusTemplate();          // 139

}  // namespace window
