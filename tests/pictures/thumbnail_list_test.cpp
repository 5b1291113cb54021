#include <QCryptographicHash>
#include <QMenu>
#include <QScreen>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QWheelEvent>
#include <thread>

#include "picture_files.h"
#include "pictures/picture_viewer.h"
#include "pictures/thumbnail.h"
#include "pictures/thumbnail_feed.h"
#include "pictures/thumbnail_list.h"
#include "pictures/thumbnail_model.h"
#include "pictures/viewer_geometry.h"
#include "platform/thumbnail_cache.h"

using namespace pictures;

namespace {

void Select(ThumbnailList& list, int row) {
  if (row >= 0) list.selectionModel()->select(list.model()->index(row, 0), QItemSelectionModel::ClearAndSelect);
}

QByteArray ReadAll(const std::filesystem::path& path) {
  QFile file(QString::fromStdString(path.string()));
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

class ThumbnailListTest : public QObject {
  Q_OBJECT
  QTemporaryDir m_dir, m_cache;
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

 // Whether every row on screen (and around it) shows its thumbnail or the broken sign.
  static bool RowsShown(const ThumbnailList& list, bool around = false) {
    const auto [first, last] = around ? list.WantedRows() : list.VisibleRows();
    bool shown = last >= first;
    for (int row = first; shown && row <= last; ++row) shown = list.Feed().Model().Shown(row);
    return shown;
  }

 private Q_SLOTS:
  void initTestCase() { qputenv("XDG_CACHE_HOME", QFile::encodeName(m_cache.path())); }

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
    for (auto& worker : workers) worker.join();
    QTRY_COMPARE(list.Count(), 100);
    list.resize(700, 500);
    list.show();
    QSet<QString> labels;
    for (int row = 0; row < 100; ++row) {
      const QModelIndex index = list.model()->index(row, 0);
      list.scrollTo(index);
      QTRY_VERIFY(feed.Model().Shown(row));
      labels.insert(index.data().toString());
      const QColor shown = index.data(Qt::DecorationRole).value<QPixmap>().toImage().pixelColor(100, 100);
      const QColor expected = colours[index.data().toString().left(1).toInt()];
      QVERIFY(std::abs(shown.hue() - expected.hue()) < 10 && std::abs(shown.value() - expected.value()) < 12);
    }
    QCOMPARE(labels.size(), 100);
    // As at the end of a run: what was handed over is in before anyone is told.
    std::thread([&] {
      for (int j = 0; j < 5; ++j) feed.AddPicture("0-late" + std::to_string(j), m_red);
    }).join();
    feed.InsertArrived();
    QCOMPARE(list.Count(), 105);
  }

  // A worker never waits for the list's thread; what is on its way when the
  // program leaves, or the next download starts, is dropped.
  void leavingDropsWhatIsOnItsWay() {
    ThumbnailFeed feed;
    ThumbnailList list(feed, nullptr);
    for (bool leave : {false, true}) {
      bool added = false;
      std::thread worker([&] { added = feed.AddPicture("a.png", m_red); });
      worker.join();
      QVERIFY(added);
      if (leave)
        feed.SetLeaving(true);
      else
        feed.ClearPictures();
    }
    QVERIFY(!feed.AddPicture("b.png", m_red));
    QCoreApplication::processEvents();
    QCOMPARE(list.Count(), 0);
  }

  // Only the rows on screen and two rows around them are made; the rest is
  // never decoded until scrolled to.
  void thumbnailsOnlyForRowsInView() {
    ThumbnailFeed feed;
    ThumbnailList list(feed, nullptr);
    feed.SetNoScrollReader([] { return 1; });
    std::vector<std::filesystem::path> files;
    for (int i = 0; i < 60; ++i) {
      files.push_back(WritePicture(m_dir, QString("view%1.png").arg(i), {64, 48}, Qt::red));
      QVERIFY(feed.AddPicture(std::to_string(i), files.back()));
    }
    list.resize(480, 300);  // two thumbnails a row
    list.show();
    QTRY_VERIFY(RowsShown(list, true));
    const auto [first, last] = list.WantedRows();
    QVERIFY(first == 0 && last >= 5 && last < 20);
    QCOMPARE(feed.Model().Decodes(), last + 1);
    for (int row = last + 1; row < 60; ++row) QVERIFY(!std::filesystem::exists(platform::CachedThumbnailPath(files[size_t(row)])));
    list.scrollToBottom();
    QTRY_VERIFY(RowsShown(list) && list.VisibleRows().second == 59);
    // The entry is written once the list has the thumbnail.
    QTRY_VERIFY(std::filesystem::exists(platform::CachedThumbnailPath(files[59])));
    QVERIFY(!std::filesystem::exists(platform::CachedThumbnailPath(files[30])));
  }

  // Following a download's newest rows, asks are spaced out; whatever is on
  // screen when the rows stop coming still gets its thumbnails.
  void followingTheNewestRowsEndsWithThemShown() {
    ThumbnailFeed feed;
    ThumbnailList list(feed, nullptr);
    list.resize(480, 300);
    list.show();
    for (int round = 0; round < 12; ++round) {
      for (int i = 0; i < 5; ++i) QVERIFY(feed.AddPicture(std::to_string(round * 5 + i), m_red));
      QCoreApplication::processEvents();  // the scroll to the newest row and a paint
    }
    QTRY_VERIFY(list.VisibleRows().second == 59);
    QTRY_VERIFY(RowsShown(list));
  }

  // The entry names the file and its time; a second opening reads it, and a
  // changed file is decoded again.
  void freedesktopCacheEntry() {
    const std::filesystem::path file = WritePicture(m_dir, "cached.png", {400, 100}, Qt::blue);
    const std::filesystem::path entry = platform::CachedThumbnailPath(file);
    const QByteArray md5 = QCryptographicHash::hash(QUrl::fromLocalFile(QString::fromStdString(file)).toEncoded(),
                                                    QCryptographicHash::Md5).toHex();
    QCOMPARE(entry, std::filesystem::path(m_cache.filePath("thumbnails/large/" + md5 + ".png").toStdString()));
    for (int opening = 0; opening < 3; ++opening) {
      if (opening == 2) {
        QFile touched(QString::fromStdString(file));
        QVERIFY(touched.open(QIODevice::ReadWrite));
        QVERIFY(touched.setFileTime(QDateTime::currentDateTime().addSecs(-3600), QFileDevice::FileModificationTime));
      }
      ThumbnailFeed feed;
      ThumbnailList list(feed, nullptr);
      QVERIFY(feed.AddPicture("cached.png", file));
      list.show();
      QTRY_VERIFY(RowsShown(list));
      QCOMPARE(feed.Model().Decodes(), opening == 1 ? 0 : 1);
      const QImage shown = list.model()->index(0, 0).data(Qt::DecorationRole).value<QPixmap>().toImage();
      QCOMPARE(shown.pixel(100, 100), qRgb(0, 0, 255));
      QCOMPARE(shown.pixel(100, 10), qRgb(255, 255, 255));
      // The entry is written after the thumbnail is shown; an older one may be there until then.
      const QString mtime = QString::number(QFileInfo(QString::fromStdString(file)).lastModified().toSecsSinceEpoch());
      QTRY_COMPARE(QImage(QString::fromStdString(entry.string()), "png").text("Thumb::MTime"), mtime);
      const QImage kept(QString::fromStdString(entry.string()), "png");
      QCOMPARE(kept.text("Thumb::URI"), QUrl::fromLocalFile(QString::fromStdString(file)).toString(QUrl::FullyEncoded));
      QCOMPARE(kept.size(), QSize(256, 64));
      QCOMPARE(QFileInfo(QString::fromStdString(entry.string())).permissions() & 0x0077, 0);
      for (const QString& name : QDir(QString::fromStdString(entry.parent_path().string())).entryList(QDir::Files))
        QVERIFY2(name.endsWith(".png"), qPrintable(name));  // no temporary left behind
    }
  }

  // The size the engine read from the header is taken as read: the file is
  // not read again to count it.
  void aSizeReadAlreadyDecidesWhatCounts() {
    ThumbnailFeed feed;
    QVERIFY(feed.AddPicture("gone.png", m_dir.filePath("gone.png").toStdString(), {}, std::pair(30, 20)));
    QVERIFY(!feed.AddPicture("red.png", m_red, {}, std::pair(-1, -1)));
    QVERIFY(!feed.AddPicture("huge.png", m_red, {}, std::pair(30000, 30000)));
    QVERIFY(feed.AddPicture("red.png", m_red));
    QTRY_COMPARE(feed.Count(), 2);
  }

  // A header that reads as a picture counts; a body that does not decode
  // shows the broken-picture sign, with its label.
  void brokenPictureShowsTheSign() {
    const std::filesystem::path whole = WritePicture(m_dir, "whole.png", {50, 50}, Qt::green);
    QFile cut(m_dir.filePath("cut.png"));
    const QByteArray bytes = ReadAll(whole);
    QVERIFY(cut.open(QIODevice::WriteOnly) && cut.write(bytes.left(bytes.indexOf("IDAT") + 4) + QByteArray(16, '\xff')) > 0);
    cut.close();
    ThumbnailFeed feed;
    ThumbnailList list(feed, nullptr);
    QSignalSpy counter(&feed, &ThumbnailFeed::counterTextChanged);
    QVERIFY(feed.AddPicture("cut.png", cut.fileName().toStdString()) && feed.AddPicture("whole.png", whole));
    QCOMPARE(counter.last(), QVariantList({"2"}));
    const QImage empty = list.model()->index(0, 0).data(Qt::DecorationRole).value<QPixmap>().toImage();
    list.show();
    // The list scrolls to its newest row: the first may lie above the view,
    // within the margin that is made too.
    QTRY_VERIFY(list.Feed().Model().Shown(0) && list.Feed().Model().Shown(1));
    const QModelIndex index = list.model()->index(0, 0);
    QCOMPARE(index.data().toString(), QString("cut.png"));
    const QImage sign = index.data(Qt::DecorationRole).value<QPixmap>().toImage();
    QCOMPARE(sign.size(), QSize(200, 200));
    QVERIFY(sign != empty && sign.pixel(60, 70) != empty.pixel(60, 70));
    QCOMPARE(list.model()->index(1, 0).data(Qt::DecorationRole).value<QPixmap>().toImage().pixel(100, 100), qRgb(0, 255, 0));
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
