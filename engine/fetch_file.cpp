#include "engine/fetch_file.h"

#include "engine/file_fetcher.h"
#include "engine/page_context.h"
#include "links/address.h"
#include "links/link_mapping.h"

namespace engine {

namespace {

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
         std::to_string(seconds) + " seconds)----------\r\n";
}

std::string NoteLine(int index, const std::string& note) {
  return "-------------" + std::to_string(index) + ":" + note + "\r\n";
}

FetchOutcome Settle(const RunContext& run, const FileJob& job, FetchOutcome outcome) {
  if (outcome == FetchOutcome::Stopped)
    run.links.PutBack(job.index);
  else
    run.links.Finish(job.index, outcome == FetchOutcome::NetworkError || outcome == FetchOutcome::NotStored);
  run.finishedFiles.fetch_add(1);
  return outcome;
}

FetchOutcome Continue(const RunContext& run, int worker, platform::HttpSession& session, const FileJob& job,
                      bool deferredRun);

FetchOutcome Finish(const RunContext& run, int worker, const FileJob& job, FileFetcher& fetcher,
                    platform::HttpOutcome http, const std::string& networkError) {
  using Ending = FileFetcher::Ending;
  const Ending ending = fetcher.ending();
  const bool completed = http == platform::HttpOutcome::Completed;
  const bool cancelled = ending == Ending::Cancelled;
  const bool stopped = ending == Ending::Stopped;
  const bool cut = http == platform::HttpOutcome::NetworkError;
  const bool bodyExists = completed || cancelled || stopped || (cut && fetcher.Received() > 0);
  const bool isText = fetcher.HeadSeen() && fetcher.IsText();

  StoreResult stored;
  if (completed && fetcher.File()) {
    std::string localPath = links::MapLocalPath(job.otherSiteName.empty() ? job.shown : job.otherSiteName, isText);
    if (run.program.storedNames == StoredNames::BareName) localPath = localPath.substr(localPath.rfind('/') + 1);
    stored = run.store->Commit(*fetcher.File(), localPath);
  }
  fetcher.File().reset();  // a file not given a name is gone with it

  run.rows.Fill(worker);
  const int64_t bytes = ending == Ending::Dropped ? 0 : fetcher.Received();
  run.Log(ClosingLine(job.index, bytes, (TickMs() - fetcher.StartTick()) / 1000));

  if (job.index == 0 && job.otherSiteName.empty()) {
    if (cut) {
      run.startFailure = StartAddressFailure::Unreachable;
      run.startFailureReason = networkError;
    } else if (fetcher.HeadSeen() && IsErrorStatus(fetcher.Head().status)) {
      run.startFailure = StartAddressFailure::ErrorAnswer;
      run.startFailureReason = "HTTP " + std::to_string(fetcher.Head().status);
    }
  }

  FetchOutcome outcome = FetchOutcome::Refused;
  if (cut) {
    run.Log(NoteLine(job.index, "error: " + networkError));
    outcome = FetchOutcome::NetworkError;
  } else if (cancelled) {
    outcome = FetchOutcome::Cancelled;
  } else if (stopped) {
    outcome = FetchOutcome::Stopped;
  } else if (ending == Ending::Dropped) {
    outcome = FetchOutcome::Dropped;
  } else if (ending == Ending::PageTooLong) {
    run.Log(NoteLine(job.index, "not scanned: a page larger than 32 MB"));
    outcome = FetchOutcome::Dropped;
  } else if (ending == Ending::NotWritable || (!stored.stored && !stored.error.empty())) {
    const std::string why = stored.error.empty() ? fetcher.StoreError() : stored.error;
    run.Log(NoteLine(job.index, "not stored: " + why));
    run.storeFailures.Add(why);
    outcome = FetchOutcome::NotStored;
  } else if (completed) {
    outcome = isText ? FetchOutcome::Page : FetchOutcome::Stored;
  }

  if (bodyExists && isText && !cancelled && !stopped && ending != Ending::PageTooLong &&
      outcome != FetchOutcome::NotStored && run.program.pageHandler) {
    PageContext page(run.links, run.switches, run.site, job.pageDir, &run.logs,
                     [&run](Question q, const std::string& text) { return run.Ask(q, text); });
    const std::string& body = fetcher.Body();
    run.program.pageHandler->HandlePage(page, std::string_view(body.c_str()));
  }
  std::string().swap(fetcher.Body());

  if (stored.stored && !isText) {
    run.AddPicture({stored.name, run.store->Folder() / stored.name,
                    run.program.keepsPictureHost ? job.otherHost : std::string()});
  }
  return Settle(run, job, outcome);
}

FetchOutcome Continue(const RunContext& run, int worker, platform::HttpSession& session, const FileJob& job,
                      bool deferredRun) {
  // A link left to this worker by another one meets a Stop as a file that
  // was stopped before its request went out.
  if (deferredRun && run.signals.StopSet()) {
    run.rows.Fill(worker);
    run.Log(ClosingLine(job.index, 0, 0));
    return Settle(run, job, FetchOutcome::Stopped);
  }
  FileFetcher fetcher(run, worker);
  platform::HttpOutcome http;
  std::vector<PageCache::Deferred> waiting;
  if (run.pages) {
    auto later = [&run, job](int w, platform::HttpSession& s) { Continue(run, w, s, job, true); };
    const PageCache::Lookup found = run.pages->Find(job.requestUrl, later);
    if (found.found == PageCache::Found::Deferred) {
      run.counters.leftToOthers.fetch_add(1);
      return FetchOutcome::Deferred;
    }
    if (found.found == PageCache::Found::Answer) {
      run.counters.fromMemory.fetch_add(1);
      http = fetcher.Replay(*found.answer);
    } else {
      run.counters.requests.fetch_add(1);
      http = fetcher.Fetch(session, job.target);
      waiting = run.pages->Finish(job.requestUrl,
                                  http == platform::HttpOutcome::Completed && fetcher.IsText() &&
                                      fetcher.ending() == FileFetcher::Ending::None,
                                  fetcher.Head(), fetcher.Body());
    }
  } else {
    run.counters.requests.fetch_add(1);
    http = fetcher.Fetch(session, job.target);
  }

  FetchOutcome outcome;
  if (http == platform::HttpOutcome::NoRequest) {
    outcome = Settle(run, job, FetchOutcome::NoRequest);
  } else {
    outcome = Finish(run, worker, job, fetcher, http, session.LastError());
  }
  // A Cancel was meant for this worker's own file, not for the links that
  // others left to it.
  if (!waiting.empty()) run.signals.ClearCancel(worker);
  for (auto& work : waiting) work(worker, session);
  return outcome;
}

}  // namespace

