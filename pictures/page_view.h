#pragma once
// What the browser panel shows pages in: the web view in the programs, a
// stand-in in tests. Lives inside the panel and is owned by it.
#include <QUrl>
#include <QWidget>

namespace pictures {

class PageView : public QWidget {
 public:
  using QWidget::QWidget;

  // Shows the page at `address`.
  virtual void Navigate(const QUrl& address) = 0;
};

}  // namespace pictures
