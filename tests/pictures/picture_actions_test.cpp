#include <QApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDesktopServices>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

#include "picture_files.h"
#include "pictures/picture_actions.h"
#include "pictures/thumbnail_list.h"
#include "platform/picture_gallery.h"

using pictures::ProgramKind;
using pictures::ThumbnailList;

namespace {

const QString kPortalService = "org.freedesktop.portal.Desktop";

// Answers and closes every message box the actions show, noting its icon
// and text.
class BoxCatcher : public QObject {
 public:
  BoxCatcher() {
    connect(&m_timer, &QTimer::timeout, this, [this] {
      if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
        seen << QString("%1 %2").arg(box->icon()).arg(box->text());
        titles << box->windowTitle();
        box->accept();
      }
    });
    m_timer.start(5);
  }
  QStringList seen, titles;

 private:
  QTimer m_timer;
};

QString Info(const QString& text) { return QString("%1 %2").arg(QMessageBox::Information).arg(text); }
QString Warning(const QString& text) { return QString("%1 %2").arg(QMessageBox::Warning).arg(text); }

QByteArray Read(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

// The desktop portal and the Plasma shell, served from this process on a
// connection of their own.
class StandInPortal : public QObject {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Wallpaper")
 public:
  explicit StandInPortal(QDBusConnection bus) : m_bus(bus) {}
  uint answer = 0;
  QStringList uris;

 public Q_SLOTS:
  QDBusObjectPath SetWallpaperURI(const QString&, const QString& uri, const QVariantMap& options,
                                  const QDBusMessage& call) {
    uris << uri;
    const QString handle = "/org/freedesktop/portal/desktop/request/" + call.service().mid(1).replace('.', '_') + "/" +
                           options.value("handle_token").toString();
    QTimer::singleShot(0, this, [this, handle] {
      QDBusMessage response = QDBusMessage::createSignal(handle, "org.freedesktop.portal.Request", "Response");
      response << answer << QVariantMap();
      m_bus.send(response);
    });
    return QDBusObjectPath(handle);
  }

 private:
  QDBusConnection m_bus;
};

class StandInPlasma : public QObject {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.kde.PlasmaShell")
 public:
  QStringList scripts;
 public Q_SLOTS:
  void evaluateScript(const QString& script) { scripts << script; }
};

class PictureActionsTest : public QObject {
  Q_OBJECT
  QTemporaryDir m_home;
  QString m_gallery, m_bin, m_log;
  std::filesystem::path m_picture;
  QDBusConnection m_bus = QDBusConnection::connectToBus(QDBusConnection::SessionBus, "stand-ins");
  StandInPortal m_portal{m_bus};
  StandInPlasma m_plasma;

  void WriteTool(const QString& name, const QString& body) {
    QFile tool(m_bin + "/" + name);
    QVERIFY(tool.open(QIODevice::WriteOnly));
    tool.write(("#!/bin/sh\necho \"" + name + " $*\" >> " + m_log + "\n" + body + "\n").toUtf8());
    tool.close();
    tool.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  }

 private Q_SLOTS:
  void initTestCase() {
    QVERIFY(m_bus.isConnected());
    QCoreApplication::setApplicationName("Quorvash");
    qputenv("HOME", QFile::encodeName(m_home.path()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_home.filePath("config")));
    m_gallery = m_home.filePath("Pictures");
    m_bin = m_home.filePath("bin");
    m_log = m_home.filePath("tools.log");
    QVERIFY(QDir().mkpath(m_bin));
    qputenv("PATH", QFile::encodeName(m_bin));
    m_picture = WritePicture(m_home, "shown.png", {64, 48}, Qt::red);
    QVERIFY(m_bus.registerObject("/org/freedesktop/portal/desktop", &m_portal, QDBusConnection::ExportAllSlots));
    QVERIFY(m_bus.registerObject("/PlasmaShell", &m_plasma, QDBusConnection::ExportAllSlots));
  }

  void init() { QFile::remove(m_log); }

  void sendToGalleryNamesCopiesAndTells() {
    ThumbnailList list(ProgramKind::Quorvash);
    pictures::PictureActions& actions = list.Actions();
    BoxCatcher boxes;
    const QString before = QDir::currentPath();
    for (int i = 0; i < 3; ++i) actions.SendToGallery("photo.jpg", m_picture);
    actions.SendToGallery("photo", m_picture);
    actions.SendToGallery("photo", m_picture);
    actions.SendToGallery("v1.2/pic", m_picture);  // no such subfolder yet
    QVERIFY(QDir(m_gallery).mkpath("v1.2"));
    actions.SendToGallery("v1.2/pic", m_picture);
    actions.SendToGallery("../outside.jpg", m_picture);
    actions.SendToGallery("", {});
    QCOMPARE(QDir(m_gallery).entryList(QDir::Files, QDir::Name),
             QStringList({"photo", "photo(1)", "photo(1).jpg", "photo(2).jpg", "photo.jpg"}));
    QCOMPARE(Read(m_gallery + "/photo(2).jpg"), Read(QString::fromStdString(m_picture.string())));
    QVERIFY(QFile::exists(m_gallery + "/v1.2/pic"));
    QVERIFY(!QFile::exists(m_home.filePath("outside.jpg")));
    const QString ok = Info("Sent to picture gallery successfully."), failed = Warning("Sent to picture gallery failed.");
    QCOMPARE(boxes.seen, QStringList({ok, ok, ok, ok, ok, failed, ok, failed,
                                      QString("%1 No selected file.").arg(QMessageBox::NoIcon), failed}));
    QCOMPARE(boxes.titles.first(), "Quorvash");
    QCOMPARE(QDir::currentPath(), before);
    QCOMPARE(platform::NumberedName("a.b/c.d.jpg", 2), "a.b/c.d(2).jpg");
  }

  void openGalleryMakesItAndHandsItOn() {
    QDir(m_gallery).removeRecursively();
    QList<QUrl> opened;
    QDesktopServices::setUrlHandler("file", this, "Opened");
    connect(this, &PictureActionsTest::opened, this, [&](const QUrl& url) { opened << url; });
    ThumbnailList(ProgramKind::Tarvelin).Actions().OpenGallery();
    QDesktopServices::unsetUrlHandler("file");
    QCOMPARE(opened, QList<QUrl>({QUrl::fromLocalFile(m_gallery)}));
    QVERIFY(QFileInfo(m_gallery).isDir());
  }

  void wallpaperTriesTheDesktopsWays() {
    ThumbnailList list(ProgramKind::Tarvelin);
    BoxCatcher boxes;
    const QString uri = QUrl::fromLocalFile(QString::fromStdString(m_picture.string())).toString();
    const QString ok = Info("Set as wallpaper successfully."), failed = Warning("Set as wallpaper failed.");
    WriteTool("gsettings", "[ \"$1\" = get ] && echo \"'" + uri + "'\"; exit 0");
    qputenv("XDG_CURRENT_DESKTOP", "GNOME");

    QVERIFY(m_bus.registerService(kPortalService));
    list.Actions().SetAsWallpaper(m_picture);  // the portal sets it
    m_portal.answer = 1;
    list.Actions().SetAsWallpaper(m_picture);  // the user declines: no other way is tried
    QCOMPARE(m_portal.uris, QStringList({uri, uri}));
    QCOMPARE(Read(m_log), QByteArray());
    QVERIFY(m_bus.unregisterService(kPortalService));

    list.Actions().SetAsWallpaper(m_picture);  // gsettings sets both keys and reads one back
    QCOMPARE(Read(m_log), ("gsettings set org.gnome.desktop.background picture-uri '" + uri +
                           "'\ngsettings set org.gnome.desktop.background picture-uri-dark '" + uri +
                           "'\ngsettings get org.gnome.desktop.background picture-uri\n")
                              .toUtf8());
    WriteTool("gsettings", "[ \"$1\" = get ] && echo \"''\"; exit 0");
    list.Actions().SetAsWallpaper(m_picture);  // a backend that forgets what it was told

    qputenv("XDG_CURRENT_DESKTOP", "KDE");
    list.Actions().SetAsWallpaper(m_picture);  // no Plasma shell
    QVERIFY(m_bus.registerService("org.kde.plasmashell"));
    list.Actions().SetAsWallpaper(m_picture);
    QCOMPARE(m_plasma.scripts.size(), 1);
    QVERIFY(m_plasma.scripts[0].contains("\\u0066\\u0069\\u006c\\u0065\\u003a\\u002f\\u002f\\u002f"));
    list.Actions().SetAsWallpaper({});  // no picture shown
    QCOMPARE(boxes.seen, QStringList({ok, failed, ok, failed, failed, ok, failed}));
  }

  void downloadWholeSiteStartsTarvelinOnTheHost() {
    ThumbnailList list(ProgramKind::Quorvash);
    QVERIFY(list.AddPicture("a.png", m_picture, "pics.example"));
    QVERIFY(list.AddPicture("b.png", m_picture, ""));
    pictures::PictureActions& actions = list.Actions();
    actions.SetExecutableFolder(m_bin);
    QVERIFY(!actions.DownloadWholeSite());  // no Tarvelin beside it yet
    WriteTool("Tarvelin", "exit 0");
    QVERIFY(!actions.DownloadWholeSite());  // no selection
    list.selectionModel()->select(list.model()->index(1, 0), QItemSelectionModel::ClearAndSelect);
    QVERIFY(!actions.DownloadWholeSite());  // no host
    list.selectionModel()->select(list.model()->index(0, 0), QItemSelectionModel::ClearAndSelect);
    QVERIFY(actions.DownloadWholeSite());
    QTRY_COMPARE(Read(m_log), QByteArray("Tarvelin http://pics.example\n"));
  }

 Q_SIGNALS:
  void opened(const QUrl& url);

 public Q_SLOTS:
  void Opened(const QUrl& url) { Q_EMIT opened(url); }
};

QTEST_MAIN(PictureActionsTest)
#include "picture_actions_test.moc"
