// The sponsor panel: its reload timer with a stand-in view, the empty panel,
// and the real web view against a loopback server.
#include <QDesktopServices>
#include <QSignalSpy>
#include <QTest>

#include "pictures/browser_panel.h"
#include "pictures/page_view.h"
#include "pictures/web_page_view.h"
#include "tests/support/test_server.h"
#ifdef PICTURES_WEB_ENGINE
#include <QWebEngineView>
#endif

using namespace pictures;
using namespace std::chrono_literals;

namespace {

struct StandInView : PageView {
  using PageView::PageView;
  void Navigate(const QUrl& address) override { visited << address; }
  QList<QUrl> visited;
};

// Takes the addresses QDesktopServices would hand to the desktop's browser.
class DesktopBrowser : public QObject {
  Q_OBJECT
 public:
  DesktopBrowser() { QDesktopServices::setUrlHandler("http", this, "Opened"); }
  ~DesktopBrowser() override { QDesktopServices::unsetUrlHandler("http"); }
 Q_SIGNALS:
  void Opened(const QUrl& url);
};

}  // namespace

class BrowserPanelTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void periodsDoubleToAnHourAndReloadTheNavigatedPage_data() {
    QTest::addColumn<int>("first");
    QTest::addColumn<QList<int>>("periods");
    QTest::newRow("fresh") << 30 << QList<int>{30, 60, 120, 240, 480, 960, 1920, 3600, 3600};
    QTest::newRow("started with an address") << 60 << QList<int>{60, 120, 240, 480, 960, 1920, 3600, 3600};
  }
  void periodsDoubleToAnHourAndReloadTheNavigatedPage() {
    QFETCH(int, first);
    QFETCH(QList<int>, periods);
    StandInView* view = nullptr;
    BrowserPanel panel([&](QWidget* parent) { return view = new StandInView(parent); });
    panel.SetRefreshSeconds(first);
    QCOMPARE(panel.ReloadPeriod(), 0ms);
    QVERIFY(panel.AttachPanel());
    const QUrl sponsor("http://127.0.0.1:9/p-net-Tarvelin.asp?adpos=0");
    panel.Navigate(sponsor);
    view->Navigate(QUrl("http://127.0.0.1:9/clicked.htm"));  // the user went on inside the view
    for (int period : periods) {
      QCOMPARE(panel.ReloadPeriod(), std::chrono::seconds(period));
      panel.OnReloadTimer();
    }
    QCOMPARE(view->visited.size(), periods.size() + 2);
    QCOMPARE(view->visited.last(), sponsor);
  }

  void timerFiresOnItsOwn() {
    StandInView* view = nullptr;
    BrowserPanel panel([&](QWidget* parent) { return view = new StandInView(parent); }, nullptr, 1ms);
    panel.AttachPanel();
    panel.Navigate(QUrl("http://127.0.0.1:9/a"));
    QTRY_COMPARE(view->visited.size(), 3);
    QCOMPARE(view->visited.count(view->visited.first()), 3);
  }

  void withoutViewThePanelStaysEmpty() {
    BrowserPanel panel([](QWidget*) { return nullptr; });
    QVERIFY(!panel.AttachPanel());
    panel.Navigate(QUrl("http://127.0.0.1:9/a"));
    panel.OnReloadTimer();
    QCOMPARE(panel.ReloadPeriod(), 0ms);
    QCOMPARE(panel.RefreshSeconds(), 30);
    QVERIFY(panel.findChildren<QWidget*>().isEmpty());
  }

  void webViewShowsLoopbackPageAndSendsLinksOut() {
#ifndef PICTURES_WEB_ENGINE
    QSKIP("built without Qt WebEngine");
#else
    TestServer server;
    server.Http().Get("/p-net-Tarvelin.asp", [&](const httplib::Request&, httplib::Response& res) {
      res.set_content("<title>sponsor</title><a id=script href=/script.htm></a>"
                      "<a href=/away.htm style='display:block;height:700px'>x</a>", "text/html");
    });
    server.Start();
    DesktopBrowser desktop;
    QSignalSpy opened(&desktop, &DesktopBrowser::Opened);
    BrowserPanel panel(MakeWebPageView);
    panel.resize(470, 63);
    panel.show();
    QVERIFY(panel.AttachPanel());
    auto* view = panel.findChild<QWebEngineView*>();
    QSignalSpy loaded(view, &QWebEngineView::loadFinished);
    const QUrl sponsor(QString::fromStdString(server.Url("/p-net-Tarvelin.asp?adpos=0")));
    panel.Navigate(sponsor);
    QVERIFY(loaded.wait(30000));
    QCOMPARE(loaded.last().first().toBool(), true);
    QCOMPARE(view->title(), QString("sponsor"));
    QVERIFY(view->isVisible());

    // Without the user, neither a pop-up nor a link leaves the panel.
    view->page()->runJavaScript(
        "window.open('/popup.htm'); document.getElementById('script').click(); document.title = 'done';");
    QTRY_COMPARE_WITH_TIMEOUT(view->title(), QString("done"), 30000);
    QTest::mouseClick(view->focusProxy(), Qt::LeftButton, {}, QPoint(20, 20));
    QVERIFY(opened.wait(30000));
    QCOMPARE(opened.first().first().toUrl(), QUrl(QString::fromStdString(server.Url("/away.htm"))));
    QCOMPARE(view->url(), sponsor);

    server.StopServer();
    panel.OnReloadTimer();
    QVERIFY(loaded.wait(30000));
    QCOMPARE(loaded.last().first().toBool(), false);
    QVERIFY(view->isHidden());
    QCOMPARE(opened.size(), 1);
    QCOMPARE(server.Hits("/popup.htm") + server.Hits("/script.htm") + server.Hits("/away.htm"), 0);
#endif
  }
};

QTEST_MAIN(BrowserPanelTest)
#include "browser_panel_test.moc"
