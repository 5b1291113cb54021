// Speed of the page scanner on one large page held in memory, beside passes
// that merely read the same bytes: what a scan of the text can cost at least.
//
// The page is built from blocks that look like a crawled gallery: paragraphs
// of text, a navigation list, thumbnails linking to pages, images on this host
// and on others, inline script and style, mail and fragment links. Link
// numbers repeat across blocks, so part of the links found are listed already.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <functional>
#include <string>

#include "tests/support/page_fixture.h"
#include "tests/support/temp_folder.h"
#include "tarvelin/page_scanner.h"
#include "tarvelin/picture_reader.h"

namespace {

using Clock = std::chrono::steady_clock;

std::string Block(int n) {
  const int id = n % 40'000;
  char b[2048];
  std::snprintf(
      b, sizeof b,
      "<div class=\"entry\" id=\"e%d\">\n"
      "<h2><a href=\"/gallery/%d/index.htm\" title=\"Album %d\">Album %d</a></h2>\n"
      "<p>Pictures taken on a walk along the river, with the old mill, the bridge and the\n"
      "harbour at dusk. Click a thumbnail to see the picture in full size. See also the\n"
      "<a href='../archive/%d.htm'>archive</a> or write to <a href=\"mailto:me@thishost\">me</a>.</p>\n"
      "<table border=0><tr>\n"
      "<td><a href=\"view.php?id=%d&amp;size=l\"><img src=\"thumbs/t%d.jpg\" width=120 height=90 alt=\"\"></a></td>\n"
      "<td><a href=\"http://thishost/gallery/%d/p2.htm\"><IMG SRC='/thumbs/t%d_2.jpg' border=0></a></td>\n"
      "<td><img border=0 src=http://cdn%d.otherhost/img/%d.gif alt='x'></td>\n"
      "<td><a href=\"http://otherhost/ad.htm?%d\"><img src=\"https://img.otherhost/%d.jpg\"></a></td>\n"
      "</tr></table>\n"
      "<script type=\"text/javascript\">var s = 'a' + \"b\"; if (x < y && y > 0) { track('%d'); }</script>\n"
      "<style>.entry { margin: 0 4px; font: 12px 'Verdana'; }</style>\n"
      "<ul class=nav><li><a href=\"#top\">top</a><li><a href=\"/files/set%d.zip\">all pictures (zip)</a>\n"
      "<li><a name=\"n%d\"></a><a href=\"tags/river.htm\">river</a></ul>\n"
      "</div>\n",
      n, id, id, id, id, id, id, id, id, id % 7, id, id, id, id, id, n);
  return b;
}

std::string BuildPage(size_t size) {
  std::string page = "<html><head><title>River gallery</title></head><body>\n";
  for (int n = 0; page.size() < size; ++n) page += Block(n);
  return page + "</body></html>\n";
}

// Best of a few runs, in seconds.
double Best(int runs, const std::function<void()>& pass) {
  double best = 1e30;
  for (int i = 0; i < runs; ++i) {
    const auto start = Clock::now();
    pass();
    best = std::min(best, std::chrono::duration<double>(Clock::now() - start).count());
  }
  return best;
}

void Row(const char* what, double seconds, size_t bytes) {
  std::printf("%-36s %9.1f ms %10.0f MB/s\n", what, seconds * 1e3, double(bytes) / 1e6 / seconds);
}

// The processor time of this thread, in seconds: on a busy machine the wall
// time also holds the time other processes ran.
double ThreadSeconds() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return double(t.tv_sec) + double(t.tv_nsec) / 1e9;
}

// Lower-case tags only: a page that lacks the upper-case first letter of
// "href" and "src" is where a search for both cases must stay linear.
void LowerCaseWalks() {
  std::printf("\n%-12s %10s %10s %10s %10s %16s\n", "lower case", "walk", "speed", "CPU", "CPU speed",
              "examined / size");
  for (const size_t mb : {1, 6, 30}) {
    std::string lower;
    for (int n = 0; lower.size() < mb * 1'000'000; ++n)
      lower += "<a href=\"p" + std::to_string(n) + ".htm\">x</a><img src=\"i" + std::to_string(n) + ".jpg\">\n";
    size_t examined = 0;
    double cpu = 1e30;
    const double t = Best(7, [&] {
      const double start = ThreadSeconds();
      tarvelin::LinkWalker walker(lower, true);
      while (walker.Next()) {
      }
      examined = walker.BytesExamined();
      cpu = std::min(cpu, ThreadSeconds() - start);
    });
    const double size = double(lower.size()) / 1e6;
    std::printf("%9zu MB %7.1f ms %5.0f MB/s %7.1f ms %5.0f MB/s %16.2f\n", mb, t * 1e3, size / t, cpu * 1e3,
                size / cpu, double(examined) / double(lower.size()));
  }
}

}  // namespace

// "lower": the lower-case walks alone.
int main(int argc, char** argv) {
  if (argc > 1 && std::strcmp(argv[1], "lower") == 0) {
    LowerCaseWalks();
    return 0;
  }
  const std::string page = BuildPage(20'000'000);
  const size_t bytes = page.size();
  volatile size_t sink = 0;

  PageFixture f;
  TempFolder folder;

  std::printf("page: %.1f MB\n\n", double(bytes) / 1e6);
  std::printf("%-36s %12s %15s\n", "pass", "time", "speed");
  std::printf("----------------------------------------------------------------\n");

  Row("memchr for an absent byte", Best(5, [&] { sink = sink + (std::memchr(page.data(), 1, bytes) != nullptr); }),
      bytes);
  Row("sum of all bytes", Best(5, [&] {
        size_t sum = 0;
        for (const char c : page) sum += static_cast<unsigned char>(c);
        sink = sink + sum;
      }), bytes);

  const auto path = folder.Path() / "page.htm";
  if (std::FILE* out = std::fopen(path.c_str(), "wb")) {
    std::fwrite(page.data(), 1, bytes, out);
    std::fclose(out);
  }
  std::string read(bytes, '\0');
  Row("read from a cached file", Best(5, [&] {
        if (std::FILE* in = std::fopen(path.c_str(), "rb")) {
          sink = sink + std::fread(read.data(), 1, bytes, in);
          std::fclose(in);
        }
      }), bytes);

  size_t values = 0;
  Row("find the link values only", Best(5, [&] {
        tarvelin::LinkWalker walker(page, true);
        values = 0;
        while (walker.Next()) ++values;
      }), bytes);

  Row("ScanPage, empty list at start", Best(3, [&] {
        f.links.Reset();
        auto context = f.Page("gallery");
        tarvelin::ScanPage(context, page);
      }), bytes);
  const size_t listed = size_t(f.links.Size());
  Row("ScanPage, every link listed", Best(3, [&] {
        auto context = f.Page("gallery");
        tarvelin::ScanPage(context, page);
      }), bytes);

  Row("picture reader (second reading)", Best(3, [&] {
        sink = sink + tarvelin::ReadPictureAddresses(page, {}).values.size();
      }), bytes);

  std::printf("\n%zu link values found, %zu links listed (checksum %zu)\n", values, listed, size_t(sink));

  LowerCaseWalks();
  return 0;
}
