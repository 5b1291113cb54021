#include <sys/stat.h>

#include <QBuffer>
#include <QImageWriter>
#include <QTemporaryDir>
#include <QTest>
#include <atomic>
#include <fstream>

#include "pictures/thumbnail.h"
#include "platform/picture_decoder.h"
#include "platform/png_writer.h"

class PictureDecoderTest : public QObject {
  Q_OBJECT
  QTemporaryDir m_dir;
  std::filesystem::path Path(const char* name) { return m_dir.filePath(name).toStdString(); }

 private Q_SLOTS:
  // A progressive JPEG of a few hundred bytes that declares 30000 x 30000
  // pixels and is cut off in its first scan: decoded, it takes 2.7 GB.
  void refusesPictureDeclaringTooManyPixels() {
    QImage image(64, 64, QImage::Format_RGB32);
    image.fill(Qt::red);
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, "jpeg");
    writer.setProgressiveScanWrite(true);
    QVERIFY(writer.write(image));
    QByteArray bytes = buffer.data();
    const qsizetype frame = bytes.indexOf("\xff\xc2");
    for (qsizetype at : {frame + 5, frame + 7}) bytes[at] = char(30000 >> 8), bytes[at + 1] = char(30000 & 0xff);
    bytes.truncate(bytes.indexOf("\xff\xda") + 60);
    std::ofstream(Path("bomb.jpg"), std::ios::binary).write(bytes.constData(), bytes.size());

    QCOMPARE(platform::ProbePicture(Path("bomb.jpg")), QSize(30000, 30000));
    QVERIFY(pictures::MakeThumbnail(Path("bomb.jpg")).isNull());
    QVERIFY(platform::DecodePictureWithin(Path("bomb.jpg"), {1920, 1080}).isNull());
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line) && line.rfind("VmHWM:", 0) != 0) {
    }
    QVERIFY2(std::stol(line.substr(6)) < 200 * 1024, line.c_str());
  }

  void decodesWithinTheBoxAndRefusesWhatIsNoPicture() {
    QImage image(640, 480, QImage::Format_RGB32);
    image.fill(Qt::blue);
    QVERIFY(image.save(m_dir.filePath("big.png")) && image.copy(0, 0, 100, 50).save(m_dir.filePath("small.jpg")));
    QCOMPARE(platform::DecodePictureWithin(Path("big.png"), {200, 200}).size(), QSize(200, 150));
    QCOMPARE(platform::DecodePictureWithin(Path("small.jpg"), {1024, 768}).size(), QSize(100, 50));
    // WebP comes from the image-format plugins: thumbnails and the viewer need them.
    QVERIFY(image.save(m_dir.filePath("wide.webp"), "WEBP"));
    QCOMPARE(platform::DecodePictureWithin(Path("wide.webp"), {200, 200}).size(), QSize(200, 150));
    std::ofstream(Path("notes.jpg")) << "some words";
    std::ofstream(Path("empty.png")).flush();
    QCOMPARE(::mkfifo(Path("fifo.jpg").c_str(), 0600), 0);  // a reader of it would wait for ever
    for (const char* name : {"notes.jpg", "empty.png", "gone.png", "fifo.jpg"}) {
      QVERIFY(!platform::ProbePicture(Path(name)).isValid());
      QVERIFY(platform::DecodePictureWithin(Path(name), {200, 200}).isNull());
    }
  }

  // The bytes just stored stand for the file; the file is read only when
  // they end before the header does.
  void readsTheHeaderFromTheFirstBytesGiven() {
    QImage image(320, 200, QImage::Format_RGB32);
    image.fill(Qt::gray);
    QVERIFY(image.save(m_dir.filePath("given.png")));
    std::ifstream in(Path("given.png"), std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const auto size = int64_t(bytes.size());
    QCOMPARE(platform::ProbePicture(Path("elsewhere.png"), bytes, size), QSize(320, 200));
    QVERIFY(!platform::ProbePicture(Path("given.png"), "some words", 10).isValid());
    QCOMPARE(platform::ProbePicture(Path("given.png"), std::string_view(bytes).substr(0, 8), size), QSize(320, 200));
  }

  // Read through the mapped file's own device, a photo decodes whole; once
  // cancelled, after its header is read, it gives nothing rather than a part.
  void cancelledDecodeGivesNothing() {
    QImage image(1600, 1200, QImage::Format_RGB32);
    image.fill(Qt::darkGreen);
    QVERIFY(image.save(m_dir.filePath("photo.jpg"), "jpeg"));
    std::atomic<bool> cancel{false};
    const QImage half = platform::DecodePicture(Path("photo.jpg"), [](QSize declared) { return declared / 2; }, &cancel);
    QCOMPARE(half.size(), QSize(800, 600));
    QVERIFY(qAbs(qGreen(half.pixel(400, 300)) - qGreen(QColor(Qt::darkGreen).rgb())) <= 4);
    const auto cancelling = [&cancel](QSize declared) {
      cancel = true;
      return declared / 2;
    };
    QVERIFY(platform::DecodePicture(Path("photo.jpg"), cancelling, &cancel).isNull());
  }

  // Pixels, transparency and texts come back as written; a key Qt would cut
  // at its ':' stays whole, and a device that refuses the bytes is a failure.
  void pngKeepsPixelsAlphaAndTexts() {
    for (const bool alpha : {false, true}) {
      QImage image(3, 2, alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
      image.fill(alpha ? QColor(10, 20, 30, 40) : QColor(200, 100, 50));
      image.setPixel(2, 1, qRgba(1, 2, 3, 255));
      QBuffer out;
      out.open(QIODevice::WriteOnly);
      QVERIFY(platform::WritePng(out, image, {{"Thumb::URI", "file:///a%20b.png"}, {"Software", "x"}}));
      QImage back = QImage::fromData(out.data(), "png");
      QCOMPARE(back.hasAlphaChannel(), alpha);
      QCOMPARE(back.convertToFormat(QImage::Format_ARGB32), image.convertToFormat(QImage::Format_ARGB32));
      QVERIFY(out.data().contains(QByteArray("Thumb::URI\0file:///a%20b.png", 28)));
    }
    QBuffer closed;
    QImage image(4, 4, QImage::Format_RGB32);
    image.fill(Qt::red);
    QVERIFY(!platform::WritePng(closed, image, {}));
    QVERIFY(!platform::WritePng(closed, QImage(), {}));
  }
};

QTEST_GUILESS_MAIN(PictureDecoderTest)
#include "picture_decoder_test.moc"
