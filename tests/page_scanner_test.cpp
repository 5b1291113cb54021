#include "tarvelin/page_scanner.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

#include "links/link_state.h"
#include "tests/support/page_fixture.h"

using namespace tarvelin;

namespace {

using Entries = std::vector<std::pair<std::string, int>>;
const std::string M(1, links::kOtherSiteMarker);
using links::LinkState;


// A literal with its zero bytes.
template <size_t n>
std::string Bytes(const char (&text)[n]) {
  return std::string(text, n - 1);
}

struct Settings {
  int image = 1;
  int diffRoot = 1;
  int level = 0;
  bool secure = false;
  int showLink = 0;
};

// A page in directory "gallery" of thishost.
std::unique_ptr<PageFixture> Fixture(const Settings& s = {}) {
  auto f = std::make_unique<PageFixture>();
  f->switches.image = s.image;
  f->switches.diffRoot = s.diffRoot;
  f->switches.level = s.level;
  f->switches.showLink = s.showLink;
  f->site.secure = s.secure;
  return f;
}

Entries Stored(const PageFixture& f) {
  Entries out;
  const auto record = f.links.Copy();
  for (size_t i = 0; i < record.links.size(); ++i) out.emplace_back(record.links[i], int(record.states[i]));
  return out;
}

Entries Scan(const std::string& text, const Settings& s = {}) {
  auto f = Fixture(s);
  auto page = f->Page("gallery");
  ScanPage(page, text);
  return Stored(*f);
}

Verdict Process(const std::string& value, int kind, const Settings& s = {}) {
  auto f = Fixture(s);
  auto page = f->Page("gallery");
  return ProcessLink(page, value, kind);
}

TEST(PageScanner, WorkedExamples) {
  struct Row {
    std::string tag;
    std::optional<Verdict> verdict;  // nothing: the value is not taken at all
    Entries stored;
  } rows[] = {
      {"a href='next.htm'", Verdict::Added, {{"gallery/next.htm", int(LinkState::New)}}},
      {"IMG SRC='pics/a.jpg'", Verdict::Added, {{"gallery/pics/a.jpg", int(LinkState::Preferred)}}},
      {"a href='/files/set.zip'", Verdict::Added, {{"files/set.zip", int(LinkState::Preferred)}}},
      {"a href='mailto:someone'", Verdict::NotFetched, {}},
      {"a href='www.otherhost/x.htm'", Verdict::NotFetched, {}},
      {"a href='#top'", Verdict::FragmentOnly, {}},
      {"a href='http://thishost/about.htm'", Verdict::Added, {{"about.htm", int(LinkState::New)}}},
      {"img border=0 src=http://otherhost/b.gif alt='x'", Verdict::Added,
       {{"gallery/" + M + "http://otherhost/b.gif", int(LinkState::Preferred)}}},
      {"a href='http://otherhost/page.htm'", Verdict::OtherHost, {}},
      {"a name='x' href='y.htm'", std::nullopt, {}},
      {"a href=plain.htm", std::nullopt, {}},
      {"a href='page.htm#part'", Verdict::Added, {{"gallery/page.htm#part", int(LinkState::New)}}},
  };
  for (const Row& row : rows) {
    for (const char quote : {'\'', '"'}) {
      std::string page = "<" + row.tag + ">";
      std::replace(page.begin(), page.end(), '\'', quote);
      SCOPED_TRACE(page);
      EXPECT_EQ(Scan(page), row.stored);

      std::vector<LinkValue> values;
      LinkWalker walker(page, true);
      while (auto v = walker.Next()) values.push_back(*v);
      if (!row.verdict) {
        EXPECT_TRUE(values.empty());
        continue;
      }
      ASSERT_EQ(values.size(), 1u);
      EXPECT_EQ(Process(std::string(values[0].text), values[0].kind), row.verdict);
    }
  }
}

TEST(PageScanner, PagesGiveTheseEntries) {
  // Other-site images: their length is not bounded once resolved.
  const std::string v4159 = "http://o/" + std::string(4146, 'x') + ".jpg";
  const std::string v4160 = "http://o/y" + v4159.substr(9);
  Settings imageOff, diffRootOff, sameDir, secure;
  imageOff.image = 0;
  diffRootOff.diffRoot = 0;
  sameDir.level = 1;
  secure.secure = true;
  const int N = int(LinkState::New), P = int(LinkState::Preferred);
  struct Case {
    const char* name;
    std::string page;
    Settings settings;
    Entries stored;
  } cases[] = {
      {"A NAME in capitals is no named anchor", "<A NAME='x' href='y.htm'>", {}, {{"gallery/y.htm", N}}},
      {"an href after the tag is not the anchor's", "<A NAME=top></A><link href='s.css'>", {}, {}},
      {"anchors without an href hide nothing", "<a id=\"s1\"></a><img src='a.jpg'><a class=\"c\">x</a>"
       "<img src='b.png'><a id='s2'><a href='n.htm'>", {}, {{"gallery/a.jpg", P}, {"gallery/b.png", P}, {"gallery/n.htm", N}}},
      {"a quoted > does not close the tag", "<a title='a > b' href='t.htm'><a title=\"it's\" x='>' href=\"u.htm\">",
       {}, {{"gallery/t.htm", N}, {"gallery/u.htm", N}}},
      {"unquoted src runs to the blank", "<img src=a.jpg><br> x", {}, {{"gallery/a.jpg><br>", P}}},
      {"backslash counts as quoted", "<img src=\\\"b.jpg\\\">", {}, {{"gallery/b.jpg\\", P}}},
      {"img without src ends the scan", "<img alt='x'><a href='a.htm'>", {}, {}},
      {"a later src is taken first", "<img alt=x><a href='a.htm'><img src='b.jpg'><a href='c.htm'>", {},
       {{"gallery/b.jpg", P}, {"gallery/c.htm", N}}},
      {"page order", "<a href='1.htm'><img src='2.jpg'><a href='3.htm'>", {},
       {{"gallery/1.htm", N}, {"gallery/2.jpg", P}, {"gallery/3.htm", N}}},
      {"image off", "<img src='a.jpg'><a href='b.jpg'>", imageOff, {{"gallery/b.jpg", N}}},
      {"only a blank ends a tag name", "<a\nhref='a.htm'><img\tsrc='b.jpg'>", {}, {}},
      {"either quote ends the value", "<a href=\"it's.htm\">", {}, {{"gallery/it", N}}},
      {"anchor without any href", "<a class=x>t</a><img src='b.jpg'>", {}, {{"gallery/b.jpg", P}}},
      {"archives", "<a href='SET.RAR'><a href='set.zip?x=1'><img src='x.zip'>", {},
       {{"gallery/SET.RAR", P}, {"gallery/set.zip?x=1", N}, {"gallery/x.zip", P}}},
      {"listed once whatever the case", "<a href='A.htm'><a href='a.HTM'>", {}, {{"gallery/A.htm", N}}},
      {"4159 characters", "<a href='" + v4159 + "'>", {}, {{"gallery/\x01" + v4159, N}}},
      {"4160 characters", "<a href='" + v4160 + "'><a href='n.htm'>", {}, {{"gallery/n.htm", N}}},
      {"https", "<a href='HTTPS://thishost/a.htm'><img src='https://o/b.jpg'><a href='https://o/c.htm'>", {},
       {{"a.htm", N}, {"gallery/" + M + "https://o/b.jpg", P}}},
      {"other-host endings", "<img src='http://o/a.jpeg'><img src='http://o/a.png'><img src='http://o/a.jpg?x'>"
       "<img src='http://o/a.JPG'>", {}, {{"gallery/" + M + "http://o/a.JPG", P}}},
      {"diff root off", "<img src='http://o/a.jpg'>", diffRootOff, {}},
      {"scheme-relative", "<img src='//o/c.gif'><a href='//thishost/d.htm'>", {},
       {{"gallery/" + M + "http://o/c.gif", P}, {"d.htm", N}}},
      {"scheme-relative on https", "<img src='//o/c.gif'>", secure, {{"gallery/" + M + "https://o/c.gif", P}}},
      {"tab, CR and LF dropped", "<a href='pa\nge\t.h\rtm'><a href='\nhttp://thishost/x.htm'><a href='mail\r\nto:x'>"
       "<a href='s.z\nip'>", {}, {{"gallery/page.htm", N}, {"x.htm", N}, {"gallery/s.zip", P}}},
      {"numeric references", "<a href='a&#46;htm'><img src='b&#x2e;jpg'><a href='c&#10;d.htm'>", {},
       {{"gallery/a.htm", N}, {"gallery/b.jpg", P}, {"gallery/c&#10;d.htm", N}}},
      {"no forged other-site link", "<a href='x" + M + "http://o/a.htm'>", {}, {{"gallery/x%01http://o/a.htm", N}}},
      {"a zero byte ends the page", Bytes("<a href='a.htm'>\0<a href='b.htm'>"), {},
       {{"gallery/a.htm", N}}},
      {"same directory", "<a href='p.htm'><a href='sub/p.htm'><a href='/p.htm'><a href='/gallery/q.htm'>"
       "<a href='/Gallery/r.htm'><a href='http://thishost/gallery/s.htm'><img src='http://o/a.jpg'>", sameDir,
       {{"gallery/p.htm", N}, {"gallery/q.htm", N}, {"gallery/s.htm", N}, {"gallery/" + M + "http://o/a.jpg", P}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Scan(c.page, c.settings), c.stored);
  }
  // The page ends inside a tag or value: nothing may be read past it.
  for (const char* cut : {"<img src", "<img src=", "<img src=x", "<img src='", "<img ", "<a href", "<a href='x",
                          "<a href= '", "<a name", "<a "}) {
    SCOPED_TRACE(cut);
    EXPECT_EQ(Scan(cut), Entries{});
  }
}

TEST(PageScanner, Verdicts) {
  Settings sameDir, diffRootOff;
  sameDir.level = 1;
  diffRootOff.diffRoot = 0;
  const struct {
    std::string value;
    Settings settings;
    Verdict verdict;
  } cases[] = {
      {"MailTo:x", {}, Verdict::NotFetched},           {"WWW.x.htm", {}, Verdict::NotFetched},
      {"FILE://c/x.jpg", {}, Verdict::NotFetched},     {"#", {}, Verdict::FragmentOnly},
      {"http://ThisHost/x.htm", {}, Verdict::OtherHost},  // the host compares with case
      {"http:///x.jpg", diffRootOff, Verdict::OtherHost}, {"http://o/x.jpg", diffRootOff, Verdict::OtherHost},
      {"sub/p.htm", sameDir, Verdict::OutsideLevel},   {"/p.htm", sameDir, Verdict::OutsideLevel},
      {"ftp://o/x.jpg", {}, Verdict::Added},
      // "gallery/" + 251 characters is 259: kept; one more is too long.
      {std::string(251, 'a'), {}, Verdict::Added},     {std::string(252, 'a'), {}, Verdict::TooLong},
      {"http://o/" + std::string(300, 'b') + ".jpg", {}, Verdict::Added},  // other-site links keep their length
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.value);
    EXPECT_EQ(Process(c.value, 1, c.settings), c.verdict);
  }
}

TEST(PageScanner, ShowLinkLogsNewLinksOnce) {
  for (const int showLink : {0, 1}) {
    Settings s;
    s.showLink = showLink;
    auto f = Fixture(s);
    f->links.Append("gallery/index.htm", LinkState::Taken);
    auto page = f->Page("gallery");
    ScanPage(page, "<a href='a.htm'><a href='A.htm'><img src='b.jpg'>");
    EXPECT_EQ(f->logs.RunText(), showLink ? "1:gallery/a.htm\n2:gallery/b.jpg\n" : "");
  }
}

}  // namespace
