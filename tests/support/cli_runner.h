#pragma once
// Runs a console front end as a child process with standard input from
// /dev/null and its output in files, as a user's shell script would.
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/inotify.h>
#include <sys/ptrace.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

extern char** environ;

class CliRun {
 public:
  CliRun(const std::string& program, const std::vector<std::string>& args, const std::filesystem::path& outDir)
      : m_out(outDir / "stdout.txt"), m_err(outDir / "stderr.txt") {
    std::vector<std::string> all{program};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : all) argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, m_out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 2, m_err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (posix_spawn(&m_pid, program.c_str(), &actions, nullptr, argv.data(), environ) != 0) m_pid = -1;
    posix_spawn_file_actions_destroy(&actions);
  }
  ~CliRun() {
    if (m_pid > 0 && !m_waited) {
      kill(m_pid, SIGKILL);
      Wait();
    }
  }

  // Has the child stop as it exits, so that its own peak memory can be read
  // then: the rusage of a spawned child also counts this process's pages.
  bool MeasurePeakMemory() {
    return m_pid > 0 && ptrace(PTRACE_SEIZE, m_pid, nullptr, PTRACE_O_TRACEEXIT) == 0;
  }

  int Wait() {
    if (m_pid <= 0) return -1;
    while (!m_waited) {
      int status = 0;
      if (waitpid(m_pid, &status, 0) < 0) break;
      if (WIFSTOPPED(status)) {
        int signal = 0;
        if (status >> 8 == (SIGTRAP | (PTRACE_EVENT_EXIT << 8)))
          m_maxRssKB = PeakKB();
        else if (status >> 16 == 0)
          signal = WSTOPSIG(status);  // a signal on its way to the child
        ptrace(PTRACE_CONT, m_pid, nullptr, reinterpret_cast<void*>(intptr_t(signal)));
        continue;
      }
      m_status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
      m_waited = true;
    }
    return m_status;
  }
  void Signal(int sig) { kill(m_pid, sig); }
  pid_t Pid() const { return m_pid; }
  // The child's peak memory (VmHWM) after MeasurePeakMemory, once it has been waited for.
  long MaxRssKB() const { return m_maxRssKB; }
  std::string Out() const { return Read(m_out); }
  std::string Err() const { return Read(m_err); }
  // Waits until standard output holds `text` `times` times.
  // Woken by each write to the file, not by a clock; `limit` only keeps a
  // child that never writes it from holding the test for ever.
  bool WaitForOutput(const std::string& text, int times = 1,
                     std::chrono::milliseconds limit = std::chrono::seconds(30)) {
    const int watch = inotify_init1(IN_CLOEXEC);
    if (watch < 0 || inotify_add_watch(watch, m_out.c_str(), IN_MODIFY | IN_CLOSE_WRITE) < 0) {
      if (watch >= 0) ::close(watch);
      return false;
    }
    const auto end = std::chrono::steady_clock::now() + limit;
    bool found = false;
    while (!(found = Occurrences(Out(), text) >= times)) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
      pollfd ready{watch, POLLIN, 0};
      if (left.count() <= 0 || ::poll(&ready, 1, int(left.count())) <= 0) break;
      char events[4096];
      if (::read(watch, events, sizeof events) < 0) break;
    }
    ::close(watch);
    return found;
  }
  static int Occurrences(const std::string& in, const std::string& text) {
    int n = 0;
    for (size_t at = in.find(text); at != std::string::npos; at = in.find(text, at + 1)) ++n;
    return n;
  }

 private:
  static std::string Read(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  long PeakKB() const {
    std::ifstream in("/proc/" + std::to_string(m_pid) + "/status");
    for (std::string line; std::getline(in, line);)
      if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
    return 0;
  }
  std::filesystem::path m_out, m_err;
  pid_t m_pid = -1;
  bool m_waited = false;
  int m_status = -1;
  long m_maxRssKB = 0;
};
