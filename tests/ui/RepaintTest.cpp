#include <gtest/gtest.h>

#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <cmath>
#include <map>
#include <string>
#include <vector>

#include "BoardWindowRig.h"

namespace {

// Counts the paint events each widget gets, from the outside.
struct PaintCounter : QObject {
  std::map<const QObject*, int> paints;
  PaintCounter() { qApp->installEventFilter(this); }
  ~PaintCounter() override { qApp->removeEventFilter(this); }
  bool eventFilter(QObject* o, QEvent* e) override {
    if (e->type() == QEvent::Paint) ++paints[o];
    return false;
  }
  int Of(const QWidget* w) const {
    auto it = paints.find(w);
    return it == paints.end() ? 0 : it->second;
  }
};

// Where a picture on square (x, y) is drawn, in pixels of the board.
QPoint PictureSpot(int x, int y) {
  return {static_cast<int>(std::lround(Board::TwipsOf(static_cast<int16_t>(x)) / 15.0)),
          static_cast<int>(std::lround(Board::TwipsOf(static_cast<int16_t>(y)) / 15.0))};
}

TEST(Repaint, IncomingBlastsAreOnTheScreenBeforeTheirArtilleryCue) {
  WindowRig rig;
  ASSERT_TRUE(rig.Start());
  Board& b = rig.board();
  b.FireTarget[2][1][1] = 3;
  b.FireTarget[2][1][2] = 4;
  b.FireTarget[2][2][1] = 10;
  b.FireTarget[2][2][2] = 9;

  PaintCounter counter;
  int mission = 0;
  int paintsAtIncoming = 0;
  struct Seen {
    bool visible;
    QPoint at;
    int newPaints;
  };
  std::vector<Seen> seen;
  rig.sound.onPlay = [&](const std::string& cue) {
    if (cue.rfind("Incoming", 0) == 0) {
      ++mission;
      paintsAtIncoming = counter.Of(rig.w().Imag(b.BlastSprite[mission]));
    } else if (cue == "Artillery") {
      QLabel* blast = rig.w().Imag(b.BlastSprite[mission]);
      seen.push_back({blast->isVisible(), blast->pos(), counter.Of(blast) - paintsAtIncoming});
    }
  };
  b.ShowIncomingFire("2");

  ASSERT_EQ(seen.size(), 2u);
  EXPECT_TRUE(seen[0].visible);
  EXPECT_EQ(seen[0].at, PictureSpot(3, 4));
  EXPECT_GT(seen[0].newPaints, 0) << "blast 1 painted before its cue";
  EXPECT_TRUE(seen[1].visible);
  EXPECT_EQ(seen[1].at, PictureSpot(10, 9));
  EXPECT_GT(seen[1].newPaints, 0) << "blast 2 painted before its cue";
}

TEST(Repaint, AMovedTankIsOnItsNewSquareBeforeTheTankMoveCue) {
  WindowRig rig;
  ASSERT_TRUE(rig.Start());
  Board& b = rig.board();
  b.ShowUnit("1", 2, 5, 10);
  b.GameMode = ModeSolo;
  b.GamePhase = PhaseSelectTank;
  b.OpenedTurnPhase = PhaseSelectTank;
  b.SelectTankClick(5, 10);
  ASSERT_EQ(b.GamePhase, PhaseMoveTank);

  PaintCounter counter;
  QLabel* tank = rig.w().Imag(b.UnitSprite[1][2]);
  int paintsAtDirection = -1;
  int newPaints = -1;
  QPoint at;
  rig.sound.onPlay = [&](const std::string& cue) {
    if (cue == "DirectFront") paintsAtDirection = counter.Of(tank);
    if (cue == "TankMove") {
      newPaints = counter.Of(tank) - paintsAtDirection;
      at = tank->pos();
    }
  };
  b.Form_KeyDown(vbKeyUp, 0);

  ASSERT_GE(paintsAtDirection, 0);
  EXPECT_EQ(at, PictureSpot(5, 9));
  EXPECT_GT(newPaints, 0) << "the tank painted on its new square before the cue";
}

}  // namespace
