#pragma once
// The browser panel's web view, over Qt WebEngine.
#include <QWidget>

namespace pictures {

class PageView;

// A web view inside `panel`, which owns it; null when this build has no
// Qt WebEngine. Links the user opens from its pages go to the desktop's
// browser; a page that fails to load leaves the view empty.
PageView* MakeWebPageView(QWidget* panel);

}  // namespace pictures
