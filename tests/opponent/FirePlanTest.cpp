#include <gtest/gtest.h>

#include <cstdlib>
#include <set>

#include "opponent/OpponentRig.h"

namespace {
std::vector<Sq> Targets(const OpponentRig& rig) {
  std::vector<Sq> out;
  for (int k = 1; k <= 5; ++k) out.emplace_back(rig.board.FireTarget[2][k][1], rig.board.FireTarget[2][k][2]);
  return out;
}

bool Reach(OpponentRig& rig, const std::string& side, int x0, int y0, int dx, int dy) {
  return rig.cp.TankCanReach(side, 1, static_cast<int16_t>(x0), static_cast<int16_t>(y0), static_cast<int16_t>(dx),
                             static_cast<int16_t>(dy));
}
}  // namespace

TEST(PickTargetTank, WeighsTanksByRowAndUsesOneDraw) {
  OpponentRig rig;
  const int rows[] = {10, 9, 8, 7, 6, 1};  // weights 1, 1, 2, 2, 3, 3: total 12
  for (int t = 1; t <= 6; ++t) rig.Place("1", t, t, rows[t - 1]);
  const int expected[] = {1, 2, 3, 3, 4, 4, 5, 5, 5, 6, 6, 6};
  for (int n = 1; n <= 12; ++n) {
    rig.rnd.Push({(static_cast<float>(n) - 0.5f) / 12.0f});
    const int draws = rig.rnd.draws;
    EXPECT_EQ(rig.cp.PickTargetTank(), expected[n - 1]) << "n = " << n;
    EXPECT_EQ(rig.rnd.draws, draws + 1);
  }
  EXPECT_EQ(rig.rnd.randomizeCalls, 0);

  // A tank off the board weighs nothing.
  rig.Place("1", 3, 0, 0);
  rig.rnd.Push({2.5f / 10.0f});  // n = 3 of 10: tank 4
  EXPECT_EQ(rig.cp.PickTargetTank(), 4);
}

TEST(PickTargetTank, GivesNoTankWhenNoneIsOnTheBoardYetDraws) {
  OpponentRig rig;
  EXPECT_EQ(rig.cp.PickTargetTank(), 0);
  EXPECT_EQ(rig.rnd.draws, 1);
}

TEST(TankCanReach, TriesColumnFirstThenRowFirstThenAStaircase) {
  OpponentRig rig;
  // (5, 8) by (2, -2): the column is open but its row is not; that is final.
  rig.Place("1", 7, 6, 6);
  EXPECT_FALSE(Reach(rig, "1", 5, 8, 2, -2));
  rig.Place("1", 7, 0, 0);
  EXPECT_TRUE(Reach(rig, "1", 5, 8, 2, -2));

  // Straight ahead three rows with the first square blocked: no detour.
  rig.Place("1", 7, 5, 7);
  EXPECT_FALSE(Reach(rig, "1", 5, 8, 0, -3));
  EXPECT_TRUE(Reach(rig, "1", 5, 8, 3, 0));
  rig.Place("1", 8, 7, 8);
  EXPECT_FALSE(Reach(rig, "1", 5, 8, 3, 0));
  EXPECT_TRUE(Reach(rig, "1", 5, 8, -2, 0));
  for (int g = 7; g <= 8; ++g) rig.Place("1", g, 0, 0);

  // (3, 8) by (3, -1): both L-shapes blocked, the column-first staircase is open.
  rig.Place("1", 7, 3, 7);
  rig.Place("1", 8, 5, 8);
  EXPECT_TRUE(Reach(rig, "1", 3, 8, 3, -1));
  rig.Place("1", 9, 5, 7);
  EXPECT_FALSE(Reach(rig, "1", 3, 8, 3, -1));
  for (int g = 7; g <= 9; ++g) rig.Place("1", g, 0, 0);

  // (5, 8) by (1, -2): the staircase takes its row step first.
  rig.Place("1", 7, 5, 6);
  rig.Place("1", 8, 6, 8);
  EXPECT_TRUE(Reach(rig, "1", 5, 8, 1, -2));  // (5, 7), (6, 7), (6, 6)
  EXPECT_TRUE(Reach(rig, "1", 5, 8, 2, -2));  // a tie goes row first too: ... (6, 6), (7, 6)
  rig.Place("1", 9, 6, 7);
  EXPECT_FALSE(Reach(rig, "1", 5, 8, 1, -2));
  for (int g = 7; g <= 9; ++g) rig.Place("1", g, 0, 0);

  // A single diagonal step has only the two L-shapes.
  rig.Place("1", 7, 5, 7);
  EXPECT_TRUE(Reach(rig, "1", 5, 8, 1, -1));
  rig.Place("1", 8, 6, 8);
  EXPECT_FALSE(Reach(rig, "1", 5, 8, 1, -1));
  EXPECT_FALSE(Reach(rig, "1", 5, 8, 0, 0));
}

