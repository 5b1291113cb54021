#include <QApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include "picture_files.h"
#include "pictures/picture_actions.h"
#include "pictures/thumbnail_feed.h"
#include "pictures/thumbnail_list.h"

using namespace pictures;

namespace {

// Runs `action`, closing each message box it shows; gives "caption icon text" of each.
QStringList Boxes(const std::function<void()>& action) {
  QStringList seen;
  QTimer timer;
  QObject::connect(&timer, &QTimer::timeout, [&seen] {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
      seen << QString("%1 %2 %3").arg(box->windowTitle()).arg(box->icon()).arg(box->text());
      box->accept();
    }
  });
  timer.start(5);
  action();
  return seen;
}

QByteArray Read(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

// The desktop portal and the Plasma shell, served on a connection of their own.
class StandInDesktop : public QObject {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Wallpaper")
 public:
  QDBusConnection bus = QDBusConnection::connectToBus(QDBusConnection::SessionBus, "stand-ins");
  uint answer = 0;
  QStringList calls;

 public Q_SLOTS:
  QDBusObjectPath SetWallpaperURI(const QString&, const QString& uri, const QVariantMap& options, const QDBusMessage& call) {
    calls << uri;
    const QString handle = "/org/freedesktop/portal/desktop/request/" + call.service().mid(1).replace('.', '_') + "/" +
                           options.value("handle_token").toString();
    QTimer::singleShot(0, this, [this, handle] {
      bus.send(QDBusMessage::createSignal(handle, "org.freedesktop.portal.Request", "Response") << answer << QVariantMap());
    });
    return QDBusObjectPath(handle);
  }
  Q_SCRIPTABLE void evaluateScript(const QString& script) { calls << script; }
};

class PictureActionsTest : public QObject {
  Q_OBJECT
  QTemporaryDir m_home;
  const QString m_gallery = m_home.filePath("Pictures"), m_bin = m_home.filePath("bin"), m_log = m_home.filePath("log");
  const std::filesystem::path m_picture = WritePicture(m_home, "shown.png", {64, 48}, Qt::red);
  StandInDesktop m_desktop;

  // A stand-in tool on PATH that notes how it was called.
  void WriteTool(const QString& name, const QString& body) {
    QFile tool(m_bin + "/" + name);
    QVERIFY(tool.open(QIODevice::WriteOnly));
    tool.write(("#!/bin/sh\necho \"" + name + " $*\" >> " + m_log + "\n" + body + "\n").toUtf8());
    tool.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  }

 private Q_SLOTS:
  void initTestCase() {
    QCoreApplication::setApplicationName("Quorvash");
    qputenv("HOME", QFile::encodeName(m_home.path()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_home.filePath("config")));
    qputenv("PATH", QFile::encodeName(m_bin));
    QVERIFY(QDir().mkpath(m_bin) && m_desktop.bus.isConnected());
    QVERIFY(m_desktop.bus.registerObject("/org/freedesktop/portal/desktop", &m_desktop, QDBusConnection::ExportAllSlots));
    QVERIFY(m_desktop.bus.registerObject("/PlasmaShell", "org.kde.PlasmaShell", &m_desktop,
                                         QDBusConnection::ExportScriptableSlots));
  }

  void sendToGalleryNamesCopiesAndTells() {
    PictureActions actions;
    const QString before = QDir::currentPath();
    const QStringList boxes = Boxes([&] {
      for (const char* name : {"photo.jpg", "photo.jpg", "photo.jpg", "photo", "photo", "v1.2/pic"})
        actions.SendToGallery(name, m_picture);
      QDir(m_gallery).mkpath("v1.2");
      actions.SendToGallery("v1.2/pic", m_picture);
      actions.SendToGallery("../outside.jpg", m_picture);
      actions.SendToGallery("", {});
    });
    QCOMPARE(QDir(m_gallery).entryList(QDir::Files, QDir::Name),
             QStringList({"photo", "photo(1)", "photo(1).jpg", "photo(2).jpg", "photo.jpg"}));
    QCOMPARE(Read(m_gallery + "/photo(2).jpg"), Read(QString::fromStdString(m_picture)));
    QVERIFY(QFile::exists(m_gallery + "/v1.2/pic") && !QFile::exists(m_home.filePath("outside.jpg")));
    const QString ok = "Quorvash 1 Sent to picture gallery successfully.", failed = "Quorvash 2 Sent to picture gallery failed.";
    QCOMPARE(boxes, QStringList({ok, ok, ok, ok, ok, failed, ok, failed, "Quorvash 0 No selected file.", failed}));
    QCOMPARE(QDir::currentPath(), before);
  }

  void wallpaperTriesTheDesktopsWays() {
    PictureActions actions;
    const QString uri = QUrl::fromLocalFile(QString::fromStdString(m_picture)).toString();
    WriteTool("gsettings", "[ \"$1\" = get ] && echo \"'" + uri + "'\"; exit 0");
    qputenv("XDG_CURRENT_DESKTOP", "GNOME");
    const QStringList boxes = Boxes([&] {
      QVERIFY(m_desktop.bus.registerService("org.freedesktop.portal.Desktop"));
      actions.SetAsWallpaper(m_picture);  // the portal sets it
      m_desktop.answer = 1;
      actions.SetAsWallpaper(m_picture);  // the user declines: nothing else is tried
      QVERIFY(Read(m_log).isEmpty() && m_desktop.bus.unregisterService("org.freedesktop.portal.Desktop"));
      actions.SetAsWallpaper(m_picture);  // gsettings sets both keys and reads one back
      QCOMPARE(Read(m_log), QString("gsettings set org.gnome.desktop.background picture-uri '%1'\n"
                                    "gsettings set org.gnome.desktop.background picture-uri-dark '%1'\n"
                                    "gsettings get org.gnome.desktop.background picture-uri\n")
                                .arg(uri)
                                .toUtf8());
      WriteTool("gsettings", "[ \"$1\" = get ] && echo \"''\"; exit 0");
      actions.SetAsWallpaper(m_picture);  // a backend that forgets what it is told
      qputenv("XDG_CURRENT_DESKTOP", "KDE");
      actions.SetAsWallpaper(m_picture);  // no Plasma shell runs
      QVERIFY(m_desktop.bus.registerService("org.kde.plasmashell"));
      actions.SetAsWallpaper(m_picture);
      actions.SetAsWallpaper({});  // no picture shown
    });
    const QString ok = "Quorvash 1 Set as wallpaper successfully.", failed = "Quorvash 2 Set as wallpaper failed.";
    QCOMPARE(boxes, QStringList({ok, failed, ok, failed, failed, ok, failed}));
    QCOMPARE(m_desktop.calls.size(), 3);  // the address reaches the script as escapes only
    QVERIFY(m_desktop.calls[0] == uri && m_desktop.calls[2].contains("\\u0066\\u0069\\u006c\\u0065\\u003a\\u002f"));
  }

  void downloadWholeSiteStartsTarvelinOnTheHost() {
    ThumbnailFeed feed;
    PictureActions actions;
    ThumbnailList list(feed, &actions, engine::ViewerAction::DownloadWholeSite);
    QVERIFY(feed.AddPicture("a.png", m_picture, "pics.example") && feed.AddPicture("b.png", m_picture, ""));
    actions.SetExecutableFolder(m_bin);
    list.setCurrentIndex(list.model()->index(0, 0));
    QVERIFY(!actions.DownloadWholeSite(list.SelectedHost()));  // no Tarvelin beside it
    WriteTool("Tarvelin", "exit 0");
    list.setCurrentIndex(list.model()->index(1, 0));
    QVERIFY(!actions.DownloadWholeSite(list.SelectedHost()));  // no host
    list.clearSelection();
    QVERIFY(!actions.DownloadWholeSite(list.SelectedHost()));
    QVERIFY(QFile::remove(m_log));
    list.setCurrentIndex(list.model()->index(0, 0));
    QVERIFY(actions.DownloadWholeSite(list.SelectedHost()));
    QTRY_COMPARE(Read(m_log), QByteArray("Tarvelin http://pics.example\n"));
    // The site's port goes with it: the folder and the site depend on it.
    QVERIFY(feed.AddPicture("c.png", m_picture, "127.0.0.2:8385") && QFile::remove(m_log));
    list.setCurrentIndex(list.model()->index(2, 0));
    QVERIFY(actions.DownloadWholeSite(list.SelectedHost()));
    QTRY_COMPARE(Read(m_log), QByteArray("Tarvelin http://127.0.0.2:8385\n"));
  }
};

QTEST_MAIN(PictureActionsTest)
#include "picture_actions_test.moc"
