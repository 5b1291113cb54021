#pragma once
// What a program takes from its command line at start-up.
#include <QStringList>
#include <optional>
#include <string>

#include "platform/settings_store.h"
#include "window/window_program.h"

namespace window {

struct StartUp {
  // The start address: the download starts at once and Exit asks nothing.
  // Empty when there is none.
  std::string commandLine;
  // What followed "<scheme>:" when the web browser's button started the
  // program, still percent-encoded as the bookmarklet sent it.
  std::optional<std::string> handOver;
};

// `arguments` without the program's own path. One argument that begins with
// the program's URL scheme and ":" is a hand-over from the browser; any other
// arguments are, in a program that takes a start address, that address: joined
// by single blanks and otherwise unchanged.
StartUp ReadCommandLine(const engine::Program& program, const QStringList& arguments);

// The address that the web browser handed over, when the program takes it.
std::optional<std::string> FindBrowserAddress(const WindowProgram& program, const StartUp& startUp,
                                              const platform::SettingsStore& store);

}  // namespace window
