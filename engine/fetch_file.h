#pragma once
// `FetchFile`: what a worker does with one link of the list, from the
// opening log line to the stored file, the scanned page and the thumbnail.
// The way through: FileFetcher receives, Classify decides, then the file is
// logged, scanned, handed over and settled in the list.
#include <string>

#include "engine/fetch_outcome.h"
#include "engine/file_fetcher.h"
#include "engine/page_cache.h"
#include "engine/run_hand_off.h"
#include "engine/run_tallies.h"
#include "links/link_list.h"
#include "platform/http_client.h"

namespace engine {

// What the files of a run are fetched with, fixed once its project has
// started; the five workers share it.
struct Fetching {
  Receiving receiving;
  const RunSwitches& switches;  // the page handlers read them
  const Site& site;
  PageHandler* pageHandler = nullptr;  // none: pages are not scanned
  StoredNames storedNames = StoredNames::BareName;
  bool keepsPictureHost = false;
  links::LinkList& links;
  RunTallies& tallies;
  const RunHandOff& view;
  PageCache* pages = nullptr;  // none: every request goes to the network
};

// Everything but the politeness, which the workers bring.
Fetching FetchingFor(const Program& program, const RunSwitches& switches, const Site& site, RunLogs& logs,
                     FileStore& store, links::LinkList& links, RunTallies& tallies, const RunHandOff& view,
                     PageCache* pages);

// The worker of `lane` fetches link `index` of the list with its session,
// then finishes the links other workers left to it meanwhile.
FetchOutcome FetchFile(const Fetching& run, const WorkerLane& lane, platform::HttpSession& session,
                       const std::string& link, int index);

}  // namespace engine
