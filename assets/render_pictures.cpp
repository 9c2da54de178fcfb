// Build-time tool: draws every picture listed in board/ui/Pictures.h from its
// SVG source at its exact pixel size and writes them all into one file of raw
// pixels, which the build embeds as the program's resource ":/pictures.bin".
//
//   render_pictures <assets dir> <output file>     (run with QT_QPA_PLATFORM=offscreen)
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <cstdio>
#include <cstring>
#include <vector>

#include "board/ui/Pictures.h"

int main(int argc, char** argv) {
  // Text in the artwork needs the font database, which needs an application.
  QGuiApplication app(argc, argv);
  if (argc != 3) {
    std::fprintf(stderr, "usage: render_pictures <assets dir> <output file>\n");
    return 2;
  }
  const QString assets = QString::fromLocal8Bit(argv[1]);
  constexpr size_t kCount = std::size(kPictures);

  PictureBlobHeader header{};
  std::memcpy(header.magic, "DHPX", 4);
  header.count = kCount;
  std::vector<PictureBlobEntry> entries(kCount);
  QByteArray pixels;
  size_t offset = sizeof header + kCount * sizeof(PictureBlobEntry);
  for (size_t i = 0; i < kCount; ++i) {
    const PictureSize& p = kPictures[i];
    QSvgRenderer renderer(QStringLiteral("%1/%2.svg").arg(assets, QLatin1String(p.name)));
    if (!renderer.isValid()) {
      std::fprintf(stderr, "render_pictures: cannot read %s.svg\n", p.name);
      return 1;
    }
    QImage image(p.width, p.height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
      QPainter painter(&image);
      renderer.render(&painter, QRectF(0, 0, p.width, p.height));
    }
    const size_t padding = (16 - offset % 16) % 16;
    pixels.append(static_cast<qsizetype>(padding), '\0');
    offset += padding;
    bool opaque = true;
    for (int y = 0; y < p.height && opaque; ++y)
      for (int x = 0; x < p.width && opaque; ++x) opaque = qAlpha(image.pixel(x, y)) == 255;
    PictureBlobEntry& e = entries[i];
    e.opaque = opaque ? 1 : 0;
    std::strncpy(e.name, p.name, sizeof e.name - 1);
    e.width = static_cast<uint32_t>(p.width);
    e.height = static_cast<uint32_t>(p.height);
    e.offset = static_cast<uint32_t>(offset);
    for (int y = 0; y < p.height; ++y)
      pixels.append(reinterpret_cast<const char*>(image.constScanLine(y)), static_cast<qsizetype>(p.width) * 4);
    offset += static_cast<size_t>(p.width) * static_cast<size_t>(p.height) * 4;
  }

  QFile out(QString::fromLocal8Bit(argv[2]));
  if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
    std::fprintf(stderr, "render_pictures: cannot write %s\n", argv[2]);
    return 1;
  }
  out.write(reinterpret_cast<const char*>(&header), sizeof header);
  out.write(reinterpret_cast<const char*>(entries.data()), static_cast<qint64>(entries.size() * sizeof entries[0]));
  out.write(pixels);
  return out.error() == QFileDevice::NoError ? 0 : 1;
}
