#include "shell/console_main.h"

#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <QCoreApplication>
#include <cstdio>
#include <thread>

#include "shell/console_options.h"
#include "shell/console_view.h"
#include "engine/download_engine.h"
#include "platform/folders.h"
#include "platform/http_client.h"
#include "shell/settings_keys.h"

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
  StopOnSignals(DownloadEngine& engine, ConsoleView& view, sigset_t set)
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
  DownloadEngine& m_engine;
  ConsoleView& m_view;
  sigset_t m_set;
  std::thread m_thread;
};

}  // namespace

int RunConsole(Program& program, int argc, char** argv) {
  const bool quorvash = program.IsQuorvash();
  const std::string command = argc > 0 ? std::filesystem::path(argv[0]).filename().string() : program.name;
  std::vector<std::string> args(argv + 1, argv + argc);
  const ParseResult parsed = ParseConsoleOptions(args, quorvash);
  if (!parsed.options) {
    std::fprintf(stderr, "%s: %s\n%s", command.c_str(), parsed.error.c_str(),
                 ConsoleUsage(command, quorvash).c_str());
    return kExitUsage;
  }
  const ConsoleOptions& options = *parsed.options;
  if (options.help) {
    std::fputs(ConsoleUsage(command, quorvash).c_str(), stdout);
    return kExitOk;
  }

  const sigset_t stopSignals = StopOnSignals::BlockSignals();
  // Output into a closed pipe (`| head`) must not end the run unsaved.
  signal(SIGPIPE, SIG_IGN);
  QCoreApplication app(argc, argv);
  platform::HttpGlobalInit();
  const platform::SettingsStore store(program.name);
  for (const auto& [key, value] : options.settings) {
    if (FindSettingKey(key, quorvash)->type == SettingType::Integer)
      store.WriteSettingInt(platform::kSettingsSection, key, std::stoi(value));
    else
      store.WriteSettingString(platform::kSettingsSection, key, value);
  }

  // The view outlives the engine, whose destructor ends the engine's threads.
  ConsoleView view(stdout, ::isatty(STDOUT_FILENO));
  DownloadEngine engine(program, view, platform::ProgramFolder(program.name, options.folder));
  view.Start(engine.Logs(), [&engine] { return engine.ProjectFolder(); });
  if (options.resume != ResumeChoice::Ask) view.SetResumeAnswer(options.resume == ResumeChoice::Continue);

  int result;
  {
    StopOnSignals signals(engine, view, stopSignals);
    if (engine.Download(options.address)) {
      engine.WaitForRun();
      result = engine.LastStartResult();
    } else {
      view.ShowError("Meet some error, sotpped.");
      result = 1;
    }
  }
  engine.Shutdown();
  view.Finish();
  if (result != 0) return kExitStartFailed;
  std::printf("Download finish. %d pictures in %s\n", view.Pictures(), engine.ProjectFolder().c_str());
  return kExitOk;
}
