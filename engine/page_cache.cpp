#include "page_cache.h"

std::shared_ptr<const CachedPage> PageCache::Find(const std::string& url) const {
  std::lock_guard guard(m_mutex);
  auto it = m_pages.find(url);
  if (it == m_pages.end()) return nullptr;
  ++m_hits;
  return it->second;
}

std::shared_ptr<const CachedPage> PageCache::FindOrClaim(const std::string& url) {
  std::unique_lock lock(m_mutex);
  m_finished.wait(lock, [&] { return !m_inFlight.count(url); });
  if (auto it = m_pages.find(url); it != m_pages.end()) {
    ++m_hits;
    return it->second;
  }
  m_inFlight.insert(url);
  return nullptr;
}

void PageCache::Finish(const std::string& url, const CachedPage* page) {
  std::shared_ptr<const CachedPage> shared;
  if (page && page->body.size() <= m_maxPageBytes) shared = std::make_shared<const CachedPage>(*page);
  std::lock_guard guard(m_mutex);
  m_inFlight.erase(url);
  if (shared) StoreLocked(url, std::move(shared));
  m_finished.notify_all();
}

void PageCache::Store(const std::string& url, CachedPage page) {
  if (page.body.size() > m_maxPageBytes) return;
  auto shared = std::make_shared<const CachedPage>(std::move(page));
  std::lock_guard guard(m_mutex);
  StoreLocked(url, std::move(shared));
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

int PageCache::Hits() const {
  std::lock_guard guard(m_mutex);
  return m_hits;
}
