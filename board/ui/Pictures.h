// The game's pictures are SVG sources drawn once, at their exact pixel sizes.
#pragma once

#include <QPixmap>
#include <QSize>
#include <QString>

// Renders ":/assets/<name>.svg" into a transparent pixmap of the given size.
// A missing or broken picture gives a transparent pixmap of that size, so a
// window still lays out correctly without its artwork.
QPixmap RenderPicture(const QString& name, QSize size);
