#include "quorvash/quorvash_program.h"

#include "engine/settings_table.h"
#include "quorvash/result_page.h"
#include "quorvash/search_address.h"

namespace quorvash {

const engine::Program& QuorvashProgram() {
  static ResultPageReader reader;
  static const engine::Program program = [] {
    engine::Program p;
    p.name = "Quorvash";
    p.urlScheme = "quorvash";
    p.pageHandler = &reader;
    p.prepareAddress = PrepareSearchAddress;
    p.keepsTextPages = true;
    p.storedNames = engine::StoredNames::PathTree;
    p.asksToResume = false;  // a search always starts afresh
    p.everyLinkNew = true;
    p.keepsPictureHost = true;
    p.takesStartAddress = false;
    p.viewerAction = engine::ViewerAction::DownloadWholeSite;
    // Result pages show pictures by their addresses, not in image tags; and
    // they all lie on other hosts.
    p.settingDefaults = {{std::string(engine::keys::kImage.name), 0},
                         {std::string(engine::keys::kDiffRoot.name), 0}};
    p.ownSettings = {engine::keys::kSearchHost.name};
    return p;
  }();
  return program;
}

}  // namespace quorvash
