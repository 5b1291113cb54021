// The sponsor panel's web view over Qt WebEngine, built as a module of its
// own: the programs load it only when the panel's first page is due.
#include <unistd.h>

#include <vector>

#include <QDesktopServices>
#include <QElapsedTimer>
#include <QEvent>
#include <QLoggingCategory>
#include <QQuickWindow>
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

// Variables Qt WebEngine reads as it starts, set where the user has not set
// them, and taken back once it has started: a program the user opens from
// the window (a desktop browser on Qt WebEngine among them) must not inherit
// them.
class StartEnvironment {
 public:
  void SetUnlessSet(const char* name, const char* value) {
    if (qEnvironmentVariableIsSet(name)) return;
    qputenv(name, value);
    m_set.push_back(name);
  }
  ~StartEnvironment() {
    for (const char* name : m_set) qunsetenv(name);
  }

 private:
  std::vector<const char*> m_set;
};

// One renderer and no GPU process: the panel shows one small page. Chromium
// refuses to start as root with its sandbox on; without the sandbox it needs
// no zygote processes either. The view is drawn by Qt Quick's software
// renderer and X11's OpenGL is never loaded: with OpenGL, Qt makes the shown
// window anew when the view arrives (without a window manager it moved to
// the screen's corner), and Mesa's software renderer held about 30 MB.
void StartSmall(StartEnvironment& environment) {
  if (geteuid() == 0) environment.SetUnlessSet("QTWEBENGINE_DISABLE_SANDBOX", "1");
  environment.SetUnlessSet("QTWEBENGINE_CHROMIUM_FLAGS",
                           qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX")
                               ? "--renderer-process-limit=1 --disable-gpu --in-process-gpu --no-zygote"
                               : "--renderer-process-limit=1 --disable-gpu --in-process-gpu");
  environment.SetUnlessSet("QT_XCB_GL_INTEGRATION", "none");
  if (!qEnvironmentVariableIsSet("QT_QUICK_BACKEND")) QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
}

QLoggingCategory::CategoryFilter g_previousFilter = nullptr;

// Qt WebEngine's report of its graphics at start reads the shared OpenGL
// context, which a view drawn in software never makes, and would crash.
// Installing it runs it before the previous filter is known.
void WithoutGraphicsReport(QLoggingCategory* category) {
  if (g_previousFilter) g_previousFilter(category);
  if (qstrcmp(category->categoryName(), "qt.webenginecontext") == 0) category->setEnabled(QtInfoMsg, false);
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

}  // namespace pictures

// What the program looks up once it has loaded this module.
extern "C" Q_DECL_EXPORT pictures::PageView* MakePanelWebView(QWidget* panel) {
  using namespace pictures;
  if (!g_previousFilter) g_previousFilter = QLoggingCategory::installFilter(WithoutGraphicsReport);
  StartEnvironment environment;
  StartSmall(environment);
  // The web engine starts with the first page made here.
  return new WebPageView(panel);
}
