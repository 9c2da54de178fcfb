#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fakes/Fakes.h"

namespace {
const FakeView::Imag& UnitImag(Rig& rig, int side, int unit) {
  return rig.view.imag[static_cast<size_t>(rig.board.UnitSprite[side][unit])];
}
const FakeView::Imag& BlastImag(Rig& rig, int blast) {
  return rig.view.imag[static_cast<size_t>(rig.board.BlastSprite[blast])];
}
}  // namespace

TEST(ShowUnit, PlacesPicturesOnTheTwipGrid) {
  Rig rig;
  rig.Place("1", 1, 1, 1);
  EXPECT_TRUE(UnitImag(rig, 1, 1).visible);
  EXPECT_EQ(UnitImag(rig, 1, 1).left, 20);
  EXPECT_EQ(UnitImag(rig, 1, 1).top, 20);

  rig.Place("2", 16, 10, 10);
  EXPECT_EQ(UnitImag(rig, 2, 16).left, 8111);
  EXPECT_EQ(UnitImag(rig, 2, 16).top, 8111);

  rig.Place("1", 7, 3, 7);
  EXPECT_EQ(UnitImag(rig, 1, 7).left, 1818);
  EXPECT_EQ(UnitImag(rig, 1, 7).top, 5414);

  int16_t x = -1, y = -1;
  rig.board.GetUnitPos("1", 7, x, y);
  EXPECT_EQ(x, 3);
  EXPECT_EQ(y, 7);
}

TEST(ShowUnit, AZeroCoordinateHidesButRecordsBothValues) {
  Rig rig;
  rig.Place("1", 4, 5, 10);
  rig.Place("1", 4, 0, 6);
  EXPECT_FALSE(UnitImag(rig, 1, 4).visible);
  EXPECT_EQ(rig.board.UnitPos[1][4][1], 0);
  EXPECT_EQ(rig.board.UnitPos[1][4][2], 6);

  rig.Place("1", 4, 5, 10);
  rig.Place("1", 4, 0, 0);
  EXPECT_FALSE(UnitImag(rig, 1, 4).visible);
  int16_t x = -1, y = -1;
  rig.board.GetUnitPos("1", 4, x, y);
  EXPECT_EQ(x, 0);
  EXPECT_EQ(y, 0);
}

TEST(ShowUnit, TheOpponentsMinesAreRecordedButNeverShown) {
  Rig rig;
  rig.Place("2", 12, 4, 3);
  rig.Place("2", 13, 6, 5);
  EXPECT_FALSE(UnitImag(rig, 2, 12).visible);
  EXPECT_FALSE(UnitImag(rig, 2, 13).visible);
  int16_t x = 0, y = 0;
  rig.board.GetUnitPos("2", 12, x, y);
  EXPECT_EQ(x, 4);
  EXPECT_EQ(y, 3);

  rig.Place("1", 12, 4, 8);
  EXPECT_TRUE(UnitImag(rig, 1, 12).visible) << "the player's own mine is shown";

  rig.board.ShowAllUnits();
  EXPECT_FALSE(UnitImag(rig, 2, 12).visible);
  EXPECT_FALSE(UnitImag(rig, 2, 13).visible);
  EXPECT_TRUE(UnitImag(rig, 1, 12).visible);
}

TEST(ShowAllUnits, RedrawsEveryPictureFromTheTable) {
  Rig rig;
  Board& b = rig.board;
  // Written straight into the table, as the network decoder does.
  b.UnitPos[2][3][1] = 6;
  b.UnitPos[2][3][2] = 2;
  b.UnitPos[1][15][1] = 9;
  b.UnitPos[1][15][2] = 7;
  rig.Place("1", 1, 2, 10);
  b.UnitPos[1][1][1] = 0;
  b.UnitPos[1][1][2] = 0;
  b.ShowAllUnits();
  EXPECT_TRUE(UnitImag(rig, 2, 3).visible);
  EXPECT_EQ(UnitImag(rig, 2, 3).left, 5 * 899 + 20);
  EXPECT_TRUE(UnitImag(rig, 1, 15).visible);
  EXPECT_FALSE(UnitImag(rig, 1, 1).visible);
  EXPECT_EQ(rig.view.VisibleCount(), 2);
}

