// Adds 10,000 thumbnails to the thumbnail list from five threads, as the
// download workers do, and prints the process's peak memory beside what
// uncompressed 200 x 200 x 3 thumbnails would take.
//   QT_QPA_PLATFORM=offscreen build/bench/bench_thumbnail_memory [count]
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QPainter>
#include <QRandomGenerator>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTimer>
#include <atomic>
#include <cstdio>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "pictures/thumbnail.h"
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

// Photo-like pictures: soft gradients with shapes and grain, so that their
// thumbnails compress about as photos do.
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

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  platform::LoadPictureDecoders();
  const int count = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10000;
  constexpr int kWorkers = 5;
  constexpr int kSources = 50;

  QTemporaryDir folder;
  std::vector<std::filesystem::path> sources;
  for (int i = 0; i < kSources; ++i) {
    const QString name = QString("source%1.jpg").arg(i);
    MakeSource(i).save(folder.filePath(name), "jpeg", 90);
    sources.push_back(folder.filePath(name).toStdString());
  }

  qint64 packedBytes = 0;
  for (const auto& source : sources) packedBytes += pictures::ThumbnailModel::Pack(pictures::MakeThumbnail(source)).size();

  pictures::ThumbnailFeed feed;
  pictures::ThumbnailList list(feed, nullptr);
  if (qEnvironmentVariableIsSet("BENCH_NO_SCROLL")) feed.SetNoScrollReader([] { return 1; });
  list.resize(1000, 700);
  list.show();
  app.processEvents();
  const long baseKb = StatusKb("VmHWM:");

  std::atomic<int> next{0}, added{0}, finished{0};
  QElapsedTimer clock;
  clock.start();
  std::vector<std::thread> workers;
  for (int w = 0; w < kWorkers; ++w)
    workers.emplace_back([&] {
      for (int i; (i = next++) < count;) {
        const std::string label = "picture" + std::to_string(i) + ".jpg";
        if (feed.AddPicture(label, sources[size_t(i % kSources)])) ++added;
      }
      ++finished;
    });
  // The list's thread ticks every 5 ms; the longest gap is the longest it was busy.
  QElapsedTimer sinceTick;
  sinceTick.start();
  qint64 longestGapMs = 0;
  QTimer tick;
  QObject::connect(&tick, &QTimer::timeout, [&] {
    longestGapMs = std::max(longestGapMs, sinceTick.restart());
    if (finished == kWorkers) app.quit();
  });
  tick.start(5);
  app.exec();
  for (auto& worker : workers) worker.join();
  const double seconds = clock.elapsed() / 1000.0;
  // Scroll through the whole list once, as a user might, decoding every row.
  for (int y = 0; y <= list.verticalScrollBar()->maximum(); y += list.height()) {
    list.verticalScrollBar()->setValue(y);
    list.repaint();
  }

  const long peakKb = StatusKb("VmHWM:");
  const double imageListMb = count * 120000.0 / 1e6;
  std::printf("thumbnails added:        %d of %d in %.1f s (%d threads)\n", added.load(), count, seconds, kWorkers);
  std::printf("longest tick gap:        %lld ms on the list's thread (ticks every 5 ms)\n", longestGapMs);
  std::printf("peak memory before adds: %.0f MB\n", baseKb / 1024.0);
  std::printf("peak memory after:       %.0f MB (%.1f KB a thumbnail over the start)\n", peakKb / 1024.0,
              (peakKb - baseKb) * 1.0 / std::max(1, added.load()));
  std::printf("kept a thumbnail:        %.1f KB encoded\n", packedBytes / 1024.0 / kSources);
  std::printf("uncompressed image list: %.0f MB for its pixels alone (120,000 bytes a thumbnail)\n", imageListMb);
  return added == count ? 0 : 1;
}
