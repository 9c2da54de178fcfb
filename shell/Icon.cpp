#include "shell/Icon.h"

#include <QImageReader>

QPixmap GameIconPicture(int size) {
  QImageReader reader(QStringLiteral(":/shell/assets/icon.svg"));
  reader.setScaledSize(QSize(size, size));
  return QPixmap::fromImage(reader.read());
}
