// FetchFile against a real HTTP server on loopback.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <thread>

#include "tests/support/downloader_fixture.h"
#include "tests/support/raw_server.h"
#include "tests/support/test_server.h"

namespace fs = std::filesystem;

namespace {

// Records what reaches the page handler and writes the body as the real
// handlers do.
class RecordingHandler : public PageHandler {
 public:
  int HandlePage(CPageDownloader& d, std::string& body, int index) override {
    std::lock_guard g(mutex);
    bodies.push_back(body);
    d.WriteBody(body);
    return 0;
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
        std::string block(1000, 'z');
        for (int i = 0; i < 200 && !stopServing; ++i) {
          sink.write(block.data(), block.size());
          std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        sink.done();
        return true;
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
    f.project.m_host = "127.0.0.1";
    f.project.m_port = server.Port();
    f.project.m_image = 0;
    f.project.m_showThread = 0;
  }
  void TearDown() override { stopServing = true; }

  int Fetch(const std::string& link, int index = 3, int worker = 0) {
    while (f.project.LinkCount() <= index) f.project.AppendLink("filler" + std::to_string(f.project.LinkCount()), LINK_TAKEN);
    CPageDownloader d(&f.project, worker, f.context, f.session);
    const int result = d.FetchFile(link, index);
    lastIsText = d.m_isText;
    return result;
  }
  std::string Log() const { return f.logs.RunText(); }

  std::atomic<bool> stopServing{false};
  TestServer server;
  RecordingHandler handler;
  DownloaderFixture f{ProgramKind::Tarvelin, &handler};
  int lastIsText = -1;
};

TEST_F(FetchFileTest, StoresAPictureUnderItsBareNameWithLogLines) {
  ASSERT_EQ(Fetch("gallery/a.jpg", 3), 0);
  EXPECT_EQ(ReadFile(f.folder.Path() / "a.jpg"), "second picture");
  EXPECT_EQ(Log(), "-------------3:gallery/a.jpg...\r\n-------------3:(14 bytes, 0 seconds)----------\r\n");
  ASSERT_EQ(f.view.Pictures().size(), 1u);
  EXPECT_EQ(f.view.Pictures()[0].path, "a.jpg");
  EXPECT_EQ(f.view.ProgressCalls(0),
            (std::vector<std::string>{"pos 0", "range 14", "pos 14", "fill"}));
  EXPECT_EQ(server.Agents().back(), "Tarvelin");

  // The same bare name again is numbered; nothing is overwritten.
  ASSERT_EQ(Fetch("a.jpg", 4, 2), 0);
  EXPECT_EQ(ReadFile(f.folder.Path() / "a.jpg"), "second picture");
  EXPECT_EQ(ReadFile(f.folder.Path() / "a(1).jpg"), "first picture");
  f.project.m_showThread = 1;
  Fetch("a.jpg", 5, 2);
  EXPECT_TRUE(fs::exists(f.folder.Path() / "a(2).jpg"));
  EXPECT_NE(Log().find("-------------5:a.jpg, thread:2...\r\n"), std::string::npos);
}

TEST_F(FetchFileTest, RefusedResponsesStoreNothingAndLogZeroBytes) {
  struct Case {
    std::string link;
    int image, others, sizeKB;
    bool stored;
  };
  const std::vector<Case> cases = {
      {"missing.jpg", 0, 0, 0, false},             // 404
      {"shout.htm", 1, 0, 0, false},               // Text/HTML is no text page, and no image
      {"shout.htm", 0, 0, 0, true},                // ... so without the image filter it is stored
      {"a.jpg", 0, 1, 0, false},                   // "others" refuses images
      {"sized.jpg?n=102400", 0, 0, 100, true},     // exactly the limit
      {"sized.jpg?n=102401", 0, 0, 100, false},    // one byte over
      {"unannounced.jpg", 0, 0, 10, false},        // no length announced, 40000 bytes > 10 KB
      {"unannounced.jpg", 0, 0, 0, true},
  };
  int index = 10;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.link + " image=" + std::to_string(c.image) + " others=" + std::to_string(c.others));
    f.project.m_image = c.image;
    f.project.m_others = c.others;
    f.project.m_fileSizeKB = c.sizeKB;
    const size_t before = f.view.Pictures().size();
    const size_t handled = handler.Bodies().size();
    Fetch(c.link, index);
    EXPECT_EQ(f.view.Pictures().size(), before + (c.stored ? 1 : 0));
    EXPECT_EQ(handler.Bodies().size(), handled + (c.stored ? 1 : 0));
    if (!c.stored && c.link != "unannounced.jpg") {
      EXPECT_NE(Log().find("-------------" + std::to_string(index) + ":(0 bytes, "), std::string::npos);
    }
    EXPECT_EQ(f.view.ProgressCalls(0).back(), "fill");
    ++index;
  }
}

