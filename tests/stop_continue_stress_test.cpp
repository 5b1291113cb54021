// Many small files, stopped at random moments and continued until done:
// every file is fetched whole exactly once and stored once.
#include <random>
#include <set>

#include "tests/support/engine_fixture.h"

namespace {

namespace fs = std::filesystem;

class StopContinueStress : public EngineFixture {};

TEST_F(StopContinueStress, EveryFileExactlyOnceAcrossStops) {
  constexpr int kFiles = 2000;
  std::string list;
  for (int i = 0; i < kFiles; ++i) {
    const std::string name = "f" + std::to_string(i) + ".jpg";
    site.File("/" + name, "picture " + std::to_string(i) + std::string(size_t(100 + i % 300), '.'));
    list += (i % 3 ? "P " : "N ") + name + "\n";
  }
  site.Page("/start.txt", list);

  std::mt19937 random(20261207);
  int runs = 0, stops = 0;
  bool first = true;
  while (true) {
    view.Answer(Question::ContinueDownload, !first);
    const int ended = view.RunsEnded();
    ASSERT_TRUE(engine->Download(site.Url("/start.txt")));
    first = false;
    ++runs;
    if (stops < 5) {
      // Stopped at a moment of its own: after some number of files.
      view.WaitForPictures(std::uniform_int_distribution<size_t>(1, 400)(random), ended);
      engine->Stop();
      ++stops;
    }
    engine->WaitForRun();
    const auto record = engine->Links();
    bool left = false;
    for (auto s : record.states) left |= s != LinkState::Taken;
    if (!left && record.links.size() == size_t(kFiles + 1)) break;
    ASSERT_LT(runs, 30);
  }

  for (int i = 0; i < kFiles; ++i) ASSERT_EQ(site.Hits("/f" + std::to_string(i) + ".jpg"), 1) << i;
  EXPECT_EQ(site.Hits("/start.txt"), 1);
  int stored = 0;
  for (const auto& e : fs::directory_iterator(ProjectFolder())) {
    const std::string name = e.path().filename().string();
    if (name == "project.cfg" || name == "~project.lock") continue;
    EXPECT_EQ(name.find('('), std::string::npos) << name;
    ++stored;
  }
  EXPECT_EQ(stored, kFiles);
  EXPECT_EQ(Count(), kFiles + 1);
  const std::string file = ProjectFile();
  EXPECT_EQ(file.substr(0, file.find('\r')), std::to_string(kFiles + 1));
  std::set<std::string> listed;
  size_t at = file.find('\n') + 1;
  while (at < file.size()) {
    const size_t end = file.find("\r\n", at);
    EXPECT_EQ(file[at], '1');
    listed.insert(file.substr(at + 2, end - at - 2));
    at = end + 2;
  }
  EXPECT_EQ(listed.size(), size_t(kFiles + 1));
  RecordProperty("runs", runs);
}

}  // namespace
