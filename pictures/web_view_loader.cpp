#include <QCoreApplication>
#include <QFileInfo>
#include <QLibrary>

#include "pictures/page_view.h"
#include "pictures/web_page_view.h"

namespace pictures {

namespace {

QtMessageHandler g_previousHandler = nullptr;

// Qt WebEngine loaded after the application started asks for a shared
// OpenGL context, and its threads say they have none; the panel's view is
// drawn in software and needs none.
void DropOpenGlAdvice(QtMsgType type, const QMessageLogContext& context, const QString& text) {
  if (type == QtWarningMsg && (text.startsWith(QLatin1String("Qt WebEngine seems to be initialized from a plugin")) ||
                               text.startsWith(QLatin1String("No suitable graphics backend found"))))
    return;
  g_previousHandler(type, context, text);
}

void InstallMessageFilter() {
  [[maybe_unused]] static const bool installed = [] {
    g_previousHandler = qInstallMessageHandler(nullptr);
    qInstallMessageHandler(DropOpenGlAdvice);
    return true;
  }();
}

}  // namespace

PageView* MakeWebPageViewFrom(const QString& module, QWidget* panel) {
  if (!QFileInfo::exists(module)) return nullptr;
  QLibrary library(module);
  // Views made from it may live until the program ends.
  library.setLoadHints(QLibrary::PreventUnloadHint);
  using Maker = PageView* (*)(QWidget*);
  InstallMessageFilter();
  auto make = library.load() ? reinterpret_cast<Maker>(library.resolve("MakePanelWebView")) : nullptr;
  if (!make) {
    qWarning("The sponsor panel stays empty: %s", qPrintable(library.errorString()));
    return nullptr;
  }
  return make(panel);
}

PageView* MakeWebPageView(QWidget* panel) {
  return MakeWebPageViewFrom(QCoreApplication::applicationDirPath() + QStringLiteral("/" PICTURES_WEB_VIEW_MODULE),
                             panel);
}

}  // namespace pictures
