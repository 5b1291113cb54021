#pragma once
// The sponsor panel of the main window (the window's `CWndBrowser`): a small
// web view that shows the sponsor page and reloads it on a timer whose
// period doubles after every reload, up to an hour.
//
// Use: construct, SetRefreshSeconds when the period is not 30 s, put the
// panel in its place, then AttachPanel and Navigate, in either order. When no web view can
// be made the panel stays empty, no timer runs and nothing is told.
#include <QTimer>
#include <QUrl>
#include <QWidget>
#include <chrono>
#include <functional>

#include "pictures/page_view.h"

namespace pictures {

class BrowserPanel : public QWidget {
  Q_OBJECT

 public:
  // Makes the view as a child of `panel`; null when none can be made.
  using ViewMaker = std::function<PageView*(QWidget* panel)>;

  static constexpr int kFirstRefreshSeconds = 30;
  static constexpr int kLongestRefreshSeconds = 3600;

  // `secondLength` is what one second of the reload period lasts; tests
  // shorten it.
  explicit BrowserPanel(ViewMaker maker, QWidget* parent = nullptr,
                        std::chrono::milliseconds secondLength = std::chrono::seconds(1));

  // Takes effect at AttachPanel; later only the doubling changes it.
  void SetRefreshSeconds(int seconds);
  int RefreshSeconds() const { return m_refreshSeconds; }

  // AttachPanel: makes the web view, starts the reload timer and shows the
  // page of an earlier Navigate. False when no view could be made.
  bool AttachPanel();
  // Navigate: shows `address` and remembers it as the page to reload.
  void Navigate(const QUrl& address);

  // The address of the last Navigate, which every reload goes to.
  const QUrl& Address() const { return m_url; }
  bool HasView() const { return m_view != nullptr; }
  // The reload timer's current period; zero while it does not run.
  std::chrono::milliseconds ReloadPeriod() const;

  // The reload timer's handler: the next period, then the reload.
  void OnReloadTimer();

 private:
  void StartTimer();

  ViewMaker m_maker;
  std::chrono::milliseconds m_secondLength;
  PageView* m_view = nullptr;
  QTimer m_timer;  // the window's timer 1001
  int m_refreshSeconds = kFirstRefreshSeconds;
  QUrl m_url;
};

}  // namespace pictures
