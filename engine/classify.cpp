#include "engine/classify.h"

namespace engine {

Verdict Classify(const Received& r) {
  using platform::HttpOutcome;
  const bool completed = r.http == HttpOutcome::Completed;
  const bool cut = r.http == HttpOutcome::NetworkError;
  Verdict v;
  if (cut) {
    v.outcome = FetchOutcome::NetworkError;
    v.note = "error: " + r.networkError;
  } else if (r.ending == Ending::Cancelled) {
    v.outcome = FetchOutcome::Cancelled;
  } else if (r.ending == Ending::Stopped) {
    v.outcome = FetchOutcome::Stopped;
  } else if (r.ending == Ending::Dropped) {
    v.outcome = FetchOutcome::Dropped;
  } else if (r.ending == Ending::PageTooLong) {
    v.outcome = FetchOutcome::Dropped;
    v.note = "not scanned: a page larger than 32 MB";
  } else if (r.ending == Ending::NotWritable) {
    StoreFailed(v, r.writeError);
    return v;
  } else if (completed) {
    v.outcome = r.IsPage() ? FetchOutcome::Page : FetchOutcome::Stored;
    v.store = true;
    v.handOver = !r.IsPage();
  }
  // A page cut short is still scanned for what it holds.
  const bool body = completed || (cut && r.bytes > 0);
  v.scan = body && r.IsPage() && r.ending != Ending::Cancelled && r.ending != Ending::Stopped &&
           r.ending != Ending::PageTooLong;
  return v;
}

void StoreFailed(Verdict& v, const std::string& error) {
  v.outcome = FetchOutcome::NotStored;
  v.storeError = error;
  v.note = "not stored: " + error;
  v.store = v.scan = v.handOver = false;
}

}  // namespace engine
