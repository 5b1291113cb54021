#pragma once
// Receives one address: filters the answer by status, length and type, keeps
// a text page in memory, streams any file to be stored into the project
// folder as it arrives, moves the worker's progress row, captures the page
// title, and watches Cancel and Stop. What arrived comes back as one value.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "engine/file_store.h"
#include "engine/page_cache.h"
#include "engine/part_files.h"
#include "engine/program.h"
#include "engine/run_logs.h"
#include "engine/run_signals.h"
#include "engine/run_switches.h"
#include "engine/worker_rows.h"
#include "platform/http_client.h"

namespace engine {

// The longest text page kept to be scanned.
inline constexpr int64_t kMaxPageBytes = int64_t(32) << 20;

class Politeness;

// What is taken and what is kept, fixed for a run once its project has started.
struct ReceiveRules {
  int64_t fileSizeLimit = 0;    // bytes; 0: any size
  bool storesPages = false;     // text pages are stored, not only scanned
  bool onlyPictures = false;    // besides the pages
  bool noPictures = false;
};
ReceiveRules ReceiveRulesFor(const Program& program, const RunSwitches& switches);

// What every answer of a run is received with.
struct Receiving {
  ReceiveRules rules;
  RunLogs& logs;               // page titles
  FileStore* store = nullptr;  // none: nothing is stored
  Politeness* polite = nullptr;  // the run's rate; none: no rate
};

// One worker's own part of the run: its progress row, its Cancel, and Stop.
struct WorkerLane {
  int worker = 0;
  WorkerRows& rows;
  RunSignals& signals;
};

// Why receiving ended before the body's end, if it did.
enum class Ending {
  None,         // read to its end, or cut by the network
  Refused,      // status, announced length or content type
  Cancelled,
  Stopped,
  Dropped,      // more than "file size" allows
  PageTooLong,  // a text page beyond kMaxPageBytes
  NotWritable,  // the file to be stored could not be written
};

// What one request (or one kept answer gone through again) brought.
struct Received {
  platform::HttpOutcome http = platform::HttpOutcome::NoRequest;
  Ending ending = Ending::None;
  platform::HttpHead head;
  bool headSeen = false;
  bool isText = true;  // as the head said; true until a head came
  int64_t bytes = 0;
  uint64_t startTick = 0;  // the moment of the answer
  std::string body;        // a text page only
  std::unique_ptr<PendingFile> file;  // the file being stored, if any: the whole body
  std::string writeError;             // why the file could not be written
  std::string networkError;
  bool transientError = false;  // the network error may pass: a reset, a time-out, a body cut short
  int64_t resumedFrom = 0;      // where a continued part began; 0 for a whole body
  bool partDropped = false;     // the server had nothing after the part kept: ask again for all
  bool readBefore = false;      // a kept page already read from this folder: not read again

  bool IsPage() const { return headSeen && isText; }
};

// A wait between tries that Stop or a press of Cancel ended: the file ends
// as they end it.
void Interrupted(Received& got, const RunSignals& signals, int worker, uint64_t cancelsSeen);

class FileFetcher : private platform::HttpReceiver {
 public:
  // `cancelsSeen`: the worker's Cancel count when its file began.
  // `requestUrl` names the part a cut body is kept in; none: nothing is kept.
  FileFetcher(const Receiving& receiving, const WorkerLane& lane, uint64_t cancelsSeen, std::string requestUrl = {})
      : m_in(receiving), m_lane(lane), m_cancelsSeen(cancelsSeen), m_url(std::move(requestUrl)) {}

  Received Fetch(platform::HttpSession& session, const platform::HttpTarget& target);
  // Goes through a kept answer as if it came from the network.
  Received Replay(const CachedAnswer& answer);

 private:
  bool OnHead(const platform::HttpHead& head) override;
  bool OnChunk(const char* data, size_t size) override;
  bool ShouldAbort() override;
  bool WillStore() const;
  std::unique_ptr<PendingFile> BeginFile(const platform::HttpHead& head);
  void CaptureTitle(std::string_view firstChunk);

  const Receiving& m_in;
  const WorkerLane m_lane;
  const uint64_t m_cancelsSeen;
  const std::string m_url;
  std::optional<KeptPart> m_part;  // asked to be continued
  int64_t m_announced = 0;
  Received m_got;
};

uint64_t TickMs();

}  // namespace engine
