#pragma once
// What a received file comes to, decided from values alone: the request's
// outcome and how receiving ended. The store comes after and can only turn
// a whole body into NotStored.
#include <string>

#include "engine/fetch_outcome.h"
#include "engine/file_fetcher.h"

namespace engine {

struct Verdict {
  FetchOutcome outcome = FetchOutcome::Refused;
  std::string note;        // a line of its own after the closing line, if any
  std::string storeError;  // with NotStored: why
  bool store = false;      // a whole body: it gets its name, if it is kept at all
  bool scan = false;       // the body goes to the page handler
  bool handOver = false;   // no text page: to the view once it is stored
};

Verdict Classify(const Received& received);

// A whole body the store could not name: new again for a later run, not scanned.
void StoreFailed(Verdict& verdict, const std::string& error);

}  // namespace engine
