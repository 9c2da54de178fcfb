#include <gtest/gtest.h>

#include <set>

#include "opponent/OpponentRig.h"

TEST(ComputerDeploy, TankRowTenWithLayoutSixPutsEveryUnitOnItsSquare) {
  OpponentRig rig;
  rig.rnd.Push({0.95f, 0.9f});  // tank row 10, base layout 6
  rig.cp.ComputerDeploy();

  EXPECT_EQ(rig.rnd.randomizeCalls, 1);
  EXPECT_EQ(rig.rnd.draws, 2);
  const int columns[] = {4, 3, 2, 9, 8, 7};
  for (int t = 1; t <= 6; ++t) EXPECT_EQ(rig.At(2, t), Sq(columns[t - 1], 1)) << "tank " << t;
  EXPECT_EQ(rig.At(2, 14), Sq(1, 4));
  EXPECT_EQ(rig.At(2, 15), Sq(1, 3));
  EXPECT_EQ(rig.At(2, 16), Sq(1, 2));
  const Sq guns[] = {{1, 5}, {2, 5}, {2, 4}, {2, 3}, {2, 2}};
  for (int g = 7; g <= 11; ++g) EXPECT_EQ(rig.At(2, g), guns[g - 7]) << "gun " << g;
  EXPECT_EQ(rig.At(2, 12), Sq(3, 5));
  EXPECT_EQ(rig.At(2, 13), Sq(3, 4));

  // Tanks, then HQ, Ammo Dump, Fuel Dump and the guns are shown; the mines never are.
  std::vector<std::string> shown;
  for (const std::string& e : rig.log.only("show:")) shown.push_back(e.substr(0, e.find('@')));
  EXPECT_EQ(shown, (std::vector<std::string>{"31", "32", "33", "34", "35", "36", "44", "45", "46", "37", "38", "39",
                                             "40", "41"}));
  EXPECT_EQ(rig.Shows(31), std::vector<Sq>{Sq(4, 1)});
  EXPECT_FALSE(rig.view.imag[42].visible);
  EXPECT_FALSE(rig.view.imag[43].visible);
  EXPECT_TRUE(rig.view.imag[46].visible);
  EXPECT_TRUE(rig.log.sounds().empty());
  EXPECT_TRUE(rig.log.only("panel").empty());
}

TEST(ComputerDeploy, EveryTankRowWithEveryLayoutGivesALegalDeployment) {
  OpponentRig rig;
  std::set<std::vector<int>> tankColumns;
  for (int row = 1; row <= 10; ++row) {
    for (int layout = 1; layout <= 6; ++layout) {
      SCOPED_TRACE("tank row " + std::to_string(row) + ", layout " + std::to_string(layout));
      rig.board.ResetGame();
      rig.rnd.Push({(static_cast<float>(row) - 0.5f) / 10.0f, (static_cast<float>(layout) - 0.5f) / 6.0f});
      rig.cp.ComputerDeploy();

      EXPECT_EQ(rig.board.CountTanks(2), 6);
      std::set<Sq> squares;
      std::vector<int> columns;
      for (int t = 1; t <= 6; ++t) {
        EXPECT_EQ(rig.At(2, t).second, 1);
        EXPECT_GE(rig.At(2, t).first, 1);
        EXPECT_LE(rig.At(2, t).first, 9);
        squares.insert(rig.At(2, t));
        columns.push_back(rig.At(2, t).first);
      }
      tankColumns.insert(columns);
      EXPECT_EQ(rig.At(2, 16).second, 2);
      EXPECT_EQ(rig.At(2, 15).second, 3);
      EXPECT_EQ(rig.At(2, 14).second, 4);
      for (int g = 7; g <= 11; ++g) {
        EXPECT_GE(rig.At(2, g).second, 2);
        EXPECT_LE(rig.At(2, g).second, 5);
      }
      for (int m = 12; m <= 13; ++m) {
        EXPECT_GE(rig.At(2, m).second, 4);
        EXPECT_LE(rig.At(2, m).second, 5);
      }
      for (int u = 7; u <= 16; ++u) squares.insert(rig.At(2, u));
      EXPECT_EQ(squares.size(), 16u) << "two units share a square";
      // Six tanks, five guns and three buildings show; the mines stay hidden.
      EXPECT_EQ(rig.view.VisibleCount(), 14);
    }
  }
  EXPECT_EQ(tankColumns.size(), 10u);
}
