// robots.txt, tries again after "later", Range resume and the identity a
// session sends, against servers on loopback.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "engine/part_files.h"
#include "engine/polite_fetch.h"
#include "engine/retry_policy.h"
#include "engine/robots_rules.h"
#include "tests/support/fetch_fixture.h"
#include "tests/support/raw_server.h"
#include "tests/support/test_server.h"

namespace fs = std::filesystem;
using engine::FetchOutcome;

namespace {

std::string ReadFile(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string Answer(const std::string& head, const std::string& body) {
  return "HTTP/1.1 " + head + "\r\nConnection: close\r\n\r\n" + body;
}

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST(RobotsRules, LongestMatchWinsAndAllowWinsATie) {
  const std::string file =
      "User-agent: other\nDisallow: /\n\n"
      "User-agent: *\nDisallow: /private\nAllow: /private/open\nDisallow: /*.gif$\n"
      "Disallow: /tie\nAllow: /tie\nDisallow: /%7Euser\nDisallow: /fish*.php\n\n"
      "User-agent: Tarvelin\nUser-agent: friend\nDisallow: /mine\nDisallow:\nCrawl-delay: 2.5\n";
  const auto anyone = engine::RobotsRules::Parse(file, "Somebot");
  struct Case {
    const char* target;
    bool allowed;
  } cases[] = {
      {"/", true},           {"/private", false},       {"/private/x", false}, {"/private/open/a.jpg", true},
      {"/a.gif", false},     {"/a.gif?x", true},        {"/tie", true},        {"/~user/p", false},
      {"/fish/x.php", false}, {"/fishy.php5", false},   {"/Fish.php", true},   {"/robots.txt", true},
  };
  for (const Case& c : cases) EXPECT_EQ(anyone.Allowed(c.target), c.allowed) << c.target;
  EXPECT_EQ(anyone.CrawlDelayMs(), 0);

  // Its own group, and nothing of "*": the token matches without case.
  const auto own = engine::RobotsRules::Parse(file, "tarVELIN");
  EXPECT_FALSE(own.Allowed("/mine/a.jpg"));
  EXPECT_TRUE(own.Allowed("/private"));
  EXPECT_EQ(own.CrawlDelayMs(), 2500);
  // Rules before any user-agent line, and an empty file, refuse nothing.
  EXPECT_TRUE(engine::RobotsRules::Parse("Disallow: /\n", "Tarvelin").Allowed("/a"));
  EXPECT_TRUE(engine::RobotsRules::Parse("", "Tarvelin").Allowed("/a"));
  EXPECT_FALSE(engine::RobotsRules::Parse("user-agent: * # all\r\ndisallow: / # none\r\n", "T").Allowed("/a"));
}

TEST(RetryPolicy, RetryAfterInSecondsOrAsADateAndTheNumberOfTries) {
  const std::time_t now = 1700000000;  // Tue, 14 Nov 2023 22:13:20 GMT
  EXPECT_EQ(engine::RetryAfterMs("7", now), 7000);
  EXPECT_EQ(engine::RetryAfterMs("9999", now), engine::kMaxRetryAfterMs);
  EXPECT_EQ(engine::RetryAfterMs("Tue, 14 Nov 2023 22:13:50 GMT", now), 30000);
  EXPECT_EQ(engine::RetryAfterMs("Tue, 14 Nov 2023 22:00:00 GMT", now), 0);
  EXPECT_FALSE(engine::RetryAfterMs("soon", now));
  EXPECT_FALSE(engine::RetryAfterMs("-5", now));

  engine::RetryPolicy later;
  for (int t = 2; t <= 4; ++t) {
    const auto v = later.After(503, "3", false, "", now);
    EXPECT_TRUE(v.again && v.delayMs == 3000 && v.tryNumber == t && v.tries == 4);
  }
  EXPECT_FALSE(later.After(429, "3", false, "", now).again);

  engine::RetryPolicy failing;
  EXPECT_EQ(failing.After(0, "", true, "reset", now).delayMs, 1000);
  EXPECT_EQ(failing.After(503, "", false, "", now).delayMs, 4000);
  EXPECT_FALSE(failing.After(0, "", true, "reset", now).again);
  EXPECT_FALSE(engine::RetryPolicy().After(404, "3", false, "", now).again);
  EXPECT_FALSE(engine::RetryPolicy().After(0, "", false, "no such host", now).again);
}

class PoliteFetchTest : public ::testing::Test {
 protected:
  void Polite(const std::string& host, int port, engine::PoliteSettings settings = {true, 0, 0, "Tarvelin"}) {
    f.site = {host, false, port};
    polite.emplace(settings);
    f.polite = &*polite;
  }
  FetchFixture f;
  std::optional<engine::Politeness> polite;
};

TEST_F(PoliteFetchTest, RobotsTxtIsReadOnceAndARefusedLinkIsDoneUnfetched) {
  TestServer server;
  server.Http().Get("/robots.txt", [](const httplib::Request&, httplib::Response& res) {
    res.set_content("User-agent: *\nDisallow: /private/\n", "text/plain");
  });
  server.Http().Get(R"(/.*\.jpg)", [](const httplib::Request&, httplib::Response& res) {
    res.set_content("picture", "image/jpeg");
  });
  server.Start();
  Polite("127.0.0.1", server.Port());
  EXPECT_EQ(f.Fetch("private/a.jpg", 3), FetchOutcome::RobotsRefused);
  EXPECT_EQ(f.Fetch("open/b.jpg", 4), FetchOutcome::Stored);
  EXPECT_EQ(server.Hits("/private/a.jpg"), 0);
  EXPECT_EQ(server.Hits("/robots.txt"), 1);
  EXPECT_TRUE(Has(f.Log(), "-------------3:not fetched: robots.txt refuses it\n"));
  EXPECT_EQ(f.tallies.counters.robotsRefused.load(), 1);
  EXPECT_EQ(f.links.RecordForSaving().states[3], links::LinkState::Taken);
}

TEST_F(PoliteFetchTest, RetryAfterInSecondsAndAsADateIsWaitedForAndTriedAgain) {
  for (const bool asDate : {false, true}) {
    int asked = 0;
    RawServer server([&](const std::string&) {
      if (asked++ > 0) return Answer("200 OK\r\nContent-Type: image/gif\r\nContent-Length: 3", "GIF");
      char date[64];
      const std::time_t soon = std::time(nullptr) + 1;
      std::strftime(date, sizeof date, "%a, %d %b %Y %H:%M:%S GMT", std::gmtime(&soon));
      return Answer(std::string("503 Busy\r\nContent-Length: 0\r\nRetry-After: ") + (asDate ? date : "1"), "");
    });
    Polite("127.0.0.1", server.Port(), {false, 0, 0, "Tarvelin"});
    EXPECT_EQ(f.Fetch(asDate ? "d.gif" : "s.gif", asDate ? 4 : 3), FetchOutcome::Stored);
    EXPECT_EQ(asked, 2);
  }
  EXPECT_TRUE(Has(f.Log(), "-------------3:503: try 2 of 4 in 1 s\n"));
  EXPECT_EQ(f.tallies.counters.retries.load(), 2);
}

TEST_F(PoliteFetchTest, StopEndsAWaitForALaterTryAtOnce) {
  RawServer server(Answer("503 Busy\r\nContent-Length: 0\r\nRetry-After: 120", ""));
  Polite("127.0.0.1", server.Port(), {false, 0, 0, "Tarvelin"});
  std::thread stopper([&] {
    while (!Has(f.Log(), "try 2 of 4 in 120 s")) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    f.signals.SetStop();
  });
  EXPECT_EQ(f.Fetch("busy.jpg", 3), FetchOutcome::Stopped);
  stopper.join();
  EXPECT_EQ(server.Requests().size(), 1u);
  EXPECT_EQ(f.links.RecordForSaving().states[3], links::LinkState::New);
}

// The first answer is cut at byte 1500 of 4000; the second try asks for the
// rest. With the file unchanged the server continues it (206); changed, the
// server sends the new file whole (200).
TEST_F(PoliteFetchTest, ACutBodyIsContinuedOrStartedOverWhenTheFileChanged) {
  const std::string before(4000, 'a'), after = std::string(3000, 'b');
  for (const bool changed : {false, true}) {
    std::string second;
    RawServer server([&](const std::string& request) {
      if (!Has(request, "Range:"))
        return Answer("200 OK\r\nContent-Type: image/jpeg\r\nETag: \"v1\"\r\nContent-Length: 4000",
                      before.substr(0, 1500));
      second = request;
      if (changed)
        return Answer("200 OK\r\nContent-Type: image/jpeg\r\nETag: \"v2\"\r\nContent-Length: 3000", after);
      return Answer("206 Partial\r\nContent-Type: image/jpeg\r\nETag: \"v1\"\r\nContent-Range: bytes 1500-3999/4000\r\n"
                    "Content-Length: 2500",
                    before.substr(1500));
    });
    Polite("127.0.0.1", server.Port(), {false, 0, 0, "Tarvelin"});
    const std::string name = changed ? "changed.jpg" : "same.jpg";
    ASSERT_EQ(f.Fetch(name, changed ? 4 : 3), FetchOutcome::Stored);
    EXPECT_TRUE(Has(second, "Range: bytes=1500-\r\n")) << second;
    EXPECT_TRUE(Has(second, "If-Range: \"v1\"\r\n")) << second;
    EXPECT_EQ(ReadFile(f.folder.Path() / name), changed ? after : before);
  }
  EXPECT_TRUE(Has(f.Log(), "-------------3:continued from byte 1500\n"));
  // Nothing but the two stored files is left: no part, no note.
  EXPECT_EQ(std::distance(fs::directory_iterator(f.folder.Path()), {}), 2);
}

TEST_F(PoliteFetchTest, APartOfAnEarlierRunIsContinued) {
  const std::string body = "0123456789";
  RawServer server([&](const std::string&) {
    return Answer("206 Partial\r\nContent-Type: image/png\r\nContent-Range: bytes 4-9/10\r\nContent-Length: 6",
                  body.substr(4));
  });
  Polite("127.0.0.1", server.Port(), {false, 0, 0, "Tarvelin"});
  const std::string address = platform::RequestUrl({false, "127.0.0.1", server.Port(), "/p.png"});
  ASSERT_TRUE(engine::WritePartInfo(f.store->FolderFd(), address, "\"x\""));
  std::ofstream(f.folder.Path() / engine::PartFileName(address)) << body.substr(0, 4);
  ASSERT_EQ(f.Fetch("p.png", 3), FetchOutcome::Stored);
  EXPECT_EQ(ReadFile(f.folder.Path() / "p.png"), body);
}

// A part is on disk, with its note, once its bytes are; a body that is whole
// before that leaves no part, and the part of an earlier try goes with it.
TEST(FileStoreParts, APartIsNamedWithItsFirstBytesOnDisk) {
  TempFolder folder;
  std::string error;
  auto store = engine::FileStore::Open(folder.Path(), error);
  const std::string url = "http://127.0.0.1:9/a.jpg", big(70 * 1024, 'b');
  const fs::path part = folder.Path() / engine::PartFileName(url), note = folder.Path() / engine::PartInfoName(url);
  ASSERT_TRUE(store && engine::WritePartInfo(store->FolderFd(), url, "\"old\""));
  std::ofstream(part) << "old";
  auto small = store->BeginPart(url, 0, "\"v1\"", error);
  ASSERT_TRUE(small && small->Write("tiny", 4) && store->Commit(*small, "a.jpg").stored);
  small.reset();
  EXPECT_EQ(ReadFile(folder.Path() / "a.jpg"), "tiny");
  EXPECT_FALSE(fs::exists(part) || fs::exists(note));
  // Past what is gathered in memory: what a killed run leaves to continue.
  store->RemoveStaleTemporaries();
  EXPECT_FALSE(store->MayHoldParts());
  auto cut = store->BeginPart(url, 0, "\"v2\"", error);
  ASSERT_TRUE(cut && cut->Write(big.data(), big.size()) && cut->Write("12", 2));
  EXPECT_TRUE(fs::exists(part) && fs::exists(note) && store->MayHoldParts());
  ASSERT_TRUE(cut->Keep());
  cut.reset();
  const auto kept = engine::FindPart(store->FolderFd(), url);
  ASSERT_TRUE(kept);
  EXPECT_EQ(kept->size, int64_t(big.size()) + 2);
  EXPECT_EQ(kept->validator, "\"v2\"");
}

// Takes every body.
struct HeaderReceiver : platform::HttpReceiver {
  bool OnHead(const platform::HttpHead&) override { return true; }
  bool OnChunk(const char*, size_t) override { return true; }
  bool ShouldAbort() override { return false; }
};

TEST(HttpIdentity, CookiesAndHeadersGoToTheirOwnHostOnly) {
  TestServer mine, other;
  std::vector<std::string> seen;
  std::mutex mutex;
  auto record = [&](const std::string& who) {
    return [&, who](const httplib::Request& req, httplib::Response& res) {
      std::lock_guard g(mutex);
      seen.push_back(who + " cookie=" + req.get_header_value("Cookie") + " x=" + req.get_header_value("X-Token") +
                     " agent=" + req.get_header_value("User-Agent"));
      res.set_content("ok", "text/plain");
    };
  };
  other.Http().Get("/b", record("other"));
  other.Start("127.0.0.2");
  mine.Http().Get("/a", record("mine"));
  mine.Http().Get("/away", [&](const httplib::Request& req, httplib::Response& res) {
    record("mine")(req, res);
    res.set_redirect(other.Url("/b"));
  });
  mine.Start();
  TempFolder folder;
  const fs::path cookies = folder.Path() / "cookies.txt";
  std::ofstream(cookies) << "# Netscape HTTP Cookie File\n127.0.0.1\tFALSE\t/\tFALSE\t0\tsession\tsecret\n";

  engine::RunSwitches switches;
  switches.cookieFile = cookies.string();
  switches.headers = {"X-Token: 42"};
  engine::Program program;
  program.name = "Tarvelin";
  platform::HttpSession session(engine::IdentityFor(program, switches));
  HeaderReceiver receiver;
  EXPECT_EQ(session.Get({false, "127.0.0.1", mine.Port(), "/a"}, receiver), platform::HttpOutcome::Completed);
  EXPECT_EQ(session.Get({false, "127.0.0.1", mine.Port(), "/away"}, receiver), platform::HttpOutcome::Completed);
  EXPECT_EQ(session.Get({false, "127.0.0.2", other.Port(), "/b"}, receiver), platform::HttpOutcome::Completed);
  const std::string agent = "agent=Tarvelin/" PROGRAM_VERSION;
  EXPECT_EQ(seen, (std::vector<std::string>{"mine cookie=session=secret x=42 " + agent,
                                            "mine cookie=session=secret x=42 " + agent, "other cookie= x= " + agent,
                                            "other cookie= x=42 " + agent}));
}

}  // namespace
