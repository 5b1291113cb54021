#include "engine/page_cache.h"

#include <zlib.h>

#include <new>

namespace engine {

namespace {

std::shared_ptr<const KeptAnswer> Pack(const platform::HttpHead& head, const std::string& body, bool compress) {
  auto kept = std::make_shared<KeptAnswer>();
  kept->head = head;
  kept->size = body.size();
  if (!compress) {
    kept->packed = body;
  } else if (!body.empty()) {
    kept->compressed = true;
    kept->lead = body.substr(0, PageCache::kLeadBytes);
    uLongf packedSize = compressBound(uLong(body.size()));
    kept->packed.resize(packedSize);
    if (compress2(reinterpret_cast<Bytef*>(kept->packed.data()), &packedSize,
                  reinterpret_cast<const Bytef*>(body.data()), uLong(body.size()), 1) != Z_OK)
      return nullptr;
    kept->packed.resize(packedSize);
    kept->packed.shrink_to_fit();
  }
  return kept;
}

std::shared_ptr<const CachedAnswer> Unpack(const KeptAnswer& kept, bool whole) {
  auto answer = std::make_shared<CachedAnswer>();
  answer->head = kept.head;
  if (!whole && kept.size > PageCache::kLeadBytes) {
    answer->body = kept.compressed ? kept.lead : kept.packed.substr(0, PageCache::kLeadBytes);
    answer->skipped = kept.size - answer->body.size();
  } else if (!kept.compressed) {
    answer->body = kept.packed;
  } else if (kept.size > 0) {
    answer->body.resize(kept.size);
    uLongf size = uLongf(kept.size);
    if (uncompress(reinterpret_cast<Bytef*>(answer->body.data()), &size,
                   reinterpret_cast<const Bytef*>(kept.packed.data()), uLong(kept.packed.size())) != Z_OK ||
        size != kept.size)
      return nullptr;
  }
  return answer;
}

}  // namespace

PageCache::Lookup PageCache::Find(const std::string& url, std::optional<WaitingLink> later, bool whole) {
  std::unique_lock lock(m_mutex);
  if (later) {
    if (auto it = m_inFlight.find(url); it != m_inFlight.end()) {
      it->second.push_back(std::move(*later));
      return {Found::Deferred, nullptr};
    }
  } else {
    m_finished.wait(lock, [&] { return !m_inFlight.count(url); });
  }
  if (auto it = m_answers.find(url); it != m_answers.end()) {
    const std::shared_ptr<const KeptAnswer> kept = it->second;
    lock.unlock();
    try {
      if (auto answer = Unpack(*kept, whole)) return {Found::Answer, std::move(answer)};
    } catch (const std::bad_alloc&) {
    }
    lock.lock();
    // Not to be had from memory: fetched again, as if it had never been kept.
    if (auto again = m_inFlight.find(url); again != m_inFlight.end()) {
      if (later) {
        again->second.push_back(std::move(*later));
        return {Found::Deferred, nullptr};
      }
      m_finished.wait(lock, [&] { return !m_inFlight.count(url); });
    }
  }
  m_inFlight.emplace(url, std::vector<WaitingLink>());
  return {Found::Fetch, nullptr};
}

std::vector<WaitingLink> PageCache::Finish(const std::string& url, bool page, const platform::HttpHead& head,
                                          const std::string& body) {
  std::shared_ptr<const KeptAnswer> kept;
  bool compress;
  {
    std::lock_guard guard(m_mutex);
    compress = m_bytes + body.size() > m_plainBytes;
  }
  try {
    if (IsErrorStatus(head.status) && head.status != 0)
      kept = Pack(head, {}, false);
    else if (page && body.size() <= m_maxPageBytes)
      kept = Pack(head, body, compress);
  } catch (const std::bad_alloc&) {
    // Not kept: the page is fetched again when asked for again.
  }
  std::vector<WaitingLink> waiting;
  std::lock_guard guard(m_mutex);
  if (auto it = m_inFlight.find(url); it != m_inFlight.end()) {
    waiting = std::move(it->second);
    m_inFlight.erase(it);
  }
  if (kept) StoreLocked(url, std::move(kept));
  m_finished.notify_all();
  return waiting;
}

bool PageCache::ReadBefore(const std::string& url, const std::string& pageDir) const {
  std::lock_guard guard(m_mutex);
  const auto it = m_readFrom.find(url);
  return it != m_readFrom.end() && it->second.count(pageDir);
}

void PageCache::NoteRead(const std::string& url, const std::string& pageDir) {
  std::lock_guard guard(m_mutex);
  if (m_answers.count(url)) m_readFrom[url].insert(pageDir);
}

void PageCache::StoreLocked(const std::string& url, std::shared_ptr<const KeptAnswer> answer) {
  if (m_answers.count(url)) return;
  const size_t size = answer->packed.size() + url.size() + sizeof(KeptAnswer);
  while (!m_order.empty() && m_bytes + size > m_maxBytes) {
    auto old = m_answers.find(m_order.front());
    m_bytes -= old->second->packed.size() + old->first.size() + sizeof(KeptAnswer);
    m_answers.erase(old);
    m_readFrom.erase(m_order.front());
    m_order.pop_front();
  }
  m_answers.emplace(url, std::move(answer));
  m_order.push_back(url);
  m_bytes += size;
}

}  // namespace engine
