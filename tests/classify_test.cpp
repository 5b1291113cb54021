// What a received file comes to, from values alone.
#include <gtest/gtest.h>

#include "engine/classify.h"

namespace {

using engine::Ending;
using engine::FetchOutcome;
using platform::HttpOutcome;

TEST(Classify, EveryWayAFileCanEnd) {
  struct Case {
    const char* what;
    HttpOutcome http;
    Ending ending;
    bool page;  // a head came that said text/
    int64_t bytes;
    bool stored;  // sent to the store and named there
    const char* storeError;
    FetchOutcome outcome;
    const char* note;
    bool scan, handOver;
  };
  const Case cases[] = {
      {"picture stored", HttpOutcome::Completed, Ending::None, false, 9, true, "", FetchOutcome::Stored, "", false, true},
      {"page read", HttpOutcome::Completed, Ending::None, true, 9, true, "", FetchOutcome::Page, "", true, false},
      {"refused", HttpOutcome::Refused, Ending::Refused, false, 0, false, "", FetchOutcome::Refused, "", false, false},
      {"page cut", HttpOutcome::NetworkError, Ending::None, true, 5, false, "", FetchOutcome::NetworkError,
       "error: reset", true, false},
      {"page cut before a byte", HttpOutcome::NetworkError, Ending::None, true, 0, false, "",
       FetchOutcome::NetworkError, "error: reset", false, false},
      {"cancelled", HttpOutcome::Abandoned, Ending::Cancelled, true, 5, false, "", FetchOutcome::Cancelled, "",
       false, false},
      {"stopped", HttpOutcome::Abandoned, Ending::Stopped, true, 5, false, "", FetchOutcome::Stopped, "", false,
       false},
      {"too large", HttpOutcome::Abandoned, Ending::Dropped, false, 5, false, "", FetchOutcome::Dropped, "", false,
       false},
      {"page too long", HttpOutcome::Abandoned, Ending::PageTooLong, true, 5, false, "", FetchOutcome::Dropped,
       "not scanned: a page larger than 32 MB", false, false},
      {"not writable", HttpOutcome::Abandoned, Ending::NotWritable, false, 5, false, "", FetchOutcome::NotStored,
       "not stored: full", false, false},
      {"no name given", HttpOutcome::Completed, Ending::None, false, 5, false, "taken", FetchOutcome::NotStored,
       "not stored: taken", false, false},
      {"kept page not written", HttpOutcome::Completed, Ending::None, true, 5, false, "taken",
       FetchOutcome::NotStored, "not stored: taken", false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    engine::Received got;
    got.http = c.http;
    got.ending = c.ending;
    got.headSeen = c.http != HttpOutcome::Refused || c.page;
    got.isText = c.page;
    got.bytes = c.bytes;
    got.networkError = "reset";
    got.writeError = "full";
    engine::Verdict v = engine::Classify(got);
    // The store gives a name only to what the verdict sends to it.
    if (*c.storeError) {
      EXPECT_TRUE(v.store);
      engine::StoreFailed(v, c.storeError);
    }
    EXPECT_EQ(v.store, c.stored);
    EXPECT_EQ(v.outcome, c.outcome);
    EXPECT_EQ(v.note, c.note);
    EXPECT_EQ(v.scan, c.scan);
    EXPECT_EQ(v.handOver && c.stored, c.handOver);
  }
}

}  // namespace
