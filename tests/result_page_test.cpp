#include "quorvash/result_page.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <optional>

#include "tests/support/page_fixture.h"
#include "links/link_state.h"

using namespace quorvash;
using engine::Question;

namespace {

const std::string kSuggestionQuery = "images?gbv=2&svnum=10&hl=en&newwindow=1&safe=off&q=";
const std::string kNext = "<td nowrap class=b><a href=";

std::string Image(const std::string& address) {
  return "<a href=/imgres?imgurl=" + address + "&imgrefurl=http://refhost/page.htm&h=100>";
}

std::string Suggest(const std::string& keyword) {
  return "<p>Did you mean: <a href=x><b><i>" + keyword + "</i></b></a></p>";
}

std::string Other(const std::string& address) { return "\x01" + address; }

struct Reader : PageFixture {
  Reader() : PageFixture(true) {}
  bool Read(const std::string& body) {
    auto page = Page();
    return ReadResultPage(page, body);
  }
};

TEST(ResultPage, WorkedExample) {
  Reader r;
  const std::string page = "<html><table><tr>" + kNext + "\"/images?q=cats&start=20\">Next</a>" +
                           "</table>" + Image("http://otherhost/a.jpg") + "<br>" +
                           Image("http://otherhost/b.jpg") + "</html>";
  EXPECT_FALSE(r.Read(page));
  EXPECT_EQ(r.Links(), (std::vector<std::string>{"images?q=cats&start=20",
                                                 Other("http://otherhost/a.jpg"),
                                                 Other("http://otherhost/b.jpg")}));
  EXPECT_EQ(r.States(), std::vector<links::LinkState>(3, links::LinkState::New));
  EXPECT_TRUE(r.view.Questions().empty());

  // Reached again under the same address, the page adds nothing.
  EXPECT_FALSE(r.Read(page));
  EXPECT_EQ(r.Links().size(), 3u);
}

TEST(ResultPage, SuggestionOfferedOnlyWhenComplete) {
  const std::string images = Image("http://h/1.jpg");
  struct Case {
    const char* name;
    std::string page;
    std::optional<std::string> offered;
  } cases[] = {
      {"63 characters", Suggest(std::string(63, 's')) + images, std::string(63, 's')},
      {"64 characters", Suggest(std::string(64, 's')) + images, std::nullopt},
      {"empty", Suggest("") + images, ""},
      {"entities kept", Suggest("caf&eacute; au lait") + images, "caf&eacute; au lait"},
      {"no <b><i>", "Did you mean: <a>cats</a></i></b>" + images, std::nullopt},
      {"no </i></b>", "Did you mean: <b><i>cats</b></i>" + images, std::nullopt},
      {"<b><i> before the marker", "<b><i>cats</i></b> Did you mean:" + images, std::nullopt},
      {"wrong case", "did you mean: <b><i>cats</i></b>" + images, std::nullopt},
      {"behind a zero byte", images + std::string("\0", 1) + Suggest("cats"), std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Reader r;  // answers No
    EXPECT_FALSE(r.Read(c.page));
    const auto asked = r.view.Questions();
    if (!c.offered) {
      EXPECT_TRUE(asked.empty());
    } else {
      ASSERT_EQ(asked.size(), 1u);
      EXPECT_EQ(asked[0].question, Question::Suggestion);
      EXPECT_EQ(asked[0].text,
                "google has a suggested keyword for you, did you mean: " + *c.offered + " ?");
    }
    // Declined or not offered, the page is read as usual.
    EXPECT_EQ(r.Links(), std::vector<std::string>{Other("http://h/1.jpg")});
  }
}

TEST(ResultPage, AcceptedSuggestionEndsThePage) {
  Reader r;
  r.view.Answer(Question::Suggestion, true);
  const std::string page = Suggest("red\r\ncar") + kNext + "/images?q=x&start=20>" +
                           Image("http://h/1.jpg");
  EXPECT_TRUE(r.Read(page));
  ASSERT_EQ(r.view.Questions().size(), 1u);
  EXPECT_EQ(r.view.Questions()[0].text,
            "google has a suggested keyword for you, did you mean: red\r\ncar ?");
  EXPECT_EQ(r.Links(), std::vector<std::string>{kSuggestionQuery + "redcar"});
}

TEST(ResultPage, NextPageLink) {
  struct Case {
    std::string cell;
    std::vector<std::string> links;
  } cases[] = {
      {kNext + "/images?q=cats&start=20>Next", {"images?q=cats&start=20"}},
      {kNext + "\"/images?q=cats&start=20\">Next", {"images?q=cats&start=20"}},
      {kNext + "\"\"//images?q=cats&start=20>", {"images?q=cats&start=20"}},
      {kNext + "images?q=a&amp;start=20%20>", {"images?q=a&amp;start=20%20"}},
      {kNext + "/images?q=a\r\n&start=20\t>", {"images?q=a&start=20"}},
      {kNext + "\r\n\"/images?start=20\"\t>", {"images?start=20"}},
      // 0x01 would make it an other-site link.
      {kNext + "\x01http://h/images?start=20>", {"http://h/images?start=20"}},
      // Only the first cell counts.
      {kNext + "/images?start=20>" + kNext + "/images?start=40>", {"images?start=20"}},
      {"<TD NOWRAP CLASS=B><A HREF=/images?start=20>", {}},
      // Without an end the cell is passed over; the images are still read.
      {Image("http://h/1.jpg") + kNext + "/images?start=20", {Other("http://h/1.jpg")}},
  };
  for (const Case& c : cases) {
    Reader r;
    EXPECT_FALSE(r.Read(c.cell));
    EXPECT_EQ(r.Links(), c.links) << c.cell;
  }
}

TEST(ResultPage, ImageAddresses) {
  struct Case {
    std::string page;
    std::vector<std::string> links;
  } cases[] = {
      // Next page first, then the images in the order of the page.
      {Image("http://h/1.jpg") + kNext + "/images?start=20>" + Image("http://h/2.jpg"),
       {"images?start=20", Other("http://h/1.jpg"), Other("http://h/2.jpg")}},
      {Image("http://h/a%20b.jpg?x=1&amp;y=2"), {Other("http://h/a%20b.jpg?x=1&amp;y=2")}},
      {Image("http://h/a\r\n.jpg\t\x01"), {Other("http://h/a.jpg")}},
      {Image("") + Image("\r\n\x01") + Image("http://h/1.jpg"), {Other("http://h/1.jpg")}},
      // Already listed, also in another case.
      {Image("http://h/1.jpg") + Image("HTTP://H/1.JPG"), {Other("http://h/1.jpg")}},
      // The search goes on right after the "&", so a marker in the referring
      // page's address is found.
      {"<a href=/imgres?imgurl=http://h/1.jpg&imgrefurl=<a href=/imgres?imgurl=http://h/2.jpg"
       "&imgrefurl=x",
       {Other("http://h/1.jpg"), Other("http://h/2.jpg")}},
      // An address runs to the next end marker, wherever that is.
      {Image("http://h/1.jpg") + "<a href=/imgres?imgurl=http://h/2.jpg&imgref=" +
           Image("http://h/3.jpg"),
       {Other("http://h/1.jpg"), Other("http://h/2.jpg&imgref=<a href=/imgres?imgurl=http://h/3.jpg")}},
      // An entry without an end stops the list.
      {Image("http://h/1.jpg") + "<a href=/imgres?imgurl=http://h/2.jpg", {Other("http://h/1.jpg")}},
      {"<A HREF=/imgres?imgurl=http://h/1.jpg&imgrefurl=x", {}},
      {Image("http://h/1.jpg") + std::string("\0", 1) + Image("http://h/2.jpg"),
       {Other("http://h/1.jpg")}},
      {"", {}},
  };
  for (const Case& c : cases) {
    Reader r;
    EXPECT_FALSE(r.Read(c.page));
    EXPECT_EQ(r.Links(), c.links) << c.page;
  }
}

TEST(ResultPage, HandlerReadsThePageAndBoundsTheNextPageLink) {
  ResultPageReader reader;
  Reader r;
  std::string body = Image("http://h/1.jpg");
  auto page = r.Page();
  reader.HandlePage(page, body);
  EXPECT_EQ(r.Links(), std::vector<std::string>{Other("http://h/1.jpg")});

  // A next-page link that grows with every page is not followed past 259 bytes.
  Reader grow;
  EXPECT_FALSE(grow.Read(kNext + "/images?q=x&s=" + std::string(246, 'g') + ">"));
  EXPECT_FALSE(grow.Read(kNext + "/images?q=x&s=" + std::string(247, 'g') + ">"));
  ASSERT_EQ(grow.Links().size(), 1u);
  EXPECT_EQ(grow.Links()[0].size(), 259u);

  // Picture addresses: web addresses only, bounded as a page's links are.
  Reader pictures;
  const std::string longest = "http://h/" + std::string(kMaxImageAddress - 10, 'p');
  EXPECT_FALSE(pictures.Read(Image("ftp://h:21/1.jpg") + Image("h/2.jpg") + Image(longest + "p") +
                             Image(longest) + Image("HTTPS://h/3.jpg")));
  EXPECT_EQ(pictures.Links(), (std::vector<std::string>{Other(longest), Other("HTTPS://h/3.jpg")}));
}

}  // namespace
