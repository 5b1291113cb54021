#include "pictures/web_page_view.h"

#include <unistd.h>

#include <QDesktopServices>
#include <QElapsedTimer>
#include <QEvent>
#include <QVBoxLayout>
#include <QWebEngineLoadingInfo>
#include <QWebEngineNewWindowRequest>
#include <QWebEnginePage>
#include <QWebEngineSettings>
#include <QWebEngineView>

#include "pictures/page_view.h"

namespace pictures {

namespace {

// Chromium's net::ERR_ABORTED: the load was stopped (a link sent to the
// desktop's browser, a download) and the page shown stays as it was.
constexpr int kLoadAborted = -3;

// Chromium refuses to start as root with its sandbox on; it reads this when
// the first page is made.
void AllowRunningAsRoot() {
  if (geteuid() == 0 && !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX"))
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
}

// One renderer and no GPU process: the panel shows one small page. Read
// with the sandbox switch when the first page is made; a user's own flags
// win. The view drawn by Qt Quick's software renderer: with OpenGL, Qt makes
// the shown window anew when the view arrives (without a window manager it
// moved to the screen's corner), and the idle program with its web engine
// held about 40 MB more (246 against 207 MB PSS).
void KeepWebEngineSmall() {
  if (!qEnvironmentVariableIsSet("QTWEBENGINE_CHROMIUM_FLAGS"))
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--renderer-process-limit=1 --disable-gpu --in-process-gpu");
  if (!qEnvironmentVariableIsSet("QT_QUICK_BACKEND")) qputenv("QT_QUICK_BACKEND", "software");
}

// Only web addresses: a page must not start whatever handles other schemes.
void OpenInDesktopBrowser(const QUrl& url) {
  if (url.scheme() == QLatin1String("http") || url.scheme() == QLatin1String("https"))
    QDesktopServices::openUrl(url);
}

// Keeps the panel on the page it was sent to: what the user opens from it
// goes to the desktop's browser.
class PanelPage : public QWebEnginePage {
 public:
  explicit PanelPage(QObject* parent) : QWebEnginePage(parent) {
    // Chromium's "This site can't be reached" would fill the little panel.
    settings()->setAttribute(QWebEngineSettings::ErrorPageEnabled, false);
    // Pop-ups need a click, so a reload never opens the desktop's browser.
    settings()->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
    connect(this, &QWebEnginePage::newWindowRequested, this,
            [](QWebEngineNewWindowRequest& request) { OpenInDesktopBrowser(request.requestedUrl()); });
  }

  // The panel's own loads come as typed navigations, as does "open in this
  // window" from the page's menu; only the former stay in the panel.
  void ExpectLoad() { ++m_ownLoads; }
  // A click or a key in the view. A page that follows a link on its own,
  // without the user, must not open the desktop's browser at every reload.
  void UserActed() { m_lastInput.start(); }

 protected:
  bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override {
    if (!isMainFrame) return true;
    if (type == NavigationTypeTyped && m_ownLoads > 0) {
      --m_ownLoads;
      return true;
    }
    if (type != NavigationTypeLinkClicked && type != NavigationTypeTyped) return true;
    // A place on the same page.
    if (url.adjusted(QUrl::RemoveFragment) == this->url().adjusted(QUrl::RemoveFragment)) return true;
    if (m_lastInput.isValid() && m_lastInput.elapsed() < kUserActivationMs) OpenInDesktopBrowser(url);
    return false;
  }

 private:
  // As long as a browser lets a click open a pop-up.
  static constexpr qint64 kUserActivationMs = 5000;

  int m_ownLoads = 0;
  QElapsedTimer m_lastInput;
};

class WebPageView : public PageView {
 public:
  explicit WebPageView(QWidget* panel)
      : PageView(panel), m_view(new QWebEngineView(this)), m_page(new PanelPage(m_view)) {
    m_view->setPage(m_page);
    auto* box = new QVBoxLayout(this);
    box->setContentsMargins(0, 0, 0, 0);
    box->addWidget(m_view);
    // Empty until a page has loaded, and again after a load fails.
    m_view->hide();
    connect(m_page, &QWebEnginePage::loadingChanged, m_view, [this](const QWebEngineLoadingInfo& load) {
      if (load.status() == QWebEngineLoadingInfo::LoadSucceededStatus)
        m_view->show();
      else if (load.status() == QWebEngineLoadingInfo::LoadFailedStatus && load.errorCode() != kLoadAborted)
        m_view->hide();
    });
    // The widget that takes the user's input comes with the first page.
    connect(m_view, &QWebEngineView::loadFinished, this, [this] {
      if (QWidget* input = m_view->focusProxy()) input->installEventFilter(this);
    });
  }

  void Navigate(const QUrl& address) override {
    m_page->ExpectLoad();
    m_view->load(address);
  }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::KeyPress) m_page->UserActed();
    return PageView::eventFilter(watched, event);
  }

 private:
  QWebEngineView* m_view;
  PanelPage* m_page;
};

}  // namespace

PageView* MakeWebPageView(QWidget* panel) {
  AllowRunningAsRoot();
  KeepWebEngineSmall();
  return new WebPageView(panel);
}

}  // namespace pictures
