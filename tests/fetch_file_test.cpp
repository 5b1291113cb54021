// FetchFile against a real HTTP server on loopback.
#include <gtest/gtest.h>

#include <algorithm>
#include <condition_variable>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <thread>

#include "engine/page_cache.h"
#include "tests/support/fetch_fixture.h"
#include "tests/support/raw_server.h"
#include "tests/support/test_server.h"

namespace fs = std::filesystem;

namespace {

using engine::FetchOutcome;
using links::LinkState;

// Records what reaches the page handler.
class RecordingHandler : public engine::PageHandler {
 public:
  void HandlePage(engine::PageContext&, std::string_view body) override {
    std::lock_guard g(mutex);
    bodies.emplace_back(body);
  }
  std::vector<std::string> Bodies() {
    std::lock_guard g(mutex);
    return bodies;
  }
  std::mutex mutex;
  std::vector<std::string> bodies;
};

std::string ReadFile(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

class FetchFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    auto& http = server.Http();
    http.Get("/a.jpg", [](const httplib::Request&, httplib::Response& res) {
      res.set_content("first picture", "image/jpeg");
    });
    http.Get("/gallery/a.jpg", [](const httplib::Request&, httplib::Response& res) {
      res.set_content("second picture", "image/jpeg");
    });
    http.Get("/missing.jpg", [](const httplib::Request&, httplib::Response& res) {
      res.status = 404;
      res.set_content("not here", "text/html");
    });
    http.Get("/page.htm", [](const httplib::Request&, httplib::Response& res) {
      res.set_content("<html><TITLE>A page</TITLE>body</html>", "text/html");
    });
    http.Get("/shout.htm", [](const httplib::Request&, httplib::Response& res) {
      res.set_content("<p>x</p>", "Text/HTML");
    });
    http.Get("/empty.gif", [](const httplib::Request&, httplib::Response& res) {
      res.set_content("", "image/gif");
    });
    http.Get("/long-title.htm", [](const httplib::Request&, httplib::Response& res) {
      res.set_content(std::string(1015, ' ') + "<title>split across chunks</title>", "text/html");
    });
    http.Get("/late-title.htm", [](const httplib::Request&, httplib::Response& res) {
      res.set_content(std::string(990, ' ') + "<title>late</title>" + std::string(3000, ' '), "text/html");
    });
    http.Get("/sized.jpg", [](const httplib::Request& req, httplib::Response& res) {
      res.set_content(std::string(size_t(std::stoul(req.get_param_value("n"))), 'x'), "image/jpeg");
    });
    http.Get("/unannounced.jpg", [](const httplib::Request&, httplib::Response& res) {
      res.set_chunked_content_provider("image/jpeg", [](size_t, httplib::DataSink& sink) {
        std::string block(4000, 'y');
        for (int i = 0; i < 10; ++i) sink.write(block.data(), block.size());
        sink.done();
        return true;
      });
    });
    http.Get("/slow.jpg", [this](const httplib::Request&, httplib::Response& res) {
      res.set_chunked_content_provider("image/jpeg", [this](size_t, httplib::DataSink& sink) {
        // A few pieces, then nothing until the test ends: the body stays under
        // way for as long as the test needs.
        std::string block(1000, 'z');
        for (int i = 0; i < kSlowPieces; ++i) {
          if (!sink.write(block.data(), block.size())) return false;
          {
            std::lock_guard g(sentMutex);
            ++sent;
          }
          sentChanged.notify_all();
        }
        std::unique_lock lock(sentMutex);
        sentChanged.wait(lock, [this] { return stopServing; });
        return false;
      });
    });
    http.Get("/cut.htm", [](const httplib::Request&, httplib::Response& res) {
      // Announces 10000 bytes, sends 3000, then drops the connection.
      res.set_content_provider(10000, "text/html", [](size_t offset, size_t, httplib::DataSink& sink) {
        if (offset > 0) return false;
        std::string part = "<html>" + std::string(2994, 'p');
        sink.write(part.data(), part.size());
        return true;
      });
    });
    http.Get("/moved.jpg", [](const httplib::Request&, httplib::Response& res) {
      res.set_redirect("/a.jpg");
    });
    http.Get("/to-ftp.jpg", [](const httplib::Request&, httplib::Response& res) {
      res.set_redirect("ftp://127.0.0.1/a.jpg");
    });
    http.Get(R"(/odd name/.*)", [](const httplib::Request&, httplib::Response& res) {
      res.set_content("odd", "image/png");
    });
    server.Start();
    f.site.host = "127.0.0.1";
    f.site.port = server.Port();
    f.switches.image = false;
  }
  void TearDown() override {
    {
      std::lock_guard g(sentMutex);
      stopServing = true;
    }
    sentChanged.notify_all();
  }

