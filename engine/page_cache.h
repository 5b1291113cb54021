#pragma once
// The text pages a run has received, by request address, so that a page
// asked for again (another fragment, or "dir/../" in its link) does not
// cross the network again. Bounded in memory; five workers share it.
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <unordered_set>

#include "platform/http_client.h"

struct CachedPage {
  platform::HttpHead head;
  std::string body;
};

class PageCache {
 public:
  explicit PageCache(size_t maxBytes = 64u << 20, size_t maxPageBytes = 4u << 20)
      : m_maxBytes(maxBytes), m_maxPageBytes(maxPageBytes) {}

  // The cached page; else nothing, and the caller now fetches `url` and must
  // call Finish. While another caller fetches the same address, waits for it:
  // pages found together (one page's sections) are fetched once.
  std::shared_ptr<const CachedPage> FindOrClaim(const std::string& url);
  // Ends a claim, keeping a copy of the page when `keep` is set.
  void Finish(const std::string& url, bool keep, const platform::HttpHead& head, const std::string& body);

 private:
  const size_t m_maxBytes, m_maxPageBytes;
  // Keeps the page; the oldest pages make room.
  void StoreLocked(const std::string& url, std::shared_ptr<const CachedPage> page);

  mutable std::mutex m_mutex;  // guards everything below
  std::condition_variable m_finished;
  std::unordered_set<std::string> m_inFlight;
  std::unordered_map<std::string, std::shared_ptr<const CachedPage>> m_pages;
  std::deque<std::string> m_order;  // oldest first
  size_t m_bytes = 0;
};
