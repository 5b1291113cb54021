// Whole runs: the workers' choice and limits, Stop, Cancel, resuming.
#include <sys/resource.h>

#include <chrono>
#include <thread>

#include "tests/support/engine_fixture.h"

namespace {

using namespace std::chrono_literals;

std::string Lines(char kind, const std::string& prefix, int count) {
  std::string out;
  for (int i = 1; i <= count; ++i) out += std::string(1, kind) + " " + prefix + std::to_string(i) + ".jpg\n";
  return out;
}

int TotalHits(TestSite& site, const std::string& prefix, int count) {
  int hits = 0;
  for (int i = 1; i <= count; ++i) hits += site.Hits("/" + prefix + std::to_string(i) + ".jpg");
  return hits;
}

class EngineRunTest : public EngineFixture {
 protected:
  void SetUp() override {
    for (int i = 1; i <= 10; ++i) site.File("/img" + std::to_string(i) + ".jpg");
  }
};

TEST_F(EngineRunTest, MaxCountTakesExactlyThatManyLinks) {
  site.Page("/start.txt", Lines('P', "img", 10));
  SetInt("MaxCount", 3);
  RunAt("/start.txt");
  EXPECT_EQ(Count(), 3);
  EXPECT_EQ(TotalHits(site, "img", 10), 2);
  EXPECT_EQ(site.Hits("/start.txt"), 1);
  EXPECT_EQ(view.Pictures().size(), 2u);
  EXPECT_EQ(engine->State(), EngineState::Idle);
  // The project file lists every link and the count.
  EXPECT_EQ(ProjectFile().substr(0, 3), "3\r\n");
  EXPECT_NE(ProjectFile().find("1 start.txt\r\n"), std::string::npos);
}

TEST_F(EngineRunTest, RangeFromPassesOverLowLinksButNeverTheStartPage) {
  site.Page("/start.txt", Lines('P', "img", 8));
  SetInt("RangeFrom", 5);
  RunAt("/start.txt");
  for (int i = 1; i <= 8; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(site.Hits("/img" + std::to_string(i) + ".jpg"), i < 5 ? 0 : 1);
    EXPECT_EQ(StateOf(size_t(i)), LinkState::Taken);
  }
  EXPECT_EQ(Count(), 5);  // passed-over links are not counted
}

TEST_F(EngineRunTest, RangeToEndsTheWorkersThatMeetHigherLinks) {
  site.Page("/start.txt", Lines('N', "img", 8));
  SetInt("RangeTo", 5);
  RunAt("/start.txt");
  for (int i = 1; i <= 8; ++i) EXPECT_EQ(site.Hits("/img" + std::to_string(i) + ".jpg"), i <= 5 ? 1 : 0) << i;
}

TEST_F(EngineRunTest, PreferredLinksGoBeforeNewOnesWhateverTheirIndexes) {
  site.Page("/start.txt", "N a.htm\nN b.htm\nP img1.jpg\nP img2.jpg\n");
  site.Page("/a.htm", "");
  site.Page("/b.htm", "");
  SetInt("MaxCount", 3);
  RunAt("/start.txt");
  EXPECT_EQ(site.Hits("/img1.jpg") + site.Hits("/img2.jpg"), 2);
  EXPECT_EQ(site.Hits("/a.htm") + site.Hits("/b.htm"), 0);
}

TEST_F(EngineRunTest, StopPutsTheFileBackAndContinuingFetchesWhatWasLeft) {
  site.Page("/start.txt", "P slow.jpg\nP img1.jpg\n");
  site.Put("/slow.jpg", {"", "image/jpeg", 300});
  ASSERT_TRUE(engine->Download(site.Url("/start.txt")));
  site.WaitForPieces("/slow.jpg", 3);
  engine->Stop();
  // Download before the project file is written does nothing.
  EXPECT_FALSE(engine->Download(site.Url("/start.txt")));
  engine->WaitForRun();
  EXPECT_EQ(StateOf(1), LinkState::New);
  const int count = Count();
  EXPECT_EQ(ProjectFile().substr(0, ProjectFile().find('\r')), std::to_string(count));
  EXPECT_NE(ProjectFile().find("0 slow.jpg\r\n"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(ProjectFolder() / "slow.jpg"));

  // Continue: only what was left is fetched.
  site.Hurry();
  view.Answer(Question::ContinueDownload, true);
  RunAt("/start.txt");
  EXPECT_EQ(site.Hits("/start.txt"), 1);
  EXPECT_EQ(site.Hits("/img1.jpg"), 1);
  // The interrupted file was fetched again, whole.
  EXPECT_EQ(std::filesystem::file_size(ProjectFolder() / "slow.jpg"), 300000u);
  EXPECT_EQ(Count(), 3);
  const auto asked = view.Questions();
  ASSERT_EQ(asked.size(), 3u);  // end, resume, end
  EXPECT_EQ(asked[1].question, Question::ContinueDownload);
  EXPECT_EQ(asked[1].text, "This website has been downloaded, do you want to continue the previous download?");
}

TEST_F(EngineRunTest, CancelAbandonsOnlyThatWorkersFile) {
  site.Page("/start.txt", "P big1.jpg\nP big2.jpg\n");
  site.Put("/big1.jpg", {"", "image/jpeg", 40});
  site.Put("/big2.jpg", {"", "image/jpeg", 40});
  ASSERT_TRUE(engine->Download(site.Url("/start.txt")));
  site.WaitForPieces("/big1.jpg", 2);
  int worker = -1;
  const auto rows = engine->Rows();
  for (int k = 0; k < 5; ++k)
    if (rows[size_t(k)].label == "big1.jpg") worker = k;
  ASSERT_GE(worker, 0);
  engine->Cancel(worker);
  engine->WaitForRun();
  EXPECT_FALSE(std::filesystem::exists(ProjectFolder() / "big1.jpg"));
  EXPECT_EQ(std::filesystem::file_size(ProjectFolder() / "big2.jpg"), 40000u);
  EXPECT_EQ(StateOf(1), LinkState::Taken);
}

TEST_F(EngineRunTest, DownloadPressedTwiceStartsOneRun) {
  site.Page("/start.txt", "P img1.jpg\n");
  EXPECT_TRUE(engine->Download(site.Url("/start.txt")));
  EXPECT_FALSE(engine->Download(site.Url("/start.txt")));
  engine->WaitForRun();
  EXPECT_EQ(site.Hits("/start.txt"), 1);
  EXPECT_FALSE(engine->Download(""));  // an empty address does nothing
}

TEST_F(EngineRunTest, AnUnreachableStartPageEndsTheRunPromptly) {
  RunAt("/nothing-here.htm");
  EXPECT_EQ(engine->Links().links.size(), 1u);
  EXPECT_EQ(ProjectFile(), "1\r\n1 nothing-here.htm\r\n");
  ASSERT_EQ(view.Questions().size(), 1u);
  EXPECT_EQ(view.Questions()[0].question, Question::ViewFiles);
  EXPECT_EQ(view.Questions()[0].text, "Download finish. The start address " + site.Url("/nothing-here.htm") +
                                          " could not be fetched: HTTP 404. Do you want to view the download files?");
  EXPECT_EQ(engine->LastRun().startFailure, engine::StartAddressFailure::ErrorAnswer);
}

TEST_F(EngineRunTest, AFailedStartShowsTheMessageAndLeavesTheEngineIdle) {
  const std::vector<std::string> bad = {"http:///x", "http://../x", "http://a\\b/x",
                                        "ftp://127.0.0.1/x", "file:///etc/x", "gopher://127.0.0.1/x"};
  for (const std::string& address : bad) {
    SCOPED_TRACE(address);
    ASSERT_TRUE(engine->Download(address));
    engine->WaitForRun();
    EXPECT_EQ(engine->State(), EngineState::Idle);
    EXPECT_EQ(engine->LastRun().result, engine::StartResult::BadAddress);
  }
  ASSERT_EQ(view.Errors().size(), bad.size());
  for (const std::string& error : view.Errors()) EXPECT_EQ(error.rfind("Meet some error, sotpped.\n", 0), 0u) << error;
  // Nothing was made beside the program folder's own contents.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder.Path()), {}), 0);
}

TEST_F(EngineRunTest, AProjectFileResumesWithItsCountAndStates) {
  site.File("/a.jpg");
  site.File("/b.jpg");
  site.Page("/c.htm", "");
  site.File("/d.jpg");
  WriteProjectFile("7\r\n2 a.jpg\r\n1 b.jpg\r\n0 c.htm\r\n1 d.jpg\r\n0 lost.jpg");
  view.Answer(Question::ContinueDownload, true);
  // One link more than the file's count: the preferred a.jpg goes first.
  SetInt("MaxCount", 8);
  RunAt("/ignored-path.htm");
  EXPECT_EQ(site.Hits("/a.jpg"), 1);
  EXPECT_EQ(site.Hits("/c.htm"), 0);
  EXPECT_EQ(ProjectFile(), "8\r\n1 a.jpg\r\n1 b.jpg\r\n0 c.htm\r\n1 d.jpg\r\n");

  SetInt("MaxCount", 0);
  RunAt("/ignored-path.htm");
  EXPECT_EQ(site.Hits("/a.jpg"), 1);
  EXPECT_EQ(site.Hits("/c.htm"), 1);
  EXPECT_EQ(site.Hits("/b.jpg"), 0);
  EXPECT_EQ(site.Hits("/d.jpg"), 0);
  EXPECT_EQ(site.Hits("/lost.jpg"), 0);           // a last line without line feed is not loaded
  EXPECT_EQ(site.Hits("/ignored-path.htm"), 0);
  EXPECT_EQ(Count(), 9);
  EXPECT_EQ(ProjectFile(), "9\r\n1 a.jpg\r\n1 b.jpg\r\n1 c.htm\r\n1 d.jpg\r\n");
}

TEST_F(EngineRunTest, AnsweringNoClearsTheFolderIntoTheTrash) {
  site.Page("/start.txt", "P img1.jpg\n");
  WriteProjectFile("1\r\n1 old.jpg\r\n");
  std::ofstream(ProjectFolder() / "old.jpg") << "old";
  RunAt("/start.txt");
  EXPECT_FALSE(std::filesystem::exists(ProjectFolder() / "old.jpg"));
  EXPECT_TRUE(std::filesystem::exists(ProjectFolder() / "img1.jpg"));
  // Trashed, not deleted: it is in the trash of this test's data home.
  const std::filesystem::path trash = std::filesystem::path(getenv("XDG_DATA_HOME")) / "Trash/files";
  bool found = false;
  for (const auto& e : std::filesystem::directory_iterator(trash))
    found |= e.path().filename().string().rfind("old", 0) == 0;
  EXPECT_TRUE(found);
  // Nothing of the trash landed in the project folder.
  EXPECT_FALSE(std::filesystem::exists(ProjectFolder() / "files"));
  EXPECT_FALSE(std::filesystem::exists(ProjectFolder() / "info"));
}

TEST_F(EngineRunTest, APageAskedForAgainComesFromTheRunsCache) {
  site.Page("/start.txt", "N page.txt#a\nN page.txt#b\nN dir/../page.txt\n");
  site.Page("/page.txt", "P img1.jpg\n");
  RunAt("/start.txt");
  EXPECT_EQ(site.Hits("/page.txt"), 1);
  EXPECT_EQ(site.Hits("/img1.jpg"), 1);
  // The list and the log are as if every page had come from the network.
  EXPECT_EQ(engine->Links().links,
            (std::vector<std::string>{"start.txt", "page.txt#a", "page.txt#b", "dir/../page.txt", "img1.jpg"}));
  for (const std::string link : {"page.txt#a", "page.txt#b", "dir/../page.txt"}) EXPECT_NE(Opened(link), std::string::npos);
  const std::string log = engine->RunLogText();
  for (int i = 1; i <= 3; ++i)
    EXPECT_NE(log.find("-------------" + std::to_string(i) + ":(11 bytes, 0 seconds)"), std::string::npos) << i;
}

// As root the download thread is raised; the workers it starts are not.
TEST_F(EngineRunTest, WorkersRunAtTheProcessPriority) {
  site.Page("/start.txt", "P img1.jpg\nP img2.jpg\n");
  RunAt("/start.txt");
  EXPECT_EQ(view.PictureThreadNices(), std::vector<int>(2, ::getpriority(PRIO_PROCESS, 0)));
}

TEST_F(EngineRunTest, LeavingDuringARunStopsItAndWritesTheProjectFile) {
  site.Page("/start.txt", "P slow.jpg\n");
  site.Put("/slow.jpg", {"", "image/jpeg", 300});
  view.Answer(Question::ViewFiles, true);
  ASSERT_TRUE(engine->Download(site.Url("/start.txt")));
  site.WaitForPieces("/slow.jpg", 1);
  engine->Shutdown();
  EXPECT_NE(ProjectFile().find("0 slow.jpg\r\n"), std::string::npos);
  EXPECT_TRUE(view.OpenedFolders().empty());  // the end question was answered No
  EXPECT_FALSE(engine->Download(site.Url("/start.txt")));
}

}  // namespace
