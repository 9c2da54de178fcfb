#include <gtest/gtest.h>

#include <QFile>
#include <QIcon>
#include <QImage>
#include <set>

#include "BoardWindowRig.h"
#include "board/ui/Pictures.h"
#include "shell/frmSplash.h"

namespace {

// Artwork, not the transparent stand-in for a missing picture: some pixels
// are drawn, and not all alike.
bool HasArtwork(const QPixmap& pixmap) {
  const QImage image = pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
  std::set<QRgb> colours;
  bool drawn = false;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) {
      drawn = drawn || qAlpha(image.pixel(x, y)) > 0;
      colours.insert(image.pixel(x, y));
    }
  return drawn && colours.size() > 2;
}

TEST(Pictures, EveryListedPictureComesAtItsSizeAndAnUnlistedOneIsBlank) {
  for (const PictureSize& p : kPictures) {
    const QPixmap pixmap = RenderPicture(QString::fromLatin1(p.name), QSize(p.width, p.height));
    EXPECT_EQ(pixmap.size(), QSize(p.width, p.height)) << p.name;
    EXPECT_TRUE(HasArtwork(pixmap)) << p.name << " " << p.width << "x" << p.height;
  }
  const QPixmap unlisted = RenderPicture(QStringLiteral("board"), QSize(100, 100));
  EXPECT_EQ(unlisted.size(), QSize(100, 100));
  EXPECT_FALSE(HasArtwork(unlisted));
}

TEST(Pictures, TheWindowsShowTheirArtwork) {
  WindowRig rig;
  frmBoard& w = rig.w();
  ASSERT_TRUE(rig.Start());
  EXPECT_TRUE(HasArtwork(w.BoardPicture()->pixmap()));
  for (int i = 1; i <= 14; ++i) EXPECT_TRUE(HasArtwork(w.Imag(i)->pixmap())) << i;
  const QList<QSize> iconSizes = w.windowIcon().availableSizes();
  EXPECT_EQ(iconSizes.size(), 5);
  for (const QSize& size : iconSizes) EXPECT_TRUE(HasArtwork(w.windowIcon().pixmap(size))) << size.width();
  frmSplash splash;
  EXPECT_TRUE(HasArtwork(splash.Picture()->pixmap()));
}

TEST(Pictures, TheProgramCarriesNoSvgAndDoesNotLinkQtSvg) {
  // Drawn at build time: no SVG source is among the resources to be parsed...
  EXPECT_FALSE(QFile::exists(QStringLiteral(":/assets/board.svg")));
  EXPECT_TRUE(QFile::exists(QString::fromLatin1(kPictureResource)));
  // ...and the program does without Qt's SVG module.
  QFile program(QStringLiteral(DH_BUILD_DIR "/dravenholt"));
  if (!program.open(QIODevice::ReadOnly)) GTEST_SKIP() << "the program is not built";
  EXPECT_FALSE(program.readAll().contains("libQt6Svg.so"));
}

}  // namespace
