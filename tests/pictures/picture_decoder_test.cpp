#include <sys/stat.h>

#include <QBuffer>
#include <QImageWriter>
#include <QTemporaryDir>
#include <QTest>
#include <fstream>

#include "pictures/thumbnail.h"
#include "platform/picture_decoder.h"

namespace {

long PeakKb() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);)
    if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
  return -1;
}

// A small progressive JPEG whose header claims 30000 x 30000 pixels, cut
// off in its first scan: decoded, it would take about 2.7 GB.
QByteArray DeceptiveJpeg() {
  QImage image(64, 64, QImage::Format_RGB32);
  image.fill(Qt::red);
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  QImageWriter writer(&buffer, "jpeg");
  writer.setProgressiveScanWrite(true);
  writer.write(image);
  const qsizetype frame = bytes.indexOf("\xff\xc2");
  for (qsizetype at : {frame + 5, frame + 7}) {
    bytes[at] = char(30000 >> 8);
    bytes[at + 1] = char(30000 & 0xff);
  }
  bytes.truncate(bytes.indexOf("\xff\xda") + 60);
  return bytes;
}

}  // namespace

class PictureDecoderTest : public QObject {
  Q_OBJECT
  QTemporaryDir m_dir;

  std::filesystem::path Write(const QString& name, const QByteArray& bytes) {
    QFile file(m_dir.filePath(name));
    file.open(QIODevice::WriteOnly);
    file.write(bytes);
    return file.fileName().toStdString();
  }

 private Q_SLOTS:
  void initTestCase() { platform::LoadPictureDecoders(); }

  void refusesPictureDeclaringTooManyPixels() {
    const auto bomb = Write("bomb.jpg", DeceptiveJpeg());
    QCOMPARE(platform::ProbePicture(bomb), QSize(30000, 30000));
    QVERIFY(platform::DecodePictureWithin(bomb, QSize(200, 200)).isNull());
    QVERIFY(pictures::MakeThumbnail(bomb).isNull());
    QVERIFY2(PeakKb() < 200 * 1024, qPrintable(QString("peak %1 kB").arg(PeakKb())));
  }

  void decodesWithinTheBoxAndRefusesWhatIsNoPicture() {
    QImage image(640, 480, QImage::Format_RGB32);
    image.fill(Qt::blue);
    image.save(m_dir.filePath("big.png"));
    image.copy(0, 0, 100, 50).save(m_dir.filePath("small.jpg"));
    const std::filesystem::path dir = m_dir.path().toStdString();
    QCOMPARE(platform::DecodePictureWithin(dir / "big.png", QSize(200, 200)).size(), QSize(200, 150));
    QCOMPARE(platform::DecodePictureWithin(dir / "small.jpg", QSize(1024, 768)).size(), QSize(100, 50));

    const auto text = Write("notes.jpg", "just some words, no picture");
    QVERIFY(!platform::ProbePicture(text).isValid());
    QVERIFY(platform::DecodePictureWithin(text, QSize(200, 200)).isNull());
    QVERIFY(platform::DecodePictureWithin(Write("empty.png", {}), QSize(200, 200)).isNull());
    QVERIFY(platform::DecodePictureWithin(dir / "gone.png", QSize(200, 200)).isNull());
    // A FIFO under a picture's name is refused at once instead of hanging.
    QCOMPARE(::mkfifo((dir / "fifo.jpg").c_str(), 0600), 0);
    QVERIFY(platform::DecodePictureWithin(dir / "fifo.jpg", QSize(200, 200)).isNull());
  }
};

QTEST_GUILESS_MAIN(PictureDecoderTest)
#include "picture_decoder_test.moc"
