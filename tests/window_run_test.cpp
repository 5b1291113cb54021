// Whole runs of both windows against sites on loopback: thumbnails and the
// counter, the worker rows and the run log, Cancel, Stop, the engine's
// questions and end message, and leaving while pictures still arrive.
#include <QBuffer>
#include <QCheckBox>
#include <QDesktopServices>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QtTest>
#include <fstream>
#include <map>

#include "pictures/picture_viewer.h"
#include "pictures/thumbnail_list.h"
#include "quorvash/quorvash_window_program.h"
#include "window/control_ids.h"
#include "window/dialog_template.h"
#include "window/engine_control.h"
#include "window/main_dialog.h"
#include "window/window_session.h"
#include "support/temp_folder.h"
#include "support/test_site.h"
#include "support/window_test_support.h"
#include "tarvelin/tarvelin_window_program.h"

using namespace window;

namespace {

std::string Png(int i) {
  QImage image(40 + i, 30, QImage::Format_RGB32);
  image.fill(QColor::fromHsv(i * 29 % 360, 200, 200));
  QBuffer buffer;
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "PNG");
  return buffer.data().toStdString();
}

QString RunLogText(WindowSession& session) {
  return FindControl<QPlainTextEdit>(&session.Dialog(), kRunLog)->toPlainText();
}

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// Every file of `folder` with its bytes.
std::map<std::string, std::string> Contents(const std::filesystem::path& folder) {
  std::map<std::string, std::string> files;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder))
    if (entry.is_regular_file()) files[entry.path().lexically_relative(folder).string()] = ReadFile(entry.path());
  return files;
}

template <typename T = QWidget>
T* Control(WindowSession& session, int id) {
  return FindControl<T>(&session.Dialog(), id);
}

// The worker row whose label shows `link`, or -1.
int RowOf(WindowSession& session, const QString& link) {
  for (int k = 0; k < kWorkerCount; ++k)
    if (Control<QLabel>(session, kFirstFileLabel + k)->text() == link) return k;
  return -1;
}

}  // namespace

class WindowRunTest : public QObject {
  Q_OBJECT

 public Q_SLOTS:
  void openUrl(const QUrl& url) { opened << url; }

 private Q_SLOTS:
  void tarvelinRunCancelStopAndLeave() {
    TestSite site;
    std::string page;
    for (int i = 0; i < 12; ++i) {
      site.File("/p" + std::to_string(i) + ".png", Png(i));
      page += "<img src='p" + std::to_string(i) + ".png'>";
    }
    for (const char* slow : {"/slow1.jpg", "/slow2.jpg"}) site.Put(slow, {"", "image/jpeg", 3000});
    site.Put("/start.htm", {"<img src='slow1.jpg'><img src='slow2.jpg'>" + page, "text/html"});
    TempFolder folder;
    const std::filesystem::path project = folder.Path() / site.FolderName();
    WindowSession session(tarvelin::TarvelinWindowProgram(), "Tarvelin", {}, folder.Path());
    std::vector<MessageRequest> asked;
    session.Control().View().SetAsker([&](const MessageRequest& r) {
      asked.push_back(r);
      return engine::Answer::No;
    });
    session.Dialog().show();
    QSignalSpy ended(&session.Control().View(), &WindowView::runEnded);
    Control<QLineEdit>(session, kAddressEdit)->setText("ftp://127.0.0.1/start.htm");  // no web address
    Control<QPushButton>(session, kDownloadButton)->click();
    QTRY_COMPARE(ended.count(), 1);
    QCOMPARE(asked.size(), size_t(1));
    QVERIFY(asked[0].icon == QMessageBox::Warning && !asked[0].yesNo && asked[0].text.startsWith("Meet some error, sotpped.\nonly http://"));
    asked.clear();

    QScrollBar* scroll = session.List().verticalScrollBar();
    Control<QCheckBox>(session, kNoScrollCheck)->click();
    Control<QLineEdit>(session, kAddressEdit)->setText(QString::fromStdString(site.Url("/start.htm")));
    Control<QPushButton>(session, kDownloadButton)->click();

    QTRY_COMPARE_WITH_TIMEOUT(Control<QLabel>(session, kPictureCounter)->text(), QString("12"), 30000);
    QTRY_VERIFY(RowOf(session, "slow1.jpg") >= 0 && RowOf(session, "slow2.jpg") >= 0);
    const int row = RowOf(session, "slow1.jpg");
    QTRY_VERIFY(Control<QProgressBar>(session, kFirstProgressBar + row)->value() > 0);
    QVERIFY(scroll->maximum() > 0);
    QCOMPARE(scroll->value(), 0);  // "No scroll"
    Control<QPushButton>(session, kFirstCancelButton + row)->click();
    QTRY_VERIFY(RunLogText(session).contains("-------------1:("));  // slow1 closed
    Control<QPushButton>(session, kStopButton)->click();
    QTRY_COMPARE_WITH_TIMEOUT(ended.count(), 2, 30000);
    QCOMPARE(asked.back().icon, QMessageBox::Information);
    QVERIFY(asked.back().yesNo);
    QCOMPARE(asked.back().caption, QString("Tarvelin"));
    QCOMPARE(asked.size(), size_t(1));
    QVERIFY(asked.back().text.startsWith("Download finish.") && asked.back().text.endsWith("view the download files?"));
    QCOMPARE(asked.back().owner, &session.Dialog());
    const std::string saved = ReadFile(project / "project.cfg");
    QVERIFY2(saved.find("\r\n1 slow1.jpg\r\n0 slow2.jpg\r\n") != std::string::npos, saved.c_str());
    QVERIFY(!std::filesystem::exists(project / "slow1.jpg") && std::filesystem::exists(project / "p11.png"));

    // The enlarged list gives back its rectangle.
    QWidget* list = &session.List();
    const QRect before = list->geometry();
    Control<QPushButton>(session, kEnlargeButton)->click();
    QCOMPARE(list->geometry().top(), Control(session, kAddressEdit)->geometry().top());
    Control<QPushButton>(session, kEnlargeButton)->click();
    QCOMPARE(list->geometry(), before);

    // Again, scrolling, then leaving while the slow files come in.
    Control<QCheckBox>(session, kNoScrollCheck)->click();
    asked.clear();
    Control<QPushButton>(session, kDownloadButton)->click();
    QTRY_COMPARE(asked.size(), size_t(1));
    QCOMPARE(asked[0].icon, QMessageBox::Question);  // continue? No: afresh
    QTRY_COMPARE_WITH_TIMEOUT(Control<QLabel>(session, kPictureCounter)->text(), QString("12"), 30000);
    QTRY_VERIFY(scroll->value() == scroll->maximum());
    QTRY_VERIFY(RowOf(session, "slow1.jpg") >= 0 && RowOf(session, "slow2.jpg") >= 0);
    {
      MessageBoxAnswerer yes(QMessageBox::Yes);
      Control<QPushButton>(session, kExitButton)->click();
    }
    QTRY_VERIFY_WITH_TIMEOUT(!session.Dialog().isVisible(), 30000);
    QCOMPARE(asked.size(), size_t(1));  // no end message for a program that leaves
    const std::string left = ReadFile(project / "project.cfg");
    QVERIFY2(left.find("\r\n0 slow1.jpg\r\n0 slow2.jpg\r\n") != std::string::npos, left.c_str());
  }