  FetchOutcome Fetch(const std::string& link, int index = 3, int worker = 0) { return f.Fetch(link, index, worker); }
  std::string Log() const { return f.logs.RunText(); }
  static constexpr int kSlowPieces = 3;  // what the slow file sends of its body
  // Waits until the slow file has sent `pieces` more pieces (at most kSlowPieces).
  void WaitForSlowPieces(int pieces) {
    std::unique_lock lock(sentMutex);
    const int target = sent + pieces;
    sentChanged.wait(lock, [&] { return sent >= target; });
  }
  engine::WorkerRow Row(int worker) const { return f.rows.Snapshot()[size_t(worker)]; }

  std::mutex sentMutex;  // guards sent and stopServing
  bool stopServing = false;
  std::condition_variable sentChanged;
  int sent = 0;
  TestServer server;
  RecordingHandler handler;
  FetchFixture f{Shape::Crawler, &handler};
};

TEST_F(FetchFileTest, StoresAPictureUnderItsBareNameWithLogLines) {
  ASSERT_EQ(Fetch("gallery/a.jpg", 3), FetchOutcome::Stored);
  EXPECT_EQ(ReadFile(f.folder.Path() / "a.jpg"), "second picture");
  EXPECT_EQ(Log(), "-------------3:gallery/a.jpg...\n-------------3:(14 bytes, 0 seconds)----------\n");
  ASSERT_EQ(f.view.Pictures().size(), 1u);
  EXPECT_EQ(f.view.Pictures()[0].path, "a.jpg");
  EXPECT_EQ(f.view.Pictures()[0].file, f.folder.Path() / "a.jpg");
  EXPECT_EQ(Row(0).high, 14);
  EXPECT_EQ(Row(0).pos, 14);
  EXPECT_EQ(server.Agents().back(), "Tarvelin");

  // The same bare name again is numbered; nothing is overwritten.
  ASSERT_EQ(Fetch("a.jpg", 4, 2), FetchOutcome::Stored);
  EXPECT_EQ(ReadFile(f.folder.Path() / "a.jpg"), "second picture");
  EXPECT_EQ(ReadFile(f.folder.Path() / "a(1).jpg"), "first picture");
  f.switches.showThread = true;
  Fetch("a.jpg", 5, 2);
  EXPECT_TRUE(fs::exists(f.folder.Path() / "a(2).jpg"));
  EXPECT_NE(Log().find("-------------5:a.jpg, thread:2...\n"), std::string::npos);
  // Only whole files ever had a name: no temporary is left.
  EXPECT_EQ(std::distance(fs::directory_iterator(f.folder.Path()), {}), 3);
}

TEST_F(FetchFileTest, RefusedResponsesStoreNothingAndLogZeroBytes) {
  struct Case {
    std::string link;
    bool image, others;
    int sizeKB;
    bool stored;
  };
  const std::vector<Case> cases = {
      {"missing.jpg", false, false, 0, false},           // 404
      {"a.jpg", false, true, 0, false},                  // "others" refuses images
      {"sized.jpg?n=102400", false, false, 100, true},   // exactly the limit
      {"sized.jpg?n=102401", false, false, 100, false},  // one byte over
      {"unannounced.jpg", false, false, 10, false},      // no length announced, 40000 bytes > 10 KB
      {"unannounced.jpg", false, false, 0, true},
  };
  int index = 10;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.link + " image=" + std::to_string(c.image) + " others=" + std::to_string(c.others));
    f.switches.image = c.image;
    f.switches.others = c.others;
    f.switches.fileSizeKB = c.sizeKB;
    const size_t before = f.view.Pictures().size();
    Fetch(c.link, index);
    EXPECT_EQ(f.view.Pictures().size(), before + (c.stored ? 1 : 0));
    if (!c.stored) {
      EXPECT_NE(Log().find("-------------" + std::to_string(index) + ":(0 bytes, "), std::string::npos);
    }
    EXPECT_EQ(Row(0).pos, Row(0).high);
    ++index;
  }
  EXPECT_TRUE(handler.Bodies().empty());
  // Media types are compared without case: Text/HTML is a page even when only images are wanted.
  f.switches.image = true;
  EXPECT_EQ(Fetch("shout.htm", index), FetchOutcome::Page);
  EXPECT_EQ(handler.Bodies().size(), 1u);
}

