// How the workers' scheduling scales: the cost of choosing the next link as
// the list grows, beside a walk from index 0 each time; and how long a run
// takes to end after its last file.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <mutex>
#include <thread>
#include <vector>

#include "engine/download_engine.h"
#include "tests/support/line_list_handler.h"
#include "engine/link_choice.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_server.h"

namespace {

using Clock = std::chrono::steady_clock;

double Nanos(Clock::duration d) { return double(std::chrono::duration_cast<std::chrono::nanoseconds>(d).count()); }

// The plain walk: from index 0 every time, preferred pass then new pass.
int NaiveChoose(CDownloadProject& p) {
  for (uint8_t wanted : {uint8_t(LINK_PREFERRED), uint8_t(LINK_NEW)})
    for (size_t i = 0; i < p.m_states.size(); ++i)
      if (p.m_states[i] == wanted) {
        p.m_states[i] = LINK_TAKEN;
        return int(i);
      }
  return -1;
}

void ChoiceCost() {
  std::printf("Choosing the next link (mean per choice, taking every link of the list in turn)\n");
  std::printf("%10s %18s %18s\n", "links", "cursor walk", "walk from 0");
  for (int n : {1000, 10000, 100000}) {
    CDownloadProject a, b;
    for (int i = 0; i < n; ++i) {
      const std::string link = "gallery/" + std::to_string(i) + (i % 4 ? ".htm" : ".jpg");
      a.AppendLink(link, i % 4 ? LINK_NEW : LINK_PREFERRED);
      b.AppendLink(link, i % 4 ? LINK_NEW : LINK_PREFERRED);
    }
    auto t0 = Clock::now();
    int chosen = 0, taken = 0;
    while (ChooseLink(a, true, chosen) == Choice::Chosen) ++taken;
    const double cursor = Nanos(Clock::now() - t0) / taken;
    // The plain walk is quadratic in all; time a sample of its choices.
    const int sample = std::min(n, 2000);
    for (int i = 0; i < n - sample; ++i) NaiveChoose(b);
    t0 = Clock::now();
    for (int i = 0; i < sample; ++i) NaiveChoose(b);
    const double naive = Nanos(Clock::now() - t0) / sample;
    std::printf("%10d %15.0f ns %15.0f ns\n", n, cursor, naive);
  }
}

// Records when a worker last refreshed the run log (its closing line), when
// the download thread first refreshed it after that (the workers have all
// ended), and when the run asked its end question (the project file is written).
class TimingView : public EngineView {
 public:
  void SetWorkerLabel(int, const std::string& text) override {
    std::lock_guard g(mutex);
    if (text.empty()) downloadThread = std::this_thread::get_id();  // the rows are reset at project start
  }
  void SetProgressRange(int, int64_t) override {}
  void SetProgressPos(int, int64_t) override {}
  void StepProgress(int) override {}
  void FillProgress(int) override {}
  void RefreshRunLog() override {
    std::lock_guard g(mutex);
    const auto now = Clock::now();
    if (std::this_thread::get_id() != downloadThread)
      lastWorker = now, workersDone = {};
    else if (workersDone == Clock::time_point{})
      workersDone = now;
  }
  void RefreshTitleLog() override {}
  void ClearPictures() override {}
  void AddPicture(const std::string&, const std::string&) override {}
  bool Ask(Question q, const std::string&) override {
    if (q == Question::ViewFiles) end = Clock::now();
    return false;
  }
  void ShowError(const std::string&) override {}
  void OpenFolder(const std::string&) override {}
  std::mutex mutex;
  std::thread::id downloadThread;
  Clock::time_point lastWorker, workersDone, end;
};

void EndLatency() {
  TestServer server;
  std::string list;
  for (int i = 0; i < 20; ++i) list += "P p" + std::to_string(i) + ".jpg\n";
  server.Http().Get(R"(/.*)", [&](const httplib::Request& req, httplib::Response& res) {
    if (req.path == "/start.txt")
      res.set_content(list, "text/plain");
    else
      res.set_content(std::string(2000, 'x'), "image/jpeg");
  });
  server.Start();
  TempFolder folder;
  setenv("XDG_CONFIG_HOME", (folder.Path() / "config").c_str(), 1);
  setenv("XDG_DATA_HOME", (folder.Path() / "data").c_str(), 1);
  LineListHandler handler;
  Program program;
  program.name = "Tarvelin";
  program.pageHandler = &handler;
  std::vector<double> done, saved;
  for (int run = 0; run < 9; ++run) {
    TimingView view;
    DownloadEngine engine(program, view, folder.Path());
    engine.Download(server.Url("/start.txt"));
    engine.WaitForRun();
    done.push_back(Nanos(view.workersDone - view.lastWorker) / 1e6);
    saved.push_back(Nanos(view.end - view.lastWorker) / 1e6);
  }
  std::sort(done.begin(), done.end());
  std::sort(saved.begin(), saved.end());
  std::printf("\nFrom the last file's closing line to the end of the run, 20 files, 9 runs\n");
  std::printf("  %-40s median %7.2f ms, worst %7.2f ms\n", "all five workers ended:", done[done.size() / 2], done.back());
  std::printf("  %-40s median %7.2f ms, worst %7.2f ms\n", "project file written and synced:", saved[saved.size() / 2], saved.back());
  std::printf("  %-40s about 1000 ms\n", "with a blind one-second idle poll:");
}

}  // namespace

int main() {
  ChoiceCost();
  EndLatency();
}
