#pragma once
// What a run's start and a run's end come to.
#include <filesystem>
#include <string>

namespace engine {

enum class StartResult {
  Ok,                  // the project ran (to its end, or until stopped)
  NoAddress,           // the address was empty
  BadAddress,          // no http/https address, or no usable project folder
  ProjectFileRefused,  // project.cfg is no project file and was not replaced
  Abandoned,           // the program left before the run began: nothing was touched
};

struct RunSummary {
  StartResult result = StartResult::Ok;
  std::filesystem::path projectFolder;  // empty when the run never made one
  int filesNotStored = 0;               // received whole but not written
  std::string storeError;               // why the first of them was not written
  bool projectFileSaved = true;
  std::string projectFileError;
};

}  // namespace engine
