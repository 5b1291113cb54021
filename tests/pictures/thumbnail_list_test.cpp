#include <QMenu>
#include <QScreen>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QWheelEvent>
#include <atomic>
#include <fstream>
#include <thread>

#include "picture_files.h"
#include "pictures/picture_viewer.h"
#include "pictures/thumbnail.h"
#include "pictures/thumbnail_feed.h"
#include "pictures/thumbnail_list.h"
#include "pictures/viewer_geometry.h"

using namespace pictures;

namespace {

void Select(ThumbnailList& list, int row) {
  if (row >= 0) list.selectionModel()->select(list.model()->index(row, 0), QItemSelectionModel::ClearAndSelect);
}

// Whether a thread of this process sleeps (waits on a lock or a condition).
bool Sleeping(pid_t tid) {
  std::ifstream stat("/proc/self/task/" + std::to_string(tid) + "/stat");
  return std::string(std::istreambuf_iterator<char>(stat), {}).find(") S ") != std::string::npos;
}

}  // namespace

class ThumbnailListTest : public QObject {
  Q_OBJECT
  QTemporaryDir m_dir;
  const std::filesystem::path m_red = WritePicture(m_dir, "red.png", {640, 480}, Qt::red);
  const std::filesystem::path m_blue = WritePicture(m_dir, "blue.png", {1, 1}, Qt::blue);

