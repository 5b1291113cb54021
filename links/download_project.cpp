#include "links/download_project.h"

#include <algorithm>

#include "links/ascii.h"

std::optional<int> CDownloadProject::AddLink(const std::string& link, int kind) {
  std::lock_guard guard(m_lock);
  if (!m_lowered.insert(links::AsciiLowered(link)).second) return std::nullopt;
  const uint8_t state = (m_everyLinkNew || kind != 0) ? LINK_NEW : LINK_PREFERRED;
  m_links.push_back(link);
  m_states.push_back(state);
  return int(m_links.size() - 1);
}

void CDownloadProject::ClearLinks() {
  m_links.clear();
  m_states.clear();
  m_lowered.clear();
  m_preferredCursor = 0;
  m_newCursor = 0;
}

void CDownloadProject::AppendLink(std::string link, uint8_t state) {
  m_lowered.insert(links::AsciiLowered(link));
  m_links.push_back(std::move(link));
  m_states.push_back(state);
  NoteState(m_links.size() - 1, state);
}

void CDownloadProject::PutBack(int index) {
  std::lock_guard guard(m_lock);
  if (index < 0 || size_t(index) >= m_states.size()) return;
  m_count -= 1;
  m_states[size_t(index)] = LINK_NEW;
  NoteState(size_t(index), LINK_NEW);
}

void CDownloadProject::NoteState(size_t index, uint8_t state) {
  if (state == LINK_NEW) m_newCursor = std::min(m_newCursor, index);
  if (state == LINK_PREFERRED) m_preferredCursor = std::min(m_preferredCursor, index);
}
