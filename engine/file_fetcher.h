#pragma once
// Receives one address: filters the answer by status, length and type, keeps
// a text page in memory, streams any file to be stored into the project
// folder as it arrives, moves the worker's progress row, captures the page
// title, and watches Cancel and Stop.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "engine/file_store.h"
#include "engine/page_cache.h"
#include "engine/part_files.h"
#include "engine/run_context.h"
#include "platform/http_client.h"

namespace engine {

// The longest text page kept to be scanned.
inline constexpr int64_t kMaxPageBytes = int64_t(32) << 20;

class FileFetcher : private platform::HttpReceiver {
 public:
  enum class Ending {
    None,         // read to its end, or cut by the network
    Refused,      // status, announced length or content type
    Cancelled,
    Stopped,
    Dropped,      // more than "file size" allows
    PageTooLong,  // a text page beyond kMaxPageBytes
    NotWritable,  // the file to be stored could not be written
  };

  // `requestUrl` names the part a cut body is kept in; none: nothing is kept.
  FileFetcher(const RunContext& run, int worker, std::string requestUrl = {})
      : m_run(run), m_worker(worker), m_url(std::move(requestUrl)) {}

  platform::HttpOutcome Fetch(platform::HttpSession& session, const platform::HttpTarget& target);
  // Goes through a kept answer as if it came from the network.
  platform::HttpOutcome Replay(const CachedAnswer& answer);

  Ending ending() const { return m_ending; }
  // A wait between tries ended by Stop or Cancel.
  void Interrupted();
  // Where a continued part began; 0 for a whole body.
  int64_t ResumedFrom() const { return m_resumedFrom; }
  const platform::HttpHead& Head() const { return m_head; }
  bool IsText() const { return m_isText; }
  bool HeadSeen() const { return m_headSeen; }
  std::string& Body() { return m_body; }
  int64_t Received() const { return m_received; }
  uint64_t StartTick() const { return m_startTick; }
  // The file being stored, if any; its bytes are the whole body.
  std::unique_ptr<PendingFile>& File() { return m_file; }
  const std::string& StoreError() const { return m_storeError; }

 private:
  bool OnHead(const platform::HttpHead& head) override;
  bool OnChunk(const char* data, size_t size) override;
  bool ShouldAbort() override;
  bool WillStore() const;
  std::unique_ptr<PendingFile> BeginFile(const platform::HttpHead& head);
  void CaptureTitle(std::string_view firstChunk);

  const RunContext& m_run;
  const int m_worker;
  const std::string m_url;
  std::optional<KeptPart> m_part;  // asked to be continued
  int64_t m_resumedFrom = 0;
  platform::HttpHead m_head;
  bool m_headSeen = false;
  bool m_isText = true;
  int64_t m_announced = 0;
  int64_t m_received = 0;
  uint64_t m_startTick = 0;
  std::string m_body;  // a text page only
  std::unique_ptr<PendingFile> m_file;
  std::string m_storeError;
  Ending m_ending = Ending::None;
};

uint64_t TickMs();

}  // namespace engine
