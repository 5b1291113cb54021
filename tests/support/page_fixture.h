#pragma once
// A link list, the run's switches and a recording view: what a page handler
// works with, for tests of the scanner and the result-page reader.
#include <string>
#include <vector>

#include "engine/page_context.h"
#include "links/link_list.h"
#include "tests/support/recording_view.h"

struct PageFixture {
  explicit PageFixture(bool quorvash = false) : links(quorvash) {
    site.host = "thishost";
    switches.image = !quorvash;
    switches.diffRoot = !quorvash;
  }
  engine::PageContext Page(const std::string& pageDir = "") {
    return engine::PageContext(links, switches, site, pageDir, &logs,
                               [this](engine::Question q, const std::string& text) { return view.Ask(q, text); });
  }
  std::vector<std::string> Links() const { return links.Copy().links; }
  std::vector<links::LinkState> States() const { return links.Copy().states; }

  links::LinkList links;
  engine::RunSwitches switches;
  engine::Site site;
  engine::RunLogs logs;
  RecordingView view;
};
