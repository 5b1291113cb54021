#pragma once
// The answers a run has received, by request address: text pages, so that a
// page asked for again (another fragment, or "dir/../" in its link) does not
// cross the network again, and error answers, so that a missing page is
// asked for once however many spellings link to it. Network errors are not
// kept: they may pass. Bounded in memory; five workers share it.
#include <condition_variable>
#include <deque>
#include <memory>
#include <optional>
#include <mutex>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "platform/http_client.h"

namespace engine {

struct CachedAnswer {
  platform::HttpHead head;
  std::string body;     // empty for an error answer
  size_t skipped = 0;   // bytes after `body` that were not asked for: counted, not read
};

// A kept answer. Past the first two megabytes pages are kept compressed, a
// fifth of their size or less: small sites pay no time for it, large ones
// keep many more pages.
struct KeptAnswer {
  platform::HttpHead head;
  std::string packed;
  std::string lead;  // the first bytes, plain, of a compressed page
  size_t size = 0;
  bool compressed = false;
};

// A link left to the worker that is fetching its address, to be finished
// by that worker once the answer is in.
struct WaitingLink {
  int index = 0;
  std::string link;
};

class PageCache {
 public:
  enum class Found { Answer, Fetch, Deferred };
  struct Lookup {
    Found found = Found::Fetch;
    std::shared_ptr<const CachedAnswer> answer;  // with Found::Answer
  };

  explicit PageCache(size_t maxBytes = 64u << 20, size_t maxPageBytes = 4u << 20, size_t plainBytes = 2u << 20)
      : m_maxBytes(maxBytes), m_maxPageBytes(maxPageBytes), m_plainBytes(plainBytes) {}

  // The kept answer for `url`; else Fetch, and the caller now fetches it and
  // must call Finish. While another worker fetches the same address, `later`
  // is left to that worker (Found::Deferred) so the caller is free at once;
  // without `later` the caller waits for that fetch instead.
  Lookup Find(const std::string& url, std::optional<WaitingLink> later = {}, bool whole = true);
  // Without `whole`, a kept page comes back with its first kLeadBytes only.
  static constexpr size_t kLeadBytes = 1024;
  // Ends a fetch. The answer is kept when it is a whole text page (`page`)
  // or an error status. Returns the links other workers left for `url`.
  std::vector<WaitingLink> Finish(const std::string& url, bool page, const platform::HttpHead& head,
                                  const std::string& body);
  // A page handler's links follow from the page and its folder alone, and
  // are all listed once it was read whole: another spelling of the kept
  // page's address in the same folder ("#part") needs no second reading.
  bool ReadBefore(const std::string& url, const std::string& pageDir) const;
  // Notes a whole reading of the page kept for `url`; nothing when it is not kept.
  void NoteRead(const std::string& url, const std::string& pageDir);

 private:
  void StoreLocked(const std::string& url, std::shared_ptr<const KeptAnswer> answer);

  const size_t m_maxBytes, m_maxPageBytes, m_plainBytes;
  mutable std::mutex m_mutex;  // guards everything below
  std::condition_variable m_finished;
  std::unordered_map<std::string, std::vector<WaitingLink>> m_inFlight;
  std::unordered_map<std::string, std::shared_ptr<const KeptAnswer>> m_answers;
  std::deque<std::string> m_order;  // oldest first
  std::unordered_map<std::string, std::unordered_set<std::string>> m_readFrom;  // folders, by kept address
  size_t m_bytes = 0;
};

// An error status: the answer is kept.
inline bool IsErrorStatus(long status) { return status < 200 || status > 299; }

}  // namespace engine
