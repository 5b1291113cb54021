#pragma once
// What became of one link a worker fetched.

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

}  // namespace engine
