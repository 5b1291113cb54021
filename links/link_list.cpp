#include "links/link_list.h"

#include <algorithm>
#include <climits>

#include "links/ascii.h"

namespace links {

std::optional<int> LinkList::AddLink(const std::string& link, int kind) {
  // Made before the lock: five workers add the links of their pages at once.
  std::string lowered = AsciiLowered(link);
  std::lock_guard guard(m_lock);
  if (!m_lowered.insert(std::move(lowered)).second) return std::nullopt;
  const LinkState state = (m_everyLinkNew || kind != 0) ? LinkState::New : LinkState::Preferred;
  m_links.push_back(link);
  m_states.push_back(state);
  return int(m_links.size() - 1);
}

void LinkList::Reset() {
  std::lock_guard guard(m_lock);
  m_links.clear();
  m_states.clear();
  m_lowered.clear();
  m_inFlight.clear();
  m_retry.clear();
  m_count = 0;
  m_preferredCursor = 0;
  m_newCursor = 0;
}

void LinkList::Append(std::string link, LinkState state) {
  std::lock_guard guard(m_lock);
  m_lowered.insert(AsciiLowered(link));
  m_links.push_back(std::move(link));
  m_states.push_back(state);
  NoteState(m_links.size() - 1, state);
}

void LinkList::SetCount(int32_t count) {
  std::lock_guard guard(m_lock);
  m_count = count;
}

void LinkList::Load(const ProjectRecord& record) {
  Reset();
  for (size_t i = 0; i < record.links.size(); ++i) Append(record.links[i], record.states[i]);
  SetCount(record.count);
}

TakeResult LinkList::Walk(LinkState wanted, size_t& cursor, const ChoiceRules& rules, int& chosen) {
  const size_t size = m_states.size();
  for (size_t i = cursor; i < size; ++i) {
    if (m_states[i] != wanted) continue;
    m_states[i] = LinkState::Taken;
    cursor = i + 1;
    if (rules.rangeFrom > 0 && i > 0 && i < size_t(rules.rangeFrom)) continue;
    if (rules.rangeTo > 0 && i > size_t(rules.rangeTo)) return TakeResult::EndWorker;
    chosen = int(i);
    return TakeResult::Taken;
  }
  cursor = size;
  return TakeResult::Nothing;
}

TakeResult LinkList::TakeNext(const ChoiceRules& rules, TakenLink& taken,
                              const std::function<void()>& onTaken) {
  std::lock_guard guard(m_lock);
  if (rules.maxCount > 0 && m_count >= rules.maxCount) return TakeResult::EndWorker;
  int chosen = -1;
  LinkState before = LinkState::New;
  TakeResult result = TakeResult::Nothing;
  if (rules.preferredFirst) {
    result = Walk(LinkState::Preferred, m_preferredCursor, rules, chosen);
    before = LinkState::Preferred;
  }
  if (result == TakeResult::Nothing) {
    result = Walk(LinkState::New, m_newCursor, rules, chosen);
    before = LinkState::New;
  }
  if (result != TakeResult::Taken) return result;
  if (m_count < INT32_MAX) m_count += 1;  // a count read from a file may stand at the top already
  m_inFlight[chosen] = before;
  taken.index = chosen;
  taken.link = m_links[size_t(chosen)];
  if (onTaken) onTaken();
  return TakeResult::Taken;
}

void LinkList::PutBack(int index) {
  std::lock_guard guard(m_lock);
  if (index < 0 || size_t(index) >= m_states.size()) return;
  m_inFlight.erase(index);
  m_count -= 1;
  m_states[size_t(index)] = LinkState::New;
  NoteState(size_t(index), LinkState::New);
}

void LinkList::Finish(int index, bool retryNextRun) {
  std::lock_guard guard(m_lock);
  m_inFlight.erase(index);
  if (retryNextRun) m_retry.insert(index);
}

ProjectRecord LinkList::RecordForSaving() const {
  std::lock_guard guard(m_lock);
  ProjectRecord record{m_count, m_links, m_states};
  for (const auto& [index, before] : m_inFlight) {
    record.states[size_t(index)] = before;
    record.count -= 1;
  }
  for (const int index : m_retry) {
    record.states[size_t(index)] = LinkState::New;
    record.count -= 1;
  }
  return record;
}

ProjectRecord LinkList::Copy() const {
  std::lock_guard guard(m_lock);
  return {m_count, m_links, m_states};
}

int LinkList::Size() const {
  std::lock_guard guard(m_lock);
  return int(m_links.size());
}

int LinkList::Waiting() const {
  std::lock_guard guard(m_lock);
  return int(std::count_if(m_states.begin(), m_states.end(), [](LinkState s) { return s != LinkState::Taken; }));
}

int32_t LinkList::Count() const {
  std::lock_guard guard(m_lock);
  return m_count;
}

void LinkList::NoteState(size_t index, LinkState state) {
  if (state == LinkState::New) m_newCursor = std::min(m_newCursor, index);
  if (state == LinkState::Preferred) m_preferredCursor = std::min(m_preferredCursor, index);
}

}  // namespace links
