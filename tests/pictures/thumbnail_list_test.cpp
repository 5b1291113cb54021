#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <atomic>
#include <fstream>
#include <thread>

#include "picture_files.h"
#include "pictures/thumbnail.h"
#include "pictures/thumbnail_list.h"

using pictures::PictureDirection;
using pictures::ProgramKind;
using pictures::ThumbnailList;

namespace {

void SelectRow(ThumbnailList& list, int row) {
  if (row >= 0) list.selectionModel()->select(list.model()->index(row, 0), QItemSelectionModel::ClearAndSelect);
}

// Whether a thread of this process sleeps (waits on a lock or a condition).
bool Sleeping(pid_t tid) {
  std::ifstream stat("/proc/self/task/" + std::to_string(tid) + "/stat");
  const std::string all((std::istreambuf_iterator<char>(stat)), {});
  const size_t close = all.rfind(')');
  return close != std::string::npos && all.size() > close + 2 && all[close + 2] == 'S';
}

}  // namespace

class ThumbnailListTest : public QObject {
  Q_OBJECT
  QTemporaryDir m_dir;
  std::filesystem::path m_red, m_blue, m_text;

 private Q_SLOTS:
  void initTestCase() {
    m_red = WritePicture(m_dir, "red.png", {640, 480}, Qt::red);
    m_blue = WritePicture(m_dir, "blue.png", {1, 1}, Qt::blue);
    m_text = m_dir.filePath("archive.zip").toStdString();
    std::ofstream(m_text) << "PK\x03\x04 not a picture";
  }

  void layout_data() {
    QTest::addColumn<QSize>("picture");
    QTest::addColumn<QSize>("scaled");
    QTest::addColumn<QPoint>("offset");
    QTest::addColumn<bool>("fill");
    QTest::newRow("640x480") << QSize(640, 480) << QSize(200, 150) << QPoint(0, 25) << true;
    QTest::newRow("300x1200") << QSize(300, 1200) << QSize(50, 200) << QPoint(75, 0) << true;
    QTest::newRow("1x1 enlarged") << QSize(1, 1) << QSize(200, 200) << QPoint(0, 0) << false;
    QTest::newRow("200x200") << QSize(200, 200) << QSize(200, 200) << QPoint(0, 0) << false;
    QTest::newRow("truncated") << QSize(300, 201) << QSize(200, 134) << QPoint(0, 33) << true;
    QTest::newRow("a line stays") << QSize(5000, 1) << QSize(200, 1) << QPoint(0, 99) << true;
    QTest::newRow("no pixels") << QSize(0, 10) << QSize() << QPoint() << false;
  }
  void layout() {
    QFETCH(QSize, picture);
    QFETCH(QSize, scaled);
    QFETCH(QPoint, offset);
    QFETCH(bool, fill);
    const auto geometry = pictures::ThumbnailLayout(picture);
    QCOMPARE(geometry.scaled, scaled);
    QCOMPARE(geometry.offset, offset);
    QCOMPARE(geometry.fill, fill);
  }

  void thumbnailPixels() {
    const QImage wide = pictures::MakeThumbnail(m_red);
    QCOMPARE(wide.size(), QSize(200, 200));
    for (int y : {0, 24, 175, 199}) QCOMPARE(wide.pixel(100, y), qRgb(255, 255, 255));
    for (int y : {25, 100, 174}) QCOMPARE(wide.pixel(100, y), qRgb(255, 0, 0));
    const QImage dot = pictures::MakeThumbnail(m_blue);
    for (QPoint p : {QPoint(0, 0), QPoint(199, 199), QPoint(100, 0)}) QCOMPARE(dot.pixel(p), qRgb(0, 0, 255));
  }

  void addCountClearAndHosts() {
    ThumbnailList list(ProgramKind::Quorvash);
    QSignalSpy counter(&list, &ThumbnailList::counterTextChanged);
    QVERIFY(list.AddPicture("a.png", m_red, "one.example"));
    QVERIFY(!list.AddPicture("archive.zip", m_text, "two.example"));
    QVERIFY(!list.AddPicture("gone.png", m_dir.filePath("gone.png").toStdString()));
    QVERIFY(list.AddPicture("a.png", m_blue, ""));
    QVERIFY(list.AddPicture("b/c.png", m_red, "three.example"));
    QCOMPARE(list.Count(), 3);
    QCOMPARE(counter.size(), 3);
    QCOMPARE(counter.last().at(0).toString(), "3");
    const std::vector<std::string> labels = {"a.png", "a.png", "b/c.png"}, hosts = {"one.example", "", "three.example"};
    SelectRow(list, 0);
    for (int row = 0; row < 3; ++row) {
      if (row > 0) QCOMPARE(list.GetPicturePath(PictureDirection::Next), labels[size_t(row)]);
      QCOMPARE(list.SelectedHost(), hosts[size_t(row)]);
    }

    list.ClearPictures();
    QCOMPARE(counter.last().at(0).toString(), "0");
    QCOMPARE(list.Count(), 0);
    QCOMPARE(list.GetPicturePath(PictureDirection::First), "");
    QVERIFY(list.AddPicture("d.png", m_blue, "four.example"));
    SelectRow(list, 0);
    QCOMPARE(list.GetPicturePath(PictureDirection::Current), "d.png");
    QCOMPARE(list.SelectedHost(), "four.example");
    QCOMPARE(counter.last().at(0).toString(), "1");
  }

