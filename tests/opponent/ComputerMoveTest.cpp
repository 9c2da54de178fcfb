#include <gtest/gtest.h>
#include <unistd.h>

#include "opponent/OpponentRig.h"

namespace {
// Draws of one pass: tank, direction, the 5% chance.
constexpr float kTank1 = 0.0f;
constexpr float kTank2 = 0.2f;
constexpr float kLeft = 0.05f;
constexpr float kUp = 0.15f;
constexpr float kRight = 0.3f;
constexpr float kDown = 0.6f;
constexpr float kNoStop = 0.5f;

// Side 2's own guns around (1, 1) leave a tank there no square to go to.
void HemInTopLeft(OpponentRig& rig) {
  rig.Place("2", 7, 2, 1);
  rig.Place("2", 8, 1, 2);
}

// A tank whose only way out is a broken step would keep the turn going for
// ever; the alarm ends the test program then, a failure instead of a hang.
void MoveTanksWithinSeconds(OpponentRig& rig) {
  alarm(10);
  rig.cp.ComputerMoveTanks();
  alarm(0);
}
}  // namespace

TEST(ComputerMove, AttacksTheFuelDumpBeforeTheNearerHqThenTheHqWithTheMoveLeft) {
  OpponentRig rig;
  rig.Place("2", 1, 5, 5);
  rig.Place("2", 2, 9, 2);
  rig.Place("1", 14, 5, 6);  // HQ, one square away
  rig.Place("1", 16, 6, 6);  // Fuel Dump, two
  rig.Place("1", 15, 1, 9);  // Ammo Dump, out of reach
  rig.log.clear();
  rig.rnd.Push({kTank1, 0.5f, kNoStop, kTank1, 0.5f, kNoStop});
  rig.cp.ComputerMoveTanks();

  // Straight onto the Fuel Dump, then one square across onto the HQ.
  EXPECT_EQ(rig.Shows(31), (std::vector<Sq>{{6, 6}, {5, 6}}));
  EXPECT_EQ(rig.log.events[1], "snd:TankMove");
  EXPECT_EQ(rig.At(2, 1), Sq(5, 6));
  EXPECT_EQ(rig.board.TankMovesLeft[2][1], 0);
  // The other tank makes the rest of the side's six moves.
  EXPECT_EQ(rig.board.TankMovesLeft[2][2], 0);
  EXPECT_EQ(rig.Shows(32).size(), 3u);
  EXPECT_EQ(rig.view.panels[3], "");
}

TEST(ComputerMove, BuildingsAboveWaitForRowTenAndAnAttackAfterAStepCostsBoth) {
  OpponentRig rig;
  rig.Place("2", 1, 5, 9);
  rig.Place("2", 2, 1, 3);
  rig.Place("1", 16, 5, 8);  // right above tank 1
  rig.log.clear();
  rig.rnd.Push({kTank1, kDown, kNoStop, kTank1, 0.5f, kNoStop});
  rig.cp.ComputerMoveTanks();

  // No attack upwards from row 9; one step down to row 10 opens the way back up.
  EXPECT_EQ(rig.Shows(31), (std::vector<Sq>{{5, 10}, {5, 8}}));
  EXPECT_TRUE(rig.board.ReachedFarRow[2][1]);
  EXPECT_FALSE(rig.board.ReachedFarRow[2][2]);
  EXPECT_EQ(rig.board.TankMovesLeft[2][1], 3 - 1 - 2);
}

TEST(ComputerMove, AnUpDrawBeforeRowTenMakesNoStepAndCountsNoRefusal) {
  OpponentRig rig;
  rig.Place("2", 1, 5, 5);
  rig.Place("2", 2, 9, 2);
  rig.Place("1", 14, 5, 4);  // HQ just above: never attacked from below
  rig.Place("1", 7, 4, 5);   // a gun to the left of tank 1
  rig.log.clear();
  rig.rnd.Push({kTank1, kUp, kNoStop, kTank1, kLeft, kNoStop});
  rig.cp.ComputerMoveTanks();

  ASSERT_FALSE(rig.log.events.empty());
  EXPECT_EQ(rig.log.events[0], "panel3:Non Moves: 1");
  for (const Sq& sq : rig.Shows(31)) EXPECT_NE(sq, Sq(5, 4));
  EXPECT_EQ(rig.At(1, 14), Sq(5, 4));
  EXPECT_EQ(rig.view.panels[3], "");
  EXPECT_EQ(rig.log.events.back(), "panel3:");
}

