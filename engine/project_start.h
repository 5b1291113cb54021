#pragma once
// `StartProject`: one download project from its start address to the saved
// project file.
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "engine/program.h"
#include "engine/run.h"
#include "engine/run_hand_off.h"
#include "engine/run_outcome.h"
#include "links/address.h"
#include "platform/settings_store.h"

namespace engine {

struct ProjectStart {
  std::string address;                  // as typed, or as built from a keyword
  std::filesystem::path programFolder;  // project folders are made below it
  bool startedWithAddress = false;      // Tarvelin given an address on its command line
  std::function<void()> workersDone;    // the workers have all ended; the file is saved next
};

// Runs the project until its workers are done and "project.cfg" is written.
RunSummary StartProject(const Program& program, RunParts& run, const RunHandOff& view,
                        const platform::SettingsStore& settings, const ProjectStart& start);

// The project folder's name: the host, and "_port" after it when the port is
// not the scheme's own.
std::string ProjectFolderName(const links::Address& address);

// The project folder for a host, or nothing when the host would put it
// anywhere but directly below the program folder.
std::optional<std::filesystem::path> ProjectFolderFor(const std::filesystem::path& programFolder,
                                                      const std::string& host);

}  // namespace engine
