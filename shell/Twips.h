// The windows' designs are in twips; the screen has 15 twips to a pixel.
#pragma once

#include <QRect>
#include <cmath>

inline int TwipsToPixels(int twips) { return static_cast<int>(std::lround(twips / 15.0)); }

inline QRect TwipsRect(int left, int top, int width, int height) {
  return {TwipsToPixels(left), TwipsToPixels(top), TwipsToPixels(width), TwipsToPixels(height)};
}
