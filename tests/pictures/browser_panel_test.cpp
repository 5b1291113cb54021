// The sponsor panel's reload timer with a stand-in view; the web view on loopback.
#include <QDesktopServices>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryFile>
#include <QTest>

#include "pictures/browser_panel.h"
#include "pictures/web_page_view.h"
#include "tests/support/test_server.h"
#ifdef PICTURES_WEB_ENGINE
#include <QWebEngineView>
#endif

using namespace pictures;
using namespace std::chrono_literals;

struct StandInView : PageView {
  void Navigate(const QUrl& address) override { visited << address; }
  QList<QUrl> visited;
};

// Takes what QDesktopServices would hand to the desktop's browser.
class DesktopBrowser : public QObject {
  Q_OBJECT
 public:
  DesktopBrowser() { QDesktopServices::setUrlHandler("http", this, "Opened"); }
 Q_SIGNALS:
  void Opened(const QUrl& url);
};

class BrowserPanelTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void periodsDoubleToAnHourAndReloadTheNavigatedPage() {
    const QUrl sponsor("http://127.0.0.1:9/p-net-Tarvelin.asp?adpos=0");
    for (const QList<int>& periods : {QList<int>{30, 60, 120, 240, 480, 960, 1920, 3600, 3600},
                                      QList<int>{60, 120, 240, 480, 960, 1920, 3600, 3600}}) {
      StandInView view;
      BrowserPanel panel([&](QWidget*) { return &view; });
      panel.SetRefreshSeconds(periods[0]);
      QVERIFY(panel.AttachPanel());
      panel.Navigate(sponsor);
      view.Navigate(QUrl("http://127.0.0.1:9/clicked.htm"));  // the user went on inside the view
      for (int period : periods) {
        QCOMPARE(panel.ReloadPeriod(), std::chrono::seconds(period));
        panel.OnReloadTimer();
      }
      QVERIFY(view.visited.size() == periods.size() + 2 && view.visited.last() == sponsor);
    }
    // Left to run, with milliseconds for seconds, the timer reloads by itself.
    StandInView view;
    BrowserPanel panel([&](QWidget*) { return &view; }, nullptr, 1ms);
    panel.AttachPanel();
    panel.Navigate(sponsor);
    QTRY_VERIFY(view.visited.size() >= 3 && view.visited.count(sponsor) == view.visited.size());
  }

  void panelStaysEmptyWithoutALoadableWebViewModule() {
    QTemporaryFile notALibrary;
    QVERIFY(notALibrary.open() && notALibrary.write("\x7f" "ELF but not one") > 0);
    notALibrary.close();
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^The sponsor panel stays empty: "));
    for (const QString& module : {QString("/nonexistent/module.so"), notALibrary.fileName()}) {
      BrowserPanel panel([&](QWidget* parent) { return MakeWebPageViewFrom(module, parent); });
      panel.Navigate(QUrl("http://127.0.0.1:9/p-net-Tarvelin.asp?adpos=0"));
      QVERIFY(!panel.AttachPanel() && !panel.HasView() && panel.ReloadPeriod().count() == 0);
    }
  }

  void webViewShowsLoopbackPageAndSendsLinksOut() {
#ifndef PICTURES_WEB_ENGINE
    QSKIP("built without Qt WebEngine");
#else
    TestServer server;
    server.Http().Get("/p-net-Tarvelin.asp", [](const httplib::Request&, httplib::Response& res) {
      res.set_content("<title>sponsor</title><a id=script href=/script.htm></a>"
                      "<a href=/away.htm style='display:block;height:700px'>x</a>", "text/html");
    });
    server.Start();
    DesktopBrowser desktop;
    QSignalSpy opened(&desktop, &DesktopBrowser::Opened);
    BrowserPanel panel([](QWidget* parent) { return MakeWebPageViewFrom(PICTURES_WEB_VIEW_MODULE, parent); });
    panel.show();
    QVERIFY(panel.AttachPanel());
    auto* view = panel.findChild<QWebEngineView*>();
    QSignalSpy loaded(view, &QWebEngineView::loadFinished);
    const QUrl sponsor(QString::fromStdString(server.Url("/p-net-Tarvelin.asp?adpos=0")));
    panel.Navigate(sponsor);
    QVERIFY(loaded.wait(30000));
    QVERIFY(loaded.last().first().toBool() && view->isVisible());
    // Without the user neither a pop-up nor a link leaves the panel; a click does.
    view->page()->runJavaScript(
        "window.open('/popup.htm'); document.getElementById('script').click(); document.title = 'done';");
    QTRY_COMPARE_WITH_TIMEOUT(view->title(), QString("done"), 30000);
    QTest::mouseClick(view->focusProxy(), Qt::LeftButton, {}, QPoint(20, 20));
    QVERIFY(opened.wait(30000));
    QCOMPARE(opened.first().first().toUrl(), QUrl(QString::fromStdString(server.Url("/away.htm"))));
    // Both refused loads end; the page stays.
    QTRY_COMPARE_WITH_TIMEOUT(loaded.size(), 3, 30000);
    QVERIFY(view->url() == sponsor && view->isVisible());
    // A failed load leaves the panel empty, not showing Chromium's error page.
    server.StopServer();
    panel.OnReloadTimer();
    QVERIFY(loaded.wait(30000));
    QVERIFY(!loaded.last().first().toBool() && view->isHidden());
    QVERIFY(opened.size() == 1 && server.Hits("/popup.htm") + server.Hits("/script.htm") == 0);
#endif
  }
};

QTEST_MAIN(BrowserPanelTest)
#include "browser_panel_test.moc"
