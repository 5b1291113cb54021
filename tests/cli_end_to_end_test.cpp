// Both console programs, run as a user runs them, against sites on loopback.
#include <gtest/gtest.h>

#include <condition_variable>
#include <set>

#include "tests/support/cli_runner.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_server.h"

namespace {

namespace fs = std::filesystem;

// A 1x1 GIF: decodes as a picture whatever name it is served under.
const std::string kGif("GIF89a\x01\x00\x01\x00\x80\x00\x00\x00\x00\x00\xff\xff\xff\x21\xf9\x04\x01\x00\x00\x00\x00"
                       "\x2c\x00\x00\x00\x00\x01\x00\x01\x00\x00\x02\x02\x44\x01\x00\x3b", 43);

std::string ReadFile(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::set<std::string> Stored(const fs::path& folder) {
  std::set<std::string> names;
  for (const auto& e : fs::recursive_directory_iterator(folder))
    if (e.is_regular_file()) names.insert(fs::relative(e.path(), folder).string());
  names.erase("~project.lock");  // the run's lock, not a stored file
  return names;
}

class TarvelinCli : public ::testing::Test {
 protected:
  void SetUp() override {
    // Each test starts from a clean store.
    fs::remove(fs::path(getenv("XDG_CONFIG_HOME")) / "Ombrel software/Tarvelin.conf");
    other.Http().Get("/other.jpg", [](const httplib::Request&, httplib::Response& res) {
      res.set_content(kGif, "image/jpeg");
    });
    other.Start("127.0.0.2");
    pages = {
        {"/index.htm",
         "<html><title>Home</title><a href='gallery/index.htm'>g</a> <img src='logo.gif'>"
         "<a name='top' href='named.htm'>x</a> <a href='files/set.zip'>zip</a>"
         "<img src='http://" + other.HostPort() + "/other.jpg'> <a href='#top'>top</a>"
         "<a href='mailto:x@y'>m</a> <a href=unquoted.htm>u</a></html>"},
        {"/gallery/index.htm",
         "<img src='a.jpg'><img src=\"b.jpg\"><a href='sub/deep.htm'>deep</a><a href='/index.htm'>home</a>"},
        {"/gallery/sub/deep.htm", "<img src='c.jpg'>"},
    };
    site.Http().Get(R"(/.*)", [this](const httplib::Request& req, httplib::Response& res) {
      {
        std::lock_guard g(pagesMutex);
        if (auto it = pages.find(req.path); it != pages.end()) return res.set_content(it->second, "text/html");
      }
      if (req.path == "/files/set.zip") return res.set_content("PK\x03\x04", "application/zip");
      if (req.path == "/gallery/slow.jpg") {
        res.set_chunked_content_provider("image/jpeg", [this](size_t, httplib::DataSink& sink) {
          // Under way until the test lets it end, so that a run can be cut in the middle of it.
          std::unique_lock lock(hurryMutex);
          if (!hurry) {
            if (!sink.write("........", 8)) return false;
            hurried.wait(lock, [this] { return hurry; });
          }
          lock.unlock();
          sink.write(kGif.data(), kGif.size());
          sink.done();
          return true;
        });
        return;
      }
      if (req.path.ends_with(".jpg") || req.path.ends_with(".gif")) return res.set_content(kGif, "image/gif");
      res.status = 404;
    });
    site.Start();
  }
  void TearDown() override { Hurry(); }
  void Hurry() {
    {
      std::lock_guard lock(hurryMutex);
      hurry = true;
    }
    hurried.notify_all();
  }

  CliRun Run(const std::vector<std::string>& args) {
    std::vector<std::string> all = {"--folder", folder.Path().string()};
    all.insert(all.end(), args.begin(), args.end());
    return CliRun(TARVELIN_CLI, all, logs.Path());
  }
  fs::path Project() const { return folder.Path() / site.FolderName(); }

  std::mutex hurryMutex;  // guards hurry
  std::condition_variable hurried;
  bool hurry = false;
  std::mutex pagesMutex;  // the server's threads read the pages
  std::map<std::string, std::string> pages;
  TestServer site, other;
  TempFolder folder, logs;
};

TEST_F(TarvelinCli, CrawlsTwoDirectoriesAndAnotherHost) {
  auto run = Run({"--fresh", "--set", "level=0", "--set", "MaxCount=0", site.Url("/index.htm")});
  ASSERT_EQ(run.Wait(), 0) << run.Err();
  EXPECT_EQ(ReadFile(Project() / "project.cfg"),
            "9\r\n1 index.htm\r\n1 gallery/index.htm\r\n1 logo.gif\r\n1 files/set.zip\r\n"
            "1 \x01http://" + other.HostPort() + "/other.jpg\r\n1 gallery/a.jpg\r\n1 gallery/b.jpg\r\n"
            "1 gallery/sub/deep.htm\r\n1 gallery/sub/c.jpg\r\n");
  // The archive is refused by the image filter that is on by default.
  EXPECT_EQ(Stored(Project()), (std::set<std::string>{"project.cfg", "logo.gif", "other.jpg", "a.jpg", "b.jpg", "c.jpg"}));
  EXPECT_NE(run.Out().find("Home\n"), std::string::npos);
  EXPECT_NE(run.Out().find("-------------0:index.htm...\n"), std::string::npos);
  EXPECT_NE(run.Out().find("Download finish. 5 pictures"), std::string::npos);
  EXPECT_EQ(site.Hits("/named.htm") + site.Hits("/unquoted.htm"), 0);

  // With "image" off, image tags are not read and the archive is stored.
  auto again = Run({"--fresh", "--set", "image=0", site.Url("/index.htm")});
  ASSERT_EQ(again.Wait(), 0);
  EXPECT_EQ(Stored(Project()), (std::set<std::string>{"project.cfg", "set.zip"}));
  EXPECT_NE(again.Out().find("Download finish. 0 pictures"), std::string::npos);
}

TEST_F(TarvelinCli, SameDirectoryAndMaxCount) {
  auto same = Run({"--fresh", "--set", "level=1", "--set", "MaxCount=0", site.Url("/gallery/index.htm")});
  ASSERT_EQ(same.Wait(), 0);
  EXPECT_EQ(ReadFile(Project() / "project.cfg"), "3\r\n1 gallery/index.htm\r\n1 gallery/a.jpg\r\n1 gallery/b.jpg\r\n");

  auto limited = Run({"--fresh", "--set", "level=0", "--set", "MaxCount=3", site.Url("/index.htm")});
  ASSERT_EQ(limited.Wait(), 0);
  EXPECT_EQ(ReadFile(Project() / "project.cfg"),
            "3\r\n1 index.htm\r\n0 gallery/index.htm\r\n1 logo.gif\r\n1 files/set.zip\r\n"
            "2 \x01http://" + other.HostPort() + "/other.jpg\r\n");
  // --set holds for its run only; --save keeps it.
  const fs::path store = fs::path(getenv("XDG_CONFIG_HOME")) / "Ombrel software/Tarvelin.conf";
  EXPECT_EQ(ReadFile(store).find("MaxCount"), std::string::npos);
  ASSERT_EQ(Run({"--fresh", "--set", "MaxCount=1", "--save", site.Url("/index.htm")}).Wait(), 0);
  EXPECT_NE(ReadFile(store).find("MaxCount=1"), std::string::npos);
}

TEST_F(TarvelinCli, InterruptedThenContinued) {
  {
    std::lock_guard g(pagesMutex);
    pages["/gallery/index.htm"] = "<img src='slow.jpg'><img src='a.jpg'>";
  }
  auto first = Run({"--fresh", "--set", "level=0", "--set", "MaxCount=0", site.Url("/gallery/index.htm")});
  ASSERT_TRUE(first.WaitForOutput("slow.jpg..."));
  first.Signal(SIGINT);
  ASSERT_EQ(first.Wait(), 130) << first.Err();
  EXPECT_NE(ReadFile(Project() / "project.cfg").find("0 gallery/slow.jpg\r\n"), std::string::npos);
  EXPECT_FALSE(fs::exists(Project() / "slow.jpg"));

  Hurry();
  auto second = Run({"--continue", site.Url("/gallery/index.htm")});
  ASSERT_EQ(second.Wait(), 0) << second.Err();
  EXPECT_EQ(ReadFile(Project() / "project.cfg"), "3\r\n1 gallery/index.htm\r\n1 gallery/slow.jpg\r\n1 gallery/a.jpg\r\n");
  EXPECT_TRUE(fs::exists(Project() / "slow.jpg"));
  EXPECT_EQ(site.Hits("/gallery/index.htm"), 1);
  EXPECT_EQ(site.Hits("/gallery/a.jpg"), 1);
}

TEST_F(TarvelinCli, UsageAndStartErrors) {
  auto badKey = Run({"--set", "colour=red", site.Url("/index.htm")});
  EXPECT_EQ(badKey.Wait(), 64);
  EXPECT_EQ(badKey.Err(), "tarvelin-cli: unknown settings key \"colour\"\nTry 'tarvelin-cli --help'.\n");
  auto badInt = Run({"--set", "MaxCount=lots", site.Url("/index.htm")});
  EXPECT_EQ(badInt.Wait(), 64);
  auto both = Run({"--continue", "--fresh", site.Url("/index.htm")});
  EXPECT_EQ(both.Wait(), 64);
  auto none = Run({});
  EXPECT_EQ(none.Wait(), 64);
  // Nothing was written by the refused runs.
  EXPECT_FALSE(fs::exists(fs::path(getenv("XDG_CONFIG_HOME")) / "Ombrel software/Tarvelin.conf") &&
               ReadFile(fs::path(getenv("XDG_CONFIG_HOME")) / "Ombrel software/Tarvelin.conf").find("colour") !=
                   std::string::npos);
  auto ftp = Run({"--fresh", "ftp://127.0.0.1/index.htm"});
  EXPECT_EQ(ftp.Wait(), 2);
  EXPECT_NE(ftp.Err().find("Meet some error, sotpped.\nonly http:// and https:// addresses can be downloaded, not ftp://\n"),
            std::string::npos) << ftp.Err();
  auto version = Run({"--version"});
  EXPECT_EQ(version.Wait(), 0);
  EXPECT_EQ(version.Out(), "tarvelin-cli (Tarvelin) 1.0\n");
  auto help = Run({"--help"});
  EXPECT_EQ(help.Wait(), 0);
  EXPECT_NE(help.Out().find("--continue"), std::string::npos);
  EXPECT_NE(help.Out().find("\"image\" = 1\n"), std::string::npos);  // this program's default
  EXPECT_EQ(help.Out().find("\"search host\""), std::string::npos);   // another program's key
}

TEST(QuorvashCli, UsageShowsItsOwnKeysDefaultsAndOptions) {
  TempFolder logs;
  CliRun help(QUORVASH_CLI, {"--help"}, logs.Path());
  ASSERT_EQ(help.Wait(), 0);
  EXPECT_EQ(help.Out().rfind("Usage: quorvash-cli [OPTION]... KEYWORD-OR-ADDRESS\n", 0), 0u);
  for (const char* part : {"\"image\" = 0\n", "\"diff root\" = 0\n", "\"text\" = 1\n", "\"search host\"\n"})
    EXPECT_NE(help.Out().find(part), std::string::npos) << part;
  CliRun resume(QUORVASH_CLI, {"--continue", "cats"}, logs.Path());
  EXPECT_EQ(resume.Wait(), 64);
  EXPECT_EQ(resume.Err(), "quorvash-cli: Unknown option 'continue'.\nTry 'quorvash-cli --help'.\n");
  CliRun none(QUORVASH_CLI, {}, logs.Path());
  EXPECT_EQ(none.Wait(), 64);
  EXPECT_EQ(none.Err(), "quorvash-cli: a keyword or address is needed\nTry 'quorvash-cli --help'.\n");
}

TEST_F(TarvelinCli, AProjectIsNeverThrownAwayUnasked) {
  ASSERT_EQ(Run({"--fresh", "--set", "level=0", site.Url("/index.htm")}).Wait(), 0);
  const auto stored = Stored(Project());
  const std::string record = ReadFile(Project() / "project.cfg");

  // No terminal to ask and no --continue or --fresh: nothing is touched.
  auto unasked = Run({site.Url("/index.htm")});
  EXPECT_EQ(unasked.Wait(), 2);
  EXPECT_EQ(unasked.Err(), "tarvelin-cli: a project for " + site.HostPort() + " exists: use --continue or --fresh\n");
  EXPECT_EQ(Stored(Project()), stored);
  EXPECT_EQ(ReadFile(Project() / "project.cfg"), record);

  // Another port of the same host is another project, beside the first.
  TestServer otherPort;
  otherPort.Http().Get("/index.htm", [](const httplib::Request&, httplib::Response& res) {
    res.set_content("<img src='x.gif'>", "text/html");
  });
  otherPort.Http().Get("/x.gif", [](const httplib::Request&, httplib::Response& res) { res.set_content(kGif, "image/gif"); });
  otherPort.Start();
  ASSERT_EQ(Run({"--set", "level=0", otherPort.Url("/index.htm")}).Wait(), 0);
  EXPECT_EQ(Stored(folder.Path() / otherPort.FolderName()), (std::set<std::string>{"project.cfg", "x.gif"}));
  EXPECT_EQ(Stored(Project()), stored);

  // --fresh says what went to the trash.
  auto fresh = Run({"--fresh", "-q", site.Url("/gallery/sub/deep.htm")});
  EXPECT_EQ(fresh.Wait(), 0);
  EXPECT_EQ(fresh.Out(), "");
  EXPECT_NE(fresh.Err().find("tarvelin-cli: " + std::to_string(stored.size()) + " entries of " + Project().string() +
                             " went to the trash ("),
            std::string::npos) << fresh.Err();
}

TEST_F(TarvelinCli, FailuresOfTheStartAddressHaveTheirExitCodes) {
  auto missing = Run({"--fresh", site.Url("/missing.htm")});
  EXPECT_EQ(missing.Wait(), 8);
  EXPECT_EQ(missing.Err(), "tarvelin-cli: " + site.Url("/missing.htm") + " was answered with an error: HTTP 404\n");
  EXPECT_EQ(missing.Out().find("Download finish."), std::string::npos);

  TestServer gone;
  gone.Start();
  const std::string address = gone.Url("/index.htm");
  gone.StopServer();
  auto unreachable = Run({"--fresh", address});
  EXPECT_EQ(unreachable.Wait(), 4);
  EXPECT_EQ(unreachable.Err().rfind("tarvelin-cli: " + address + " could not be reached: ", 0), 0u) << unreachable.Err();

  // A bare host name is an http:// address; the log may go to a file.
  const fs::path log = logs.Path() / "run.log";
  auto bare = Run({"--fresh", "--set", "level=1", "-o", log.string(), site.HostPort() + "/gallery/index.htm"});
  EXPECT_EQ(bare.Wait(), 0) << bare.Err();
  EXPECT_EQ(Stored(Project()), (std::set<std::string>{"project.cfg", "a.jpg", "b.jpg"}));
  EXPECT_NE(ReadFile(log).find("-------------0:gallery/index.htm...\n"), std::string::npos);
  EXPECT_EQ(bare.Out(), "Download finish. 2 pictures in " + Project().string() + "\n");
}

TEST(QuorvashCli, WalksResultPagesAndFetchesFromTwoHosts) {
  TestServer pictures1, pictures2, service;
  for (TestServer* s : {&pictures1, &pictures2})
    s->Http().Get(R"(/.*)", [](const httplib::Request&, httplib::Response& res) { res.set_content(kGif, "image/jpeg"); });
  pictures1.Start("127.0.0.1");
  pictures2.Start("127.0.0.2");
  const std::string h1 = pictures1.HostPort(), h2 = pictures2.HostPort();
  auto entry = [](const std::string& host, const std::string& name) {
    return "<a href=/imgres?imgurl=http://" + host + "/" + name + "&imgrefurl=http://ref/" + name + "&h=1>";
  };
  service.Http().Get("/images", [&](const httplib::Request& req, httplib::Response& res) {
    const std::string start = req.has_param("start") ? req.get_param_value("start") : "";
    std::string page = "<html>";
    if (start.empty())
      page += "Did you mean: <b><i>kats</i></b><td nowrap class=b><a href=/images?q=cats&start=10>Next</a>" +
              entry(h1, "a1.jpg") + entry(h2, "b1.jpg");
    else if (start == "10")
      page += "<td nowrap class=b><a href=\"/images?q=cats&start=20\">Next</a>" + entry(h1, "a2.jpg") + entry(h2, "b2.jpg");
    else
      page += entry(h1, "a3.jpg");
    res.set_content(page + "</html>", "text/html");
  });
  service.Start();
  TempFolder folder, logs;
  CliRun run(QUORVASH_CLI, {"--folder", folder.Path().string(), "--set", "search host=" + service.HostPort(), "cats"},
             logs.Path());
  ASSERT_EQ(run.Wait(), 0) << run.Err();
  const fs::path project = folder.Path() / service.FolderName();
  EXPECT_EQ(ReadFile(project / "project.cfg"),
            "8\r\n1 images?gbv=2&svnum=10&hl=en&newwindow=1&safe=off&q=cats\r\n1 images?q=cats&start=10\r\n"
            "1 \x01http://" + h1 + "/a1.jpg\r\n1 \x01http://" + h2 + "/b1.jpg\r\n1 images?q=cats&start=20\r\n"
            "1 \x01http://" + h1 + "/a2.jpg\r\n1 \x01http://" + h2 + "/b2.jpg\r\n1 \x01http://" + h1 + "/a3.jpg\r\n");
  EXPECT_EQ(Stored(project),
            (std::set<std::string>{"project.cfg", "images;gbv=2&svnum=10&hl=en&newwindow=1&safe=off&q=cats.htm",
                                   "images;q=cats&start=10.htm", "images;q=cats&start=20.htm", "a1.jpg", "b1.jpg",
                                   "a2.jpg", "b2.jpg", "a3.jpg"}));
  EXPECT_NE(run.Out().find("Download finish. 5 pictures"), std::string::npos);

  // Every search starts afresh, and says what went to the trash.
  CliRun again(QUORVASH_CLI, {"--folder", folder.Path().string(), "--set", "search host=" + service.HostPort(), "cats"},
               logs.Path());
  ASSERT_EQ(again.Wait(), 0) << again.Err();
  EXPECT_NE(again.Err().find("quorvash-cli: 9 entries of " + project.string() + " went to the trash ("), std::string::npos)
      << again.Err();
}

}  // namespace
