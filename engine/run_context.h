#pragma once
// What the download thread and the workers of a run share besides the project.
#include <atomic>
#include <filesystem>
#include <functional>
#include <string>

#include "engine/engine_view.h"
#include "engine/page_cache.h"
#include "engine/program.h"
#include "engine/run_logs.h"
#include "engine/run_signals.h"

struct RunContext {
  const Program& program;
  EngineView& view;
  RunLogs& logs;
  RunSignals& signals;
  std::filesystem::path projectFolder;
  // Set when the program is leaving: every question is then answered No.
  const std::atomic<bool>* leaving = nullptr;
  // The run's text pages; none when not set.
  PageCache* pages = nullptr;
  // Called on the download thread when the workers of the run are done.
  std::function<void()> workersDone;

  bool Ask(Question question, const std::string& text) const {
    if (leaving && leaving->load()) return false;
    return view.Ask(question, text);
  }
};
