#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>

#include <atomic>
#include <fstream>
#include <future>
#include <thread>
#include "tarvelin/page_scanner.h"
#include "engine/settings_table.h"
#include "tarvelin/picture_reader.h"
#include "tests/support/engine_fixture.h"
#include "tests/support/page_fixture.h"

namespace {
struct Shape {
  std::string html;
  std::vector<std::string> pictures;  // full-size and small renditions, each to be stored once
};

// Every shape a modern page writes its pictures in, names prefixed with `p`.
std::vector<Shape> Shapes(const std::string& p) {
  return {
      {"<img src=\"" + p + "b300.jpg\" srcset=\"" + p + "b300.jpg 300w, " + p + "b1024.jpg 1024w, " + p +
           "b.jpg 2000w\">",
       {p + "b300.jpg", p + "b.jpg"}},
      {"<img srcset=\"" + p + "r.jpg 1x, " + p + "r@2x.jpg 2x\" src=\"" + p + "r.jpg\">", {p + "r.jpg", p + "r@2x.jpg"}},
      {"<picture><source srcset=\"" + p + "pic.webp 1600w, " + p + "pic-s.webp 800w\" type=\"image/webp\">"
       "<img src=\"" + p + "fallback.png\"></picture>", {p + "fallback.png", p + "pic.webp"}},
      {"<img src=\"data:image/gif;base64,R0lGODlhAQABAAAAACw=\" data-src=\"" + p + "lazy.jpg\">"
       "<noscript><img src=\"" + p + "ns.jpg\"></noscript><img data-original=\"" + p + "orig.png\" data-lazy-src=\"" +
           p + "ls.jpg\"><IMG DATA-FULL='" + p + "full.jpg' data-large_image=" + p + "large.jpeg data-srcset='" + p +
           "ds.jpg 2x'>",
       {p + "lazy.jpg", p + "ns.jpg", p + "orig.png", p + "ls.jpg", p + "full.jpg", p + "large.jpeg", p + "ds.jpg"}},
      {"<div style=\"background-image: url('" + p + "hero.jpg')\">x</div><style>.b { background: URL( " + p +
           "bg.png ) }</style>",
       {p + "hero.jpg", p + "bg.png"}},
      {"<meta property=\"og:image\" content=\"" + p + "og.jpg\"><meta name=\"twitter:image\" content=\"" + p +
           "tw.jpg\"><link rel=\"image_src\" href=\"" + p + "is.jpg\">",
       {p + "og.jpg", p + "tw.jpg", p + "is.jpg"}},
      {"<img\nsrc=\"" + p + "nl.jpg\"><IMG\tSRC=" + p + "up.jpg>", {p + "nl.jpg", p + "up.jpg"}},
  };
}
std::string Mixed(const std::string& p) {
  std::string page = "<html><head><title>t</title></head><body>";
  for (const Shape& s : Shapes(p)) page += s.html + "\n";
  return page + "<a href='next.htm'>next</a></body></html>";
}
std::vector<std::string> ScanLinks(const std::string& page, bool modern) {
  PageFixture f;
  f.switches.modernPages = modern;
  auto context = f.Page("g");
  tarvelin::ScanPage(context, page);
  return f.Links();
}

TEST(ModernPages, OffKeepsTheTextSearchAndItsSrcsetMended) {
  // The text search alone: an src inside srcset= or data-src= is no src=,
  // so no garbage such as "m-r.jpg is taken; the rest stays as it was.
  const std::vector<std::string> off = {
      "g/m-b300.jpg", "g/m-r.jpg", "g/m-fallback.png", "g/data:image/gif;base64,R0lGODlhAQABAAAAACw=", "g/m-ns.jpg",
      "g/m-nl.jpg", "g/next.htm"};
  EXPECT_EQ(ScanLinks(Mixed("m-"), false), off);
  // The second reading appends in page order what the text search missed.
  std::vector<std::string> on = off;
  for (const char* name : {"b.jpg", "r@2x.jpg", "pic.webp", "lazy.jpg", "orig.png", "ls.jpg", "full.jpg",
                           "large.jpeg", "ds.jpg", "hero.jpg", "bg.png", "og.jpg", "tw.jpg", "is.jpg",
                           "up.jpg"})
    on.push_back(std::string("g/m-") + name);
  EXPECT_EQ(ScanLinks(Mixed("m-"), true), on);
  // Other hosts: the new endings only with the new reading.
  const std::string other = "<img src='http://o/a.png'><img src='http://o/b.webp'><img src='http://o/c.jpeg'>";
  EXPECT_EQ(ScanLinks(other, false), std::vector<std::string>{});
  EXPECT_EQ(ScanLinks(other, true).size(), 3u);
  EXPECT_EQ(tarvelin::LargestSrcsetCandidate("a.jpg, b.jpg 1.5x,c.jpg 3x ,d.jpg 2x"), "c.jpg");
  EXPECT_EQ(tarvelin::LargestSrcsetCandidate("x.jpg?w=1,2 640w, data:y 9000w, y.jpg 100w"), "x.jpg?w=1,2");
}

// The parser is spared only on pages where it can find nothing more.
TEST(ModernPages, ParserSparedOnlyOnPagesWithoutItsShapes) {
  using tarvelin::MayHoldMorePictures;
  const std::string plain = "<a href='a.htm'>a</a><IMG  src='b.jpg'>\n";
  EXPECT_TRUE(!MayHoldMorePictures(plain, {}) && !MayHoldMorePictures(plain + "srcset", [] { return true; }));
  for (const Shape& shape : Shapes("x")) EXPECT_TRUE(MayHoldMorePictures(plain + shape.html, {})) << shape.html;
  for (size_t before = 64 * 1024 - 14; before <= 64 * 1024; ++before)  // across the 64 KB pieces
    EXPECT_TRUE(MayHoldMorePictures(std::string(before, ' ') + "twitter:image", {})) << before;
}

TEST(ModernPages, ScanIsLinearAndAsksToStopEvery64KB) {
  std::string page;
  while (page.size() < 6'000'000) page += "<a href='p" + std::to_string(page.size()) + ".htm'>x</a> ";
  std::vector<size_t> asked;  // bytes examined at each question
  const tarvelin::LinkWalker* self = nullptr;
  tarvelin::LinkWalker walker(page, true, [&] {
    asked.push_back(self->BytesExamined());
    return false;
  });
  self = &walker;
  size_t values = 0;
  while (walker.Next()) ++values;
  EXPECT_TRUE(values > 100'000u && walker.BytesExamined() <= 4 * page.size());  // counted, none quadratic
  asked.push_back(walker.BytesExamined());
  for (size_t i = 1; i < asked.size(); ++i) ASSERT_LE(asked[i] - asked[i - 1], tarvelin::kStopCheckBytes + 4096);
}

TEST(ModernPages, StopEndsTheScanOfALargePage) {
  std::string page;
  while (page.size() < 20'000'000) page += "<img src='i" + std::to_string(page.size()) + ".jpg'> ";
  PageFixture f;
  f.switches.modernPages = true;
  std::atomic<bool> stop{false};
  std::atomic<int> askedAfterStop{0};
  std::promise<void> started;
  int asks = 0;
  auto context = f.Page("g");
  context.SetStopCheck([&] {
    if (++asks == 2) started.set_value();
    if (stop) ++askedAfterStop;
    return stop.load();
  });
  std::thread scan([&] { tarvelin::ScanPage(context, page); });
  started.get_future().wait();
  stop = true;
  scan.join();
  EXPECT_TRUE(context.Cut() && askedAfterStop == 1);
  EXPECT_LT(f.links.Size(), 50'000);
}
// The fallbacks are real pictures; every other body is one no decoder reads.
std::string Body(const std::string& name) {
  if (!name.ends_with("fallback.png")) return "bytes of " + name + std::string(3000, char(name.size()));
  QImage image(3, 2, QImage::Format_RGB32);
  image.fill(Qt::red);
  QByteArray png;
  QBuffer buffer(&png);
  return buffer.open(QIODevice::WriteOnly) && image.save(&buffer, "PNG") ? png.toStdString() : "";
}

class ModernPagesRun : public EngineFixture {
 protected:
  ModernPagesRun() {
    program.pageHandler = &scanner;
    program.ownSettings = {engine::keys::kModernPages.name};
  }
  tarvelin::PageScanner scanner;
};

TEST_F(ModernPagesRun, EveryPictureOfEveryShapeIsStoredOnce) {
  std::string index;
  std::vector<std::string> pictures;
  const auto shapes = Shapes("");
  for (size_t i = 0; i <= shapes.size(); ++i) {
    const std::string prefix = "s" + std::to_string(i) + "-";
    const auto mine = Shapes(prefix);
    site.Page("/" + prefix + "page.htm", i < mine.size() ? mine[i].html : Mixed(prefix));
    index += "<a href='" + prefix + "page.htm'>x</a>";
    for (size_t s = 0; s < mine.size(); ++s)
      if (i == mine.size() || s == i) pictures.insert(pictures.end(), mine[s].pictures.begin(), mine[s].pictures.end());
  }
  site.Page("/index.htm", index);
  for (const std::string& name : pictures) site.File("/" + name, Body(name));
  RunAt("/index.htm");
  for (const std::string& name : pictures) {
    std::ifstream in(ProjectFolder() / name, std::ios::binary);
    EXPECT_TRUE(std::string(std::istreambuf_iterator<char>(in), {}) == Body(name) && site.Hits("/" + name) == 1) << name;
  }
  // Each stored file no decoder reads is named in the log; the two real pictures are not.
  const std::string log = engine->RunLogText(), line = ":stored, but no installed picture decoder reads it\n";
  size_t unread = 0;
  for (size_t at = log.find(line); at != std::string::npos; at = log.find(line, at + 1)) ++unread;
  EXPECT_EQ(unread, pictures.size() - 2);
}

}  // namespace
