// Crashes, full and read-only disks, planted links and crafted pictures:
// nothing stored is lost or stored twice, nothing is followed, and failures
// are told, against the real console program.
#include <gtest/gtest.h>
#include <sys/mount.h>

#include <fstream>
#include <set>

#include "tests/support/cli_runner.h"
#include "tests/support/temp_folder.h"
#include "tests/support/test_site.h"

namespace {

namespace fs = std::filesystem;

std::string ReadFile(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// A FAT image mounted with FUSE: no hard links, no exclusive rename, and
// only plain ASCII names, as on a USB stick. fusefat runs single-threaded:
// with threads it can spin for good on an unlink beside a close.
class FatDisk {
 public:
  explicit FatDisk(const fs::path& where) : m_mount(where / "fat") {
    const fs::path image = where / "fat.img";
    fs::create_directories(m_mount);
    const std::string make = "truncate -s 96M '" + image.string() + "' && mkfs.fat -F 32 '" + image.string() +
                             "' >/dev/null && fusefat -s -o rw+ '" + image.string() + "' '" + m_mount.string() +
                             "' >/dev/null 2>&1";
    m_mounted = ::access("/dev/fuse", R_OK | W_OK) == 0 && std::system(make.c_str()) == 0;
  }
  ~FatDisk() {
    if (m_mounted) std::system(("fusermount -u '" + m_mount.string() + "'").c_str());
  }
  bool Mounted() const { return m_mounted; }
  const fs::path& Path() const { return m_mount; }

 private:
  fs::path m_mount;
  bool m_mounted = false;
};

// A small file system of its own, where this machine lets the test make one.
class SmallDisk {
 public:
  explicit SmallDisk(const fs::path& where, const std::string& size) : m_where(where) {
    fs::create_directories(where);
    m_mounted = ::mount("tmpfs", where.c_str(), "tmpfs", 0, ("size=" + size).c_str()) == 0;
  }
  ~SmallDisk() {
    if (m_mounted) ::umount2(m_where.c_str(), MNT_DETACH);
  }
  bool Mounted() const { return m_mounted; }
  bool Remount(const std::string& options) {
    return ::mount("tmpfs", m_where.c_str(), "tmpfs", MS_REMOUNT | (options == "ro" ? MS_RDONLY : 0),
                   options == "ro" ? nullptr : options.c_str()) == 0;
  }

 private:
  fs::path m_where;
  bool m_mounted = false;
};

class NothingLost : public ::testing::Test {
 protected:
  void SetUp() override { fs::remove(fs::path(getenv("XDG_CONFIG_HOME")) / "Ombrel software/Tarvelin.conf"); }
  // A start page with `count` pictures of `size` bytes, each with its own bytes.
  void Pictures(int count, size_t size, int delayMs = 0, std::string page = {}) {
    for (int i = 0; i < count; ++i) {
      const std::string name = "p" + std::to_string(i) + ".jpg";
      std::string body(size, char('a' + i % 26));
      body.replace(0, std::to_string(i).size(), std::to_string(i));
      site.Put("/" + name, {body, "image/jpeg", 0, delayMs});
      bodies[name] = body;
      page += "<img src='" + name + "'>";
    }
    site.Put("/index.htm", {page, "text/html"});
  }
  CliRun Run(const fs::path& programFolder, std::vector<std::string> args) {
    args.insert(args.begin(), {"--folder", programFolder.string()});
    args.push_back(site.Url("/index.htm"));
    return CliRun(TARVELIN_CLI, args, logs.Path());
  }
  // Every picture is there once, whole, and nothing else but project.cfg.
  void ExpectEveryPictureOnce(const fs::path& project) {
    std::set<std::string> names;
    for (const auto& e : fs::directory_iterator(project)) names.insert(e.path().filename().string());
    names.erase("project.cfg");
    names.erase("~project.lock");
    std::string listed;
    for (const std::string& name : names) listed += (bodies.count(name) ? "" : " unexpected:") + name + " ";
    EXPECT_EQ(names.size(), bodies.size()) << listed;
    for (const auto& [name, body] : bodies) EXPECT_EQ(ReadFile(project / name), body) << name;
  }

  TestSite site;
  TempFolder folder, logs;
  std::map<std::string, std::string> bodies;
};

TEST_F(NothingLost, KilledRunsContinueWithoutLossOrDuplicates) {
  Pictures(400, 30000, 20);
  const fs::path project = folder.Path() / site.FolderName();
  bool first = true;
  for (int kills = 0; kills < 3; ++kills) {
    auto run = Run(folder.Path(), {first ? "--fresh" : "--continue"});
    first = false;
    ASSERT_TRUE(run.WaitForOutput(" bytes, ", 100)) << run.Err();
    run.Signal(SIGKILL);
    run.Wait();
  }
  site.Hurry();
  auto last = Run(folder.Path(), {"--continue"});
  ASSERT_EQ(last.Wait(), 0) << last.Err();
  ExpectEveryPictureOnce(project);
  EXPECT_EQ(site.Hits("/index.htm"), 1);
}

TEST_F(NothingLost, AUsbStickStoresEveryPictureOnceThroughKillsAndCollisions) {
  FatDisk disk(folder.Path());
  if (!disk.Mounted()) GTEST_SKIP() << "FUSE or fusefat/mkfs.fat is missing: the FAT case is not tried";
  // Two links to one name, and a name FAT refuses (not ASCII). Pictures
  // smaller than a page, which fusefat misreads through the descriptor that
  // wrote them, arrive again in the run after a kill.
  Pictures(60, 400, 20, "<img src='caf%C3%A9.jpg'><img src='g/p0.jpg'>");
  site.Put("/g/p0.jpg", {"other bytes", "image/jpeg"});
  site.Put("/caf\xc3\xa9.jpg", {"cafe", "image/jpeg"});
  bodies["p0(1).jpg"] = "other bytes";
  bodies["caf__.jpg"] = "cafe";
  for (int kills = 0; kills < 3; ++kills) {
    auto run = Run(disk.Path(), {kills == 0 ? "--fresh" : "--continue"});
    ASSERT_TRUE(run.WaitForOutput(" bytes, ", 10)) << run.Err();
    run.Signal(SIGKILL);
    run.Wait();
  }
  site.Hurry();
  auto last = Run(disk.Path(), {"--continue"});
  ASSERT_EQ(last.Wait(), 0) << last.Err();
  // Which of the two gets the plain name depends on which arrives first.
  if (ReadFile(disk.Path() / site.FolderName() / "p0.jpg") == "other bytes") std::swap(bodies["p0.jpg"], bodies["p0(1).jpg"]);
  ExpectEveryPictureOnce(disk.Path() / site.FolderName());
}

TEST_F(NothingLost, ASecondRunOnABusyProjectDoesNotStart) {
  // A slow file keeps each run busy until the site hurries.
  Pictures(20, 1000, 0, "<img src='slow.jpg'>");
  site.Put("/slow.jpg", {"", "image/jpeg", 5000});
  bodies["slow.jpg"] = std::string(5000 * 1000, 's');
  const fs::path project = folder.Path() / site.FolderName();
  auto first = Run(folder.Path(), {"--fresh"});
  ASSERT_TRUE(first.WaitForOutput("slow.jpg...")) << first.Err();
  const std::string holder = "(process " + std::to_string(first.Pid()) + ")";
  for (const char* how : {"--fresh", "--continue"}) {
    auto second = Run(folder.Path(), {how});
    EXPECT_EQ(second.Wait(), 2) << how;
    EXPECT_NE(second.Err().find(holder), std::string::npos) << second.Err();
  }
  // Another project is not held up.
  TestSite other("127.0.0.2");
  other.Put("/index.htm", {"<img src='x.jpg'>", "text/html"});
  other.File("/x.jpg");
  EXPECT_EQ(CliRun(TARVELIN_CLI, {"--folder", folder.Path().string(), "--fresh", other.Url("/index.htm")}, logs.Path())
                .Wait(),
            0);
  // A killed run's lock is taken over; the continuing run holds it in turn.
  first.Signal(SIGKILL);
  first.Wait();
  auto resumed = Run(folder.Path(), {"--continue"});
  ASSERT_TRUE(resumed.WaitForOutput("slow.jpg...")) << resumed.Err();
  auto third = Run(folder.Path(), {"--continue"});
  EXPECT_EQ(third.Wait(), 2);
  site.Hurry();
  ASSERT_EQ(resumed.Wait(), 0) << resumed.Err();
  ExpectEveryPictureOnce(project);
}

TEST_F(NothingLost, PagesNameNoBadFilesAndDriveNoTerminal) {
  site.Put("/index.htm", {"<title>T\x1b]0;PWNED\x07\x1b[2J</title><img src='d/'><img src='x/:::'>"
                          "<img src='~part-abcdefghij.tmp'><img src='a%1Bb.jpg'>",
                          "text/html"});
  for (const char* path : {"/d/", "/x/:::", "/~part-abcdefghij.tmp", "/a\x1b" "b.jpg"}) site.File(path, path);
  auto run = Run(folder.Path(), {"--fresh"});
  EXPECT_EQ(run.Wait(), 0) << run.Err();
  EXPECT_EQ(run.Out().find('\x1b'), std::string::npos);
  EXPECT_NE(run.Out().find("T\\x1b]0;PWNED\\x07\\x1b[2J"), std::string::npos) << run.Out();
  const fs::path project = folder.Path() / site.FolderName();
  for (const char* name : {"d", "x", "_part-abcdefghij.tmp", "a_b.jpg"}) EXPECT_TRUE(fs::exists(project / name)) << name;
}

TEST_F(NothingLost, AFullDiskIsToldAndContinuingStoresWhatWasMissing) {
  SmallDisk disk(folder.Path() / "disk", "1m");
  if (!disk.Mounted()) GTEST_SKIP() << "no small file system can be made here (needs root and tmpfs)";
  Pictures(60, 50000);
  const fs::path project = folder.Path() / "disk" / site.FolderName();
  auto full = Run(folder.Path() / "disk", {"--fresh"});
  EXPECT_EQ(full.Wait(), 3);
  EXPECT_NE(full.Err().find("could not be stored: No space left on device"), std::string::npos) << full.Err();
  EXPECT_NE(full.Out().find("not stored: No space left on device"), std::string::npos);
  // The run stopped at the first file the disk refused, instead of fetching the rest.
  EXPECT_NE(full.Err().find("stopped: the disk takes no more files (No space left on device)"), std::string::npos);
  int fetched = 0;
  for (const auto& [name, body] : bodies) fetched += site.Hits("/" + name);
  EXPECT_LT(fetched, 40);

  ASSERT_TRUE(disk.Remount("size=16m"));
  auto more = Run(folder.Path() / "disk", {"--continue"});
  EXPECT_EQ(more.Wait(), 0) << more.Err();
  ExpectEveryPictureOnce(project);

  // A read-only disk stores nothing and says so.
  ASSERT_TRUE(disk.Remount("ro"));
  auto readOnly = Run(folder.Path() / "disk", {"--continue"});
  EXPECT_NE(readOnly.Wait(), 0);
}

TEST_F(NothingLost, PlantedLinksAreNeverFollowed) {
  Pictures(3, 100);
  const fs::path project = folder.Path() / site.FolderName();
  // project.cfg planted as a link to a file outside: not read, not sent.
  TempFolder outside;
  std::ofstream(outside.Path() / "secret") << "1\r\n0 secret-contents\r\n";
  fs::create_directories(project);
  fs::create_symlink(outside.Path() / "secret", project / "project.cfg");
  auto linked = Run(folder.Path(), {"--continue"});
  EXPECT_EQ(linked.Wait(), 2);
  EXPECT_NE(linked.Err().find("project.cfg"), std::string::npos);
  EXPECT_EQ(site.Hits("/secret-contents"), 0);

  // A dangling link in the folder goes to the trash with everything else.
  fs::create_symlink(outside.Path() / "gone", project / "dangling");
  ASSERT_EQ(Run(folder.Path(), {"--fresh"}).Wait(), 0);
  EXPECT_FALSE(fs::exists(fs::symlink_status(project / "dangling")));
  ExpectEveryPictureOnce(project);
  EXPECT_EQ(ReadFile(outside.Path() / "secret"), "1\r\n0 secret-contents\r\n");

  // The project folder itself planted as a link: refused, the target untouched.
  fs::remove_all(project);
  std::ofstream(outside.Path() / "mine.txt") << "mine";
  fs::create_symlink(outside.Path(), project);
  auto folderLink = Run(folder.Path(), {"--fresh"});
  EXPECT_EQ(folderLink.Wait(), 2);
  EXPECT_NE(folderLink.Err().find("Meet some error, sotpped."), std::string::npos);
  EXPECT_EQ(ReadFile(outside.Path() / "mine.txt"), "mine");
  EXPECT_FALSE(fs::exists(outside.Path() / "p0.jpg"));
}

TEST_F(NothingLost, ACraftedPictureCostsNoMemory) {
  // A truncated progressive JPEG that declares 30000 x 30000 pixels.
  const char header[] = "\xFF\xD8\xFF\xC2\x00\x11\x08\x75\x30\x75\x30\x03\x01\x22\x00\x02\x11\x01\x03\x11"
                        "\x01\xFF\xDA\x00\x0C\x03\x01\x00\x02\x11\x03\x11\x00\x3F\x00";
  const std::string bomb = std::string(header, sizeof header - 1) + std::string(480, '\x55');
  std::string page;
  for (int i = 0; i < 5; ++i) {
    site.File("/bomb" + std::to_string(i) + ".jpg", bomb);
    page += "<img src='bomb" + std::to_string(i) + ".jpg'>";
  }
  site.Put("/index.htm", {page, "text/html"});
  // LeakSanitizer cannot work in a traced child; the variable means nothing elsewhere.
  const char* asan = getenv("ASAN_OPTIONS");
  setenv("ASAN_OPTIONS", (asan && *asan ? std::string(asan) + ":detect_leaks=0" : "detect_leaks=0").c_str(), 1);
  auto run = Run(folder.Path(), {"--fresh"});
  ASSERT_TRUE(run.MeasurePeakMemory());
  ASSERT_EQ(run.Wait(), 0) << run.Err();
  EXPECT_NE(run.Out().find("Download finish. 0 pictures"), std::string::npos);
  EXPECT_GT(run.MaxRssKB(), 0);
  EXPECT_LT(run.MaxRssKB(), 200 * 1024);
}

}  // namespace
