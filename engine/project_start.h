#pragma once
// One download project from its start address to the saved project file.
#include <filesystem>
#include <optional>
#include <string>

#include "links/download_project.h"
#include "engine/run_context.h"
#include "platform/settings_store.h"

struct ProjectStart {
  std::string address;                 // as typed, or as built from a keyword
  std::filesystem::path programFolder; // project folders are made below it
  bool startedWithAddress = false;     // Tarvelin given an address on its command line
};

enum StartResult { kStartOk = 0, kStartNoAddress = 1, kStartBadAddress = 2 };

// Runs the project until its workers are done and "project.cfg" is written.
// `context.projectFolder` receives the project folder once it is known.
int StartProject(CDownloadProject& project, RunContext& context,
                 const platform::SettingsStore& settings, const ProjectStart& start);

// The project folder for a host, or nothing when the host would put it
// anywhere but directly below the program folder.
std::optional<std::filesystem::path> ProjectFolderFor(const std::filesystem::path& programFolder,
                                                      const std::string& host);
