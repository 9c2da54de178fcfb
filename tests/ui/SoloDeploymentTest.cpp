#include <gtest/gtest.h>

#include <QAction>
#include <QTest>
#include <QTimer>

#include "BoardWindowRig.h"

namespace {

// The pixel under the middle of square (x, y) of the click surface.
QPoint SquareCentre(int x, int y) { return {(x - 1) * 60 + 30, (y - 1) * 60 + 30}; }

// Where a picture on square (x, y) is drawn, in pixels of the board.
QPoint PictureSpot(int x, int y) {
  return {static_cast<int>(std::lround(Board::TwipsOf(static_cast<int16_t>(x)) / 15.0)),
          static_cast<int>(std::lround(Board::TwipsOf(static_cast<int16_t>(y)) / 15.0))};
}

// One tick of the sequencer's running timer, without waiting for it.
void Tick(frmBoard& w) {
  ASSERT_TRUE(w.Timing()->isActive()) << "the sequencer's timer should be running in phase " << w.board().GamePhase;
  ASSERT_TRUE(QMetaObject::invokeMethod(w.Timing(), "timeout"));
}

TEST(SoloGameWindow, DeployByClicksThenMoveATankByKeys) {
  WindowRig rig;
  RecordingBoard& w = rig.w();
  Board& b = w.board();
  FakeOpponent computer(rig.log);
  // Side 2 stands on rows 1 to 5, out of the player's way.
  computer.onDeploy = [&] {
    for (int u = 1; u <= 6; ++u) b.ShowUnit("2", static_cast<int16_t>(u), static_cast<int16_t>(u), 1);
    for (int u = 7; u <= 11; ++u) b.ShowUnit("2", static_cast<int16_t>(u), static_cast<int16_t>(u - 6), 3);
    b.ShowUnit("2", 12, 1, 5);
    b.ShowUnit("2", 13, 2, 5);
    for (int u = 14; u <= 16; ++u) b.ShowUnit("2", static_cast<int16_t>(u), static_cast<int16_t>(u - 10), 2);
  };
  w.SetOpponent(&computer);
  w.Load();
  w.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
  auto click = [&](int x, int y) { QTest::mouseClick(w.touchpad(), Qt::LeftButton, {}, SquareCentre(x, y)); };

  w.mnuGame(0)->trigger();
  EXPECT_EQ(b.GameMode, ModeSolo);
  EXPECT_EQ(w.Panel(1)->text(), "Place HQ by clicking somewhere on the 2nd, 3rd, 4th or 5th row");

  click(1, 6);
  EXPECT_EQ(w.Panel(1)->text(), "Place Ammo Dump by clicking somewhere on the 2nd, 3rd, 4th or 5th row");
  EXPECT_TRUE(w.Imag(28)->isVisible());
  EXPECT_EQ(w.Imag(28)->pos(), PictureSpot(1, 6));
  click(2, 6);  // a second building on the HQ's row is refused
  EXPECT_FALSE(w.Imag(29)->isVisible());
  click(2, 7);
  click(3, 8);
  EXPECT_EQ(w.Panel(1)->text(), "Place Gun 1 by clicking somewhere on the 2nd, 3rd, 4th or 5th row");
  EXPECT_EQ(w.Panel(2)->text(), "Guns left to place: 5");

  for (int x = 4; x <= 8; ++x) click(x, 6);
  EXPECT_EQ(w.Panel(1)->text(), "Place Mine 1 by clicking somewhere on the 2nd, 3rd, 4th or 5th row");
  EXPECT_EQ(w.Panel(2)->text(), "Mines left to place: 2");
  click(9, 7);
  click(10, 7);
  EXPECT_EQ(b.GamePhase, PhaseMinesPlaced);
  EXPECT_EQ(w.Panel(2)->text(), "");

  // The computer deploys on the next tick; then the tanks go on the bottom row.
  Tick(w);
  EXPECT_TRUE(rig.log.has("computer:deploy"));
  EXPECT_TRUE(w.Imag(31)->isVisible());
  EXPECT_FALSE(w.Imag(42)->isVisible()) << "the computer's mines stay hidden";
  EXPECT_EQ(w.Panel(1)->text(), "Place Tank 1 by clicking somewhere on the bottom row");
  EXPECT_FALSE(w.Timing()->isActive());
  for (int x = 1; x <= 6; ++x) click(x, 10);
  EXPECT_EQ(b.GamePhase, PhaseTanksPlaced);
  for (int u = 1; u <= 6; ++u) EXPECT_EQ(w.Imag(14 + u)->pos(), PictureSpot(u, 10)) << u;

  Tick(w);               // to who-moves-first
  rig.rnd.Push({0.9f});  // the player moves first
  Tick(w);
  EXPECT_EQ(w.Panel(1)->text(), "Host Moves & Client Shoots");
  Tick(w);  // opens the movement turn
  EXPECT_EQ(b.GamePhase, PhaseSelectTank);
  EXPECT_EQ(w.Panel(1)->text(), "Select a Tank to Move");
  EXPECT_EQ(w.Panel(2)->text(), "Total Moves Left:6");
  EXPECT_FALSE(w.Timing()->isActive());

  click(2, 10);
  EXPECT_EQ(b.GamePhase, PhaseMoveTank);
  EXPECT_EQ(w.Panel(1)->text(), "Use Arrow keys to move Tank 2.    Press [Esc] key to end move before limit reached.");
  EXPECT_EQ(w.Panel(3)->text(), "Tank 2 Moves left: 3");

  QTest::keyClick(&w, Qt::Key_Up);
  EXPECT_EQ(w.Imag(16)->pos(), PictureSpot(2, 9));
  EXPECT_EQ(w.Panel(2)->text(), "Total Moves Left:5");
  EXPECT_EQ(w.Panel(3)->text(), "Tank 2 Moves left: 2");
  QTest::keyClick(w.touchpad(), Qt::Key_Right);
  EXPECT_EQ(w.Imag(16)->pos(), PictureSpot(3, 9));
  QTest::keyClick(&w, Qt::Key_Right);
  EXPECT_EQ(w.Imag(16)->pos(), PictureSpot(4, 9));
  // Its three moves are used: the tank is let go.
  EXPECT_EQ(b.GamePhase, PhaseSelectTank);
  EXPECT_EQ(w.Panel(1)->text(), "Select a Tank to Move");
  // With no tank selected the arrows move nothing.
  QTest::keyClick(&w, Qt::Key_Up);
  EXPECT_EQ(w.Imag(16)->pos(), PictureSpot(4, 9));
  EXPECT_EQ(b.UnitPos[1][2][1], 4);
  EXPECT_EQ(b.UnitPos[1][2][2], 9);
}

}  // namespace
