#include "console/console_main.h"

#include <malloc.h>
#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <QCoreApplication>
#include <cstdio>
#include <thread>

#include "engine/download_engine.h"
#include "engine/settings_table.h"
#include "links/control_bytes.h"
#include "platform/folders.h"
#include "platform/http_client.h"
#include "platform/picture_decoder.h"
#include "console/console_options.h"
#include "console/console_view.h"

namespace console {

namespace {

// Ctrl-C and SIGTERM are taken by a thread of their own: the first one is the
// Stop command, the second leaves at once.
class StopOnSignals {
 public:
  // Call before any thread starts, so that every thread inherits the mask.
  static sigset_t BlockSignals() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGUSR1);  // wakes the thread when the run is over
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
    return set;
  }
  StopOnSignals(engine::DownloadEngine& engine, ConsoleView& view, sigset_t set)
      : m_engine(engine), m_view(view), m_set(set) {
    m_thread = std::thread([this] { Wait(); });
  }
  ~StopOnSignals() {
    pthread_kill(m_thread.native_handle(), SIGUSR1);
    m_thread.join();
  }

 private:
  void Wait() {
    int stops = 0;
    for (int sig; sigwait(&m_set, &sig) == 0;) {
      if (sig == SIGUSR1) return;
      if (++stops == 1) {
        m_view.ShowError("Stopping: unfinished files go back to the list...");
        m_engine.Stop();
      } else {
        std::_Exit(130);
      }
    }
  }
  engine::DownloadEngine& m_engine;
  ConsoleView& m_view;
  sigset_t m_set;
  std::thread m_thread;
};

}  // namespace

int RunConsole(const engine::Program& program, const ConsoleText& text, int argc, char** argv) {
  const std::string command = argc > 0 ? std::filesystem::path(argv[0]).filename().string() : program.name;
  std::vector<std::string> args(argv + 1, argv + argc);
  const ParseResult parsed = ParseConsoleOptions(args, program, text);
  if (!parsed.options) {
    std::fprintf(stderr, "%s: %s\nTry '%s --help'.\n", command.c_str(), parsed.error.c_str(), command.c_str());
    return kExitUsage;
  }
  const ConsoleOptions& options = *parsed.options;
  if (options.help) {
    std::fputs(ConsoleUsage(command, program, text).c_str(), stdout);
    return kExitOk;
  }

  // Eight threads would each keep a heap of their own; two serve as well.
  mallopt(M_ARENA_MAX, 2);
  const sigset_t stopSignals = StopOnSignals::BlockSignals();
  // Output into a closed pipe (`| head`) must not end the run unsaved.
  signal(SIGPIPE, SIG_IGN);
  QCoreApplication app(argc, argv);
  platform::HttpGlobalInit();
  // Plugins load once, here, rather than lazily in several workers at once.
  platform::LoadPictureDecoders();

  // The view outlives the engine, whose destructor ends the engine's threads.
  ConsoleView view(stdout, ::isatty(STDOUT_FILENO));
  engine::DownloadEngine engine(program, view, platform::ProgramFolder(program.name, options.folder));
  for (const auto& [key, value] : options.settings) {
    engine.OverrideSetting(key, value);
    if (!options.save) continue;
    const engine::SettingDef* def = engine::FindSetting(key, program);
    if (def->type == engine::SettingType::Integer)
      engine.Settings().WriteInt(key, std::stoi(value));
    else
      engine.Settings().WriteString(key, value);
  }
  view.Start(engine);
  if (options.resume != ResumeChoice::Ask) view.SetResumeAnswer(options.resume == ResumeChoice::Continue);

  bool started;
  {
    StopOnSignals signals(engine, view, stopSignals);
    started = engine.Download(options.address);
    if (started) engine.WaitForRun();
  }
  engine.Shutdown();
  view.Finish();
  const engine::RunSummary run = engine.LastRun();
  if (!started) {
    view.ShowError("Meet some error, sotpped.");
    return kExitStartFailed;
  }
  switch (run.result) {
    case engine::StartResult::Ok:
      break;
    case engine::StartResult::ProjectFileRefused:
      std::fprintf(stderr, "%s: cannot read %s; start afresh with --fresh\n", command.c_str(),
                   run.projectFileError.c_str());
      return kExitStartFailed;
    default:
      return kExitStartFailed;
  }
  std::printf("Download finish. %d pictures in %s\n", view.Pictures(),
              links::EscapeControls(run.projectFolder.string()).c_str());
  if (options.stats) {
    const engine::RunCounts& c = run.counts;
    std::fprintf(stderr,
                 "%s: %d files taken, %d requests, %d answers given again from memory, %d left to the worker "
                 "already fetching them, %d connections, %d idle waits, %d refused by robots.txt, %d tries "
                 "again\n",
                 command.c_str(), c.filesTaken, c.requests, c.fromMemory, c.leftToOthers, c.connections,
                 c.idleWaits, c.robotsRefused, c.retries);
  }
  int status = kExitOk;
  if (!run.diskError.empty()) {
    std::fprintf(stderr, "%s: stopped: the disk takes no more files (%s); --continue fetches the rest\n",
                 command.c_str(), run.diskError.c_str());
    status = kExitNotStored;
  }
  if (run.filesNotStored > 0) {
    std::fprintf(stderr, "%s: %d %s could not be stored: %s\n", command.c_str(), run.filesNotStored,
                 run.filesNotStored == 1 ? "file" : "files", run.storeError.c_str());
    status = kExitNotStored;
  }
  if (!run.projectFileSaved) {
    std::fprintf(stderr, "%s: project.cfg could not be saved: %s\n", command.c_str(), run.projectFileError.c_str());
    status = kExitNotStored;
  }
  return status;
}

}  // namespace console
