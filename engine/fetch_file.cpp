#include "engine/fetch_file.h"

#include <deque>
#include <optional>

#include <chrono>
#include <ctime>

#include "engine/classify.h"
#include "engine/file_fetcher.h"
#include "engine/page_context.h"
#include "engine/polite_fetch.h"
#include "engine/retry_policy.h"
#include "links/address.h"
#include "links/ascii.h"
#include "links/link_mapping.h"
#include "platform/picture_decoder.h"

namespace engine {

namespace {

void Log(const Fetching& run, std::string line) { run.receiving.logs.AppendRun(std::move(line)); }

// One link on its way, from the moment its opening line is written.
struct FileJob {
  std::string link;
  int index = 0;
  platform::HttpTarget target;
  std::string shown;          // stands for the address in the logs and the page directory
  std::string otherSiteName;  // file name of an other-site address
  std::string otherHost;
  std::string pageDir;
  std::string requestUrl;
};

std::string ClosingLine(int index, int64_t bytes, uint64_t seconds) {
  return "-------------" + std::to_string(index) + ":(" + std::to_string(bytes) + " bytes, " +
         std::to_string(seconds) + " seconds)----------";
}

std::string NoteLine(int index, const std::string& note) {
  return "-------------" + std::to_string(index) + ":" + note;
}

// Nothing when an other-site address cannot be split.
std::optional<FileJob> MakeJob(const Fetching& run, const std::string& link, int index) {
  FileJob job;
  job.link = link;
  job.index = index;
  job.shown = link;
  const size_t marker = link.find(links::kOtherSiteMarker);
  if (marker != std::string::npos) {
    const std::string full = link.substr(marker + 1);
    const auto parsed = links::SplitAddress(full);
    // Only web addresses are fetched: "ftp://" would otherwise go out as HTTP.
    if (!parsed || !links::IsWebScheme(parsed->scheme)) return std::nullopt;
    job.target = {parsed->secure, parsed->host, parsed->port, parsed->object};
    // With its port, so that the site can be crawled from the picture.
    const bool ownPort = parsed->port == (parsed->secure ? 443 : 80);
    job.otherHost = parsed->host.find(':') != std::string::npos ? "[" + parsed->host + "]" : parsed->host;
    if (!ownPort) job.otherHost += ":" + std::to_string(parsed->port);
    job.shown = parsed->object;
    job.otherSiteName = full.substr(full.rfind('/') + 1);
  } else {
    job.target = {run.site.secure, run.site.host, run.site.port, "/" + link};
  }
  const size_t slash = job.shown.rfind('/');
  job.pageDir = slash == std::string::npos ? std::string() : job.shown.substr(0, slash);
  job.requestUrl = platform::RequestUrl(job.target);  // also names a part kept for later
  return job;
}

FetchOutcome Settle(const Fetching& run, int index, FetchOutcome outcome) {
  if (outcome == FetchOutcome::Stopped)
    run.links.PutBack(index);
  else
    run.links.Finish(index, outcome == FetchOutcome::NetworkError || outcome == FetchOutcome::NotStored);
  run.tallies.FileFinished();
  return outcome;
}

// A whole body gets its name; a store that cannot give one makes the file NotStored.
StoreResult Store(const Fetching& run, const FileJob& job, Received& got, Verdict& verdict) {
  StoreResult stored;
  if (verdict.store && got.file) {
    std::string localPath = links::MapLocalPath(job.otherSiteName.empty() ? job.shown : job.otherSiteName,
                                                got.IsPage());
    if (run.storedNames == StoredNames::BareName) localPath = localPath.substr(localPath.rfind('/') + 1);
    stored = run.receiving.store->Commit(*got.file, localPath);
    if (!stored.stored) StoreFailed(verdict, stored.error);
  }
  got.file.reset();  // a file not given a name is gone with it
  return stored;
}

// Received, then classified, then stored: the store never sends a file back
// to be classified again.
FetchOutcome Finish(const Fetching& run, const WorkerLane& lane, const FileJob& job, Received got) {
  Verdict verdict = Classify(got);
  const StoreResult stored = Store(run, job, got, verdict);
  FetchOutcome outcome = verdict.outcome;

  lane.rows.Fill(lane.worker);
  const int64_t bytes = got.ending == Ending::Dropped ? 0 : got.bytes;
  Log(run, ClosingLine(job.index, bytes, (TickMs() - got.startTick) / 1000));
  if (!verdict.note.empty()) Log(run, NoteLine(job.index, verdict.note));
  // Kept all the same: a decoder installed later may read it. Only the header
  // is read, so this says the format is unknown, not that the body is sound.
  std::optional<std::pair<int, int>> headerSize;
  if (verdict.handOver && stored.stored && run.switches.modernPages &&
      links::StartsWithNoCase(got.head.contentType, "image/")) {
    const QSize size = platform::ProbePicture(run.receiving.store->Folder() / stored.name, stored.head, stored.size);
    headerSize = std::pair(size.width(), size.height());
    if (!size.isValid()) Log(run, NoteLine(job.index, "stored, but no installed picture decoder reads it"));
  }
  if (verdict.outcome == FetchOutcome::NotStored) {
    run.tallies.StoreFailed(verdict.storeError);
    // A full or read-only disk takes nothing more: stop as Stop does, so the
    // links not yet fetched stay for a later run.
    if (run.receiving.store->DiskError()) lane.signals.SetStop();
  }
  if (job.index == 0 && job.otherSiteName.empty()) {
    if (got.http == platform::HttpOutcome::NetworkError)
      run.tallies.StartFailed(StartAddressFailure::Unreachable, got.networkError);
    else if (got.headSeen && IsErrorStatus(got.head.status))
      run.tallies.StartFailed(StartAddressFailure::ErrorAnswer, "HTTP " + std::to_string(got.head.status));
  }
  if (verdict.scan && run.pageHandler && !got.readBefore) {
    PageContext page(run.links, run.switches, run.site, job.pageDir, &run.receiving.logs,
                     [&run](Question q, const std::string& text) { return run.view.Ask(q, text); });
    // A Cancel counts from here: one given while the file arrived has cut it already.
    const uint64_t cancels = lane.signals.Cancels(lane.worker);
    page.SetStopCheck(
        [&lane, cancels] { return lane.signals.StopSet() || lane.signals.Cancels(lane.worker) != cancels; });
    run.pageHandler->HandlePage(page, std::string_view(got.body.c_str()));
    // A page read only in part is read again by a later run.
    if (page.Cut())
      outcome = lane.signals.StopSet() ? FetchOutcome::Stopped : FetchOutcome::Cancelled;
    else if (run.pages)
      run.pages->NoteRead(job.requestUrl, job.pageDir);
  }
  std::string().swap(got.body);
  if (verdict.handOver && stored.stored) {
    run.view.AddPicture({stored.name, run.receiving.store->Folder() / stored.name,
                         run.keepsPictureHost ? job.otherHost : std::string(), headerSize});
  }
  return Settle(run, job.index, outcome);
}

// Sends the request in the host's turn, and again, a few times, after an
// answer that says "later" or a failure that may pass; each try is a log
// line. Stop and Cancel end every wait at once.
Received FetchWithTries(const Fetching& run, const WorkerLane& lane, platform::HttpSession& session,
                        const FileJob& job, uint64_t cancels) {
  Politeness* const polite = run.receiving.polite;
  RetryPolicy retries;
  for (;;) {
    if (polite && !polite->AwaitTurn(job.target, lane.signals, lane.worker, cancels)) {
      Received got;
      got.startTick = TickMs();
      Interrupted(got, lane.signals, lane.worker, cancels);
      return got;
    }
    run.tallies.counters.requests.fetch_add(1);
    Received got = FileFetcher(run.receiving, lane, cancels, job.requestUrl).Fetch(session, job.target);
    if (got.resumedFrom > 0) Log(run, NoteLine(job.index, "continued from byte " + std::to_string(got.resumedFrom)));
    if (got.partDropped) continue;  // at most once: the part is gone now
    const bool failed = got.http == platform::HttpOutcome::NetworkError;
    const bool refusedAnswer = got.http == platform::HttpOutcome::Refused && got.ending == Ending::Refused;
    if (!failed && !refusedAnswer) return got;
    const long status = got.headSeen && !failed ? got.head.status : 0;
    const RetryPolicy::Verdict next = retries.After(status, got.head.retryAfter, failed && got.transientError,
                                                    got.networkError, std::time(nullptr));
    if (!next.again) return got;
    run.tallies.counters.retries.fetch_add(1);
    // The whole host waits, not only this file: the other workers go on with other hosts.
    if (polite && (status == 429 || status == 503)) polite->Later(job.target, int(next.delayMs));
    Log(run, NoteLine(job.index, next.why + ": try " + std::to_string(next.tryNumber) + " of " +
                                    std::to_string(next.tries) + " in " + std::to_string(next.delayMs / 1000) + " s"));
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(next.delayMs);
    if (!lane.signals.WaitUntil(lane.worker, cancels, until)) {
      Interrupted(got, lane.signals, lane.worker, cancels);
      return got;
    }
  }
}

// Receives the job's address (from memory when it was kept), classifies and
// stores. Links that others left to this worker meanwhile join `waiting`.
FetchOutcome Receive(const Fetching& run, const WorkerLane& lane, platform::HttpSession& session,
                     const FileJob& job, std::deque<WaitingLink>& waiting) {
  const uint64_t cancels = lane.signals.Cancels(lane.worker);
  // robots.txt: a refused link is done without a request.
  Politeness* const polite = run.receiving.polite;
  if (polite && !polite->Allows(session, job.target, lane.signals)) {
    lane.rows.Fill(lane.worker);
    Log(run, NoteLine(job.index, "not fetched: robots.txt refuses it"));
    run.tallies.counters.robotsRefused.fetch_add(1);
    return Settle(run, job.index, FetchOutcome::RobotsRefused);
  }
  FileFetcher fetcher(run.receiving, lane, cancels);
  Received got;
  if (run.pages) {
    // A page read before from this folder is not read again: its first bytes
    // (the title) and its length are all it takes, unless pages are stored.
    const bool readBefore = run.pages->ReadBefore(job.requestUrl, job.pageDir);
    const PageCache::Lookup found = run.pages->Find(job.requestUrl, WaitingLink{job.index, job.link},
                                                    !readBefore || run.receiving.rules.storesPages);
    if (found.found == PageCache::Found::Deferred) {
      run.tallies.counters.leftToOthers.fetch_add(1);
      return FetchOutcome::Deferred;
    }
    if (found.found == PageCache::Found::Answer) {
      run.tallies.counters.fromMemory.fetch_add(1);
      got = fetcher.Replay(*found.answer);
      got.readBefore = readBefore;
    } else {
      got = FetchWithTries(run, lane, session, job, cancels);
      const bool page = got.http == platform::HttpOutcome::Completed && got.isText && got.ending == Ending::None;
      for (auto& left : run.pages->Finish(job.requestUrl, page, got.head, got.body)) waiting.push_back(std::move(left));
    }
  } else {
    got = FetchWithTries(run, lane, session, job, cancels);
  }
  if (got.http == platform::HttpOutcome::NoRequest) {
    if (job.index == 0) run.tallies.StartFailed(StartAddressFailure::Unreachable, "the request could not be made");
    return Settle(run, job.index, FetchOutcome::NoRequest);
  }
  return Finish(run, lane, job, std::move(got));
}

// A link another worker left to this one; its opening line is written.
void FinishLeftLink(const Fetching& run, const WorkerLane& lane, platform::HttpSession& session,
                    const WaitingLink& left, std::deque<WaitingLink>& waiting) {
  const std::optional<FileJob> job = MakeJob(run, left.link, left.index);
  if (!job) return;  // it was split before it was left here
  // It meets a Stop as a file stopped before its request went out.
  if (lane.signals.StopSet()) {
    lane.rows.Fill(lane.worker);
    Log(run, ClosingLine(left.index, 0, 0));
    Settle(run, left.index, FetchOutcome::Stopped);
    return;
  }
  Receive(run, lane, session, *job, waiting);
}

}  // namespace

Fetching FetchingFor(const Program& program, const RunSwitches& switches, const Site& site, RunLogs& logs,
                     FileStore& store, links::LinkList& links, RunTallies& tallies, const RunHandOff& view,
                     PageCache* pages) {
  return {{ReceiveRulesFor(program, switches), logs, &store},
          switches,
          site,
          program.pageHandler,
          program.storedNames,
          program.keepsPictureHost,
          links,
          tallies,
          view,
          pages};
}

FetchOutcome FetchFile(const Fetching& run, const WorkerLane& lane, platform::HttpSession& session,
                       const std::string& link, int index) {
  run.tallies.counters.filesTaken.fetch_add(1);
  const std::optional<FileJob> job = MakeJob(run, link, index);
  if (!job) return Settle(run, index, FetchOutcome::BadOtherSiteAddress);

  const std::string thread = run.switches.showThread ? ", thread:" + std::to_string(lane.worker) : "";
  Log(run, "-------------" + std::to_string(index) + ":" + (job->shown.empty() ? "index.htm" : job->shown) + thread +
          "...");
  lane.rows.Restart(lane.worker);
  std::deque<WaitingLink> waiting;
  const FetchOutcome outcome = Receive(run, lane, session, *job, waiting);
  while (!waiting.empty()) {
    const WaitingLink left = std::move(waiting.front());
    waiting.pop_front();
    FinishLeftLink(run, lane, session, left, waiting);
  }
  return outcome;
}

}  // namespace engine
