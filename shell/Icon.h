// The game's icon for the About box and the homepage window.
#pragma once

#include <QPixmap>

// The icon at size x size pixels, from the pictures the build drew: 16, 24, 32,
// 48 and 64 are there.
QPixmap GameIconPicture(int size);