  void escapeKeepsTheProjectAndEnterOpensThePicture() {
    TestSite site;
    site.File("/a.png", Png(1));
    site.File("/b.png", Png(2));
    site.Put("/start.htm", {"<img src='a.png'><img src='b.png'>", "text/html"});
    TempFolder folder;
    const std::filesystem::path project = folder.Path() / site.FolderName();
    WindowSession session(tarvelin::TarvelinWindowProgram(), "Tarvelin", {}, folder.Path());
    QStringList texts;
    bool showBox = false;
    session.Control().View().SetAsker([&](const MessageRequest& r) {
      texts << r.text;
      return r.icon == QMessageBox::Information || !showBox ? engine::Answer::No : ShowMessageBox(r);
    });
    session.Dialog().show();
    QSignalSpy ended(&session.Control().View(), &WindowView::runEnded);
    session.Control().Download(site.Url("/missing.htm"));
    QTRY_COMPARE(ended.count(), 1);
    QVERIFY2(texts.back().startsWith("Download finish. The start address " + QString::fromStdString(
                 site.Url("/missing.htm")) + " could not be fetched: HTTP 404. Do you want"), qPrintable(texts.back()));
    session.Control().Download(site.Url("/start.htm"));
    QTRY_COMPARE_WITH_TIMEOUT(ended.count(), 2, 30000);
    QCOMPARE(Control<QLabel>(session, kPictureCounter)->text(), QString("2"));
    const auto before = Contents(project);
    const std::string saved = ReadFile(project / "project.cfg");

    // Escape on the resume question: nothing moves, the list stays.
    showBox = true;
    QTimer escape;
    QString asked;
    connect(&escape, &QTimer::timeout, [&] {
      if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
        asked = box->text();
        QTest::keyClick(box, Qt::Key_Escape);
      }
    });
    escape.start(5);
    Control<QLineEdit>(session, kAddressEdit)->setText(QString::fromStdString(site.Url("/start.htm")));
    Control<QPushButton>(session, kDownloadButton)->click();
    QTRY_COMPARE_WITH_TIMEOUT(ended.count(), 3, 30000);
    escape.stop();
    QCOMPARE(asked, QString("This website has been downloaded, do you want to continue the previous download?"));
    QCOMPARE(session.Control().Engine().LastRun().result, engine::StartResult::Abandoned);
    QCOMPARE(Contents(project), before);
    QCOMPARE(ReadFile(project / "project.cfg"), saved);
    QCOMPARE(Control<QLabel>(session, kPictureCounter)->text(), QString("2"));
    QCOMPARE(session.List().Count(), 2);