  // A shown list of pictures "0.png", "1.png"... of these sizes.
  void Fill(ThumbnailList& list, const QList<QSize>& sizes) {
    for (int i = 0; i < sizes.size(); ++i)
      QVERIFY(list.Feed().AddPicture(std::to_string(i) + ".png", WritePicture(m_dir, QString("%1.png").arg(i), sizes[i], Qt::red)));
    list.resize(700, 500);
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));
  }

 private Q_SLOTS:
  void thumbnailLayout_data() {
    QTest::addColumn<QSize>("picture");
    QTest::addColumn<QRect>("placed");
    QTest::newRow("640x480") << QSize(640, 480) << QRect(0, 25, 200, 150);
    QTest::newRow("300x1200") << QSize(300, 1200) << QRect(75, 0, 50, 200);
    QTest::newRow("1x1 enlarged") << QSize(1, 1) << QRect(0, 0, 200, 200);
    QTest::newRow("200x200") << QSize(200, 200) << QRect(0, 0, 200, 200);
    QTest::newRow("truncated") << QSize(300, 201) << QRect(0, 33, 200, 134);
  }
  void thumbnailLayout() {
    QFETCH(QSize, picture);
    QFETCH(QRect, placed);
    const ThumbnailGeometry geometry = ThumbnailLayout(picture);
    QCOMPARE(QRect(geometry.offset, geometry.scaled), placed);
    QCOMPARE(geometry.fill, placed.width() != placed.height());
    // On real pixels: the picture inside its place, white all round it.
    const QImage shown = MakeThumbnail(WritePicture(m_dir, "t.png", picture, Qt::red));
    QCOMPARE(shown.size(), QSize(200, 200));
    for (int y = 0; y < 200; ++y)
      for (int x = 0; x < 200; ++x) QCOMPARE(shown.pixel(x, y), placed.contains(x, y) ? qRgb(255, 0, 0) : qRgb(255, 255, 255));
    QVERIFY(ThumbnailLayout({0, 10}).scaled.isEmpty());
  }

  void addCountClearAndHosts() {
    ThumbnailFeed feed;
    ThumbnailList list(feed, nullptr, engine::ViewerAction::DownloadWholeSite);
    QSignalSpy counter(&feed, &ThumbnailFeed::counterTextChanged);
    QVERIFY(feed.AddPicture("a.png", m_red, "one.example"));
    QVERIFY(!feed.AddPicture("a.zip", __FILE__, "two.example"));  // no picture: nothing added
    QVERIFY(feed.AddPicture("a.png", m_blue, ""));
    QVERIFY(feed.AddPicture("b/c.png", m_red, "three.example"));
    QCOMPARE(counter, QList<QVariantList>({{"1"}, {"2"}, {"3"}}));
    Select(list, 0);
    for (const char* expected : {"a.png one.example", "a.png ", "b/c.png three.example"}) {
      const std::string path = list.GetPicturePath(PictureDirection::Current);
      QCOMPARE(path + " " + list.SelectedHost(), expected);
      list.GetPicturePath(PictureDirection::Next);
    }
    feed.ClearPictures();
    QCOMPARE(counter.last(), QVariantList({"0"}));
    QCOMPARE(list.GetPicturePath(PictureDirection::First), "");
    QVERIFY(feed.AddPicture("d.png", m_blue, "four.example"));
    Select(list, 0);
    QCOMPARE(list.GetPicturePath(PictureDirection::Current), "d.png");
    QCOMPARE(list.SelectedHost(), "four.example");
  }

  void picturePath_data() {
    QTest::addColumn<int>("selected");
    QTest::addColumn<int>("direction");
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("after");
    // Directions: 0 current, 1 previous, -1 next, 2 first, -2 last, 3 none of them.
    const std::tuple<int, int, const char*, int> rows[] = {
        {-1, 0, "", -1}, {-1, 1, "", -1}, {-1, -1, "", -1}, {-1, 2, "", -1}, {-1, -2, "", -1}, {1, 0, "1", 1},
        {1, 1, "0", 0},  {1, -1, "2", 2}, {0, 1, "", 0},    {2, -1, "", 2},  {2, 2, "0", 0},   {0, 2, "0", 0},
        {0, -2, "2", 2}, {2, -2, "2", 2}, {1, 3, "", 1}};
    for (const auto& [selected, direction, path, after] : rows)
      QTest::addRow("selected %d, direction %d", selected, direction) << selected << direction << path << after;
  }
  void picturePath() {
    QFETCH(int, selected);
    QFETCH(int, direction);
    QFETCH(QString, path);
    QFETCH(int, after);
    ThumbnailFeed feed;
    ThumbnailList list(feed, nullptr);
    for (const char* label : {"0", "1", "2"}) QVERIFY(feed.AddPicture(label, m_blue));
    Select(list, selected);
    QCOMPARE(QString::fromStdString(list.GetPicturePath(PictureDirection(direction))), path);
    QCOMPARE(list.SelectedRow(), after);
  }

  void noScrollReadOnEveryAdd() {
    ThumbnailFeed feed;
    ThumbnailList list(feed, nullptr);
    Fill(list, {});
    list.resize(260, 300);
    int reads = 0, noScroll = 0;
    feed.SetNoScrollReader([&] { return ++reads, noScroll; });
    QScrollBar* bar = list.verticalScrollBar();
    for (int i = 0; i < 7; ++i) {
      if (i == 5) noScroll = 1, bar->setValue(0);
      QVERIFY(feed.AddPicture("p.png", m_red));
      QCoreApplication::processEvents();
      QCOMPARE(bar->value(), i < 5 ? bar->maximum() : 0);
    }
    QVERIFY(bar->maximum() > 0);
    QCOMPARE(reads, 7);
  }

  // Five workers at once; afterwards every item shows its own picture.
  void addFromWorkerThreads() {
    const QColor colours[] = {Qt::red, Qt::green, Qt::blue, Qt::yellow, Qt::magenta};
    ThumbnailFeed feed;
    ThumbnailList list(feed, nullptr);
    std::vector<std::thread> workers;
    for (int t = 0; t < 5; ++t)
      workers.emplace_back([&feed, t, file = WritePicture(m_dir, QString("w%1.png").arg(t), {300, 200}, colours[t])] {
        for (int j = 0; j < 20; ++j) feed.AddPicture(std::to_string(t) + "-" + std::to_string(j), file, std::to_string(t));
      });
    QTRY_COMPARE_WITH_TIMEOUT(list.Count(), 100, 120000);
    for (auto& worker : workers) worker.join();
    QSet<QString> labels;
    for (int row = 0; row < 100; ++row) {
      const QModelIndex index = list.model()->index(row, 0);
      labels.insert(index.data().toString());
      const QColor shown = index.data(Qt::DecorationRole).value<QPixmap>().toImage().pixelColor(100, 100);
      const QColor expected = colours[index.data().toString().left(1).toInt()];
      QVERIFY(std::abs(shown.hue() - expected.hue()) < 10 && std::abs(shown.value() - expected.value()) < 12);
    }
    QCOMPARE(labels.size(), 100);
  }

  // A worker waiting for the list's thread is let go when the program leaves.
  void leavingLetsWaitingWorkersGo() {
    ThumbnailFeed feed;
    ThumbnailList list(feed, nullptr);
    std::atomic<pid_t> tid{0};
    std::atomic<bool> returned{false};
    bool added = true;
    std::thread worker([&] {
      tid = ::gettid();
      added = feed.AddPicture("a.png", m_red);
      returned = true;
    });
    while (!returned && (tid == 0 || !Sleeping(tid))) std::this_thread::yield();
    feed.SetLeaving(true);
    worker.join();
    QVERIFY(!added && !feed.AddPicture("b.png", m_red));
    QCoreApplication::processEvents();
    QCOMPARE(list.Count(), 0);
  }

  void viewerFitsOnA1024x768Screen() {
    const std::pair<QSize, QRect> cases[] = {
        {{3000, 2000}, {0, 43, 1024, 682}}, {{800, 1200}, {256, 0, 512, 768}}, {{2048, 1600}, {20, 0, 983, 768}},
        {{100, 50}, {462, 359, 100, 50}},   {{1024, 768}, {0, 0, 1024, 768}}};
    for (const auto& [picture, drawn] : cases) QCOMPARE(FitToScreen(picture, {1024, 768}), drawn);
  }

  void viewerShowsStepsAndCloses() {
    const QSize screen = QGuiApplication::primaryScreen()->size();
    ThumbnailFeed feed;
    ThumbnailList list(feed, nullptr);
    Fill(list, {screen * 2, {100, 50}, {40, 30}, {40, 30}});
    QVERIFY(QFile::remove(m_dir.filePath("3.png")));  // a file that has gone draws nothing
    QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, list.visualRect(list.model()->index(0, 0)).center());
    PictureViewer& viewer = list.Viewer();
    QVERIFY(QTest::qWaitForWindowExposed(&viewer));
    QCOMPARE(viewer.PictureRect(), QRect(QPoint(0, 0), screen));
    const std::vector<std::pair<int, int>> steps = {
        {Qt::Key_Down, 1}, {Qt::Key_PageDown, 2}, {Qt::Key_Up, 1}, {Qt::Key_PageUp, 0}, {Qt::Key_Up, 0},
        {Qt::Key_End, 3},  {Qt::Key_Down, 3},     {Qt::Key_Home, 0}, {Qt::Key_Right, 0}, {Qt::Key_Left, 0},
        {-120, 1},         {120, 0},              {-60, 0},          {-60, 1},           {-240, 3}, {Qt::Key_Up, 2}};
    for (const auto& [input, row] : steps) {
      QWheelEvent wheel({10, 10}, {10, 10}, {}, {0, input}, Qt::NoButton, {}, Qt::NoScrollPhase, false);
      if (std::abs(input) <= 240)  // a wheel turn, in eighths of a degree
        QApplication::sendEvent(&viewer, &wheel);
      else
        QTest::keyClick(&viewer, Qt::Key(input));
      QCOMPARE(viewer.Path(), std::to_string(row) + ".png");
      QCOMPARE(list.SelectedRow(), row);
      QCOMPARE(viewer.PictureRect().isEmpty(), row == 3);
    }
    QTest::keyClick(&viewer, Qt::Key_PageUp);
    const QRect small((screen.width() - 100) / 2, (screen.height() - 50) / 2, 100, 50);
    QCOMPARE(viewer.PictureRect(), small);
    const QImage shot = viewer.grab().toImage();
    QCOMPARE(shot.pixel(small.center()), qRgb(255, 0, 0));
    for (QPoint p : {QPoint(10, 10), small.topLeft() - QPoint(1, 0)}) QCOMPARE(shot.pixel(p), qRgb(0, 0, 0));
    QTest::keyClick(&viewer, Qt::Key_Escape);
    QVERIFY(!viewer.isVisible() && list.SelectedRow() == 1);
    viewer.Open();
    QTest::keyClick(&viewer, Qt::Key_Return);
    QVERIFY(!viewer.isVisible());
    // A double click on empty space: no selection, an empty viewer that stays open.
    QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, QPoint(690, 490));
    QTest::keyClick(&viewer, Qt::Key_Down);
    QVERIFY(viewer.isVisible() && viewer.Path().empty() && list.SelectedRow() < 0);
    viewer.close();
  }

  void viewerMenuPerProgram() {
    ThumbnailFeed feed;
    ThumbnailList tarvelin(feed, nullptr), quorvash(feed, nullptr, engine::ViewerAction::DownloadWholeSite);
    QStringList commands;
    for (QMenu* menu : {tarvelin.Viewer().Menu(), quorvash.Viewer().Menu()}) {
      commands << menu->property("commandId").toString() + menu->title();
      for (QAction* action : menu->actions()) commands << action->property("commandId").toString() + action->text();
    }
    QCOMPARE(commands, QStringList({"146Deal with image", "147&Send to image gallery", "149&Set as wallpaper",
                                    "146Deal with image", "147&Send to image gallery", "149&Set as wallpaper",
                                    "150&Download all images in the site include this image"}));
  }
};

QTEST_MAIN(ThumbnailListTest)
#include "thumbnail_list_test.moc"
