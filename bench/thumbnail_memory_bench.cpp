// Adds 10,000 pictures to the thumbnail list from five threads, as the
// download workers do, then scrolls through the whole list a page at a time,
// as a user might, and once more in a list opened anew, where the
// freedesktop cache already holds every thumbnail. Prints the memory the
// list added and how long each page took until every row on it showed its
// thumbnail and was painted.
//   QT_QPA_PLATFORM=offscreen build/bench/bench_thumbnail_memory [count]
// The thumbnail cache goes to a temporary folder.
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QPainter>
#include <QRandomGenerator>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <fstream>
#include <string>
#include <thread>
#include <unistd.h>
#include <vector>

#include "pictures/thumbnail_feed.h"
#include "pictures/thumbnail_list.h"
#include "pictures/thumbnail_model.h"
#include "platform/picture_decoder.h"

namespace {

long StatusKb(const char* field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind(field, 0) == 0) return std::stol(line.substr(std::string(field).size()));
  return -1;
}

// Photo-like pictures: soft gradients with shapes and grain, so that they
// decode about as photos do.
QImage MakeSource(int seed) {
  QRandomGenerator random(quint32(seed) + 1);
  QImage image(640, 480, QImage::Format_RGB32);
  QPainter painter(&image);
  QLinearGradient sky(0, 0, 640, 480);
  sky.setColorAt(0, QColor::fromHsv(random.bounded(360), 120, 230));
  sky.setColorAt(1, QColor::fromHsv(random.bounded(360), 200, 90));
  painter.fillRect(image.rect(), sky);
  for (int i = 0; i < 40; ++i) {
    painter.setBrush(QColor::fromHsv(random.bounded(360), random.bounded(256), random.bounded(256), 160));
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(random.bounded(640), random.bounded(480), 20 + random.bounded(200), 20 + random.bounded(160));
  }
  painter.end();
  for (int y = 0; y < image.height(); ++y) {
    auto* row = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < image.width(); ++x) {
      const int grain = random.bounded(-12, 13);
      const QRgb p = row[x];
      row[x] = qRgb(qBound(0, qRed(p) + grain, 255), qBound(0, qGreen(p) + grain, 255), qBound(0, qBlue(p) + grain, 255));
    }
  }
  return image;
}

struct Scroll {
  std::vector<double> pageMs;
  int decodes = 0;
};

bool RowsShown(const pictures::ThumbnailList& list) {
  const auto [first, last] = list.VisibleRows();
  for (int row = first; row <= last; ++row)
    if (!list.Feed().Model().Shown(row)) return false;
  return last >= first;
}

// From the top to the bottom a page at a time: for each page, the time from
// the scroll until every row on screen shows its thumbnail and is painted.
Scroll ScrollThrough(QApplication& app, pictures::ThumbnailList& list) {
  Scroll scroll;
  QScrollBar* bar = list.verticalScrollBar();
  const int decodesBefore = list.Feed().Model().Decodes();
  QTimer wake;  // so that a page that never shows still ends the wait
  wake.start(100);
  for (int y = 0;; y = std::min(y + list.viewport()->height(), bar->maximum())) {
    QElapsedTimer clock;
    clock.start();
    bar->setValue(y);
    // Sleeps until something arrives, as a window's thread would: a thread
    // polling here would take a core from the thumbnail threads.
    do app.processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    while (!RowsShown(list) && clock.elapsed() < 10000);
    list.viewport()->repaint();  // what a screen would show now
    scroll.pageMs.push_back(clock.nsecsElapsed() / 1e6);
    if (y == bar->maximum()) break;
  }
  scroll.decodes = list.Feed().Model().Decodes() - decodesBefore;
  return scroll;
}

void Print(const char* what, Scroll scroll) {
  std::sort(scroll.pageMs.begin(), scroll.pageMs.end());
  const size_t n = scroll.pageMs.size();
  std::printf("%s: %zu pages, each shown in median %.1f ms, 95th %.1f ms, slowest %.1f ms; %d pictures decoded\n",
              what, n, scroll.pageMs[n / 2], scroll.pageMs[std::min(n - 1, n * 95 / 100)], scroll.pageMs.back(),
              scroll.decodes);
}

}  // namespace

