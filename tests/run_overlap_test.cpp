// Runs that meet: one started while the run before is still ending, a log
// that keeps only its last lines, and the reason a run could not start.
#include <atomic>

#include "tests/support/engine_fixture.h"

namespace {

// Starts the next run from inside the end of the first: from StateChanged(Idle)
// (the old run's thread is still running) or from RunEnded.
class ChainView : public RecordingView {
 public:
  void StateChanged(engine::RunId run, EngineState state) override {
    if (fromIdle && run == 1 && state == EngineState::Idle) StartNext();
  }
  void RunEnded(engine::RunId run, const engine::RunSummary& summary) override {
    if (!fromIdle && run == 1) StartNext();
    RecordingView::RunEnded(run, summary);
  }
  void StartNext() { nextStarted = engine->Download(address); }

  bool fromIdle = true;
  engine::DownloadEngine* engine = nullptr;
  std::string address;
  std::atomic<bool> nextStarted{false};
};

class RunOverlapTest : public EngineFixture {};

TEST_F(RunOverlapTest, ARunStartedWhileTheLastOneEndsReallyRuns) {
  site.Page("/start.txt", "P a.jpg\nP b.jpg\n");
  site.File("/a.jpg");
  site.File("/b.jpg");
  for (const bool fromIdle : {true, false}) {
    SCOPED_TRACE(fromIdle ? "from StateChanged(Idle)" : "from RunEnded");
    ChainView chain;
    chain.fromIdle = fromIdle;
    chain.address = site.Url("/start.txt");
    const int hits = site.Hits("/a.jpg");
    {
      engine::DownloadEngine chained(program, chain, folder.Path());
      chained.SetStartedWithAddress(true);
      chain.engine = &chained;
      ASSERT_TRUE(chained.Download(chain.address));
      chain.WaitForPictures(SIZE_MAX, 1);  // both runs have ended
      EXPECT_TRUE(chain.nextStarted);
      EXPECT_EQ(chained.CurrentRun(), 2u);
      EXPECT_EQ(chained.LastRun().result, engine::StartResult::Ok);
    }
    // The second run was not born stopped: it fetched and handed over both pictures.
    EXPECT_EQ(site.Hits("/a.jpg"), hits + 2);
    EXPECT_EQ(chain.Pictures().size(), 2u);
  }
}

TEST_F(RunOverlapTest, TheLogKeepsItsLastLinesAndSaysHowManyAReaderMissed) {
  engine::RunLogs logs(7, 3);
  engine::LogCursor early;
  logs.AppendRun("one");
  EXPECT_EQ(logs.ReadRun(early).lines, std::vector<std::string>{"one"});
  for (const char* line : {"two", "three", "four", "five"}) logs.AppendRun(line);
  engine::LogCursor late;
  const engine::LogText fresh = logs.ReadRun(late);
  EXPECT_EQ(fresh.dropped, 2u);
  EXPECT_EQ(fresh.lines, (std::vector<std::string>{"three", "four", "five"}));
  const engine::LogText behind = logs.ReadRun(early);
  EXPECT_EQ(behind.dropped, 1u);  // "two"; it had seen "one"
  EXPECT_EQ(behind.lines.size(), 3u);
  EXPECT_EQ(logs.RunText(), "three\nfour\nfive\n");
}

TEST_F(RunOverlapTest, AProjectFolderThatCannotBeMadeSaysWhy) {
  // The program folder is a file: no folder can be made below it.
  const std::filesystem::path programFolder = folder.Path() / "not-a-folder";
  std::ofstream(programFolder) << "x";
  engine::DownloadEngine blocked(program, view, programFolder);
  ASSERT_TRUE(blocked.Download(site.Url("/start.txt")));
  blocked.WaitForRun();
  EXPECT_EQ(blocked.LastRun().result, engine::StartResult::BadAddress);
  EXPECT_EQ(view.Errors(), std::vector<std::string>{"Meet some error, sotpped.\n" +
                                                    (programFolder / site.FolderName()).string() + ": Not a directory"});
}

}  // namespace
