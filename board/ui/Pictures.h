// The game's pictures: SVG sources under assets/, drawn by the build
// (assets/render_pictures.cpp) at the exact pixel sizes listed below and
// embedded as one resource of raw pixels. Start-up only looks them up: no SVG
// is parsed at run time, and the program does not link Qt Svg.
#pragma once

#include <QPixmap>
#include <QSize>
#include <QString>
#include <cstdint>

struct PictureSize {
  const char* name;  // assets/<name>.svg
  int width;
  int height;
};

// Every picture the program shows, at every size it shows it. A picture asked
// for at a size not listed here comes out transparent: add it here.
inline constexpr PictureSize kPictures[] = {
    {"board", 600, 600},  {"tank1", 36, 58}, {"tank2", 36, 58},     {"tank3", 36, 58},    {"tank4", 36, 58},
    {"tank5", 36, 58},    {"tank6", 36, 58}, {"gun", 45, 58},       {"mine", 58, 58},     {"hq", 58, 58},
    {"ammo", 58, 53},     {"fuel", 58, 47},  {"enemytank", 38, 58}, {"enemygun", 46, 58}, {"blast", 58, 58},
    {"splash", 586, 256}, {"icon", 16, 16},  {"icon", 24, 24},      {"icon", 32, 32},     {"icon", 48, 48},
    {"icon", 64, 64},
};

// The resource's layout: this header, then one entry per picture, then the
// pixels, each picture's rows packed (4 bytes a pixel in the machine's byte
// order: premultiplied ARGB32, or RGB32 for a picture with no transparent
// pixel) from a 16-byte aligned offset.
struct PictureBlobHeader {
  char magic[4];  // "DHPX"
  uint32_t count;
};
struct PictureBlobEntry {
  char name[24];
  uint32_t width;
  uint32_t height;
  uint32_t offset;  // from the start of the resource
  uint32_t opaque;  // 1: RGB32, 0: premultiplied ARGB32
};
inline constexpr char kPictureResource[] = ":/pictures.bin";

// The picture `name` at `size` pixels. A picture missing from the resource
// gives a transparent pixmap of that size, so a window still lays out
// correctly without its artwork.
QPixmap RenderPicture(const QString& name, QSize size);
