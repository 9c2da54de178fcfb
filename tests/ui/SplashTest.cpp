#include <gtest/gtest.h>

#include <QApplication>
#include <QScreen>
#include <QTest>

#include "shell/frmSplash.h"

namespace {

TEST(Splash, ShowsArtworkAndVersionWithoutAFrame) {
  frmSplash s;
  EXPECT_TRUE(s.windowFlags() & Qt::FramelessWindowHint);
  EXPECT_EQ(s.windowFlags() & Qt::WindowType_Mask, Qt::SplashScreen);
  EXPECT_EQ(s.size(), QSize(586, 256));
  EXPECT_EQ(s.Picture()->geometry(), QRect(0, 0, 586, 256));
  EXPECT_EQ(s.Picture()->pixmap().size(), QSize(586, 256));

  QLabel* v = s.lblVersion();
  EXPECT_EQ(v->text(), "Version 3.0.4");
  EXPECT_EQ(v->geometry(), QRect(16, 232, 243, 19));
  EXPECT_EQ(v->font().family(), "Arial");
  EXPECT_EQ(v->font().pointSize(), 12);
  EXPECT_TRUE(v->font().bold());
  EXPECT_EQ(v->palette().color(QPalette::WindowText), QColor(128, 64, 0));

  s.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&s));
  EXPECT_EQ(s.geometry().center(), s.screen()->availableGeometry().center());
}

}  // namespace