TEST(TankCanReach, OpenSquaresAreEmptyMinedOrTheEnemysBuildings) {
  OpponentRig rig;
  rig.Place("1", 12, 5, 4);                    // side 1's mine
  rig.Place("2", 12, 5, 5);                    // side 2's mine
  rig.Place("1", 14, 5, 6);                    // side 1's HQ
  EXPECT_TRUE(Reach(rig, "2", 5, 2, 0, 4));    // over both mines onto the HQ
  EXPECT_FALSE(Reach(rig, "1", 5, 8, 0, -2));  // through its own HQ
  rig.Place("1", 1, 5, 3);
  EXPECT_FALSE(Reach(rig, "2", 5, 2, 0, 4));   // through a player's tank
  EXPECT_FALSE(Reach(rig, "1", 2, 10, 0, 1));  // off the board
  EXPECT_FALSE(Reach(rig, "1", 1, 10, -1, -1));
}

TEST(FirePlan, DrawsTankDirectionAndDistancesInOrderAndAimsWhereTheMoveEnds) {
  OpponentRig rig;
  rig.Place("1", 1, 5, 8);
  rig.Place("2", 12, 5, 7);  // the computer's own mine: passable, never a target
  rig.board.FireMissions[2] = 3;
  rig.rnd.Push({
      0.0f, 0.0f, 0.5f, 0.5f, 0.0f,  // straight on 2 rows: (5, 6)
      0.0f, 0.5f, 0.4f, 0.6f,        // left 2, forward 1: (3, 7); no fifth draw
      0.0f, 0.99f, 0.0f, 0.0f,       // right 1: (6, 8)
  });
  rig.cp.ComputerPlanFireMissions();
  EXPECT_EQ(Targets(rig), (std::vector<Sq>{{5, 6}, {3, 7}, {6, 8}, {0, 0}, {0, 0}}));
  EXPECT_EQ(rig.rnd.randomizeCalls, 3);
  EXPECT_EQ(rig.rnd.draws, 13);

  // An attempt onto the computer's own mine is drawn again from the start.
  rig.board.FireMissions[2] = 1;
  rig.rnd.randomizeCalls = 0;
  rig.Place("2", 12, 5, 5);
  rig.rnd.Push({0.0f, 0.0f, 0.0f, 0.0f, 0.99f,   // straight on 3 rows: (5, 5), the mine
                0.0f, 0.0f, 0.0f, 0.0f, 0.0f});  // straight on 2 rows: (5, 6)
  rig.cp.ComputerPlanFireMissions();
  EXPECT_EQ(Targets(rig), (std::vector<Sq>{{5, 6}, {0, 0}, {0, 0}, {0, 0}, {0, 0}}));
  EXPECT_EQ(rig.rnd.randomizeCalls, 2);
}

