// Built when Qt WebEngine is missing: the browser panel stays empty.
#include "pictures/web_page_view.h"

namespace pictures {

PageView* MakeWebPageView(QWidget*) { return nullptr; }

}  // namespace pictures
