// Reading and writing "project.cfg".
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>

#include "engine/project_file.h"
#include "tests/support/temp_folder.h"

namespace {

namespace fs = std::filesystem;
using engine::LoadProjectFile;
using links::LinkState;

std::string Read(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

struct Folder {
  Folder() : fd(::open(temp.Path().c_str(), O_RDONLY | O_DIRECTORY)) {}
  ~Folder() { ::close(fd); }
  TempFolder temp;
  int fd;
};

TEST(ProjectFile, ReadsLinesAsTheyWereWritten) {
  // Both line ends; empty links; bytes as they are; a last line without a
  // line feed is lost; a line longer than any link is passed over.
  const auto loaded = LoadProjectFile("  7 \r\n2 a.jpg\r\n1 b.jpg\n0 c.htm\r\n1 \r\n0 " + std::string(9000, 'x') +
                                      "\r\n2 \x01http://h/\xff.jpg\r\n0 tail");
  ASSERT_TRUE(loaded.record);
  EXPECT_EQ(loaded.record->count, 7);
  EXPECT_EQ(loaded.record->links, (std::vector<std::string>{"a.jpg", "b.jpg", "c.htm", "", "\x01http://h/\xff.jpg"}));
  EXPECT_EQ(loaded.record->states, (std::vector<LinkState>{LinkState::Preferred, LinkState::Taken, LinkState::New,
                                                           LinkState::Taken, LinkState::Preferred}));
}

TEST(ProjectFile, WhatCannotBeAProjectFileIsRefused) {
  for (const std::string text : std::vector<std::string>{"", "none\r\n", "+12x\r\n", "99999999999\r\n", "3\r\n5 d.jpg\r\n", "3\r\nQ odd\r\n",
                                 "3\r\n1\r\n", "3\r\n1xb.jpg\r\n", std::string("1\r\n1 a\0b\r\n", 10),
                                 "\x7f\x45LF\x02\x01\x01\r\n"}) {
    SCOPED_TRACE(testing::PrintToString(text));
    const auto loaded = LoadProjectFile(text);
    EXPECT_FALSE(loaded.record);
    EXPECT_FALSE(loaded.problem.empty());
  }
  for (auto [text, count] : std::vector<std::pair<std::string, int>>{
           {"-3\r\n", -3}, {"+12\r\n", 12}, {"2147483647\r\n", 2147483647}, {"0", 0}}) {
    const auto loaded = LoadProjectFile(text);
    ASSERT_TRUE(loaded.record) << text;
    EXPECT_EQ(loaded.record->count, count);
  }
}

TEST(ProjectFile, SavesWithWindowsLineEndsReadsBackAndNeverFollowsALink) {
  Folder folder;
  const links::ProjectRecord record{3, {"", "gallery/a b.jpg", "gallery/\x01http://other/x.gif"},
                                    {LinkState::Taken, LinkState::New, LinkState::Preferred}};
  ASSERT_EQ(engine::SaveProjectFile(folder.fd, record), "");
  const fs::path file = folder.temp.Path() / "project.cfg";
  EXPECT_EQ(Read(file), "3\r\n1 \r\n0 gallery/a b.jpg\r\n2 gallery/\x01http://other/x.gif\r\n");
  const auto back = engine::ReadProjectFile(folder.fd);
  ASSERT_TRUE(back && back->record);
  EXPECT_EQ(back->record->links, record.links);
  EXPECT_EQ(back->record->states, record.states);
  // Nothing but the project file is left behind.
  EXPECT_EQ(std::distance(fs::directory_iterator(folder.temp.Path()), {}), 1);

  // A project.cfg planted as a link to a file elsewhere is not read, and a
  // save replaces the link instead of writing through it.
  TempFolder elsewhere;
  std::ofstream(elsewhere.Path() / "secret") << "1\r\n0 secret\r\n";
  fs::remove(file);
  fs::create_symlink(elsewhere.Path() / "secret", file);
  const auto refused = engine::ReadProjectFile(folder.fd);
  ASSERT_TRUE(refused);
  EXPECT_FALSE(refused->record);
  ASSERT_EQ(engine::SaveProjectFile(folder.fd, record), "");
  EXPECT_FALSE(fs::is_symlink(file));
  EXPECT_EQ(Read(elsewhere.Path() / "secret"), "1\r\n0 secret\r\n");
  EXPECT_FALSE(engine::ReadProjectFile(-1) && engine::ReadProjectFile(-1)->record);
}

TEST(ProjectFile, AFailedWriteKeepsTheLastGoodFileAndSaysWhy) {
  Folder folder;
  const links::ProjectRecord record{0, {"kept.jpg"}, {LinkState::New}};
  ASSERT_EQ(engine::SaveProjectFile(folder.fd, record), "");
  const std::string good = Read(folder.temp.Path() / "project.cfg");
  ::fchmod(folder.fd, 0500);
  if (::access(folder.temp.Path().c_str(), W_OK) != 0) {  // root may write anyway
    EXPECT_NE(engine::SaveProjectFile(folder.fd, {5, {"new.jpg"}, {LinkState::New}}), "");
    EXPECT_EQ(Read(folder.temp.Path() / "project.cfg"), good);
  }
  ::fchmod(folder.fd, 0700);
  EXPECT_NE(engine::SaveProjectFile(-1, record), "");
}

}  // namespace
