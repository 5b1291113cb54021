#include "console/console_main.h"

#include <malloc.h>
#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <QCoreApplication>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <thread>

#include "engine/download_engine.h"
#include "engine/settings_table.h"
#include "links/address.h"
#include "links/control_bytes.h"
#include "platform/folders.h"
#include "platform/http_client.h"
#include "platform/process_setup.h"
#include "console/console_options.h"
#include "console/console_view.h"

namespace console {

namespace {

// Ctrl-C and SIGTERM are taken by a thread of their own: the first one is the
// Stop command, the second leaves at once. SIGWINCH redraws the live block.
class StopOnSignals {
 public:
  // Call before any thread starts, so that every thread inherits the mask.
  static sigset_t BlockSignals() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGWINCH);
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
  bool Stopped() const { return m_stopped.load(); }

 private:
  void Wait() {
    for (int sig; sigwait(&m_set, &sig) == 0;) {
      if (sig == SIGUSR1) return;
      if (sig == SIGWINCH) {
        m_view.Resized();
      } else if (!m_stopped.exchange(true)) {
        m_view.ShowError("Stopping: unfinished files go back to the list...");
        m_engine.Stop();
      } else {
        std::_Exit(kExitStopped);
      }
    }
  }
  engine::DownloadEngine& m_engine;
  ConsoleView& m_view;
  sigset_t m_set;
  std::atomic<bool> m_stopped{false};
  std::thread m_thread;
};

// "127.0.0.1:8611" for the message about an existing project.
std::string HostOf(const std::string& address) {
  auto split = links::SplitAddress(address);
  if (!split && address.find("://") == std::string::npos) split = links::SplitAddress("http://" + address);
  if (!split) return address;
  const bool own = split->port == (split->secure ? 443 : 80);
  return split->host + (own ? "" : ":" + std::to_string(split->port));
}

// What the run came to, on standard output and standard error; returns the exit status.
int Report(const std::string& command, const ConsoleOptions& options, const engine::RunSummary& run, int pictures,
           bool stopped) {
  const char* cmd = command.c_str();
  const std::string shown = links::EscapeControls(options.address);
  const std::string folder = links::EscapeControls(run.projectFolder.string());
  if (run.filesTrashed > 0)
    std::fprintf(stderr, "%s: %d %s of %s went to the trash (%s)\n", cmd, run.filesTrashed,
                 run.filesTrashed == 1 ? "entry" : "entries", folder.c_str(),
                 links::EscapeControls(run.trashFolder.string()).c_str());
  int status = kExitOk;
  using engine::StartAddressFailure;
  if (run.startFailure == StartAddressFailure::Unreachable) {
    std::fprintf(stderr, "%s: %s could not be reached: %s\n", cmd, shown.c_str(),
                 run.startFailureReason.c_str());
    status = kExitUnreachable;
  } else if (run.startFailure == StartAddressFailure::ErrorAnswer) {
    std::fprintf(stderr, "%s: %s was answered with an error: %s\n", cmd, shown.c_str(),
                 run.startFailureReason.c_str());
    status = kExitErrorAnswer;
  } else if (!options.quiet) {
    std::printf("Download finish. %d pictures in %s\n", pictures, folder.c_str());
  }
  if (options.stats) {
    const engine::RunCounts& c = run.counts;
    std::fprintf(stderr,
                 "%s: %d files taken, %d requests, %d answers given again from memory, %d left to the worker "
                 "already fetching them, %d connections, %d idle waits, %d refused by robots.txt, %d tries "
                 "again\n",
                 cmd, c.filesTaken, c.requests, c.fromMemory, c.leftToOthers, c.connections, c.idleWaits,
                 c.robotsRefused, c.retries);
  }
  if (!run.diskError.empty()) {
    std::fprintf(stderr, "%s: stopped: the disk takes no more files (%s); --continue fetches the rest\n", cmd,
                 run.diskError.c_str());
    status = kExitNotStored;
  }
  if (run.filesNotStored > 0) {
    std::fprintf(stderr, "%s: %d %s could not be stored: %s\n", cmd, run.filesNotStored,
                 run.filesNotStored == 1 ? "file" : "files", run.storeError.c_str());
    status = kExitNotStored;
  }
  if (!run.projectFileSaved) {
    std::fprintf(stderr, "%s: project.cfg could not be saved: %s\n", cmd, run.projectFileError.c_str());
    status = kExitNotStored;
  }
  // A disk that took no more stopped the run too, but that is its own failure.
  return status == kExitOk && stopped ? kExitStopped : status;
}

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
  if (options.help || options.version || options.manPage || options.bashCompletion) {
    const std::string out = options.help      ? ConsoleUsage(command, program, text)
                            : options.version ? command + " (" + program.name + ") " + text.version + "\n"
                            : options.manPage ? ConsoleManPage(command, program, text)
                                              : ConsoleBashCompletion(command, program);
    std::fputs(out.c_str(), stdout);
    return kExitOk;
  }

