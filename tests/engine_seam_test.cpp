// The engine driven as a window drives it: every view call is carried out on
// one thread with an event loop, and the calls that wait, wait for that
// thread. Leaving must never deadlock, whatever the engine is doing.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QMetaObject>
#include <QTimer>
#include <algorithm>
#include <fstream>
#include <functional>
#include <memory>
#include <thread>

#include "engine/download_engine.h"
#include "platform/handover.h"
#include "tests/support/line_list_handler.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_site.h"

namespace {

using engine::Question;

// Runs each call on the thread of `m_home` and checks that it does.
class LoopView : public engine::EngineView {
 public:
  LoopView() : m_thread(std::this_thread::get_id()) {}

  void AddPicture(const engine::StoredPicture& picture) override {
    OnHome([&] {
      pictures.push_back(picture.path);
      if (onPicture) onPicture();
    });
  }
  bool Ask(Question question, const std::string& text) override {
    bool yes = false;
    OnHome([&] {
      asked.push_back(question);
      yes = answer ? answer(question) : false;
    });
    return yes;
  }
  void ShowError(const std::string& text) override {
    OnHome([&] { errors.push_back(text); });
  }
  void ClearPictures(engine::RunId) override {
    // Download() is called on the view's thread, and so is this.
    EXPECT_EQ(std::this_thread::get_id(), m_thread);
    pictures.clear();
  }
  void ProjectFolderChanged(engine::RunId, const std::filesystem::path& folder) override {
    Post([this, folder] { projectFolders.push_back(folder); });
  }
  void StateChanged(engine::RunId, engine::EngineState state) override {
    Post([this, state] { states.push_back(state); });
  }
  void OpenFolder(engine::RunId, const std::filesystem::path&) override {}
  void RunEnded(engine::RunId, const engine::RunSummary& summary) override {
    Post([this, summary] {
      ++runsEnded;
      last = summary;
      if (onRunEnded) onRunEnded();
    });
  }

  std::function<bool(Question)> answer;
  std::function<void()> onPicture, onRunEnded;
  std::vector<std::string> pictures, errors;
  std::vector<Question> asked;
  std::vector<std::filesystem::path> projectFolders;
  std::vector<engine::EngineState> states;
  engine::RunSummary last;
  int runsEnded = 0;

 private:
  void OnHome(const std::function<void()>& work) {
    EXPECT_NE(std::this_thread::get_id(), m_thread);  // a worker or the download thread
    platform::HandOver(&work);
    QMetaObject::invokeMethod(&m_home, [&] {
      platform::TakeOver(&work);
      EXPECT_EQ(std::this_thread::get_id(), m_thread);
      work();
      platform::HandOver(&work);
    }, Qt::BlockingQueuedConnection);
    platform::TakeOver(&work);
  }
  void Post(std::function<void()> work) {
    auto call = std::make_shared<std::function<void()>>(std::move(work));
    platform::HandOver(call.get());
    QMetaObject::invokeMethod(&m_home, [call] {
      platform::TakeOver(call.get());
      (*call)();
    }, Qt::QueuedConnection);
  }

  const std::thread::id m_thread;
  QObject m_home;
};

class EngineSeam : public ::testing::Test {
 protected:
  EngineSeam() {
    program.name = "Tarvelin";
    program.pageHandler = &handler;
    engine = std::make_unique<engine::DownloadEngine>(program, view, folder.Path());
    std::string list;
    for (int i = 0; i < 30; ++i) {
      site.File("/p" + std::to_string(i) + ".jpg", "picture " + std::to_string(i));
      list += "P p" + std::to_string(i) + ".jpg\n";
    }
    site.Page("/start.txt", list + "P slow.jpg\n");
    site.Put("/slow.jpg", {"", "image/jpeg", 500});
  }
  // Runs the event loop until the engine says its run has ended.
  void LoopUntilRunEnded(std::function<void()> then = {}) {
    QEventLoop loop;
    view.onRunEnded = [&] {
      if (then) then();
      loop.quit();
    };
    loop.exec();
  }

