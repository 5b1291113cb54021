#pragma once
// The browser panel's web view, over Qt WebEngine in a module of its own
// (web_page_view.cpp), loaded when the first view is made: linked into the
// program, Qt WebEngine would make an OpenGL context as the application
// starts and keep Mesa's software renderer in memory.
#include <QString>
#include <QWidget>

namespace pictures {

class PageView;

// A web view inside `panel`, which owns it; null when the module is not
// there (a build without Qt WebEngine) or does not load. Links the user
// opens from its pages go to the desktop's browser; a page that fails to
// load leaves the view empty.
PageView* MakeWebPageView(QWidget* panel);

// The same from the module file `module`.
PageView* MakeWebPageViewFrom(const QString& module, QWidget* panel);

}  // namespace pictures
