#pragma once
// What a run does to be a good guest: it reads each host's robots.txt once
// and keeps to it, spaces its requests to a host, and holds the whole run
// to a rate. Shared by the five workers of one run.
#include <atomic>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>

#include "engine/host_pacer.h"
#include "engine/robots_rules.h"
#include "engine/program.h"
#include "engine/run_signals.h"
#include "engine/run_switches.h"
#include "platform/http_client.h"

namespace engine {

struct PoliteSettings {
  bool robots = true;
  int waitMs = 0;
  int rateKBs = 0;
  std::string agentToken;  // the product token robots.txt groups are chosen by
};

PoliteSettings PoliteSettingsFor(const Program& program, const RunSwitches& switches);
// The user agent ("Tarvelin/1.0" unless "user agent" says otherwise), the
// cookie file and the extra headers of a run's sessions.
platform::HttpIdentity IdentityFor(const Program& program, const RunSwitches& switches);

class Politeness {
 public:
  explicit Politeness(PoliteSettings settings)
      : m_settings(std::move(settings)), m_pacer(m_settings.waitMs, m_settings.rateKBs) {}

  // Whether the target's host lets us ask for it. Its robots.txt is read
  // with `session` the first time a worker asks about the host; other
  // workers asking meanwhile wait for that answer. A missing file, an error
  // answer or a failure allows everything.
  bool Allows(platform::HttpSession& session, const platform::HttpTarget& target, RunSignals& signals);
  // Waits for the host's turn; false when Stop or a press of the worker's
  // Cancel (since `cancelsSeen`) ended the wait.
  bool AwaitTurn(const platform::HttpTarget& target, RunSignals& signals, int worker, uint64_t cancelsSeen);
  // The target's host answered "later": see HostPacer::Later.
  void Later(const platform::HttpTarget& target, int holdMs);
  // Waits until `bytes` more keep the run within its rate.
  bool AwaitBytes(size_t bytes, RunSignals& signals, int worker, uint64_t cancelsSeen);
  bool LimitsRate() const { return m_pacer.LimitsRate(); }

  int RobotsRequests() const { return m_robotsRequests.load(); }

 private:
  struct HostRules {
    std::once_flag read;
    RobotsRules rules;
  };
  const PoliteSettings m_settings;
  HostPacer m_pacer;
  std::mutex m_mutex;  // guards m_hosts
  std::unordered_map<std::string, std::shared_ptr<HostRules>> m_hosts;
  std::atomic<int> m_robotsRequests{0};
};

}  // namespace engine
