#include "shell/Icon.h"

#include "board/ui/Pictures.h"

QPixmap GameIconPicture(int size) { return RenderPicture(QStringLiteral("icon"), QSize(size, size)); }
