// The game's icon for the About box and the homepage window.
#pragma once

#include <QPixmap>

// Draws the icon's SVG source at size x size pixels through Qt's SVG image
// plugin, only when a window asks for it: the game's start-up neither links
// nor loads SVG code for these windows. A null pixmap when the plugin is missing.
QPixmap GameIconPicture(int size);
