#include <QAction>
#include <QMenu>
#include <QScreen>
#include <QTest>
#include <QWheelEvent>

#include "picture_files.h"
#include "pictures/picture_viewer.h"
#include "pictures/thumbnail_list.h"
#include "pictures/viewer_geometry.h"

using pictures::PictureViewer;
using pictures::ProgramKind;
using pictures::ThumbnailList;

namespace {

void Wheel(QWidget* widget, int delta) {
  const QPointF at(10, 10);
  QWheelEvent event(at, widget->mapToGlobal(at), {}, QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                    Qt::NoScrollPhase, false);
  QApplication::sendEvent(widget, &event);
}

QList<int> CommandIds(const PictureViewer& viewer) {
  QList<int> ids;
  for (QAction* action : viewer.Menu()->actions()) ids << action->property("commandId").toInt();
  return ids;
}

}  // namespace

class ViewerTest : public QObject {
  Q_OBJECT
  QTemporaryDir m_dir;

  // A shown list of pictures named "0.png", "1.png"... of these sizes.
  void Fill(ThumbnailList& list, const QList<QSize>& sizes, QColor colour = Qt::green) {
    for (int i = 0; i < sizes.size(); ++i) {
      const QString name = QString("%1.png").arg(i);
      QVERIFY(list.AddPicture(name.toStdString(), WritePicture(m_dir, name, sizes[i], colour)));
    }
    list.resize(700, 500);
    list.show();
    QVERIFY(QTest::qWaitForWindowExposed(&list));
  }

 private Q_SLOTS:
  void fit_data() {
    QTest::addColumn<QSize>("picture");
    QTest::addColumn<QRect>("drawn");
    QTest::newRow("wide") << QSize(3000, 2000) << QRect(0, 43, 1024, 682);
    QTest::newRow("tall") << QSize(800, 1200) << QRect(256, 0, 512, 768);
    QTest::newRow("twice reduced") << QSize(2048, 1600) << QRect(20, 0, 983, 768);
    QTest::newRow("small, not enlarged") << QSize(100, 50) << QRect(462, 359, 100, 50);
    QTest::newRow("screen size") << QSize(1024, 768) << QRect(0, 0, 1024, 768);
    QTest::newRow("no pixels") << QSize(0, 0) << QRect();
  }
  void fit() {
    QFETCH(QSize, picture);
    QFETCH(QRect, drawn);
    QCOMPARE(pictures::FitToScreen(picture, QSize(1024, 768)), drawn);
  }