  int argc = 1;
  char arg0[8] = "test";
  char* argv[1] = {arg0};
  QCoreApplication app{argc, argv};
  TestSite site;
  TempFolder folder;
  LineListHandler handler;
  LoopView view;
  engine::Program program;
  std::unique_ptr<engine::DownloadEngine> engine;
};

TEST_F(EngineSeam, WholeRunsOnTwoSitesWithQuestionsInOneEngine) {
  const auto startedIn = std::filesystem::current_path();
  site.Hurry();
  TestSite second("127.0.0.2");  // another host: another project folder
  second.File("/q.jpg", "q");
  second.Page("/start.txt", "P q.jpg\n");
  view.answer = [](Question q) { return q == Question::ContinueDownload; };

  ASSERT_TRUE(engine->Download(site.Url("/start.txt")));
  LoopUntilRunEnded();
  EXPECT_EQ(view.pictures.size(), 31u);
  ASSERT_TRUE(engine->Download(site.Url("/start.txt")));  // asks to continue: nothing left
  LoopUntilRunEnded();
  EXPECT_TRUE(view.pictures.empty());
  ASSERT_TRUE(engine->Download(second.Url("/start.txt")));
  LoopUntilRunEnded();

  EXPECT_EQ(view.pictures, std::vector<std::string>{"q.jpg"});
  EXPECT_EQ(view.asked, (std::vector<Question>{Question::ViewFiles, Question::ContinueDownload,
                                               Question::ViewFiles, Question::ViewFiles}));
  EXPECT_EQ(view.projectFolders, (std::vector<std::filesystem::path>{
                                     folder.Path() / site.FolderName(), folder.Path() / site.FolderName(), folder.Path() / second.FolderName()}));
  // The working directory stays where the program started.
  EXPECT_EQ(std::filesystem::current_path(), startedIn);
  EXPECT_EQ(view.runsEnded, 3);
  EXPECT_EQ(view.states.back(), engine::EngineState::Idle);
}

TEST_F(EngineSeam, LeavingDuringAQuestionAnswersNoAndTouchesNothing) {
  site.Hurry();
  ASSERT_TRUE(engine->Download(site.Url("/start.txt")));
  LoopUntilRunEnded();
  const auto kept = std::filesystem::directory_iterator(folder.Path() / site.FolderName());
  const size_t files = size_t(std::distance(kept, {}));

  view.answer = [&](Question q) {
    EXPECT_TRUE(engine->Leave());  // a run is still ending
    return true;                   // counts as No now
  };
  ASSERT_TRUE(engine->Download(site.Url("/start.txt")));
  LoopUntilRunEnded([&] { engine.reset(); });
  EXPECT_EQ(engine, nullptr);
  EXPECT_EQ(view.last.result, engine::StartResult::Abandoned);
  // Answered Yes too late: the folder was neither cleared nor continued.
  EXPECT_EQ(size_t(std::distance(std::filesystem::directory_iterator(folder.Path() / site.FolderName()), {})), files);
}

TEST_F(EngineSeam, ARunStartedWhileTheLastOneAsksItsEndQuestionIsStillOneToLeave) {
  site.Hurry();
  bool started = false;
  view.answer = [&](Question q) {
    // The end question stands; the engine is idle, so Download starts a run.
    if (q == Question::ViewFiles && !started) started = engine->Download(site.Url("/start.txt"));
    return false;
  };
  ASSERT_TRUE(engine->Download(site.Url("/start.txt")));
  LoopUntilRunEnded();
  ASSERT_TRUE(started);
  EXPECT_TRUE(engine->Leave());  // the second run is still going
  LoopUntilRunEnded([&] { engine.reset(); });
}

TEST_F(EngineSeam, LeavingDuringAPictureOrASlowBodyEndsTheRun) {
  for (const bool duringPicture : {true, false}) {
    SCOPED_TRACE(duringPicture);
    engine = std::make_unique<engine::DownloadEngine>(program, view, folder.Path());
    view.pictures.clear();
    view.answer = [](Question) { return true; };
    std::thread leaver;
    if (duringPicture) {
      view.onPicture = [&] { engine->Leave(); };
    } else {
      view.onPicture = nullptr;
      leaver = std::thread([&] {
        site.WaitForPieces("/slow.jpg", 2);
        QMetaObject::invokeMethod(&app, [&] { engine->Leave(); }, Qt::QueuedConnection);
      });
    }
    QEventLoop loop;
    view.onRunEnded = [&] {
      engine.reset();  // on the view's thread, as a window closing would
      loop.quit();
    };
    ASSERT_TRUE(engine->Download(site.Url("/start.txt")));
    loop.exec();
    if (leaver.joinable()) leaver.join();
    EXPECT_EQ(engine, nullptr);
    // The end question was not asked of a leaving program, and the project
    // file records what is left to fetch.
    EXPECT_EQ(std::count(view.asked.begin(), view.asked.end(), Question::ViewFiles), 0);
    std::ifstream in(folder.Path() / site.FolderName() / "project.cfg", std::ios::binary);
    const std::string saved((std::istreambuf_iterator<char>(in)), {});
    EXPECT_NE(saved.find(duringPicture ? "\r\n2 " : "0 slow.jpg"), std::string::npos) << saved;
  }
}

}  // namespace
