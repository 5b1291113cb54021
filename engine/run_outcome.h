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
  ProjectLocked,       // another run uses the project folder: nothing was touched
};

// Where a run's time went, counted as it goes.
struct RunCounts {
  int filesTaken = 0;
  int requests = 0;          // sent to a server
  int fromMemory = 0;        // pages and error answers given again without a request
  int leftToOthers = 0;      // addresses another worker was fetching: finished by that worker
  int connections = 0;       // opened; the other requests reused one
  int idleWaits = 0;         // times a worker found nothing to take and waited
  int robotsRefused = 0;     // links robots.txt refused: not fetched, done
  int retries = 0;           // tries after an answer that said "later" or a failure that may pass
};

// Why the start address itself gave nothing: the run then has nothing to
// follow, and the end message names it.
enum class StartAddressFailure { None, Unreachable, ErrorAnswer };

struct RunSummary {
  StartResult result = StartResult::Ok;
  std::filesystem::path projectFolder;  // empty when the run never made one
  std::string error;                    // why the run could not start: the address, or the project folder
  int filesNotStored = 0;               // received whole but not written
  std::string storeError;               // why the first of them was not written
  std::string diskError;                // the disk took no more: the run was stopped
  int lockHolder = 0;                   // the process running the locked project, when known
  bool projectFileSaved = true;
  std::string projectFileError;
  RunCounts counts;
  StartAddressFailure startFailure = StartAddressFailure::None;
  std::string startFailureReason;
  int filesTrashed = 0;  // entries of the project folder moved to the trash at the start
  std::filesystem::path trashFolder;
};

}  // namespace engine
