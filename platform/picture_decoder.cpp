#include "platform/picture_decoder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QBuffer>
#include <QFile>
#include <QImageReader>
#include <algorithm>
#include <cstring>
#include <memory>
#include <mutex>

namespace platform {

namespace {

// Room for the largest allowed picture at four bytes a pixel: formats that
// cannot decode at a smaller size allocate the whole picture first.
constexpr int kAllocationLimitMb = int(kMaxPicturePixels * 4 / (1024 * 1024));

// Bytes in memory as a device that gives no more once `cancel` is set, so
// that a decode under way ends at its next read. No QBuffer: the JPEG reader
// takes a QBuffer's bytes whole at its first read.
class MemoryDevice : public QIODevice {
 public:
  MemoryDevice(const char* data, qint64 size, const std::atomic<bool>* cancel)
      : m_data(data), m_size(size), m_cancel(cancel) {
    open(QIODevice::ReadOnly | QIODevice::Unbuffered);
  }
  bool isSequential() const override { return false; }
  qint64 size() const override { return m_size; }

 protected:
  qint64 readData(char* out, qint64 most) override {
    if (m_cancel && m_cancel->load(std::memory_order_relaxed)) return -1;
    const qint64 n = std::min(most, m_size - pos());
    if (n <= 0) return 0;
    std::memcpy(out, m_data + pos(), size_t(n));
    return n;
  }
  qint64 writeData(const char*, qint64) override { return -1; }

 private:
  const char* m_data;
  qint64 m_size;
  const std::atomic<bool>* m_cancel;
};

// A picture file mapped into memory: one mapping instead of thousands of
// small reads while a decoder hunts through a corrupt file.
class MappedPicture {
 public:
  explicit MappedPicture(const std::filesystem::path& path, const std::atomic<bool>* cancel = nullptr) {
    // O_NONBLOCK: a FIFO planted under a picture's name must not hang us.
    m_fd.fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (m_fd.fd < 0) return;
    struct stat st {};
    if (::fstat(m_fd.fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size <= 0 ||
        !m_file.open(m_fd.fd, QIODevice::ReadOnly, QFileDevice::DontCloseHandle))
      return;
    uchar* data = m_file.map(0, st.st_size);
    if (!data) return;
    m_device = std::make_unique<MemoryDevice>(reinterpret_cast<const char*>(data), qint64(st.st_size), cancel);
    m_reader.setDevice(m_device.get());
  }
  MappedPicture(const MappedPicture&) = delete;
  MappedPicture& operator=(const MappedPicture&) = delete;

  bool IsOpen() const { return m_device != nullptr; }
  QImageReader& Reader() { return m_reader; }

 private:
  // Closed here, after the file is unmapped, and not inside Qt, so that
  // ThreadSanitizer sees the descriptor's end before its number comes back.
  struct Descriptor {
    int fd = -1;
    ~Descriptor() {
      if (fd >= 0) ::close(fd);
    }
  } m_fd;
  QFile m_file;  // unmaps last
  std::unique_ptr<MemoryDevice> m_device;
  QImageReader m_reader;
};

// The format the first bytes announce. Only an order for the search: the
// decoders that know it are asked first, and the others still after them.
QByteArray FormatHint(const QByteArray& head) {
  if (head.startsWith("\x89PNG")) return "png";
  if (head.startsWith("\xFF\xD8\xFF")) return "jpeg";
  if (head.startsWith("GIF8")) return "gif";
  if (head.startsWith("RIFF") && head.mid(8, 4) == "WEBP") return "webp";
  if (head.startsWith("BM")) return "bmp";
  return {};
}

bool WithinCap(QSize size) {
  return size.width() > 0 && size.height() > 0 && qint64(size.width()) * size.height() <= kMaxPicturePixels;
}

}  // namespace

void LoadPictureDecoders() {
  static std::once_flag once;
  std::call_once(once, [] {
    QImageReader::setAllocationLimit(kAllocationLimitMb);
    // Instantiates every image plugin now, not lazily in several workers at once.
    QImageReader::supportedImageFormats();
  });
}

QSize ProbePicture(const std::filesystem::path& file, std::string_view firstBytes, int64_t fileSize) {
  LoadPictureDecoders();
  // A header lies in the first bytes: one read of them costs less than a
  // mapping, whose removal interrupts every core. Only a header pushed far
  // back (large metadata first) needs the whole file.
  constexpr qsizetype kHeadBytes = 64 * 1024;
  QByteArray head;
  if (!firstBytes.empty()) {
    head = QByteArray::fromRawData(firstBytes.data(), qsizetype(firstBytes.size()));
  } else {
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
    if (fd < 0) return {};
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size > 0) {
      fileSize = st.st_size;
      head.resize(qsizetype(std::min<off_t>(st.st_size, kHeadBytes)));
      const ssize_t got = ::pread(fd, head.data(), size_t(head.size()), 0);
      head.resize(got > 0 ? qsizetype(got) : 0);
    }
    ::close(fd);
  }
  if (head.isEmpty()) return {};
  QBuffer buffer(&head);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer, FormatHint(head));
  const QSize size = reader.size();
  if (size.isValid() || (fileSize >= 0 && fileSize <= head.size())) return size;
  MappedPicture picture(file);
  return picture.IsOpen() ? picture.Reader().size() : QSize();
}

QImage DecodePicture(const std::filesystem::path& file, const DecodeSize& sizeFor, const std::atomic<bool>* cancel) {
  LoadPictureDecoders();
  MappedPicture picture(file, cancel);
  if (!picture.IsOpen()) return {};
  QImageReader& reader = picture.Reader();
  const QSize declared = reader.size();
  QSize target;
  if (declared.isValid()) {
    if (!WithinCap(declared)) return {};
    target = sizeFor(declared);
    if (!WithinCap(target)) return {};
    if (target != declared) reader.setScaledSize(target);
  } else if (!reader.canRead()) {
    return {};
  }
  // A format that tells its size only by decoding is held by the allocation limit.
  QImage image = reader.read();
  if (image.isNull() || (cancel && cancel->load())) return {};
  if (!target.isValid()) {
    if (!WithinCap(image.size())) return {};
    target = sizeFor(image.size());
    if (!WithinCap(target)) return {};
  }
  if (image.size() != target) image = image.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
  return image;
}

QImage DecodePictureWithin(const std::filesystem::path& file, QSize box) {
  return DecodePicture(file, [box](QSize declared) {
    if (declared.width() <= box.width() && declared.height() <= box.height()) return declared;
    return declared.scaled(box, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
  });
}

}  // namespace platform
