#include "engine/page_cache.h"

#include <new>

std::shared_ptr<const CachedPage> PageCache::FindOrClaim(const std::string& url) {
  std::unique_lock lock(m_mutex);
  m_finished.wait(lock, [&] { return !m_inFlight.count(url); });
  if (auto it = m_pages.find(url); it != m_pages.end()) {
    return it->second;
  }
  m_inFlight.insert(url);
  return nullptr;
}

void PageCache::Finish(const std::string& url, bool keep, const platform::HttpHead& head,
                       const std::string& body) {
  std::shared_ptr<const CachedPage> shared;
  if (keep && body.size() <= m_maxPageBytes) {
    try {
      shared = std::make_shared<const CachedPage>(CachedPage{head, body});
    } catch (const std::bad_alloc&) {
      // Not kept: the page is fetched again when asked for again.
    }
  }
  std::lock_guard guard(m_mutex);
  m_inFlight.erase(url);
  if (shared) StoreLocked(url, std::move(shared));
  m_finished.notify_all();
}

void PageCache::StoreLocked(const std::string& url, std::shared_ptr<const CachedPage> shared) {
  const size_t size = shared->body.size() + url.size();
  if (m_pages.count(url)) return;
  while (!m_order.empty() && m_bytes + size > m_maxBytes) {
    auto old = m_pages.find(m_order.front());
    m_bytes -= old->second->body.size() + old->first.size();
    m_pages.erase(old);
    m_order.pop_front();
  }
  m_pages.emplace(url, std::move(shared));
  m_order.push_back(url);
  m_bytes += size;
}