TEST(FirePlan, ATankThatReachedRowOneIsExpectedToComeBack) {
  OpponentRig rig;
  rig.Place("1", 2, 5, 3);
  rig.board.ReachedFarRow[1][2] = true;
  rig.board.FireMissions[2] = 1;
  rig.rnd.Push({0.0f, 0.9f, 0.0f, 0.0f, 0.99f});  // d = 7, s = 3
  rig.cp.ComputerPlanFireMissions();
  EXPECT_EQ(Targets(rig)[0], Sq(5, 6));

  std::set<Sq> seen;
  for (int plan = 0; plan < 200; ++plan) {
    rig.cp.ComputerPlanFireMissions();
    const Sq t = Targets(rig)[0];
    EXPECT_LE(std::abs(t.first - 5) + std::abs(t.second - 3), 3);
    seen.insert(t);
  }
  EXPECT_TRUE(seen.count({5, 5}) && seen.count({5, 6}) && seen.count({4, 5}) && seen.count({8, 3}));
}

TEST(FirePlan, ATankOnRowEightIsOnlyExpectedAheadOrAside) {
  OpponentRig rig;
  rig.Place("1", 1, 5, 8);
  // Straight on 2 or 3 rows, or 1 to 3 columns aside and up to 3 - a rows on.
  std::set<Sq> expected = {{5, 6}, {5, 5}};
  for (int a = 1; a <= 3; ++a)
    for (int b = 0; b <= 3 - a; ++b) {
      expected.insert({5 - a, 8 - b});
      expected.insert({5 + a, 8 - b});
    }
  std::set<Sq> seen;
  for (int plan = 0; plan < 300; ++plan) {
    rig.cp.ComputerPlanFireMissions();
    const std::vector<Sq> targets = Targets(rig);
    EXPECT_EQ(std::set<Sq>(targets.begin(), targets.end()).size(), 5u);
    seen.insert(targets.begin(), targets.end());
  }
  EXPECT_EQ(seen, expected);
}

TEST(FirePlan, MissionsDifferAndNeverHitAUnitOrTheComputersOwnMine) {
  OpponentRig rig;
  for (int t = 1; t <= 6; ++t) rig.Place("1", t, t + 2, 10);
  for (int g = 7; g <= 11; ++g) rig.Place("1", g, g - 4, 8);  // a wall along row 8, columns 3 to 7
  rig.Place("1", 12, 4, 9);                                   // the player's mine: a fair target
  rig.Place("2", 12, 6, 9);                                   // the computer's: not
  rig.Place("2", 1, 2, 9);                                    // a computer's tank in the way
  std::set<Sq> seen;
  for (int plan = 0; plan < 200; ++plan) {
    rig.cp.ComputerPlanFireMissions();
    const std::vector<Sq> targets = Targets(rig);
    EXPECT_EQ(std::set<Sq>(targets.begin(), targets.end()).size(), 5u);
    for (const Sq& sq : targets) {
      EXPECT_EQ(rig.board.UnitAt(static_cast<int16_t>(sq.first), static_cast<int16_t>(sq.second)), "");
      EXPECT_NE(sq, Sq(6, 9));
      int nearest = 99;
      for (int t = 1; t <= 6; ++t) nearest = std::min(nearest, std::abs(sq.first - (t + 2)) + std::abs(sq.second - 10));
      EXPECT_LE(nearest, 3);
    }
    seen.insert(targets.begin(), targets.end());
  }
  EXPECT_TRUE(seen.count({4, 9}));
}

