#include "engine/page_cache.h"

#include <new>

namespace engine {

PageCache::Lookup PageCache::Find(const std::string& url, Deferred later) {
  std::unique_lock lock(m_mutex);
  if (later) {
    if (auto it = m_inFlight.find(url); it != m_inFlight.end()) {
      it->second.push_back(std::move(later));
      return {Found::Deferred, nullptr};
    }
  } else {
    m_finished.wait(lock, [&] { return !m_inFlight.count(url); });
  }
  if (auto it = m_answers.find(url); it != m_answers.end()) return {Found::Answer, it->second};
  m_inFlight.emplace(url, std::vector<Deferred>());
  return {Found::Fetch, nullptr};
}

std::vector<PageCache::Deferred> PageCache::Finish(const std::string& url, bool page,
                                                   const platform::HttpHead& head, const std::string& body) {
  std::shared_ptr<const CachedAnswer> kept;
  if (IsErrorStatus(head.status) && head.status != 0) {
    kept = std::make_shared<const CachedAnswer>(CachedAnswer{head, {}});
  } else if (page && body.size() <= m_maxPageBytes) {
    try {
      kept = std::make_shared<const CachedAnswer>(CachedAnswer{head, body});
    } catch (const std::bad_alloc&) {
      // Not kept: the page is fetched again when asked for again.
    }
  }
  std::vector<Deferred> waiting;
  std::lock_guard guard(m_mutex);
  if (auto it = m_inFlight.find(url); it != m_inFlight.end()) {
    waiting = std::move(it->second);
    m_inFlight.erase(it);
  }
  if (kept) StoreLocked(url, std::move(kept));
  m_finished.notify_all();
  return waiting;
}

void PageCache::StoreLocked(const std::string& url, std::shared_ptr<const CachedAnswer> answer) {
  if (m_answers.count(url)) return;
  const size_t size = answer->body.size() + url.size() + sizeof(CachedAnswer);
  while (!m_order.empty() && m_bytes + size > m_maxBytes) {
    auto old = m_answers.find(m_order.front());
    m_bytes -= old->second->body.size() + old->first.size() + sizeof(CachedAnswer);
    m_answers.erase(old);
    m_order.pop_front();
  }
  m_answers.emplace(url, std::move(answer));
  m_order.push_back(url);
  m_bytes += size;
}

}  // namespace engine
