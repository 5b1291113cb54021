// The wallpaper ways that speak D-Bus: the desktop portal and the Plasma shell.
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QEventLoop>
#include <QRandomGenerator>
#include <QTimer>

#include "platform/wallpaper_ways.h"

namespace platform::wallpaper {

namespace {

constexpr int kCallTimeoutMs = 25000;  // D-Bus's own default, room for activating the portal
constexpr int kAnswerTimeoutMs = 120000;  // the portal may ask the user first
const QString kPortalService = "org.freedesktop.portal.Desktop";
const QString kPortalPath = "/org/freedesktop/portal/desktop";
const QString kRequestInterface = "org.freedesktop.portal.Request";

// Waits for a call's reply with the event loop running, so that the window
// keeps painting (and a service in this process can answer).
QDBusMessage CallAndWait(const QDBusConnection& bus, const QDBusMessage& call) {
  QDBusPendingCallWatcher watcher(bus.asyncCall(call, kCallTimeoutMs));
  if (!watcher.isFinished()) {
    QEventLoop loop;
    QObject::connect(&watcher, &QDBusPendingCallWatcher::finished, &loop, &QEventLoop::quit);
    loop.exec();
  }
  return watcher.reply();
}

}  // namespace

// Catches the portal's Response signal for one request.
class PortalAnswer : public QObject {
  Q_OBJECT
 public:
  bool answered = false;
  uint code = 2;
 Q_SIGNALS:
  void arrived();
 public Q_SLOTS:
  void OnResponse(uint response, const QVariantMap&) {
    answered = true;
    code = response;
    Q_EMIT arrived();
  }
};

bool SessionServiceRuns(const QString& name) {
  const QDBusConnection bus = QDBusConnection::sessionBus();
  return bus.isConnected() && bus.interface() && bus.interface()->isServiceRegistered(name).value();
}

Outcome SetByPortal(const QString& uri) {
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) return Outcome::Failed;
  // Listen on the request's path before asking, so that no answer slips by.
  const QString token = QString("wallpaper%1").arg(QRandomGenerator::global()->generate());
  const QString sender = bus.baseService().mid(1).replace('.', '_');
  const QString expected = kPortalPath + "/request/" + sender + "/" + token;
  PortalAnswer answer;
  const char* slot = SLOT(OnResponse(uint, QVariantMap));
  bus.connect(QString(), expected, kRequestInterface, "Response", &answer, slot);

  QDBusMessage call =
      QDBusMessage::createMethodCall(kPortalService, kPortalPath, "org.freedesktop.portal.Wallpaper", "SetWallpaperURI");
  // The user chose this picture already: no second preview; the desktop only, not the lock screen.
  call << QString() << uri
       << QVariantMap{{"handle_token", token}, {"show-preview", false}, {"set-on", QString("background")}};
  const QDBusMessage reply = CallAndWait(bus, call);
  QString handle = expected;
  if (reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty())
    handle = qvariant_cast<QDBusObjectPath>(reply.arguments().constFirst()).path();
  if (reply.type() != QDBusMessage::ReplyMessage) {
    bus.disconnect(QString(), expected, kRequestInterface, "Response", &answer, slot);
    return Outcome::Failed;
  }
  if (handle != expected) bus.connect(QString(), handle, kRequestInterface, "Response", &answer, slot);
  if (!answer.answered) {
    QEventLoop loop;
    QObject::connect(&answer, &PortalAnswer::arrived, &loop, &QEventLoop::quit);
    QTimer::singleShot(kAnswerTimeoutMs, &loop, &QEventLoop::quit);
    loop.exec();
  }
  bus.disconnect(QString(), expected, kRequestInterface, "Response", &answer, slot);
  if (handle != expected) bus.disconnect(QString(), handle, kRequestInterface, "Response", &answer, slot);
  if (!answer.answered) return Outcome::Failed;
  return answer.code == 0 ? Outcome::Done : answer.code == 1 ? Outcome::Declined : Outcome::Failed;
}

bool SetByPlasma(const QString& uri) {
  const QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) return false;
  // The address goes into the script as escapes only, so no character of it
  // can end the string.
  QString literal;
  for (const QChar c : uri) literal += QString("\\u%1").arg(c.unicode(), 4, 16, QChar('0'));
  const QString script = QString(
                             "var uri = \"%1\";"
                             "var all = desktops();"
                             "for (var i = 0; i < all.length; i++) {"
                             "  var d = all[i];"
                             "  d.wallpaperPlugin = \"org.kde.image\";"
                             "  d.currentConfigGroup = [\"Wallpaper\", \"org.kde.image\", \"General\"];"
                             "  d.writeConfig(\"Image\", uri);"
                             "}")
                             .arg(literal);
  QDBusMessage call =
      QDBusMessage::createMethodCall("org.kde.plasmashell", "/PlasmaShell", "org.kde.PlasmaShell", "evaluateScript");
  call << script;
  return CallAndWait(bus, call).type() == QDBusMessage::ReplyMessage;
}

}  // namespace platform::wallpaper

#include "wallpaper_dbus.moc"
