#include "engine/classify.h"

namespace engine {

Verdict Classify(const Received& r, const StoreResult& stored) {
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
  } else if (r.ending == Ending::NotWritable || (!stored.stored && !stored.error.empty())) {
    v.outcome = FetchOutcome::NotStored;
    v.storeError = stored.error.empty() ? r.writeError : stored.error;
    v.note = "not stored: " + v.storeError;
  } else if (completed) {
    v.outcome = r.IsPage() ? FetchOutcome::Page : FetchOutcome::Stored;
  }
  // A page cut short is still scanned for what it holds.
  const bool body = completed || (cut && r.bytes > 0);
  v.scan = body && r.IsPage() && r.ending != Ending::Cancelled && r.ending != Ending::Stopped &&
           r.ending != Ending::PageTooLong && v.outcome != FetchOutcome::NotStored;
  v.handOver = stored.stored && !r.IsPage();
  return v;
}

}  // namespace engine