    // Enter on the list opens the viewer on the selected picture; in the
    // address field it is Download.
    pictures::ThumbnailList& list = session.List();
    list.setCurrentIndex(list.model()->index(1, 0));
    list.setFocus();
    QTest::keyClick(&list, Qt::Key_Return);
    QVERIFY(list.Viewer().isVisible());
    QCOMPARE(QString::fromStdString(list.Viewer().Path()), list.model()->index(1, 0).data().toString());
    QCOMPARE(session.Control().Engine().State(), engine::EngineState::Idle);
    list.Viewer().reject();
  }

  void quorvashRunAsksAndOpensTheFolder() {
    TestSite pictures1, pictures2("127.0.0.2");
    TestServer service;
    auto entry = [](TestSite& s, const std::string& name) {
      return "<a href=/imgres?imgurl=http://" + s.Server().HostPort() + "/" + name + "&imgrefurl=http://ref/&h=1>";
    };
    for (int i = 1; i <= 3; ++i) pictures1.File("/a" + std::to_string(i) + ".png", Png(i));
    pictures2.File("/b1.png", Png(9));
    const std::string first = "Did you mean: <b><i>kats</i></b><td nowrap class=b><a href=/images?q=cats&start=10>Next</a>" +
                              entry(pictures1, "a1.png") + entry(pictures2, "b1.png");
    const std::string second = entry(pictures1, "a2.png") + entry(pictures1, "a3.png");
    service.Http().Get("/images", [&](const httplib::Request& req, httplib::Response& res) {
      res.set_content(req.has_param("start") ? second : first, "text/html");
    });
    service.Start();
    platform::SettingsStore("Quorvash").WriteString("search host", service.HostPort());
    TempFolder folder;
    WindowSession session(quorvash::QuorvashWindowProgram(), "Quorvash", {}, folder.Path());
    QDesktopServices::setUrlHandler("file", this, "openUrl");
    const auto unset = qScopeGuard([] { QDesktopServices::unsetUrlHandler("file"); });
    pictures::PictureViewer& viewer = session.List().Viewer();
    std::vector<MessageRequest> asked;
    QStringList shown;
    session.Control().View().SetAsker([&](const MessageRequest& r) {
      asked.push_back(r);
      if (r.icon != QMessageBox::Information) return engine::Answer::No;
      // The end message through the real box, answered Yes.
      QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) return;
        shown << box->windowTitle() << box->text() << QString::number(box->icon())
              << QString::number(box->parentWidget() == &viewer);
        box->button(QMessageBox::Yes)->click();
      });
      return ShowMessageBox(r);
    });
    QSignalSpy folders(&session.Control().View(), &WindowView::projectFolderChanged);
    session.Dialog().show();
    viewer.Open();  // the end message then belongs to it
    session.Control().Download("cats");
    QTRY_VERIFY_WITH_TIMEOUT(!opened.isEmpty(), 30000);
    session.List().setCurrentIndex(session.List().model()->index(0, 0));

    QCOMPARE(Control<QLabel>(session, kPictureCounter)->text(), QString("4"));
    // The picture's host keeps its port, for Tarvelin on the picture's site.
    QVERIFY(QStringList({QString::fromStdString(pictures1.Server().HostPort()),
                         QString::fromStdString(pictures2.Server().HostPort())})
                .contains(QString::fromStdString(session.List().SelectedHost())));
    QCOMPARE(asked.size(), size_t(2));
    QCOMPARE(asked[0].icon, QMessageBox::Question);
    QCOMPARE(asked[0].text, QString("google has a suggested keyword for you, did you mean: kats ?"));
    QCOMPARE(shown, QStringList({"Quorvash", "Download finish. Do you want to view the download files?",
                                 QString::number(QMessageBox::Information), "1"}));
    const QString project = QString::fromStdString((folder.Path() / service.FolderName()).string());
    QCOMPARE(folders.size(), 1);
    QCOMPARE(folders[0][0].toString(), project);
    QCOMPARE(opened, QList<QUrl>{QUrl::fromLocalFile(project)});
    bool linkShown = false;
    for (int k = 0; k < kWorkerCount; ++k)
      linkShown |= Control<QLabel>(session, kFirstFileLabel + k)->text().startsWith("http://127.0.0.");
    QVERIFY(linkShown);
    viewer.reject();
  }

 private:
  QList<QUrl> opened;
};

QTEST_MAIN(WindowRunTest)
#include "window_run_test.moc"
