#pragma once
// The sponsor panel in the main window's place 1006, sent to the program's
// sponsor page.
#include <QUrl>

#include "window/window_program.h"
#include "pictures/browser_panel.h"
#include "pictures/web_page_view.h"
#include "platform/settings_store.h"

namespace window {

class MainDialog;

inline constexpr const char* kDefaultSponsorHost = "sponsor.example.com";

// "http://" + the "sponsor host" setting + "/p-net-<name>.asp?adpos=0". A
// setting that is empty or more than a host and port gives way to
// kDefaultSponsorHost.
QUrl SponsorPageAddress(const WindowProgram& program, const platform::SettingsStore& store);

// Puts the panel in the dialog and sends it to the sponsor page; its web
// view is made once the panel has first been painted. A program started
// with an address waits 60 s for the first reload.
pictures::BrowserPanel* AddSponsorPanel(MainDialog& dialog, const platform::SettingsStore& store,
                                        pictures::BrowserPanel::ViewMaker maker = pictures::MakeWebPageView);

}  // namespace window