TEST_F(FetchFileTest, AnswersWithoutTypeOrWithALyingLength) {
  // No content type: neither text nor image.
  RawServer untyped("HTTP/1.1 200 OK\r\nContent-Length: 9\r\nConnection: close\r\n\r\nraw bytes");
  f.site.port = untyped.Port();
  f.switches.image = true;
  EXPECT_EQ(Fetch("untyped.bin", 1), FetchOutcome::Refused);
  EXPECT_FALSE(fs::exists(f.folder.Path() / "untyped.bin"));
  EXPECT_NE(Log().find("-------------1:(0 bytes, "), std::string::npos);
  f.switches.image = false;
  EXPECT_EQ(Fetch("untyped.bin", 2), FetchOutcome::Stored);
  EXPECT_EQ(ReadFile(f.folder.Path() / "untyped.bin"), "raw bytes");

  // Announces less than it sends: the size limit still holds.
  RawServer liar("HTTP/1.0 200 OK\r\nContent-Type: image/png\r\n\r\n" + std::string(5000, 'L'));
  f.site.port = liar.Port();
  f.switches.fileSizeKB = 2;
  EXPECT_EQ(Fetch("liar.png", 3), FetchOutcome::Dropped);
  EXPECT_FALSE(fs::exists(f.folder.Path() / "liar.png"));
  f.switches.fileSizeKB = 0;
  Fetch("liar.png", 4);
  EXPECT_EQ(fs::file_size(f.folder.Path() / "liar.png"), 5000u);
  // A body shorter than announced is a network error: nothing is stored,
  // the log says why, and a later run tries the link again.
  RawServer shortBody("HTTP/1.1 200 OK\r\nContent-Type: image/png\r\nContent-Length: 900\r\n\r\nshort");
  f.site.port = shortBody.Port();
  EXPECT_EQ(Fetch("short.png", 5), FetchOutcome::NetworkError);
  EXPECT_FALSE(fs::exists(f.folder.Path() / "short.png"));
  EXPECT_NE(Log().find("-------------5:(5 bytes, "), std::string::npos);
  EXPECT_NE(Log().find("-------------5:error: "), std::string::npos);
  EXPECT_EQ(f.links.RecordForSaving().states[5], LinkState::New);
  EXPECT_EQ(f.links.Copy().states[5], LinkState::Taken);
  // Nothing of the refused or cut bodies is left in the folder.
  EXPECT_EQ(std::distance(fs::directory_iterator(f.folder.Path()), {}), 2);
}

TEST_F(FetchFileTest, AFailingAddressIsAskedOnceAndKeepsTheConnection) {
  server.Http().Get("/big-missing.jpg", [](const httplib::Request&, httplib::Response& res) {
    res.status = 404;
    res.set_content(std::string(200000, 'e'), "text/html");
  });
  engine::PageCache pages;
  f.pages = &pages;
  // Every spelling gets its turn and its lines, but one request.
  for (const std::string link : {"missing.jpg#a", "missing.jpg#b", "x/../missing.jpg", "missing.jpg"}) {
    EXPECT_EQ(Fetch(link, 10), FetchOutcome::Refused);
    EXPECT_NE(Log().rfind("-------------10:(0 bytes, "), std::string::npos);
  }
  EXPECT_EQ(server.Hits("/missing.jpg"), 1);
  // A small error body is read to its end: the connection serves the next file.
  Fetch("a.jpg", 11);
  EXPECT_EQ(server.Connections(), 1);
  // A large one is not worth reading: that connection is given up.
  Fetch("big-missing.jpg", 12);
  Fetch("a.jpg?again", 13);
  EXPECT_EQ(server.Connections(), 2);
}

