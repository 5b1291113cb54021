#pragma once
// The record of one download project: the link list with its states, the
// count of links taken, and the run's switches read at every project start.
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_set>
#include <vector>

#include "links/link_state.h"

class CDownloadProject {
 public:
  // Quorvash stores every found link as new; Tarvelin takes a kind flag.
  explicit CDownloadProject(bool everyLinkNew = false) : m_everyLinkNew(everyLinkNew) {}
  CDownloadProject(const CDownloadProject&) = delete;
  CDownloadProject& operator=(const CDownloadProject&) = delete;

  // Appends `link` unless an entry equal to it (ASCII case-insensitive, whole
  // string) exists. Kind nonzero: from an anchor (LINK_NEW); zero: an image or
  // an archive (LINK_PREFERRED). Returns the new entry's index, or nothing when
  // the link was listed already. Takes m_lock.
  std::optional<int> AddLink(const std::string& link, int kind);

  // Without the lock: only while no worker runs (project start, load, save).
  void ClearLinks();
  void AppendLink(std::string link, uint8_t state);
  int LinkCount() const { return int(m_links.size()); }

  // A stopped file goes back to LINK_NEW and out of the count. Takes m_lock.
  void PutBack(int index);

  // m_lock guards m_links, m_states, m_count and the choice cursors below.
  std::vector<std::string> m_links;
  std::vector<uint8_t> m_states;
  std::string m_host;
  // How same-site requests reach m_host: the start address's scheme and port.
  bool m_secure = false;
  int m_port = 80;
  int32_t m_count = 0;
  int32_t m_maxCount = 0;
  int32_t m_rangeFrom = 0;
  int32_t m_rangeTo = 0;
  int32_t m_text = 0;
  int32_t m_image = 0;
  int32_t m_others = 0;
  int32_t m_showLink = 0;
  int32_t m_showThread = 0;
  mutable std::mutex m_lock;
  int32_t m_fileSizeKB = 0;
  std::string m_startPagePath;
  int32_t m_level = 0;
  int32_t m_diffRoot = 0;

  // Where the walks for a preferred and for a new link may start: no entry
  // below them holds that state. Keeps a choice from re-walking taken links.
  size_t m_preferredCursor = 0;
  size_t m_newCursor = 0;

 private:
  void NoteState(size_t index, uint8_t state);

  bool m_everyLinkNew;
  // ASCII-lowercased copies of every listed link, for the duplicate test.
  std::unordered_set<std::string> m_lowered;
};
