#include "tarvelin/tarvelin_window_program.h"

#include "tarvelin/tarvelin_program.h"

namespace tarvelin {

shell::WindowProgram TarvelinWindowProgram() {
  shell::WindowProgram program;
  program.kind = engine::ProgramKind::Tarvelin;
  program.defaultHistory = [](const platform::SettingsStore&) { return std::string(kDefaultHistory); };
  // The browser's address is taken as it is: the user presses Download.
  program.takeBrowserAddress = [](const std::string& address, const platform::SettingsStore&) {
    return std::optional<std::string>(address);
  };
  program.engine = &TarvelinProgram();
  program.pageHandler = program.engine->pageHandler;
  return program;
}

}  // namespace tarvelin