TEST(ComputerMove, StepsOntoMinesAndNeverPicksATankOffTheBoard) {
  OpponentRig rig;
  rig.Place("2", 2, 5, 5);
  rig.Place("2", 3, 9, 2);
  rig.Place("1", 12, 5, 6);  // the player's mine below tank 2
  rig.log.clear();
  // Tanks 1 and 6 are off the board: their draws are drawn again.
  rig.rnd.Push({kTank1, 0.99f, kTank2, kDown, kNoStop});
  rig.cp.ComputerMoveTanks();

  ASSERT_FALSE(rig.Shows(32).empty());
  EXPECT_EQ(rig.Shows(32).front(), Sq(5, 6));
  EXPECT_TRUE(rig.Shows(31).empty());
  EXPECT_EQ(rig.At(2, 1), Sq(0, 0));
  EXPECT_EQ(rig.At(2, 6), Sq(0, 0));
  EXPECT_EQ(rig.board.TankMovesLeft[2][2] + rig.board.TankMovesLeft[2][3], 0);
}

TEST(ComputerMove, NoStepBackOntoTheStartOrPreviousSquareUntilAThousandRefusals) {
  OpponentRig rig;
  // Tank 1 can only go right, and from there only back.
  rig.Place("2", 1, 5, 5);
  rig.Place("1", 7, 4, 5);
  rig.Place("1", 8, 5, 6);
  rig.Place("1", 9, 7, 5);
  rig.Place("1", 10, 6, 6);
  // Tank 2 cannot move at all; its draws pile up refusals too.
  rig.Place("2", 2, 1, 1);
  HemInTopLeft(rig);
  rig.log.clear();
  rig.rnd.Push({kTank1, kRight, kNoStop});
  rig.cp.ComputerMoveTanks();

  EXPECT_EQ(rig.Shows(31), (std::vector<Sq>{{6, 5}, {5, 5}, {6, 5}}));
  EXPECT_EQ(rig.board.TankMovesLeft[2][1], 0);
  EXPECT_EQ(rig.board.TankMovesLeft[2][2], 3);
  const int thousandth = rig.IndexOf("panel3:Non Moves: 1000");
  ASSERT_GE(thousandth, 0);
  EXPECT_EQ(rig.IndexOf("panel3:Non Moves: 999") + 1, thousandth);
  // The step back comes only after the thousandth refusal.
  int secondShow = -1, shows = 0;
  for (size_t i = 0; i < rig.log.events.size(); ++i)
    if (rig.log.events[i].rfind("show:31@", 0) == 0 && ++shows == 2) secondShow = static_cast<int>(i);
  EXPECT_GT(secondShow, thousandth);
  EXPECT_EQ(rig.view.panels[3], "");
}

TEST(ComputerMove, TheLastTankEndsTheTurnOnTheBuildingItAttacks) {
  OpponentRig rig;
  rig.board.TankMoves[2] = 6;  // a side with fewer than three tanks
  rig.Place("2", 4, 5, 5);
  rig.Place("1", 16, 5, 7);
  rig.log.clear();
  rig.rnd.Push({0.5f, kDown, kNoStop});
  rig.cp.ComputerMoveTanks();

  EXPECT_EQ(rig.rnd.draws, 3);  // one pass: tank, direction, chance
  EXPECT_EQ(rig.At(2, 4), Sq(5, 7));
  EXPECT_EQ(rig.board.TankMovesLeft[2][4], 4);
  EXPECT_EQ(rig.log.events, (std::vector<std::string>{"show:34@" + std::to_string(Board::TwipsOf(5)) + "," +
                                                          std::to_string(Board::TwipsOf(7)),
                                                      "snd:TankMove", "panel3:"}));
}

TEST(ComputerMove, TheTurnEndsWhenNoTankCanMoveAnyMore) {
  {
    SCOPED_TRACE("one tank hemmed in before any move");
    OpponentRig rig;
    rig.board.TankMoves[2] = 6;
    rig.Place("2", 1, 1, 1);
    HemInTopLeft(rig);
    rig.log.clear();
    rig.cp.ComputerMoveTanks();
    EXPECT_EQ(rig.At(2, 1), Sq(1, 1));
    EXPECT_EQ(rig.board.TankMovesLeft[2][1], 6);
    EXPECT_EQ(rig.view.panels[3], "");
  }
  {
    SCOPED_TRACE("several tanks, all hemmed in");
    OpponentRig rig;
    for (int t = 1; t <= 3; ++t) rig.Place("2", t, t, 1);
    rig.Place("2", 7, 4, 1);
    for (int g = 8; g <= 10; ++g) rig.Place("2", g, g - 7, 2);
    rig.cp.ComputerMoveTanks();
    for (int t = 1; t <= 3; ++t) EXPECT_EQ(rig.At(2, t), Sq(t, 1));
    EXPECT_EQ(rig.view.panels[3], "");
  }
  {
    SCOPED_TRACE("one tank on a building with nothing to attack, the other hemmed in");
    OpponentRig rig;
    rig.Place("1", 14, 5, 7);
    rig.Place("2", 1, 5, 7);
    rig.Place("2", 2, 1, 1);
    HemInTopLeft(rig);
    rig.cp.ComputerMoveTanks();
    EXPECT_EQ(rig.At(2, 1), Sq(5, 7));
    EXPECT_EQ(rig.board.TankMovesLeft[2][1], 3);
  }
  {
    SCOPED_TRACE("no tank on the board");
    OpponentRig rig;
    rig.cp.ComputerMoveTanks();
    EXPECT_EQ(rig.rnd.draws, 0);
    EXPECT_EQ(rig.log.events, std::vector<std::string>{"panel3:"});
  }
}

