#pragma once
// `FetchFile`: what a worker does with one link of the list, from the
// opening log line to the stored file, the scanned page and the thumbnail.
#include <string>

#include "engine/run_context.h"
#include "platform/http_client.h"

namespace engine {

enum class FetchOutcome {
  BadOtherSiteAddress,  // an other-site address that cannot be split: nothing logged
  NoRequest,            // no request could be made: no closing line
  Refused,              // status, announced length or content type
  NetworkError,         // cut by the network; saved as new for a later run
  Cancelled,
  Stopped,              // back to new
  Dropped,              // larger than "file size" allows, or a page too long to scan
  NotStored,            // arrived whole, could not be written; saved as new
  Page,                 // a text page, handed to the page handler
  Stored,               // a file stored in the project folder
  Deferred,             // another worker fetches the same address and finishes this link too
  RobotsRefused,        // robots.txt refuses it: done, not fetched
};

// Worker `worker` fetches link `index` of the list with its session.
FetchOutcome FetchFile(const RunContext& run, int worker, platform::HttpSession& session,
                       const std::string& link, int index);

}  // namespace engine