  // Before any thread starts. Eight threads would each keep a heap of their
  // own; two serve the console as well.
  mallopt(M_ARENA_MAX, 2);
  platform::SetUpProcess();
  const sigset_t stopSignals = StopOnSignals::BlockSignals();
  // Output into a closed pipe (`| head`) must not end the run unsaved.
  signal(SIGPIPE, SIG_IGN);
  QCoreApplication app(argc, argv);
  platform::HttpGlobalInit();

  std::unique_ptr<std::FILE, int (*)(std::FILE*)> logFile(nullptr, std::fclose);
  if (!options.logFile.empty()) {
    logFile.reset(std::fopen(options.logFile.c_str(), "w"));
    if (!logFile) {
      std::fprintf(stderr, "%s: %s: %s\n", command.c_str(), options.logFile.c_str(), std::strerror(errno));
      return kExitNotStored;
    }
  }
  std::FILE* log = options.quiet ? nullptr : logFile ? logFile.get() : stdout;
  std::FILE* screen = !options.quiet && ::isatty(STDOUT_FILENO) ? stdout : nullptr;

  // The --folder option, else the "folder" setting (also from --set).
  platform::SettingsStore store(program.name);
  for (const auto& [key, value] : options.settings) store.Override(key, value);
  const std::string chosen = !options.folder.empty() ? options.folder
                             : engine::Read(store, engine::keys::kFolder);

  // The view outlives the engine, whose destructor ends the engine's threads.
  ConsoleView view(log, screen);
  engine::DownloadEngine engine(program, view, platform::ProgramFolder(program.name, chosen));
  for (const auto& [key, value] : options.settings) {
    engine.OverrideSetting(key, value);
    if (!options.save) continue;
    const engine::SettingDef* def = engine::FindSetting(key, program);
    if (def->type == engine::SettingType::Integer)
      engine.Settings().WriteInt(key, std::stoi(value));
    else
      engine.Settings().WriteString(key, value);
  }
  if (options.verbose) engine.OverrideSetting("show link", "1");
  view.Start(engine);
  if (options.resume != ResumeChoice::Ask) view.SetResumeAnswer(options.resume == ResumeChoice::Continue);

  bool started, stopped;
  {
    StopOnSignals signals(engine, view, stopSignals);
    started = engine.Download(options.address);
    if (started) engine.WaitForRun();
    stopped = signals.Stopped();
  }
  engine.Shutdown();
  view.Finish();
  const engine::RunSummary run = engine.LastRun();
  if (!started) {
    view.ShowError("Meet some error, sotpped.\nno address was given");
    return kExitStartFailed;
  }
  if (view.LeftProjectUntouched()) {
    std::fprintf(stderr, "%s: a project for %s exists: use --continue or --fresh\n", command.c_str(),
                 links::EscapeControls(HostOf(options.address)).c_str());
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
  return Report(command, options, run, view.Pictures(), stopped);
}

}  // namespace console
