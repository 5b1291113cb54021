#pragma once
// What the main dialog asks of whatever runs the downloads (the engine's
// adapter; a fake in tests). Every call comes on the window's thread and
// returns at once: the window never waits for a run.
#include <string>

namespace window {

class RunControl {
 public:
  virtual ~RunControl() = default;

  // Download (the button, or Enter): the address field's text as it stands.
  // Ignoring it while a run is going on, or when the text is empty, is the
  // engine's business.
  virtual void Download(const std::string& address) = 0;
  // Stop: every worker puts its file back and the run ends.
  virtual void Stop() = 0;
  // Cancel button of worker `worker`, 0 to 4: that worker's file is given up.
  virtual void Cancel(int worker) = 0;
  // The user has confirmed leaving. Stops a run in progress for good (its
  // questions are answered No). Returns true while a run is still ending:
  // the dialog then stays open, handling events, until RunEnded() is called
  // on it.
  virtual bool Leave() = 0;
};

}  // namespace window