TEST(ShowSideTanks, IsSilentOnlyInASoloGame) {
  Rig rig;
  Board& b = rig.board;
  b.GameMode = ModeSolo;
  b.UnitPos[2][2][1] = 3;
  b.UnitPos[2][2][2] = 4;
  b.ShowSideTanks("2");
  EXPECT_TRUE(rig.log.sounds().empty());
  EXPECT_TRUE(UnitImag(rig, 2, 2).visible);

  // A tank whose column is 0 is left as it was.
  rig.Place("2", 5, 7, 2);
  b.UnitPos[2][5][1] = 0;
  b.ShowSideTanks("2");
  EXPECT_TRUE(UnitImag(rig, 2, 5).visible);

  for (int32_t mode : {ModeHost, ModeClient}) {
    Rig net;
    net.board.GameMode = mode;
    net.board.ShowSideTanks("2");  // no tank on the board at all
    EXPECT_EQ(net.log.sounds(), (std::vector<std::string>{"TankMove"})) << mode;
  }
}

TEST(Blasts, ShowHideAndHideAll) {
  Rig rig;
  rig.board.ShowBlast(3, 2, 9);
  EXPECT_TRUE(BlastImag(rig, 3).visible);
  EXPECT_EQ(BlastImag(rig, 3).left, 919);
  EXPECT_EQ(BlastImag(rig, 3).top, 8 * 899 + 20);
  rig.board.ShowBlast(3, 2, 0);
  EXPECT_FALSE(BlastImag(rig, 3).visible);

  for (int16_t i = 1; i <= 13; ++i) rig.board.ShowBlast(i, i > 10 ? 10 : i, 5);
  EXPECT_EQ(rig.view.VisibleCount(), 13);
  rig.board.HideAllBlasts();
  EXPECT_EQ(rig.view.VisibleCount(), 0);
  EXPECT_FALSE(BlastImag(rig, 13).visible);
}

TEST(ShowIncomingFire, PlaysTwoCuesPerSetMissionInOrder) {
  Rig rig;
  Board& b = rig.board;
  // Each "Incoming" draw picks a file: 0.0 -> 1, 0.2 -> 2, 0.4 -> 3, 0.6 -> 4, 0.9 -> 6.
  rig.rnd.Push({0.0f, 0.2f, 0.4f, 0.6f, 0.9f});
  for (int16_t k = 1; k <= 5; ++k) {
    b.FireTarget[2][k][1] = k;
    b.FireTarget[2][k][2] = static_cast<int16_t>(k + 1);
  }
  b.ShowIncomingFire("2");
  EXPECT_EQ(rig.log.sounds(),
            (std::vector<std::string>{"Incoming1", "Artillery", "Incoming2", "Artillery", "Incoming3", "Artillery",
                                      "Incoming4", "Artillery", "Incoming6", "Artillery"}));
  for (int k = 1; k <= 5; ++k) {
    EXPECT_TRUE(BlastImag(rig, k).visible);
    EXPECT_EQ(BlastImag(rig, k).left, (k - 1) * 899 + 20);
  }
  // The queue runs after each mission, between its cues and the next.
  EXPECT_EQ(rig.view.doEventsCalls, 5);
  auto blastFirst = std::find(rig.log.events.begin(), rig.log.events.end(), "snd:Incoming1");
  auto shown = std::find(rig.log.events.begin(), rig.log.events.end(), "show:47@20,919");
  auto artillery = std::find(rig.log.events.begin(), rig.log.events.end(), "snd:Artillery");
  EXPECT_LT(blastFirst, shown);
  EXPECT_LT(shown, artillery);
}

TEST(ShowIncomingFire, SkipsUnsetAndColumnElevenTargets) {
  Rig rig;
  Board& b = rig.board;
  b.ShowIncomingFire("2");
  EXPECT_TRUE(rig.log.sounds().empty());
  EXPECT_EQ(rig.view.VisibleCount(), 0);

  b.FireTarget[2][1][1] = 11;  // unset on the peer's side
  b.FireTarget[2][1][2] = 11;
  b.FireTarget[2][3][1] = 4;
  b.FireTarget[2][3][2] = 4;
  b.ShowIncomingFire("2");
  EXPECT_EQ(rig.log.sounds().size(), 2u);
  EXPECT_TRUE(BlastImag(rig, 3).visible);
  EXPECT_FALSE(BlastImag(rig, 1).visible);

  // Only FireMissions of the side are looked at.
  rig.log.clear();
  b.FireMissions[2] = 2;
  b.ShowIncomingFire("2");
  EXPECT_TRUE(rig.log.sounds().empty());
}

TEST(ShowIncomingFire, DrawsATargetOnTheLastColumn) {
  Rig rig;
  rig.board.FireTarget[2][2][1] = 10;
  rig.board.FireTarget[2][2][2] = 3;
  rig.board.ShowIncomingFire("2");
  const std::vector<std::string> sounds = rig.log.sounds();
  ASSERT_EQ(sounds.size(), 2u);
  EXPECT_EQ(sounds[1], "Artillery");
  EXPECT_TRUE(BlastImag(rig, 2).visible);
  EXPECT_EQ(BlastImag(rig, 2).left, 9 * 899 + 20);
}