TEST_F(FetchFileTest, AnswersWithoutTypeOrWithALyingLength) {
  // No content type: neither text nor image.
  RawServer untyped("HTTP/1.1 200 OK\r\nContent-Length: 9\r\nConnection: close\r\n\r\nraw bytes");
  f.project.m_port = untyped.Port();
  f.project.m_image = 1;
  Fetch("untyped.bin", 1);
  EXPECT_FALSE(fs::exists(f.folder.Path() / "untyped.bin"));
  EXPECT_NE(Log().find("-------------1:(0 bytes, "), std::string::npos);
  f.project.m_image = 0;
  Fetch("untyped.bin", 2);
  EXPECT_EQ(lastIsText, 0);
  EXPECT_EQ(ReadFile(f.folder.Path() / "untyped.bin"), "raw bytes");

  // Announces less than it sends: the size limit still holds.
  RawServer liar("HTTP/1.0 200 OK\r\nContent-Type: image/png\r\n\r\n" + std::string(5000, 'L'));
  f.project.m_port = liar.Port();
  f.project.m_fileSizeKB = 2;
  Fetch("liar.png", 3);
  EXPECT_FALSE(fs::exists(f.folder.Path() / "liar.png"));
  f.project.m_fileSizeKB = 0;
  Fetch("liar.png", 4);
  EXPECT_EQ(fs::file_size(f.folder.Path() / "liar.png"), 5000u);
  // A body shorter than announced is a network error: nothing is stored.
  RawServer shortBody("HTTP/1.1 200 OK\r\nContent-Type: image/png\r\nContent-Length: 900\r\n\r\nshort");
  f.project.m_port = shortBody.Port();
  Fetch("short.png", 5);
  EXPECT_FALSE(fs::exists(f.folder.Path() / "short.png"));
  EXPECT_NE(Log().find("-------------5:(5 bytes, "), std::string::npos);
}

TEST_F(FetchFileTest, TextPagesAreScannedNotStoredAndTitlesAreCaptured) {
  Fetch("page.htm", 0);
  EXPECT_EQ(lastIsText, 1);
  EXPECT_TRUE(f.view.Pictures().empty());
  EXPECT_FALSE(fs::exists(f.folder.Path() / "page.htm"));
  ASSERT_EQ(handler.Bodies().size(), 1u);
  EXPECT_EQ(f.logs.TitleText(), "A page\r\n");
  EXPECT_EQ(f.project.m_startPagePath, "page.htm");

  // "<title>" in the first 1024 bytes but "</title>" beyond them: no title.
  Fetch("long-title.htm", 1);
  EXPECT_EQ(f.logs.TitleText(), "A page\r\n");
  // The first read is 1024 bytes of the body however the network splits it.
  Fetch("late-title.htm", 2);
  EXPECT_EQ(f.logs.TitleText(), "A page\r\nlate\r\n");
}

TEST_F(FetchFileTest, EmptyPictureIsStoredAndShown) {
  Fetch("empty.gif", 2);
  EXPECT_TRUE(fs::exists(f.folder.Path() / "empty.gif"));
  EXPECT_EQ(fs::file_size(f.folder.Path() / "empty.gif"), 0u);
  ASSERT_EQ(f.view.Pictures().size(), 1u);
  EXPECT_NE(Log().find(":(0 bytes, 0 seconds)"), std::string::npos);

  // Without an announced length the bar steps once per 1024-byte read.
  Fetch("unannounced.jpg", 3, 1);
  const auto calls = f.view.ProgressCalls(1);
  EXPECT_EQ(std::count(calls.begin(), calls.end(), "step"), 40);  // 40000 bytes
  EXPECT_EQ(std::count_if(calls.begin(), calls.end(), [](const std::string& c) { return c.rfind("range", 0) == 0; }), 0);
}

TEST_F(FetchFileTest, CancelAbandonsTheFileAndStopPutsItBack) {
  f.project.m_count = 5;
  f.project.AppendLink("slow.jpg", LINK_TAKEN);
  const int index = f.project.LinkCount() - 1;

  std::thread canceller([&] {
    while (f.view.ProgressCalls(1).size() < 3) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    f.signals.SetCancel(1);
  });
  f.signals.ClearStop();
  Fetch("slow.jpg", index, 1);
  canceller.join();
  EXPECT_FALSE(fs::exists(f.folder.Path() / "slow.jpg"));
  EXPECT_EQ(f.project.m_states[size_t(index)], LINK_TAKEN);
  EXPECT_EQ(f.project.m_count, 5);
  EXPECT_TRUE(handler.Bodies().empty());

  f.signals.ClearCancel(1);
  std::thread stopper([&] {
    while (f.view.ProgressCalls(2).size() < 3) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    f.signals.SetStop();
  });
  Fetch("slow.jpg", index, 2);
  stopper.join();
  EXPECT_FALSE(fs::exists(f.folder.Path() / "slow.jpg"));
  EXPECT_EQ(f.project.m_states[size_t(index)], LINK_NEW);
  EXPECT_EQ(f.project.m_count, 4);
  EXPECT_TRUE(handler.Bodies().empty());
  // The closing line is still written.
  EXPECT_NE(Log().rfind(":" ), std::string::npos);
  EXPECT_NE(Log().find("----------\r\n", Log().rfind("slow.jpg")), std::string::npos);
}

