#include "engine/link_choice.h"

namespace {

Choice Walk(CDownloadProject& p, uint8_t wanted, size_t& cursor, int& chosen) {
  const size_t count = p.m_states.size();
  for (size_t i = cursor; i < count; ++i) {
    if (p.m_states[i] != wanted) continue;
    p.m_states[i] = LINK_TAKEN;
    cursor = i + 1;
    if (p.m_rangeFrom > 0 && i > 0 && i < size_t(p.m_rangeFrom)) continue;
    if (p.m_rangeTo > 0 && i > size_t(p.m_rangeTo)) return Choice::EndWorker;
    chosen = int(i);
    return Choice::Chosen;
  }
  cursor = count;
  return Choice::Nothing;
}

}  // namespace

Choice ChooseLink(CDownloadProject& project, bool preferredPass, int& chosen) {
  if (preferredPass) {
    const Choice first = Walk(project, LINK_PREFERRED, project.m_preferredCursor, chosen);
    if (first != Choice::Nothing) return first;
  }
  return Walk(project, LINK_NEW, project.m_newCursor, chosen);
}
