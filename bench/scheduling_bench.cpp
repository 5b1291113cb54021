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
#include "tests/support/temp_folder.h"
#include "tests/support/test_server.h"

namespace {

using Clock = std::chrono::steady_clock;

double Nanos(Clock::duration d) { return double(std::chrono::duration_cast<std::chrono::nanoseconds>(d).count()); }

// The plain walk: from index 0 every time, preferred pass then new pass.
int NaiveChoose(std::vector<links::LinkState>& states) {
  for (links::LinkState wanted : {links::LinkState::Preferred, links::LinkState::New})
    for (size_t i = 0; i < states.size(); ++i)
      if (states[i] == wanted) {
        states[i] = links::LinkState::Taken;
        return int(i);
      }
  return -1;
}

void ChoiceCost() {
  std::printf("Choosing the next link (mean per choice, taking every link of the list in turn)\n");
  std::printf("%10s %18s %18s\n", "links", "cursor walk", "walk from 0");
  for (int n : {1000, 10000, 100000}) {
    links::LinkList a;
    std::vector<links::LinkState> b;
    for (int i = 0; i < n; ++i) {
      const std::string link = "gallery/" + std::to_string(i) + (i % 4 ? ".htm" : ".jpg");
      a.Append(link, i % 4 ? links::LinkState::New : links::LinkState::Preferred);
      b.push_back(i % 4 ? links::LinkState::New : links::LinkState::Preferred);
    }
    auto t0 = Clock::now();
    int taken = 0;
    links::TakenLink link;
    while (a.TakeNext({}, link, {}) == links::TakeResult::Taken) ++taken;
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

// Records when the last picture was handed over (a worker's last file), when
// the workers had all ended (the engine went to finishing), and when the run
// asked its end question (the project file is written).
class TimingView : public engine::EngineView {
 public:
  void AddPicture(const engine::StoredPicture&) override {
    std::lock_guard g(mutex);
    lastWorker = Clock::now();
  }
  void StateChanged(engine::RunId, engine::EngineState state) override {
    std::lock_guard g(mutex);
    if (state == engine::EngineState::Finishing) workersDone = Clock::now();
  }
  bool Ask(engine::Question q, const std::string&) override {
    std::lock_guard g(mutex);
    if (q == engine::Question::ViewFiles) end = Clock::now();
    return false;
  }
  void ShowError(const std::string&) override {}
  void ClearPictures(engine::RunId) override {}
  void OpenFolder(engine::RunId, const std::filesystem::path&) override {}
  std::mutex mutex;
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
  engine::Program program;
  program.name = "Tarvelin";
  program.pageHandler = &handler;
  std::vector<double> done, saved;
  for (int run = 0; run < 9; ++run) {
    TimingView view;
    engine::DownloadEngine engine(program, view, folder.Path());
    engine.Download(server.Url("/start.txt"));
    engine.WaitForRun();
    done.push_back(Nanos(view.workersDone - view.lastWorker) / 1e6);
    saved.push_back(Nanos(view.end - view.lastWorker) / 1e6);
  }
  std::sort(done.begin(), done.end());
  std::sort(saved.begin(), saved.end());
  std::printf("\nFrom the last file to the end of the run, 20 files, 9 runs\n");
  std::printf("  %-40s median %7.2f ms, worst %7.2f ms\n", "all five workers ended:", done[done.size() / 2], done.back());
  std::printf("  %-40s median %7.2f ms, worst %7.2f ms\n", "project file written and synced:", saved[saved.size() / 2], saved.back());
  std::printf("  %-40s about 1000 ms\n", "with a blind one-second idle poll:");
}

}  // namespace

int main() {
  ChoiceCost();
  EndLatency();
}