TEST(FirePlan, LastHalfTurnsTargetsAreFreeAgain) {
  OpponentRig rig;
  // Exactly five squares are in reach: (2..4, 10) and (6..7, 10).
  rig.Place("1", 1, 5, 10);
  for (int g = 7; g <= 11; ++g) rig.Place("1", g, g - 4, 9);
  rig.Place("1", 14, 8, 10);
  const std::set<Sq> five = {{2, 10}, {3, 10}, {4, 10}, {6, 10}, {7, 10}};
  for (int plan = 0; plan < 2; ++plan) {
    rig.cp.ComputerPlanFireMissions();
    const std::vector<Sq> targets = Targets(rig);
    EXPECT_EQ(std::set<Sq>(targets.begin(), targets.end()), five);
  }
  // Fewer missions after the Ammo Dump went: the rest are cleared.
  rig.board.FireMissions[2] = 2;
  rig.cp.ComputerPlanFireMissions();
  const std::vector<Sq> targets = Targets(rig);
  EXPECT_TRUE(five.count(targets[0]) && five.count(targets[1]));
  EXPECT_NE(targets[0], targets[1]);
  for (int k = 2; k < 5; ++k) EXPECT_EQ(targets[static_cast<size_t>(k)], Sq(0, 0));
}

TEST(FirePlan, MissionsWithNoSquareLeftStayUnset) {
  {
    SCOPED_TRACE("three squares for five missions");
    OpponentRig rig;
    rig.Place("1", 1, 1, 10);
    for (int g = 7; g <= 10; ++g) rig.Place("1", g, g - 6, 9);
    rig.cp.ComputerPlanFireMissions();
    const std::vector<Sq> targets = Targets(rig);
    EXPECT_EQ(std::set<Sq>(targets.begin(), targets.begin() + 3), (std::set<Sq>{{2, 10}, {3, 10}, {4, 10}}));
    EXPECT_EQ(targets[3], Sq(0, 0));
    EXPECT_EQ(targets[4], Sq(0, 0));
  }
  {
    SCOPED_TRACE("a tank boxed in by its own guns");
    OpponentRig rig;
    rig.Place("1", 1, 1, 10);
    rig.Place("1", 7, 2, 10);
    rig.Place("1", 8, 1, 9);
    rig.board.FireTarget[2][1] = {0, 4, 4};
    rig.cp.ComputerPlanFireMissions();
    EXPECT_EQ(Targets(rig), std::vector<Sq>(5, Sq(0, 0)));
    // Found out without a single attempt or draw.
    EXPECT_EQ(rig.rnd.randomizeCalls, 0);
    EXPECT_EQ(rig.rnd.draws, 0);
  }
  {
    SCOPED_TRACE("no player tank on the board");
    OpponentRig rig;
    rig.cp.ComputerPlanFireMissions();
    EXPECT_EQ(Targets(rig), std::vector<Sq>(5, Sq(0, 0)));
    EXPECT_EQ(rig.rnd.draws, 0);
    EXPECT_TRUE(rig.log.events.empty());
  }
}

TEST(FirePlan, DirectionTwoGoesStraightOnByItsOwnDistance) {
  OpponentRig rig;
  rig.Place("1", 1, 5, 8);
  rig.board.FireMissions[2] = 1;
  rig.rnd.Push({0.0f, 0.3f, 0.0f, 0.0f, 0.0f});  // d = 2, a = 1, b = 0, s = 2
  rig.cp.ComputerPlanFireMissions();
  EXPECT_EQ(Targets(rig)[0], Sq(5, 6));
  EXPECT_EQ(rig.rnd.draws, 5);
}

TEST(FirePlan, DirectionsFiveAndSixGoBackToTheRightAndToTheLeft) {
  OpponentRig rig;
  rig.Place("1", 2, 5, 3);
  rig.board.ReachedFarRow[1][2] = true;
  rig.board.FireMissions[2] = 2;
  rig.rnd.Push({
      0.0f, 0.6f, 0.0f, 0.5f,  // d = 5, a = 1, b = 1
      0.0f, 0.8f, 0.5f, 0.6f,  // d = 6, a = 2, b = 1
  });
  rig.cp.ComputerPlanFireMissions();
  EXPECT_EQ(Targets(rig), (std::vector<Sq>{{6, 4}, {3, 4}, {0, 0}, {0, 0}, {0, 0}}));
  EXPECT_EQ(rig.rnd.draws, 8);
}
