#pragma once
// What the window program of Tarvelin or Quorvash brings to the shared shell:
// the parts that need code only one of them links.
#include <QString>
#include <functional>
#include <optional>
#include <string>

#include "engine/program.h"
#include "platform/settings_store.h"

namespace shell {

struct WindowProgram {
  const engine::Program* engine = nullptr;  // the capabilities the engine reads
  engine::ProgramKind kind = engine::ProgramKind::Tarvelin;
  // The "history" a clean store reads as: the address field's first text.
  std::function<std::string(const platform::SettingsStore&)> defaultHistory;
  // An address the web browser handed over, when the program takes it.
  std::function<std::optional<std::string>(const std::string& address,
                                           const platform::SettingsStore& store)>
      takeBrowserAddress;
  // What the engine runs with: the reader of received pages (shared by the
  // five workers, so it lives as long as the program) and, in Quorvash, the
  // keyword's turn into a search address.
  engine::PageHandler* pageHandler = nullptr;
  std::function<std::string(const std::string& input, const platform::SettingsStore& store)> prepareAddress;
};

// The engine's Program for `program`, named `name` (settings root and user
// agent).
engine::Program EngineProgramOf(const WindowProgram& program, const std::string& name);

// "Tarvelin" or "Quorvash": captions and message boxes.
QString ProgramTitle(engine::ProgramKind kind);

}  // namespace shell
