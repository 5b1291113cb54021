#pragma once
// The link list of a download project: every link found, its state, and the
// count of links taken, under one lock. Five workers take links from it and
// add the links their pages show.
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "links/link_state.h"

namespace links {

// The limits a worker's choice obeys; 0 or less means none.
struct ChoiceRules {
  int32_t maxCount = 0;
  int32_t rangeFrom = 0;
  int32_t rangeTo = 0;
  bool preferredFirst = true;  // Tarvelin walks preferred links first
};

enum class TakeResult { Taken, Nothing, EndWorker };

struct TakenLink {
  int index = -1;
  std::string link;
};

// What "project.cfg" holds.
struct ProjectRecord {
  int32_t count = 0;
  std::vector<std::string> links;
  std::vector<LinkState> states;
};

class LinkList {
 public:
  // Quorvash stores every found link as new; Tarvelin takes a kind flag.
  explicit LinkList(bool everyLinkNew = false) : m_everyLinkNew(everyLinkNew) {}
  LinkList(const LinkList&) = delete;
  LinkList& operator=(const LinkList&) = delete;

  // `AddLink`: appends `link` unless an entry equal to it (ASCII
  // case-insensitive, whole string) exists. Kind nonzero: from an anchor
  // (new); zero: an image or an archive (preferred). Returns the new entry's
  // index, or nothing when the link was listed already.
  std::optional<int> AddLink(const std::string& link, int kind);

  // A new project: no links, count 0.
  void Reset();
  // Loads one link of a project file.
  void Append(std::string link, LinkState state);
  void SetCount(int32_t count);
  void Load(const ProjectRecord& record);

  // A worker's choice: the preferred link with the lowest index, else the new
  // link with the lowest index, within the rules. A link below "RangeFrom" is
  // marked taken and passed over; a link past "RangeTo" ends the worker.
  // `onTaken` runs under the lock once a link is taken, so what it marks
  // (the worker's idle signal) changes together with the list.
  TakeResult TakeNext(const ChoiceRules& rules, TakenLink& taken, const std::function<void()>& onTaken);
  // A stopped file goes back to new and out of the count.
  void PutBack(int index);
  // A taken link's file is done. With `retryNextRun` it stays taken in this
  // run but is saved as new, so a later run tries it once more.
  void Finish(int index, bool retryNextRun);

  // The list as a project file should record it now: links still being
  // fetched keep the state they had before they were taken, and links to
  // retry are new; neither is counted.
  ProjectRecord RecordForSaving() const;
  // The list exactly as it stands.
  ProjectRecord Copy() const;

  int Size() const;
  // Links found and not yet taken.
  int Waiting() const;
  int32_t Count() const;

 private:
  TakeResult Walk(LinkState wanted, size_t& cursor, const ChoiceRules& rules, int& chosen);
  void NoteState(size_t index, LinkState state);

  const bool m_everyLinkNew;
  mutable std::mutex m_lock;  // guards everything below
  std::vector<std::string> m_links;
  std::vector<LinkState> m_states;
  int32_t m_count = 0;
  // ASCII-lowercased copies of every listed link, for the duplicate test.
  std::unordered_set<std::string> m_lowered;
  // Where the walks for a preferred and for a new link may start: no entry
  // below them holds that state, so a choice never re-walks taken links.
  size_t m_preferredCursor = 0;
  size_t m_newCursor = 0;
  // Links taken and not yet finished, with the state they had before.
  std::unordered_map<int, LinkState> m_inFlight;
  std::unordered_set<int> m_retry;
};

}  // namespace links
