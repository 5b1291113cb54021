#include "page_cache.h"

std::shared_ptr<const CachedPage> PageCache::Find(const std::string& url) const {
  std::lock_guard guard(m_mutex);
  auto it = m_pages.find(url);
  if (it == m_pages.end()) return nullptr;
  ++m_hits;
  return it->second;
}

void PageCache::Store(const std::string& url, CachedPage page) {
  const size_t size = page.body.size() + url.size();
  if (page.body.size() > m_maxPageBytes) return;
  auto shared = std::make_shared<const CachedPage>(std::move(page));
  std::lock_guard guard(m_mutex);
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
