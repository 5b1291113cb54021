// Reading and writing "project.cfg".
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>

#include "engine/project_file.h"
#include "tests/support/temp_folder.h"

namespace {

namespace fs = std::filesystem;

void Load(CDownloadProject& p, const std::string& text) {
  std::FILE* f = fmemopen(const_cast<char*>(text.data()), text.size(), "rb");
  ASSERT_NE(f, nullptr);
  LoadProjectFile(p, f);
  std::fclose(f);
}

std::string Read(const fs::path& p) {
  std::ifstream in(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

TEST(ProjectFile, ReadsLinesAsTheyWereWritten) {
  CDownloadProject p;
  // Both line ends; state from the first character; the second skipped;
  // short lines give empty links; a last line without a line feed is lost.
  Load(p, "  7 apples\r\n2 a.jpg\r\n1xb.jpg\n0 c.htm\r\n5 d.jpg\r\nQ odd\r\n1\r\n\r\n2 \x01http://h/\xff.jpg\r\n0 tail");
  EXPECT_EQ(p.m_count, 7);
  const std::vector<std::string> links = {"a.jpg", "b.jpg", "c.htm", "d.jpg", "odd", "", "", "\x01http://h/\xff.jpg"};
  const std::vector<uint8_t> states = {2, 1, 0, 5, 0, 1, 0, 2};
  EXPECT_EQ(p.m_links, links);
  EXPECT_EQ(p.m_states, states);
  // Loaded links count as listed: finding one again adds nothing.
  EXPECT_FALSE(p.AddLink("C.HTM", 1).has_value());
}

TEST(ProjectFile, CountLineEdgeCases) {
  for (auto [text, count] : std::vector<std::pair<std::string, int>>{
           {"-3\r\n", -3}, {"+12x\r\n", 12}, {"none\r\n", 0}, {"", 0}, {"99999999999\r\n", 2147483647}}) {
    CDownloadProject p;
    Load(p, text);
    EXPECT_EQ(p.m_count, count) << text;
    EXPECT_EQ(p.LinkCount(), 0);
  }
  // A long line is read whole.
  CDownloadProject p;
  Load(p, "1\r\n0 " + std::string(5000, 'x') + "\r\n");
  ASSERT_EQ(p.LinkCount(), 1);
  EXPECT_EQ(p.m_links[0].size(), 5000u);
}

TEST(ProjectFile, SavesWithWindowsLineEndsAndReadsBack) {
  TempFolder folder;
  CDownloadProject p;
  p.m_count = 3;
  p.AppendLink("", LINK_TAKEN);
  p.AppendLink("gallery/a b.jpg", LINK_NEW);
  p.AppendLink("gallery/\x01http://other/x.gif", LINK_PREFERRED);
  ASSERT_EQ(SaveProjectFile(p, folder.Path()), 0);
  EXPECT_EQ(Read(folder.Path() / "project.cfg"),
            "3\r\n1 \r\n0 gallery/a b.jpg\r\n2 gallery/\x01http://other/x.gif\r\n");
  CDownloadProject back;
  std::FILE* f = std::fopen((folder.Path() / "project.cfg").c_str(), "rb");
  LoadProjectFile(back, f);
  std::fclose(f);
  EXPECT_EQ(back.m_links, p.m_links);
  EXPECT_EQ(back.m_states, p.m_states);
  EXPECT_EQ(back.m_count, 3);
  // Nothing but the project file is left behind.
  EXPECT_EQ(std::distance(fs::directory_iterator(folder.Path()), {}), 1);
}

TEST(ProjectFile, AFailedWriteKeepsTheLastGoodFile) {
  TempFolder folder;
  CDownloadProject p;
  p.AppendLink("kept.jpg", LINK_NEW);
  ASSERT_EQ(SaveProjectFile(p, folder.Path()), 0);
  const std::string good = Read(folder.Path() / "project.cfg");
  EXPECT_EQ(SaveProjectFile(p, folder.Path() / "no-such-folder"), -1);
  // A full disk: /dev/full takes no bytes.
  if (fs::exists("/dev/full")) {
    // The temporary file cannot be made there, so nothing changes here.
    EXPECT_EQ(SaveProjectFile(p, "/dev/full"), -1);
  }
  EXPECT_EQ(Read(folder.Path() / "project.cfg"), good);
}

}  // namespace
