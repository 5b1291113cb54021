#include "tarvelin/tarvelin_program.h"

#include "engine/settings_table.h"
#include "tarvelin/page_scanner.h"

namespace tarvelin {

const engine::Program& TarvelinProgram() {
  static PageScanner scanner;
  static const engine::Program program = [] {
    engine::Program p;
    p.name = "Tarvelin";
    p.urlScheme = "tarvelin";
    p.pageHandler = &scanner;
    p.keepsTextPages = false;
    p.storedNames = engine::StoredNames::BareName;
    p.asksToResume = true;
    p.everyLinkNew = false;
    p.keepsPictureHost = false;
    p.takesStartAddress = true;
    p.viewerAction = engine::ViewerAction::None;
    p.ownSettings = {engine::keys::kModernPages.name};
    return p;
  }();
  return program;
}

}  // namespace tarvelin
