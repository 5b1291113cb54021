// Shows the thumbnail list with the pictures of a folder, and optionally the
// viewer on one of them, to look at (under xvfb-run with a screenshot, say).
//   build/bench/pictures_preview FOLDER [--select ROW] [--viewer ROW] [--quit-after MS]
#include <QApplication>
#include <QDir>
#include <QTimer>

#include "pictures/picture_viewer.h"
#include "pictures/picture_actions.h"
#include "pictures/thumbnail_feed.h"
#include "pictures/thumbnail_list.h"
#include "platform/picture_decoder.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  platform::LoadPictureDecoders();
  const QStringList args = app.arguments();
  if (args.size() < 2) {
    std::fprintf(stderr, "usage: %s FOLDER [--select ROW] [--viewer ROW] [--quit-after MS]\n", argv[0]);
    return 64;
  }
  auto option = [&args](const QString& name) {
    const qsizetype at = args.indexOf(name);
    return at > 0 && at + 1 < args.size() ? args[at + 1].toInt() : -1;
  };

  pictures::ThumbnailFeed feed;
  pictures::PictureActions actions;
  pictures::ThumbnailList list(feed, &actions, engine::ViewerAction::DownloadWholeSite);
  actions.SetMessageOwner(&list.Viewer());
  list.setWindowTitle("Thumbnails");
  list.resize(960, 560);
  const QDir folder(args[1]);
  for (const QString& name : folder.entryList(QDir::Files, QDir::Name))
    feed.AddPicture(name.toStdString(), folder.absoluteFilePath(name).toStdString(), "pictures.example");
  list.show();
  if (const int row = option("--select"); row >= 0)
    list.selectionModel()->select(list.model()->index(row, 0), QItemSelectionModel::ClearAndSelect);
  if (const int row = option("--viewer"); row >= 0) {
    list.selectionModel()->select(list.model()->index(row, 0), QItemSelectionModel::ClearAndSelect);
    list.Viewer().Open();
  }
  if (const int ms = option("--quit-after"); ms > 0) QTimer::singleShot(ms, &app, &QApplication::quit);
  return app.exec();
}