TEST_F(FetchFileTest, AKeptPageIsReadOncePerFolder) {
  engine::PageCache pages;
  f.pages = &pages;
  // Once read, other fragments give nothing new; from another folder its links are others.
  for (const std::string link : {"page.htm", "page.htm#a", "page.htm#b", "x/../page.htm#c"})
    EXPECT_EQ(Fetch(link, 1), FetchOutcome::Page);
  EXPECT_EQ(handler.Bodies().size(), 2u);
  EXPECT_EQ(server.Hits("/page.htm"), 1);
  // What is not read again is still counted and its title logged, also from a compressed page.
  engine::PageCache packed(64u << 20, 4u << 20, 0);
  f.pages = &packed;
  for (const std::string link : {"late-title.htm", "late-title.htm#a"}) Fetch(link, 2);
  EXPECT_NE(Log().find("(4009 bytes", Log().find("(4009 bytes") + 1), std::string::npos);
  EXPECT_TRUE(f.logs.TitleText().ends_with("late\nlate\n"));
}

TEST_F(FetchFileTest, TextPagesAreScannedNotStoredAndTitlesAreCaptured) {
  EXPECT_EQ(Fetch("page.htm", 0), FetchOutcome::Page);
  EXPECT_TRUE(f.view.Pictures().empty());
  EXPECT_FALSE(fs::exists(f.folder.Path() / "page.htm"));
  ASSERT_EQ(handler.Bodies().size(), 1u);
  EXPECT_EQ(f.logs.TitleText(), "A page\n");

  // "<title>" in the first 1024 bytes but "</title>" beyond them: no title.
  Fetch("long-title.htm", 1);
  EXPECT_EQ(f.logs.TitleText(), "A page\n");
  // The first read is 1024 bytes of the body however the network splits it.
  Fetch("late-title.htm", 2);
  EXPECT_EQ(f.logs.TitleText(), "A page\nlate\n");
}

TEST_F(FetchFileTest, EmptyPictureIsStoredAndShown) {
  Fetch("empty.gif", 2);
  EXPECT_TRUE(fs::exists(f.folder.Path() / "empty.gif"));
  EXPECT_EQ(fs::file_size(f.folder.Path() / "empty.gif"), 0u);
  ASSERT_EQ(f.view.Pictures().size(), 1u);
  EXPECT_NE(Log().find(":(0 bytes, 0 seconds)"), std::string::npos);

  // Without an announced length the bar steps, and is filled at the end.
  Fetch("unannounced.jpg", 3, 1);
  EXPECT_FALSE(Row(1).lengthKnown);
  EXPECT_EQ(Row(1).pos, Row(1).high);
}

TEST_F(FetchFileTest, CancelAbandonsTheFileAndStopPutsItBack) {
  f.links.SetCount(5);
  std::thread canceller([&] {
    WaitForSlowPieces(3);
    f.signals.SetCancel(1);
  });
  EXPECT_EQ(Fetch("slow.jpg", 4, 1), FetchOutcome::Cancelled);
  canceller.join();
  EXPECT_FALSE(fs::exists(f.folder.Path() / "slow.jpg"));
  EXPECT_EQ(f.links.Copy().states[4], LinkState::Taken);
  EXPECT_EQ(f.links.Count(), 6);
  EXPECT_TRUE(handler.Bodies().empty());

  std::thread stopper([&] {
    WaitForSlowPieces(3);
    f.signals.SetStop();
  });
  EXPECT_EQ(Fetch("slow.jpg", 5, 2), FetchOutcome::Stopped);
  stopper.join();
  EXPECT_FALSE(fs::exists(f.folder.Path() / "slow.jpg"));
  EXPECT_EQ(f.links.Copy().states[5], LinkState::New);
  EXPECT_EQ(f.links.Count(), 6);
  EXPECT_TRUE(handler.Bodies().empty());
  // The closing line is still written.
  EXPECT_NE(Log().find("-------------5:(", Log().find("-------------5:slow.jpg...")), std::string::npos);
  EXPECT_EQ(std::distance(fs::directory_iterator(f.folder.Path()), {}), 0);
}

