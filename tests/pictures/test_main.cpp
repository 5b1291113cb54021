#include <QApplication>

#include "platform/picture_decoder.h"

int RunThumbnailListTest(int argc, char** argv);
int RunViewerTest(int argc, char** argv);

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  platform::LoadPictureDecoders();
  const int listFailures = RunThumbnailListTest(argc, argv);
  return listFailures + RunViewerTest(argc, argv);
}