int main(int argc, char** argv) {
  QTemporaryDir cache;
  qputenv("XDG_CACHE_HOME", QFile::encodeName(cache.path()));
  QApplication app(argc, argv);
  platform::LoadPictureDecoders();
  const int count = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10000;
  constexpr int kWorkers = 5;
  constexpr int kSources = 50;

  // Every picture a file of its own (hard links to 50 sources), as on a
  // site: each has its own thumbnail and cache entry.
  QTemporaryDir folder;
  std::vector<std::filesystem::path> files;
  for (int i = 0; i < kSources; ++i) MakeSource(i).save(folder.filePath(QString("source%1.jpg").arg(i)), "jpeg", 90);
  for (int i = 0; i < count; ++i) {
    const QString name = folder.filePath(QString("picture%1.jpg").arg(i));
    if (::link(QFile::encodeName(folder.filePath(QString("source%1.jpg").arg(i % kSources))), QFile::encodeName(name)) != 0)
      return 2;
    files.push_back(name.toStdString());
  }

  const long baseKb = StatusKb("VmHWM:");
  auto feed = std::make_unique<pictures::ThumbnailFeed>();
  auto list = std::make_unique<pictures::ThumbnailList>(*feed, nullptr);
  if (qEnvironmentVariableIsSet("BENCH_NO_SCROLL")) feed->SetNoScrollReader([] { return 1; });
  list->resize(1000, 700);
  list->show();
  app.processEvents();
  const long shownKb = StatusKb("VmHWM:");

  std::atomic<int> next{0}, added{0}, finished{0};
  QElapsedTimer clock;
  clock.start();
  std::vector<std::thread> workers;
  for (int w = 0; w < kWorkers; ++w)
    workers.emplace_back([&] {
      for (int i; (i = next++) < count;)
        if (feed->AddPicture("picture" + std::to_string(i) + ".jpg", files[size_t(i)])) ++added;
      ++finished;
    });
  // The list's thread ticks every 5 ms; the longest gap is the longest it was busy.
  QElapsedTimer sinceTick;
  sinceTick.start();
  qint64 longestGapMs = 0;
  QTimer tick;
  QObject::connect(&tick, &QTimer::timeout, [&] {
    longestGapMs = std::max(longestGapMs, sinceTick.restart());
    // Not quit(): that would close the list's window, and a hidden list makes no thumbnails.
    if (finished == kWorkers && feed->Count() == added) app.exit(0);
  });
  tick.start(5);
  app.exec();
  tick.stop();
  for (auto& worker : workers) worker.join();
  const double addSeconds = clock.elapsed() / 1000.0;
  const long addedKb = StatusKb("VmHWM:");
  const int decodedWhileAdding = feed->Model().Decodes();

  const Scroll first = ScrollThrough(app, *list);
  const long scrolledKb = StatusKb("VmHWM:");
  // Opened anew: a new feed and list over the same files.
  list.reset();
  feed = std::make_unique<pictures::ThumbnailFeed>();
  list = std::make_unique<pictures::ThumbnailList>(*feed, nullptr);
  feed->SetNoScrollReader([] { return 1; });
  list->resize(1000, 700);
  list->show();
  for (const auto& file : files) feed->AddPicture(file.filename().string(), file);
  const Scroll second = ScrollThrough(app, *list);

  std::printf("pictures added:          %d of %d in %.2f s (%d threads), %d decoded meanwhile\n", added.load(), count,
              addSeconds, kWorkers, decodedWhileAdding);
  std::printf("longest tick gap:        %lld ms on the list's thread while adding (ticks every 5 ms)\n", longestGapMs);
  std::printf("peak memory:             %.1f MB before the list, %.1f MB shown empty, %.1f MB with %d pictures, "
              "%.1f MB after scrolling through\n",
              baseKb / 1024.0, shownKb / 1024.0, addedKb / 1024.0, count, scrolledKb / 1024.0);
  std::printf("the list added:          %.1f MB for %d pictures, scrolled through once (%.1f KB a picture)\n",
              (scrolledKb - baseKb) / 1024.0, count, (scrolledKb - baseKb) * 1.0 / std::max(1, count));
  Print("scrolling, first opening ", first);
  Print("scrolling, opened anew   ", second);
  return added == count ? 0 : 1;
}
