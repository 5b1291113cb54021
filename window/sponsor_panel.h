#pragma once
// The sponsor panel in the main window's place 1006, sent to the program's
// sponsor page.
#include <QUrl>

#include "engine/program.h"
#include "pictures/browser_panel.h"
#include "pictures/web_page_view.h"
#include "platform/settings_store.h"

namespace shell {

class MainDialog;

inline constexpr const char* kSponsorHostKey = "sponsor host";
inline constexpr const char* kDefaultSponsorHost = "sponsor.example.com";

// "http://" + the "sponsor host" setting + "/p-net-Tarvelin.asp?adpos=0"
// (Quorvash: "/p-net-Quorvash.asp?adpos=0"). A setting that is empty or
// more than a host and port gives way to kDefaultSponsorHost.
QUrl SponsorPageAddress(engine::ProgramKind kind, const platform::SettingsStore& store);

// Puts the panel in the dialog, attaches it and navigates it to the sponsor
// page. Tarvelin started with an address waits 60 s for the first reload.
pictures::BrowserPanel* AddSponsorPanel(MainDialog& dialog, const platform::SettingsStore& store,
                                        pictures::BrowserPanel::ViewMaker maker = pictures::MakeWebPageView);

}  // namespace shell
