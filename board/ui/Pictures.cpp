#include "board/ui/Pictures.h"

#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

QPixmap RenderPicture(const QString& name, QSize size) {
  QImage image(size, QImage::Format_ARGB32_Premultiplied);
  image.fill(Qt::transparent);
  QSvgRenderer renderer(QStringLiteral(":/assets/%1.svg").arg(name));
  if (renderer.isValid()) {
    QPainter painter(&image);
    renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(size)));
  }
  return QPixmap::fromImage(image);
}