  void picturePath_data() {
    QTest::addColumn<int>("selected");
    QTest::addColumn<int>("direction");
    QTest::addColumn<QString>("path");
    QTest::addColumn<int>("after");
    QTest::newRow("none current") << -1 << 0 << "" << -1;
    QTest::newRow("none first") << -1 << 2 << "" << -1;
    QTest::newRow("none last") << -1 << -2 << "" << -1;
    QTest::newRow("current") << 1 << 0 << "1.png" << 1;
    QTest::newRow("previous") << 1 << 1 << "0.png" << 0;
    QTest::newRow("next") << 1 << -1 << "2.png" << 2;
    QTest::newRow("previous at start") << 0 << 1 << "" << 0;
    QTest::newRow("next at end") << 2 << -1 << "" << 2;
    QTest::newRow("first") << 2 << 2 << "0.png" << 0;
    QTest::newRow("first already there") << 0 << 2 << "0.png" << 0;
    QTest::newRow("last") << 0 << -2 << "2.png" << 2;
    QTest::newRow("last already there") << 2 << -2 << "2.png" << 2;
    QTest::newRow("outside the table") << 1 << 3 << "" << 1;
  }
  void picturePath() {
    QFETCH(int, selected);
    QFETCH(int, direction);
    QFETCH(QString, path);
    QFETCH(int, after);
    ThumbnailList list(ProgramKind::Tarvelin);
    for (int i = 0; i < 3; ++i) QVERIFY(list.AddPicture(std::to_string(i) + ".png", m_blue));
    SelectRow(list, selected);
    QCOMPARE(QString::fromStdString(list.GetPicturePath(PictureDirection(direction))), path);
    QCOMPARE(list.SelectedRow(), after);
  }

  void noScrollReadOnEveryAdd() {
    ThumbnailList list(ProgramKind::Tarvelin);
    list.resize(260, 300);
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));
    int reads = 0, noScroll = 0;
    list.SetNoScrollReader([&] { return ++reads, noScroll; });
    for (int i = 0; i < 5; ++i) QVERIFY(list.AddPicture("p.png", m_red));
    QCoreApplication::processEvents();
    QScrollBar* bar = list.verticalScrollBar();
    QVERIFY(bar->maximum() > 0);
    QCOMPARE(bar->value(), bar->maximum());
    noScroll = 1;
    bar->setValue(0);
    for (int i = 0; i < 2; ++i) QVERIFY(list.AddPicture("p.png", m_red));
    QCoreApplication::processEvents();
    QCOMPARE(bar->value(), 0);
    QCOMPARE(reads, 7);
  }

  // Five workers at once; every item must show its own picture afterwards.
  void addFromWorkerThreads() {
    const QColor colours[] = {Qt::red, Qt::green, Qt::blue, Qt::yellow, Qt::magenta};
    std::filesystem::path files[5];
    for (int t = 0; t < 5; ++t) files[t] = WritePicture(m_dir, QString("w%1.png").arg(t), {300, 200}, colours[t]);
    ThumbnailList list(ProgramKind::Quorvash);
    std::vector<std::thread> workers;
    for (int t = 0; t < 5; ++t)
      workers.emplace_back([&list, &files, t] {
        for (int j = 0; j < 20; ++j) list.AddPicture(std::to_string(t) + "-" + std::to_string(j), files[t], std::to_string(t));
      });
    QTRY_COMPARE_WITH_TIMEOUT(list.Count(), 100, 120000);
    for (auto& worker : workers) worker.join();
    QSet<QString> labels;
    for (int row = 0; row < 100; ++row) {
      const QModelIndex index = list.model()->index(row, 0);
      const QString label = index.data().toString();
      labels.insert(label);
      const int t = label.left(1).toInt();
      QVERIFY(Near(index.data(Qt::DecorationRole).value<QPixmap>().toImage().pixel(100, 100), colours[t]));
      SelectRow(list, row);
      QCOMPARE(list.SelectedHost(), std::to_string(t));
    }
    QCOMPARE(labels.size(), 100);
  }

  // A worker waiting for the list's thread is let go when the program leaves,
  // even though the list's thread never gets to the item.
  void leavingLetsWaitingWorkersGo() {
    ThumbnailList list(ProgramKind::Tarvelin);
    std::atomic<pid_t> tid{0};
    std::atomic<bool> returned{false};
    bool added = true;
    std::thread worker([&] {
      tid = ::gettid();
      added = list.AddPicture("a.png", m_red);
      returned = true;
    });
    while (!returned && (tid == 0 || !Sleeping(tid))) std::this_thread::yield();
    list.SetLeaving(true);
    worker.join();
    QVERIFY(!added);
    QVERIFY(!list.AddPicture("b.png", m_red));
    QCoreApplication::processEvents();
    QCOMPARE(list.Count(), 0);
    list.SetLeaving(false);
    QVERIFY(list.AddPicture("c.png", m_red));
  }
};

int RunThumbnailListTest(int argc, char** argv) {
  ThumbnailListTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "thumbnail_list_test.moc"
