#include "engine/page_context.h"

#include "links/link_mapping.h"

namespace engine {

void PageContext::AddLink(const std::string& link, int kind) {
  const auto added = m_links.AddLink(link, kind);
  if (added && m_switches.showLink && m_logs) m_logs->AppendRun(std::to_string(*added) + ":" + link);
}

void PageContext::ResolveLink(std::string& link, bool root, bool otherSite) const {
  links::ResolveLink(link, root, otherSite, m_pageDir);
}

int PageContext::TestDirectoryLevel(std::string_view resolved, bool root, bool otherSite) const {
  return links::TestDirectoryLevel(resolved, root, otherSite, m_pageDir, m_switches.level);
}

}  // namespace engine