TEST_F(FetchFileTest, DroppedConnectionHandsThePartialPageToTheHandler) {
  Fetch("cut.htm", 1);
  ASSERT_EQ(handler.Bodies().size(), 1u);
  EXPECT_EQ(handler.Bodies()[0].size(), 3000u);
  EXPECT_FALSE(fs::exists(f.folder.Path() / "cut.htm"));
  EXPECT_NE(Log().find(":(3000 bytes, "), std::string::npos);
}

TEST_F(FetchFileTest, RedirectsAreFollowedOnlyToWebAddresses) {
  Fetch("moved.jpg", 1);
  EXPECT_EQ(ReadFile(f.folder.Path() / "moved.jpg"), "first picture");
  Fetch("to-ftp.jpg", 2);
  EXPECT_FALSE(fs::exists(f.folder.Path() / "to-ftp.jpg"));
  EXPECT_EQ(f.view.Pictures().size(), 1u);
}

TEST_F(FetchFileTest, OtherSiteLinksAndOddBytesReachTheRightServer) {
  // The marker's address names the server and port; logs show the object.
  const std::string link = std::string("gallery/\x01") + server.Url("/odd name/x y.png#frag");
  f.project.m_host = "elsewhere.invalid";
  Fetch(link, 6);
  EXPECT_EQ(ReadFile(f.folder.Path() / "x y.png#frag").size(), 0u);  // not created under the raw name
  EXPECT_TRUE(fs::exists(f.folder.Path() / "x y.png.htm") || fs::exists(f.folder.Path() / "x y.png"));
  EXPECT_EQ(server.Targets().back(), "/odd%20name/x%20y.png");
  EXPECT_NE(Log().find("-------------6:/odd name/x y.png#frag...\r\n"), std::string::npos);

  // An other-site address that cannot be split: result 1, nothing logged.
  const std::string before = Log();
  EXPECT_EQ(Fetch(std::string("\x01") + "no scheme here", 7), 1);
  EXPECT_EQ(Log(), before);
}

TEST(FetchFileQuorvash, KeepsFoldersButNeverLeavesTheProjectFolder) {
  TestServer server;
  server.Http().Get(R"(/.*)", [](const httplib::Request& req, httplib::Response& res) {
    res.set_content("data of " + req.path, req.path.find(".htm") != std::string::npos ? "text/html" : "image/jpeg");
  });
  server.Start();
  RecordingHandler handler;
  DownloaderFixture f(ProgramKind::Quorvash, &handler);
  f.project.m_host = "127.0.0.1";
  f.project.m_port = server.Port();
  f.project.m_image = 0;
  f.project.m_text = 1;
  // The project folder is a child of the fixture's folder, so anything
  // written beside it would show.
  const fs::path project = f.folder.Path() / "project";
  fs::create_directories(project);
  f.context.projectFolder = project;
  const std::vector<std::string> hostile = {
      "../../escape.jpg", "a/../../../escape2.jpg", "%2E%2E%2Fescape3.jpg",
      "q%2F..%2F..%2Fescape4.jpg", "//abs/escape5.jpg", "sub/./deep/pic.jpg", "..", "results.htm?q=x"};
  int index = 0;
  for (const auto& link : hostile) {
    f.project.AppendLink(link, LINK_TAKEN);
    CPageDownloader d(&f.project, 0, f.context, f.session);
    d.FetchFile(link, index++);
  }
  EXPECT_EQ(std::distance(fs::directory_iterator(f.folder.Path()), {}), 1);
  for (const auto& entry : fs::recursive_directory_iterator(project))
    for (const auto& part : fs::relative(entry.path(), project)) EXPECT_NE(part, "..");
  EXPECT_TRUE(fs::exists(project / "sub/deep/pic.jpg"));
  EXPECT_TRUE(fs::exists(project / "escape.jpg"));
  EXPECT_TRUE(fs::exists(project / "q_.._.._escape4.jpg"));
  // A result page is stored too when "text" is set, and is not shown.
  EXPECT_TRUE(fs::exists(project / "results.htm;q=x.htm"));
  for (const auto& p : f.view.Pictures()) EXPECT_EQ(p.path.find(".htm"), std::string::npos);
}

}  // namespace
