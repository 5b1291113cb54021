#include "quorvash/quorvash_program.h"

#include "quorvash/result_page.h"
#include "quorvash/search_address.h"

namespace quorvash {

const engine::Program& QuorvashProgram() {
  static ResultPageReader reader;
  static const engine::Program program = [] {
    engine::Program p;
    p.kind = engine::ProgramKind::Quorvash;
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
    p.settingDefaults = {{"image", 0}, {"diff root", 0}};
    return p;
  }();
  return program;
}

}  // namespace quorvash