  void stepsWithKeysAndWheel() {
    ThumbnailList list(ProgramKind::Tarvelin);
    Fill(list, {{40, 30}, {40, 30}, {40, 30}, {40, 30}});
    QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, list.visualRect(list.model()->index(0, 0)).center());
    PictureViewer& viewer = list.Viewer();
    QVERIFY(viewer.isVisible());
    QCOMPARE(viewer.Path(), "0.png");
    const std::pair<int, const char*> steps[] = {
        {Qt::Key_Down, "1.png"}, {Qt::Key_PageDown, "2.png"}, {Qt::Key_Up, "1.png"}, {Qt::Key_PageUp, "0.png"},
        {Qt::Key_Up, "0.png"},   {Qt::Key_End, "3.png"},      {Qt::Key_Down, "3.png"}, {Qt::Key_Home, "0.png"},
        {Qt::Key_Right, "0.png"}, {Qt::Key_Left, "0.png"}};
    for (const auto& [key, path] : steps) {
      QTest::keyClick(&viewer, Qt::Key(key));
      QCOMPARE(viewer.Path(), path);
      QCOMPARE(list.GetPicturePath(pictures::PictureDirection::Current), path);
    }
    for (const auto& [delta, path] : std::vector<std::pair<int, const char*>>{
             {-120, "1.png"}, {120, "0.png"}, {-60, "0.png"}, {-60, "1.png"}, {-240, "3.png"}}) {
      Wheel(&viewer, delta);
      QCOMPARE(viewer.Path(), path);
    }
    QTest::keyClick(&viewer, Qt::Key_Escape);
    QVERIFY(!viewer.isVisible());
    QCOMPARE(list.SelectedRow(), 3);
    viewer.Open();
    QCOMPARE(viewer.Path(), "3.png");
    QTest::keyClick(&viewer, Qt::Key_Return);
    QVERIFY(!viewer.isVisible());
  }

  void drawsFittedCentredOnBlack() {
    const QSize screen = QGuiApplication::primaryScreen()->size();
    ThumbnailList list(ProgramKind::Tarvelin);
    Fill(list, {screen * 2, {100, 50}}, Qt::red);
    PictureViewer& viewer = list.Viewer();
    list.selectionModel()->select(list.model()->index(0, 0), QItemSelectionModel::ClearAndSelect);
    viewer.Open();
    QVERIFY(QTest::qWaitForWindowExposed(&viewer));
    QCOMPARE(viewer.PictureRect(), QRect(QPoint(0, 0), screen));
    QTest::keyClick(&viewer, Qt::Key_Down);
    const QRect small((screen.width() - 100) / 2, (screen.height() - 50) / 2, 100, 50);
    QCOMPARE(viewer.PictureRect(), small);
    const QImage shot = viewer.grab().toImage();
    QCOMPARE(shot.pixel(small.center()), qRgb(255, 0, 0));
    for (QPoint p : {QPoint(10, 10), small.topLeft() - QPoint(1, 0), small.bottomLeft() + QPoint(0, 1)})
      QCOMPARE(shot.pixel(p), qRgb(0, 0, 0));
    viewer.close();
  }

  void emptyWithoutSelectionAndWhenFileHasGone() {
    ThumbnailList list(ProgramKind::Tarvelin);
    Fill(list, {{40, 30}, {40, 30}});
    // A double click on empty space: no selection, an empty viewer that stays open.
    QTest::mouseDClick(list.viewport(), Qt::LeftButton, {}, QPoint(690, 490));
    PictureViewer& viewer = list.Viewer();
    QVERIFY(viewer.isVisible());
    QCOMPARE(viewer.Path(), "");
    QTest::keyClick(&viewer, Qt::Key_Down);
    QCOMPARE(viewer.Path(), "");
    QVERIFY(viewer.PictureRect().isEmpty() && viewer.isVisible());
    viewer.close();

    QVERIFY(QFile::remove(m_dir.filePath("1.png")));
    list.selectionModel()->select(list.model()->index(0, 0), QItemSelectionModel::ClearAndSelect);
    viewer.Open();
    QVERIFY(!viewer.PictureRect().isEmpty());
    QTest::keyClick(&viewer, Qt::Key_Down);
    QCOMPARE(viewer.Path(), "1.png");
    QVERIFY(viewer.PictureRect().isEmpty() && viewer.isVisible());
    viewer.close();
  }

  void menuCommandsPerProgram() {
    ThumbnailList tarvelin(ProgramKind::Tarvelin), quorvash(ProgramKind::Quorvash);
    QCOMPARE(tarvelin.Viewer().Menu()->title(), "Deal with image");
    QCOMPARE(tarvelin.Viewer().Menu()->property("commandId").toInt(), 146);
    QCOMPARE(CommandIds(tarvelin.Viewer()), QList<int>({147, 149}));
    QCOMPARE(CommandIds(quorvash.Viewer()), QList<int>({147, 149, 150}));
    const QStringList texts = {"&Send to image gallery", "&Set as wallpaper",
                               "&Download all images in the site include this image"};
    for (int i = 0; i < 3; ++i) QCOMPARE(quorvash.Viewer().Menu()->actions()[i]->text(), texts[i]);
  }
};

int RunViewerTest(int argc, char** argv) {
  ViewerTest test;
  return QTest::qExec(&test, argc, argv);
}

#include "viewer_test.moc"
