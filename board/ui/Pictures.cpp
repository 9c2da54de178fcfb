#include "board/ui/Pictures.h"

#include <QImage>
#include <QResource>
#include <QtDebug>
#include <cstring>

QPixmap RenderPicture(const QString& name, QSize size) {
  static const QResource resource(QString::fromLatin1(kPictureResource));
  // Stored uncompressed, so the pixels are read where they lie in the program.
  const auto* data = resource.compressionAlgorithm() == QResource::NoCompression ? resource.data() : nullptr;
  const auto bytes = static_cast<size_t>(resource.size());
  PictureBlobHeader header{};
  if (data && bytes >= sizeof header) std::memcpy(&header, data, sizeof header);
  const bool valid = std::memcmp(header.magic, "DHPX", 4) == 0 &&
                     sizeof header + static_cast<size_t>(header.count) * sizeof(PictureBlobEntry) <= bytes;
  for (uint32_t i = 0; valid && i < header.count; ++i) {
    PictureBlobEntry e{};
    std::memcpy(&e, data + sizeof header + i * sizeof e, sizeof e);
    e.name[sizeof e.name - 1] = '\0';
    if (name != QLatin1String(e.name) || QSize(static_cast<int>(e.width), static_cast<int>(e.height)) != size) continue;
    const size_t stride = static_cast<size_t>(e.width) * 4;
    if (e.offset > bytes || stride * e.height > bytes - e.offset) break;
    const uchar* pixels = data + e.offset;
    QImage image(pixels, size.width(), size.height(), static_cast<qsizetype>(stride),
                 e.opaque ? QImage::Format_RGB32 : QImage::Format_ARGB32_Premultiplied);
    // The pixmap reads the resource in place, never copied (nothing paints on
    // it); only Qt's need for 4-byte aligned 32-bit pixels could force a copy.
    if (reinterpret_cast<uintptr_t>(pixels) % 4 != 0) image = image.copy();
    // The build has told opaque from transparent already: no need to scan.
    return QPixmap::fromImage(std::move(image), Qt::NoOpaqueDetection);
  }
  qWarning("Dravenholt: no picture %s at %dx%d", qPrintable(name), size.width(), size.height());
  QPixmap empty(size);
  empty.fill(Qt::transparent);
  return empty;
}