TEST(ComputerMove, OnlyTheLastTankEndsTheTurnByChanceAndOnlyOnceItHasMoved) {
  constexpr float kStop = 0.01f;  // Chance(5) comes up
  {
    SCOPED_TRACE("the last tank, not yet moved, then moved");
    OpponentRig rig;
    rig.Place("2", 1, 5, 5);
    rig.rnd.Push({kTank1, kUp, kStop, kTank1, kDown, kStop});
    rig.cp.ComputerMoveTanks();
    EXPECT_EQ(rig.rnd.draws, 6);
    EXPECT_EQ(rig.At(2, 1), Sq(5, 6));
    EXPECT_EQ(rig.board.TankMovesLeft[2][1], 2);
  }
  {
    SCOPED_TRACE("two tanks: the chance never ends the turn");
    OpponentRig rig;
    rig.Place("2", 1, 5, 5);
    rig.Place("2", 2, 2, 2);
    rig.rnd.Push({kTank1, kDown, kStop, kTank2, kDown, kStop});
    rig.cp.ComputerMoveTanks();
    EXPECT_EQ(rig.board.TankMovesLeft[2][1] + rig.board.TankMovesLeft[2][2], 0);
  }
}

TEST(ComputerMove, TheTurnEndsOnceTheSidesMovesAreUsedThoughTheTankHasMovesLeft) {
  OpponentRig rig;
  rig.board.TotalMoves[2] = 2;
  rig.Place("2", 1, 5, 5);
  rig.rnd.Push({kTank1, kDown, kNoStop, kTank1, kDown, kNoStop});
  rig.cp.ComputerMoveTanks();
  EXPECT_EQ(rig.rnd.draws, 6);
  EXPECT_EQ(rig.At(2, 1), Sq(5, 7));
  EXPECT_EQ(rig.board.TankMovesLeft[2][1], 1);
}

TEST(ComputerMove, AttacksTheFuelDumpThenTheAmmoDumpThenTheHq) {
  // The last tank ends its turn on the building it attacks: one pass each.
  auto attackFrom55 = [](bool fuel, bool ammo) {
    OpponentRig rig;
    rig.Place("2", 1, 5, 5);
    rig.Place("1", 14, 5, 6);            // HQ, one square away
    if (ammo) rig.Place("1", 15, 4, 6);  // Ammo Dump, two
    if (fuel) rig.Place("1", 16, 6, 7);  // Fuel Dump, three
    rig.rnd.Push({kTank1, kDown, kNoStop});
    rig.cp.ComputerMoveTanks();
    EXPECT_EQ(rig.rnd.draws, 3);
    return rig.At(2, 1);
  };
  EXPECT_EQ(attackFrom55(true, true), Sq(6, 7));
  EXPECT_EQ(attackFrom55(false, true), Sq(4, 6));
  EXPECT_EQ(attackFrom55(false, false), Sq(5, 6));
}

TEST(ComputerMove, FromRowTenAnUpDrawStepsUp) {
  OpponentRig rig;
  rig.Place("2", 1, 5, 9);
  rig.log.clear();
  rig.rnd.Push({kTank1, kDown, kNoStop, kTank1, kRight, kNoStop, kTank1, kUp, kNoStop});
  rig.cp.ComputerMoveTanks();
  EXPECT_EQ(rig.Shows(31), (std::vector<Sq>{{5, 10}, {6, 10}, {6, 9}}));
  EXPECT_EQ(rig.rnd.draws, 9);
}

TEST(ComputerMove, TheHemmedInCheckCountsTheUpStepOnlyFromRowTen) {
  {
    SCOPED_TRACE("on row 10 with only the square above open: it goes up");
    OpponentRig rig;
    rig.board.TotalMoves[2] = 1;
    rig.Place("2", 1, 5, 10);
    rig.Place("2", 7, 4, 10);
    rig.Place("2", 8, 6, 10);
    rig.board.ReachedFarRow[2][1] = true;
    rig.rnd.Push({kTank1, kUp, kNoStop});
    MoveTanksWithinSeconds(rig);
    EXPECT_EQ(rig.At(2, 1), Sq(5, 9));
  }
  {
    SCOPED_TRACE("before row 10 the square above does not count: the turn ends");
    OpponentRig rig;
    rig.Place("2", 1, 5, 4);
    rig.Place("2", 7, 4, 5);
    rig.Place("2", 8, 6, 5);
    rig.Place("2", 9, 5, 6);
    rig.rnd.Push({kTank1, kDown, kNoStop});
    rig.cp.ComputerMoveTanks();
    EXPECT_EQ(rig.At(2, 1), Sq(5, 5));
    EXPECT_EQ(rig.rnd.draws, 3);
  }
}
