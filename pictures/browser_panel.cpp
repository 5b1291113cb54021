#include "pictures/browser_panel.h"

#include <algorithm>

namespace pictures {

BrowserPanel::BrowserPanel(ViewMaker maker, QWidget* parent, std::chrono::milliseconds secondLength)
    : QWidget(parent), m_maker(std::move(maker)), m_secondLength(secondLength) {
  m_timer.setSingleShot(true);
  connect(&m_timer, &QTimer::timeout, this, &BrowserPanel::OnReloadTimer);
}

void BrowserPanel::SetRefreshSeconds(int seconds) {
  // A period of zero would reload without pause.
  m_refreshSeconds = std::clamp(seconds, 1, kLongestRefreshSeconds);
}

bool BrowserPanel::AttachPanel() {
  if (m_view || !m_maker) return m_view != nullptr;
  m_view = m_maker(this);
  if (!m_view) return false;
  // The page is laid out for a full-size window and the panel shows its top
  // left corner, so no scroll bars take the little room there is.
  m_view->setGeometry(0, 0, 1024, 768);
  m_view->show();
  StartTimer();
  if (!m_url.isEmpty()) m_view->Navigate(m_url);
  return true;
}

void BrowserPanel::Navigate(const QUrl& address) {
  m_url = address;
  if (m_view) m_view->Navigate(m_url);
}

std::chrono::milliseconds BrowserPanel::ReloadPeriod() const {
  return m_timer.isActive() ? m_timer.intervalAsDuration() : std::chrono::milliseconds(0);
}

void BrowserPanel::OnReloadTimer() {
  if (!m_view) return;
  m_timer.stop();
  m_refreshSeconds = std::min(2 * m_refreshSeconds, kLongestRefreshSeconds);
  StartTimer();
  // The page the panel was sent to, not one the user may have reached inside it.
  Navigate(m_url);
}

void BrowserPanel::StartTimer() { m_timer.start(m_refreshSeconds * m_secondLength); }

}  // namespace pictures