FetchOutcome FetchFile(const RunContext& run, int worker, platform::HttpSession& session,
                       const std::string& link, int index) {
  run.counters.filesTaken.fetch_add(1);
  FileJob job;
  job.link = link;
  job.index = index;
  job.shown = link;
  const size_t marker = link.find(links::kOtherSiteMarker);
  if (marker != std::string::npos) {
    const std::string full = link.substr(marker + 1);
    const auto parsed = links::SplitAddress(full);
    if (!parsed) return Settle(run, job, FetchOutcome::BadOtherSiteAddress);
    job.target = {parsed->secure, parsed->host, parsed->port, parsed->object};
    // With its port, so that the site can be crawled from the picture.
    const bool defaultPort = parsed->port == (parsed->secure ? 443 : 80);
    const bool bracket = parsed->host.find(':') != std::string::npos;
    job.otherHost = bracket ? "[" + parsed->host + "]" : parsed->host;
    if (!defaultPort) job.otherHost += ":" + std::to_string(parsed->port);
    job.shown = parsed->object;
    job.otherSiteName = full.substr(full.rfind('/') + 1);
  } else {
    job.target = {run.site.secure, run.site.host, run.site.port, "/" + link};
  }

  const std::string thread = run.switches.showThread ? ", thread:" + std::to_string(worker) : "";
  run.Log("-------------" + std::to_string(index) + ":" + (job.shown.empty() ? "index.htm" : job.shown) + thread +
          "...\r\n");
  const size_t slash = job.shown.rfind('/');
  job.pageDir = slash == std::string::npos ? std::string() : job.shown.substr(0, slash);
  run.rows.Restart(worker);
  if (run.pages) job.requestUrl = platform::RequestUrl(job.target);
  return Continue(run, worker, session, job, false);
}

}  // namespace engine
