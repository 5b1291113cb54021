#include "engine/polite_fetch.h"

namespace engine {

namespace {

constexpr size_t kMaxRobotsBytes = 512 * 1024;

std::string HostKey(const platform::HttpTarget& t) {
  return std::string(t.secure ? "https://" : "http://") + t.host + ":" + std::to_string(t.port);
}

// Collects robots.txt; only Stop ends it early, so that a Cancel of one
// worker's file does not decide a host's rules for the whole run.
class RobotsReceiver : public platform::HttpReceiver {
 public:
  explicit RobotsReceiver(RunSignals& signals) : m_signals(signals) {}
  bool OnHead(const platform::HttpHead& head) override {
    m_status = head.status;
    return head.status >= 200 && head.status <= 299;
  }
  bool OnChunk(const char* data, size_t size) override {
    m_body.append(data, std::min(size, kMaxRobotsBytes - std::min(kMaxRobotsBytes, m_body.size())));
    return m_body.size() < kMaxRobotsBytes && !m_signals.StopSet();
  }
  bool ShouldAbort() override { return m_signals.StopSet(); }
  std::string& Body() { return m_body; }

 private:
  RunSignals& m_signals;
  long m_status = 0;
  std::string m_body;
};

}  // namespace

PoliteSettings PoliteSettingsFor(const Program& program, const RunSwitches& switches) {
  const std::string agent = IdentityFor(program, switches).userAgent;
  // robots.txt groups name a product token: the user agent up to its "/".
  return {switches.robots, switches.waitMs, switches.rateKBs, agent.substr(0, agent.find_first_of("/ "))};
}

platform::HttpIdentity IdentityFor(const Program& program, const RunSwitches& switches) {
  std::string agent = switches.userAgent;
  if (agent.empty()) agent = program.name + "/" PROGRAM_VERSION;
  return {agent, switches.cookieFile, switches.headers};
}

bool Politeness::Allows(platform::HttpSession& session, const platform::HttpTarget& target, RunSignals& signals) {
  if (!m_settings.robots) return true;
  const std::string key = HostKey(target);
  std::shared_ptr<HostRules> host;
  {
    std::lock_guard guard(m_mutex);
    auto& slot = m_hosts[key];
    if (!slot) slot = std::make_shared<HostRules>();
    host = slot;
  }
  std::call_once(host->read, [&] {
    platform::HttpTarget robots = target;
    robots.object = "/robots.txt";
    // The host's first request: it waits for nobody, and the next one waits for it.
    m_pacer.TakeTurn(key, HostPacer::Clock::now());
    m_robotsRequests.fetch_add(1);
    RobotsReceiver receiver(signals);
    const platform::HttpOutcome outcome = session.Get(robots, receiver);
    // A file cut at the size limit still gives the rules read so far.
    if (outcome == platform::HttpOutcome::Completed ||
        (outcome == platform::HttpOutcome::Abandoned && receiver.Body().size() >= kMaxRobotsBytes))
      host->rules = RobotsRules::Parse(receiver.Body(), m_settings.agentToken);
    if (host->rules.CrawlDelayMs() > 0) m_pacer.SetHostDelay(key, host->rules.CrawlDelayMs());
  });
  std::string object = target.object.substr(0, target.object.find('#'));
  if (object.empty() || object.front() != '/') object.insert(0, "/");
  return host->rules.Allowed(object);
}

bool Politeness::AwaitTurn(const platform::HttpTarget& target, RunSignals& signals, int worker,
                           uint64_t cancelsSeen) {
  const auto now = HostPacer::Clock::now();
  const auto turn = m_pacer.TakeTurn(HostKey(target), now);
  // Most turns are due at once; the signals' lock is the workers' busiest.
  return turn <= now || signals.WaitUntil(worker, cancelsSeen, turn);
}

void Politeness::Later(const platform::HttpTarget& target, int holdMs) {
  m_pacer.Later(HostKey(target), holdMs, HostPacer::Clock::now());
}

bool Politeness::AwaitBytes(size_t bytes, RunSignals& signals, int worker, uint64_t cancelsSeen) {
  if (!m_pacer.LimitsRate()) return true;
  const auto at = m_pacer.TakeBytes(bytes, HostPacer::Clock::now());
  return at <= HostPacer::Clock::now() || signals.WaitUntil(worker, cancelsSeen, at);
}

}  // namespace engine
