#include "quorvash/quorvash_window_program.h"

#include "quorvash/quorvash_program.h"
#include "quorvash/search_address.h"

namespace quorvash {

bool IsResultPageAddress(const std::string& address, const platform::SettingsStore& store) {
  const std::string prefix = "http://" + SearchHost(store) + "/images?";
  return address.compare(0, prefix.size(), prefix) == 0;
}

shell::WindowProgram QuorvashWindowProgram() {
  shell::WindowProgram program;
  program.kind = engine::ProgramKind::Quorvash;
  program.defaultHistory = [](const platform::SettingsStore& store) {
    return DefaultHistory(SearchHost(store));
  };
  // Only a result page of the search service is taken from the browser.
  program.takeBrowserAddress = [](const std::string& address,
                                  const platform::SettingsStore& store) -> std::optional<std::string> {
    if (!IsResultPageAddress(address, store)) return std::nullopt;
    return address;
  };
  program.engine = &QuorvashProgram();
  program.pageHandler = program.engine->pageHandler;
  program.prepareAddress = PrepareSearchAddress;
  return program;
}

}  // namespace quorvash
