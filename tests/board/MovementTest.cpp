#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "fakes/Fakes.h"

namespace {

const std::string kSelect = "panel1:Select a Tank to Move";
const std::string kComplete = "panel1:Movement Complete, prepare for incoming";
const std::vector<std::string> kTurnEnds = {kComplete, "panel2:", "panel3:", "snd:HullDown", "timer:on"};

std::string Shown(int unit, int x, int y) {
  return "show:" + std::to_string(14 + unit) + "@" + std::to_string((x - 1) * 899 + 20) + "," +
         std::to_string((y - 1) * 899 + 20);
}

std::vector<std::string> Step(const std::string& dirSound, int tank, int x, int y, int total, int left) {
  return {"snd:" + dirSound, Shown(tank, x, y), "snd:TankMove", "panel2:Total Moves Left:" + std::to_string(total),
          "panel3:Tank " + std::to_string(tank) + " Moves left: " + std::to_string(left)};
}

std::vector<std::string> operator+(std::vector<std::string> a, const std::vector<std::string>& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

// A solo game whose movement turn the sequencer has just opened.
void OpenMovementTurn(Rig& rig) {
  rig.board.GameMode = ModeSolo;
  rig.board.GamePhase = PhaseSelectTank;
  rig.board.OpenedTurnPhase = PhaseSelectTank;
}

void Select(Rig& rig, int x, int y) {
  rig.Click(x, y);
  ASSERT_EQ(rig.board.GamePhase, PhaseMoveTank);
  rig.log.clear();
}

std::pair<int, int> PosOf(const Rig& rig, int tank) {
  return {rig.board.UnitPos[1][tank][1], rig.board.UnitPos[1][tank][2]};
}

// Tank `tank` in the bottom-left corner, hemmed in by guns 7 and 8.
void BoxInBottomLeft(Rig& rig, int tank) {
  rig.Place("1", tank, 1, 10);
  rig.Place("1", 7, 1, 9);
  rig.Place("1", 8, 2, 10);
}

}  // namespace

TEST(Movement, SixStepTurnWithReleaseAndEnd) {
  Rig rig;
  rig.Place("1", 2, 4, 10);
  rig.Place("1", 5, 7, 10);
  OpenMovementTurn(rig);

  Select(rig, 4, 10);
  rig.Key(vbKeyUp);
  rig.Key(vbKeyLeft);
  rig.Key(vbKeyUp);
  EXPECT_EQ(rig.log.events, (Step("DirectFront", 2, 4, 9, 5, 2) + Step("GoLeft", 2, 3, 9, 4, 1) +
                             Step("DirectFront", 2, 3, 8, 3, 0) + std::vector<std::string>{kSelect, "snd:HullDown"}));
  EXPECT_EQ(rig.board.SelectedTank, 0);
  EXPECT_EQ(rig.board.GamePhase, PhaseSelectTank);
  EXPECT_EQ(rig.view.panels[2], "Total Moves Left:3");
  EXPECT_EQ(rig.view.panels[3], "Tank 2 Moves left: 0");
  EXPECT_FALSE(rig.board.TimingEnabled);

  // Released: keys do nothing, and the spent tank cannot be picked again.
  rig.log.clear();
  rig.Key(vbKeyUp);
  rig.Click(3, 8);
  EXPECT_TRUE(rig.log.events.empty()) << rig.log.joined(" ");
  EXPECT_EQ(rig.board.GamePhase, PhaseSelectTank);

  Select(rig, 7, 10);
  rig.Key(vbKeyDown);  // off the board: refused, no move used
  EXPECT_EQ(rig.log.events, std::vector<std::string>{"snd:cant1"});
  EXPECT_EQ(rig.board.TankMovesLeft[1][5], 3);
  EXPECT_EQ(rig.board.GamePhase, PhaseMoveTank);

  rig.log.clear();
  rig.Key(vbKeyUp);
  rig.Key(vbKeyUp);
  rig.Key(vbKeyRight);
  EXPECT_EQ(rig.log.events, (Step("DirectFront", 5, 7, 9, 2, 2) + Step("DirectFront", 5, 7, 8, 1, 1) +
                             Step("GoRight", 5, 8, 8, 0, 0) + kTurnEnds));
  EXPECT_EQ(rig.board.GamePhase, PhaseMovementDone);
  EXPECT_TRUE(rig.board.TimingEnabled);
  EXPECT_EQ(PosOf(rig, 2), std::make_pair(3, 8));
  EXPECT_EQ(PosOf(rig, 5), std::make_pair(8, 8));
  EXPECT_EQ(rig.board.TotalMovesLeft("1"), 0);

  // Back in phase 9 before the sequencer has opened the next movement turn
  // (the fire turn in between was skipped): the click must wait for that tick.
  rig.board.GamePhase = PhaseSelectTank;
  rig.board.TankMovesLeft[1][5] = 3;
  rig.log.clear();
  rig.Click(8, 8);
  EXPECT_TRUE(rig.log.events.empty());
  EXPECT_EQ(rig.board.GamePhase, PhaseSelectTank);
}

TEST(Movement, LostFuelDumpEndsTheTurnAfterFourMoves) {
  Rig rig;
  rig.board.TotalMoves[1] = 4;
  rig.Place("1", 1, 1, 10);
  rig.Place("1", 2, 2, 10);
  rig.Place("1", 3, 3, 10);
  OpenMovementTurn(rig);
  Select(rig, 1, 10);
  rig.Key(vbKeyUp);
  rig.Key(vbKeyUp);
  rig.Key(vbKeyUp);
  EXPECT_EQ(rig.board.GamePhase, PhaseSelectTank);
  EXPECT_EQ(rig.view.panels[2], "Total Moves Left:1");
  Select(rig, 3, 10);
  rig.Key(vbKeyUp);
  EXPECT_EQ(rig.log.events, Step("DirectFront", 3, 3, 9, 0, 2) + kTurnEnds);
  EXPECT_EQ(rig.board.GamePhase, PhaseMovementDone);
}

TEST(Movement, RefusedStepsUseNoMoveAndPermittedSquares) {
  Rig rig;
  rig.Place("1", 1, 5, 8);
  rig.Place("1", 14, 5, 7);  // own HQ above
  rig.Place("2", 1, 4, 8);   // enemy tank left
  rig.Place("2", 8, 6, 8);   // enemy gun right
  rig.Place("1", 9, 5, 9);   // own gun below
  OpenMovementTurn(rig);
  Select(rig, 5, 8);
  for (int key : {vbKeyUp, vbKeyLeft, vbKeyRight, vbKeyDown}) {
    rig.log.clear();
    rig.Key(key);
    EXPECT_EQ(rig.log.events, std::vector<std::string>{"snd:cant2"}) << "key " << key;
  }
  EXPECT_EQ(rig.board.TankMovesLeft[1][1], 3);
  EXPECT_EQ(PosOf(rig, 1), std::make_pair(5, 8));
  EXPECT_EQ(rig.board.GamePhase, PhaseMoveTank);
  EXPECT_EQ(rig.board.SelectedTank, 1);

  // A mine of either side and the enemy's buildings may be entered.
  rig.Place("1", 2, 2, 5);
  rig.Place("2", 12, 2, 4);
  rig.Place("2", 15, 2, 3);
  rig.Place("1", 3, 9, 10);
  rig.Place("1", 13, 9, 9);
  rig.Key(vbKeyEscape);
  Select(rig, 2, 5);
  rig.Key(vbKeyUp);
  rig.Key(vbKeyUp);
  EXPECT_EQ(PosOf(rig, 2), std::make_pair(2, 3));
  EXPECT_EQ(rig.board.UnitAt(2, 3), "215");
  EXPECT_FALSE(rig.log.has("snd:cant1") || rig.log.has("snd:cant2"));
  rig.Key(vbKeyEscape);
  Select(rig, 9, 10);
  rig.Key(vbKeyUp);
  EXPECT_EQ(PosOf(rig, 3), std::make_pair(9, 9));
  EXPECT_EQ(rig.board.TotalMovesLeft("1"), 3);
}

TEST(Movement, EscWithSeveralTanksOnlyReleases) {
  Rig rig;
  rig.Place("1", 1, 1, 10);
  rig.Place("1", 2, 2, 10);
  OpenMovementTurn(rig);
  Select(rig, 1, 10);
  rig.Key(vbKeyEscape);  // before any move
  std::vector<std::string> release = {kSelect, "panel3:", "snd:HullDown"};
  EXPECT_EQ(rig.log.events, release);
  EXPECT_EQ(rig.board.GamePhase, PhaseSelectTank);

  Select(rig, 1, 10);
  rig.Key(vbKeyUp);
  rig.log.clear();
  rig.Key(vbKeyEscape);  // after a move: still only a release
  EXPECT_EQ(rig.log.events, release);
  EXPECT_EQ(rig.board.GamePhase, PhaseSelectTank);
  EXPECT_EQ(rig.board.SelectedTank, 1);  // Esc leaves the selection, but the phase locks the keys
  EXPECT_EQ(rig.board.TankMovesLeft[1][1], 2);
  EXPECT_EQ(rig.board.TotalMovesLeft("1"), 5);
  EXPECT_FALSE(rig.board.TimingEnabled);

  rig.log.clear();
  rig.Key(vbKeyUp);
  rig.Key(vbKeyEscape);
  EXPECT_TRUE(rig.log.events.empty());

  rig.Click(1, 9);  // the same tank may be picked again
  EXPECT_EQ(rig.view.panels[3], "Tank 1 Moves left: 2");
  EXPECT_EQ(rig.board.GamePhase, PhaseMoveTank);
}

TEST(Movement, EscWithTheLastTank) {
  Rig rig;
  rig.Place("1", 3, 6, 10);
  // Fewer than three tanks: each may use all the side's moves.
  rig.board.TankMoves[1] = 6;
  rig.board.ResetTankMoves(1);
  OpenMovementTurn(rig);

  Select(rig, 6, 10);
  rig.Key(vbKeyEscape);  // no move yet: only a release
  EXPECT_EQ(rig.log.events, (std::vector<std::string>{kSelect, "panel3:", "snd:HullDown"}));
  EXPECT_EQ(rig.board.GamePhase, PhaseSelectTank);
  EXPECT_EQ(rig.board.TankMovesLeft[1][3], 6);

  Select(rig, 6, 10);
  rig.Key(vbKeyLeft);
  rig.log.clear();
  rig.Key(vbKeyEscape);  // gives up the other five moves and ends the turn
  std::vector<std::string> want = {"snd:Silence",
                                   Shown(3, 5, 10),
                                   "panel2:Total Moves Left:0",
                                   "panel3:Tank 3 Moves left: 0",
                                   kComplete,
                                   "panel2:",
                                   "panel3:",
                                   "snd:HullDown",
                                   "timer:on"};
  EXPECT_EQ(rig.log.events, want);
  EXPECT_EQ(rig.board.GamePhase, PhaseMovementDone);
  EXPECT_TRUE(rig.board.TimingEnabled);
  EXPECT_EQ(rig.board.TankMovesLeft[1][3], 0);
  EXPECT_EQ(PosOf(rig, 3), std::make_pair(5, 10));
}

TEST(Movement, ReachingRowOneIsRemembered) {
  Rig rig;
  rig.Place("1", 4, 3, 2);
  rig.Place("1", 6, 8, 10);
  OpenMovementTurn(rig);
  Select(rig, 3, 2);
  rig.Key(vbKeyUp);
  EXPECT_TRUE(rig.board.ReachedFarRow[1][4]);
  rig.log.clear();
  rig.Key(vbKeyUp);
  EXPECT_EQ(rig.log.events, std::vector<std::string>{"snd:cant1"});
  rig.Key(vbKeyDown);
  EXPECT_EQ(PosOf(rig, 4), std::make_pair(3, 2));
  EXPECT_TRUE(rig.board.ReachedFarRow[1][4]);
  EXPECT_FALSE(rig.board.ReachedFarRow[1][6]);
  EXPECT_FALSE(rig.board.ReachedFarRow[2][4]);
}

TEST(Movement, OnlyRowOneCountsAsTheFarRow) {
  Rig rig;
  rig.Place("1", 2, 6, 3);
  OpenMovementTurn(rig);
  Select(rig, 6, 3);
  rig.Key(vbKeyUp);
  EXPECT_FALSE(rig.board.ReachedFarRow[1][2]) << "row 2";
  rig.Key(vbKeyUp);
  EXPECT_TRUE(rig.board.ReachedFarRow[1][2]) << "row 1";
}

TEST(Movement, KeysActOnlyOnASelectedTankInPhaseTen) {
  Rig rig;
  rig.Place("1", 1, 5, 10);
  OpenMovementTurn(rig);
  rig.log.clear();
  rig.board.SelectedTank = 1;
  for (int32_t phase : {0, 5, 9, 11, 12, 13}) {
    rig.board.GamePhase = phase;
    for (int key : {vbKeyUp, vbKeyLeft, vbKeyEscape}) rig.Key(key);
    EXPECT_EQ(rig.board.GamePhase, phase);
  }
  rig.board.GamePhase = PhaseMoveTank;
  rig.board.SelectedTank = 0;
  for (int key : {vbKeyUp, vbKeyLeft, vbKeyEscape}) rig.Key(key);
  EXPECT_EQ(rig.board.GamePhase, PhaseMoveTank);

  rig.board.SelectedTank = 1;
  for (int key : {28, 32, 36, 81, 13, 26, 41, 87}) rig.Key(key);
  EXPECT_TRUE(rig.log.events.empty()) << rig.log.joined(" ");
  EXPECT_EQ(PosOf(rig, 1), std::make_pair(5, 10));
  EXPECT_EQ(rig.board.TankMovesLeft[1][1], 3);
  EXPECT_EQ(rig.board.GamePhase, PhaseMoveTank);
}

TEST(Movement, EscEndsATurnInWhichNoTankCanMoveAnyMore) {
  // Two tanks boxed in by their own guns and buildings in the bottom corners.
  Rig rig;
  BoxInBottomLeft(rig, 1);
  rig.Place("1", 2, 10, 10);
  rig.Place("1", 9, 10, 9);
  rig.Place("1", 10, 9, 10);
  OpenMovementTurn(rig);
  Select(rig, 1, 10);
  rig.Key(vbKeyUp);
  EXPECT_EQ(rig.log.sounds(), (std::vector<std::string>{"cant2"}));
  rig.log.clear();
  rig.Key(vbKeyEscape);
  EXPECT_EQ(rig.log.only("snd:"), (std::vector<std::string>{"Silence", "HullDown"}));
  EXPECT_EQ(rig.board.GamePhase, PhaseMovementDone);
  EXPECT_TRUE(rig.board.TimingEnabled);
  EXPECT_EQ(rig.view.panels[1], "Movement Complete, prepare for incoming");

  // With one tank that could still move, Esc only lets go.
  Rig open;
  BoxInBottomLeft(open, 1);
  open.Place("1", 2, 6, 10);
  OpenMovementTurn(open);
  Select(open, 1, 10);
  open.Key(vbKeyEscape);
  EXPECT_EQ(open.board.GamePhase, PhaseSelectTank);
  EXPECT_EQ(open.log.sounds(), (std::vector<std::string>{"HullDown"}));

  // The last tank, hemmed in before its first move.
  Rig last;
  last.Place("1", 3, 5, 10);
  last.Place("1", 7, 4, 10);
  last.Place("1", 8, 6, 10);
  last.Place("1", 9, 5, 9);
  OpenMovementTurn(last);
  Select(last, 5, 10);
  last.Key(vbKeyEscape);
  EXPECT_EQ(last.board.GamePhase, PhaseMovementDone);
}

TEST(Movement, ATankLeftOnAnEnemyBuildingDoesNotKeepTheTurnOpen) {
  // Tank 1 drives onto the enemy Fuel Dump and is let go with moves left; it cannot
  // be clicked there, and tank 2 is boxed in, so Esc must end the turn.
  Rig rig;
  rig.board.TankMoves[1] = 6;
  rig.board.ResetTankMoves(1);
  rig.Place("1", 1, 5, 7);
  rig.Place("2", 16, 5, 6);
  BoxInBottomLeft(rig, 2);
  rig.Place("1", 3, 8, 10);
  rig.Place("1", 4, 9, 10);
  rig.board.UnitPos[1][3][1] = 0;  // destroyed earlier
  rig.board.UnitPos[1][4][1] = 0;
  OpenMovementTurn(rig);
  Select(rig, 5, 7);
  rig.Key(vbKeyUp);
  rig.Key(vbKeyEscape);
  EXPECT_EQ(rig.board.GamePhase, PhaseMovementDone);
}

namespace {

// Three tanks and six moves: tanks 1 and 2 each have an enemy building (HQ, Fuel
// Dump) straight ahead, tank 3 has open ground.
void TwoTanksBeforeEnemyBuildings(Rig& rig) {
  rig.Place("1", 1, 2, 8);
  rig.Place("2", 14, 2, 7);
  rig.Place("1", 2, 5, 8);
  rig.Place("2", 16, 5, 7);
  rig.Place("1", 3, 8, 10);
  OpenMovementTurn(rig);
}

}  // namespace

TEST(Movement, ATurnEndsOnceNoTankThatCanBeClickedCanMove) {
  // Each tank's part of the turn: 1 and 2 step onto their building and are let go
  // with Esc; 3 takes its three steps and is let go by the end checks. In every
  // order the turn must end after the last part, and not before.
  std::vector<int> order = {1, 2, 3};
  do {
    SCOPED_TRACE("order " + std::to_string(order[0]) + std::to_string(order[1]) + std::to_string(order[2]));
    Rig rig;
    TwoTanksBeforeEnemyBuildings(rig);
    for (size_t i = 0; i < order.size(); ++i) {
      ASSERT_EQ(rig.board.GamePhase, PhaseSelectTank);
      const int t = order[i];
      const auto [x, y] = PosOf(rig, t);
      Select(rig, x, y);
      rig.Key(vbKeyUp);
      if (t == 3) {
        rig.Key(vbKeyUp);
        rig.Key(vbKeyUp);
      } else {
        rig.Key(vbKeyEscape);
      }
    }
    const std::vector<std::string> sounds = rig.log.sounds();
    ASSERT_GE(sounds.size(), 2u);
    EXPECT_EQ(std::vector<std::string>(sounds.end() - 2, sounds.end()),
              (std::vector<std::string>{"Silence", "HullDown"}));
    EXPECT_EQ(rig.board.GamePhase, PhaseMovementDone);
    EXPECT_TRUE(rig.board.TimingEnabled);
    EXPECT_EQ(rig.view.panels[1], "Movement Complete, prepare for incoming");
    EXPECT_EQ(rig.view.panels[2], "");
  } while (std::next_permutation(order.begin(), order.end()));
}

TEST(Movement, OddAllowancesNeverLeaveATurnThatCannotEnd) {
  // No moves per tank: nothing can be selected when the turn opens.
  {
    Rig rig;
    rig.Place("1", 1, 4, 10);
    rig.board.TankMoves[1] = 0;
    rig.board.GameMode = ModeSolo;
    rig.board.GamePhase = PhaseSelectTank;
    rig.board.SetTiming(true);
    rig.log.clear();
    rig.board.Timing_Timer();
    EXPECT_EQ(rig.log.sounds(), (std::vector<std::string>{"MovinOut", "Silence", "HullDown"}));
    EXPECT_EQ(rig.board.GamePhase, PhaseMovementDone);
    EXPECT_TRUE(rig.board.TimingEnabled);
  }
  // More moves for the side than its tanks can take: the last spent tank ends it.
  {
    Rig rig;
    rig.board.TotalMoves[1] = 7;
    rig.board.TankMoves[1] = 1;
    rig.board.ResetTankMoves(1);
    rig.Place("1", 1, 2, 10);
    rig.Place("1", 2, 6, 10);
    OpenMovementTurn(rig);
    Select(rig, 2, 10);
    rig.Key(vbKeyUp);
    EXPECT_EQ(rig.log.sounds(), (std::vector<std::string>{"DirectFront", "TankMove", "HullDown"}));
    EXPECT_EQ(rig.board.GamePhase, PhaseSelectTank);
    Select(rig, 6, 10);
    rig.Key(vbKeyUp);
    EXPECT_EQ(rig.log.sounds(), (std::vector<std::string>{"DirectFront", "TankMove", "Silence", "HullDown"}));
    EXPECT_EQ(rig.board.GamePhase, PhaseMovementDone);
    EXPECT_TRUE(rig.board.TimingEnabled);
  }
}

TEST(Movement, NoTwoOwnTanksOnOneSquare) {
  // Tank 1 enters the computer's HQ and is let go; tank 2 may not follow it there.
  Rig rig;
  rig.Place("2", 14, 4, 4);
  rig.Place("1", 1, 4, 5);
  rig.Place("1", 2, 5, 4);
  OpenMovementTurn(rig);
  Select(rig, 4, 5);
  rig.Key(vbKeyUp);
  rig.Key(vbKeyEscape);
  ASSERT_EQ(rig.board.UnitAt(4, 4), "214");
  Select(rig, 5, 4);
  rig.Key(vbKeyLeft);
  EXPECT_EQ(rig.log.events, std::vector<std::string>{"snd:cant2"});
  EXPECT_EQ(PosOf(rig, 2), std::make_pair(5, 4));
  EXPECT_EQ(rig.board.TankMovesLeft[1][2], 3);

  // The same holds for the computer's side, and mines of either side still count as empty.
  rig.Place("2", 3, 7, 9);
  rig.Place("1", 15, 7, 9);
  rig.Place("2", 12, 3, 3);
  rig.Place("1", 12, 2, 2);
  bool ok = true;
  rig.board.CanMoveTo("2", 7, 9, false, ok);
  EXPECT_FALSE(ok);
  rig.board.CanMoveTo("2", 3, 3, false, ok);
  EXPECT_TRUE(ok);
  rig.board.CanMoveTo("1", 2, 2, false, ok);
  EXPECT_TRUE(ok);
  rig.board.CanMoveTo("2", 4, 4, false, ok);
  EXPECT_FALSE(ok) << "its own HQ with the player's tank on it";
}
