#pragma once
// What a page handler may do with the page it reads: add links, resolve them
// against the page, test the directory level, and ask the user.
#include <functional>
#include <string>
#include <string_view>

#include "engine/engine_view.h"
#include "engine/run_logs.h"
#include "engine/run_switches.h"
#include "links/link_list.h"

namespace engine {

class PageContext {
 public:
  using AskFunction = std::function<bool(Question, const std::string&)>;

  PageContext(links::LinkList& links, const RunSwitches& switches, const Site& site, std::string pageDir,
              RunLogs* logs = nullptr, AskFunction ask = {})
      : m_links(links), m_switches(switches), m_site(site), m_pageDir(std::move(pageDir)), m_logs(logs),
        m_ask(std::move(ask)) {}

  // `AddLink` in its stored form (kind: 1 anchor, 0 image or archive;
  // Quorvash ignores it), logged with "show link".
  void AddLink(const std::string& link, int kind = 1);
  // `ResolveLink`: brings a link value into its stored form for this page.
  void ResolveLink(std::string& link, bool root, bool otherSite) const;
  // `MapLink` in link mode: 0 when the resolved link is inside the directory
  // level, 1 or 2 when outside.
  int TestDirectoryLevel(std::string_view resolved, bool root, bool otherSite) const;
  // Asked while a page is read, at least every 64 KB: whether Stop or this
  // worker's Cancel came, so that reading ends early. Once it has said yes
  // the page counts as cut.
  void SetStopCheck(std::function<bool()> check) { m_stopCheck = std::move(check); }
  bool ShouldStop() {
    if (!m_cut && m_stopCheck && m_stopCheck()) m_cut = true;
    return m_cut;
  }
  bool Cut() const { return m_cut; }
  // A question to the user; No while the program is leaving.
  bool Ask(Question question, const std::string& text) const { return m_ask && m_ask(question, text); }

  const RunSwitches& Switches() const { return m_switches; }
  const Site& StartSite() const { return m_site; }

 private:
  links::LinkList& m_links;
  const RunSwitches& m_switches;
  const Site& m_site;
  const std::string m_pageDir;
  RunLogs* m_logs;
  AskFunction m_ask;
  std::function<bool()> m_stopCheck;
  bool m_cut = false;
};

}  // namespace engine
