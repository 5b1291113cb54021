#pragma once
// What a received file comes to, decided from values alone: the request's
// outcome, how receiving ended, and what the store made of it.
#include <string>

#include "engine/fetch_outcome.h"
#include "engine/file_fetcher.h"
#include "engine/file_store.h"

namespace engine {

struct Verdict {
  FetchOutcome outcome = FetchOutcome::Refused;
  std::string note;        // a line of its own after the closing line, if any
  std::string storeError;  // with NotStored: why
  bool scan = false;       // the body goes to the page handler
  bool handOver = false;   // a stored file that is no text page: to the view
};

Verdict Classify(const Received& received, const StoreResult& stored);

}  // namespace engine