TEST_F(FetchFileTest, DroppedConnectionHandsThePartialPageToTheHandler) {
  EXPECT_EQ(Fetch("cut.htm", 1), FetchOutcome::NetworkError);
  ASSERT_EQ(handler.Bodies().size(), 1u);
  EXPECT_EQ(handler.Bodies()[0].size(), 3000u);
  EXPECT_FALSE(fs::exists(f.folder.Path() / "cut.htm"));
  EXPECT_NE(Log().find(":(3000 bytes, "), std::string::npos);
}

TEST_F(FetchFileTest, RedirectsAreFollowedOnlyToWebAddresses) {
  Fetch("moved.jpg", 1);
  EXPECT_EQ(ReadFile(f.folder.Path() / "moved.jpg"), "first picture");
  EXPECT_EQ(Fetch("to-ftp.jpg", 2), FetchOutcome::NetworkError);
  EXPECT_FALSE(fs::exists(f.folder.Path() / "to-ftp.jpg"));
  EXPECT_EQ(f.view.Pictures().size(), 1u);
}

TEST_F(FetchFileTest, OtherSiteLinksAndOddBytesReachTheRightServer) {
  // The marker's address names the server and port; logs show the object.
  const std::string link = std::string("gallery/\x01") + server.Url("/odd name/x y.png#frag");
  f.site.host = "elsewhere.invalid";
  Fetch(link, 6);
  EXPECT_FALSE(fs::exists(f.folder.Path() / "x y.png#frag"));  // not created under the raw name
  EXPECT_TRUE(fs::exists(f.folder.Path() / "x y.png.htm") || fs::exists(f.folder.Path() / "x y.png"));
  EXPECT_EQ(server.Targets().back(), "/odd%20name/x%20y.png");
  EXPECT_NE(Log().find("-------------6:/odd name/x y.png#frag...\n"), std::string::npos);

  // An other-site address that cannot be split: nothing logged.
  const std::string before = Log();
  EXPECT_EQ(Fetch(std::string("\x01") + "no scheme here", 7), FetchOutcome::BadOtherSiteAddress);
  EXPECT_EQ(Log(), before);
}

TEST(FetchFileQuorvash, KeepsFoldersButNeverLeavesTheProjectFolder) {
  TestServer server;
  server.Http().Get(R"(/.*)", [](const httplib::Request& req, httplib::Response& res) {
    res.set_content("data of " + req.path, req.path.find(".htm") != std::string::npos ? "text/html" : "image/jpeg");
  });
  server.Start();
  RecordingHandler handler;
  FetchFixture f(Shape::Search, &handler);
  f.site.host = "127.0.0.1";
  f.site.port = server.Port();
  f.switches.text = true;
  // The project folder is a child of the fixture's folder, so anything
  // written beside it would show.
  const fs::path project = f.folder.Path() / "project";
  fs::create_directories(project);
  f.UseFolder(project);
  const std::vector<std::string> hostile = {
      "../../escape.jpg", "a/../../../escape2.jpg", "%2E%2E%2Fescape3.jpg",
      "q%2F..%2F..%2Fescape4.jpg", "//abs/escape5.jpg", "sub/./deep/pic.jpg", "..", "results.htm?q=x",
      "dir.v2/noext", "dir.v2/noext"};
  int index = 0;
  for (const auto& link : hostile) f.Fetch(link, index++);
  EXPECT_EQ(std::distance(fs::directory_iterator(f.folder.Path()), {}), 1);
  for (const auto& entry : fs::recursive_directory_iterator(project))
    for (const auto& part : fs::relative(entry.path(), project)) EXPECT_NE(part, "..");
  EXPECT_TRUE(fs::exists(project / "sub/deep/pic.jpg"));
  EXPECT_TRUE(fs::exists(project / "escape.jpg"));
  EXPECT_TRUE(fs::exists(project / "q_.._.._escape4.jpg"));
  // A name without "." in a folder with one is numbered at its end.
  EXPECT_TRUE(fs::exists(project / "dir.v2/noext(1)"));
  // A result page is stored too when "text" is set, and is not shown.
  EXPECT_TRUE(fs::exists(project / "results.htm;q=x.htm"));
  for (const auto& p : f.view.Pictures()) EXPECT_EQ(p.path.find(".htm"), std::string::npos);
}

}  // namespace
