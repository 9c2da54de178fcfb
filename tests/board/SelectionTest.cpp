#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "fakes/Fakes.h"

namespace {

using Events = std::vector<std::string>;

std::string Blast(int k, int x, int y) {
  return "show:" + std::to_string(46 + k) + "@" + std::to_string((x - 1) * 899 + 20) + "," +
         std::to_string((y - 1) * 899 + 20);
}

// The sequencer has just opened a fire turn of `missions` missions.
void OpenFireTurn(Rig& rig, int missions) {
  rig.board.GameMode = ModeSolo;
  rig.board.FireMissions[1] = static_cast<int16_t>(missions);
  rig.board.FireMissionsLeft[1] = static_cast<int16_t>(missions);
  rig.board.FireTarget = {};
  rig.board.GamePhase = PhaseSelectTargets;
  rig.board.OpenedTurnPhase = PhaseSelectTargets;
  rig.log.clear();
}

// Clicks a target and returns what it set off.
Events Target(Rig& rig, int x, int y) {
  rig.log.clear();
  rig.Click(x, y);
  return rig.log.events;
}

std::pair<int, int> TargetOf(const Rig& rig, int k) {
  return {rig.board.FireTarget[1][k][1], rig.board.FireTarget[1][k][2]};
}

}  // namespace

TEST(Selection, ClickOnAnOwnTankWithMovesSelectsIt) {
  Rig rig;
  rig.Place("1", 4, 6, 10);
  rig.board.GameMode = ModeSolo;
  rig.board.GamePhase = PhaseSelectTank;
  rig.board.OpenedTurnPhase = PhaseSelectTank;
  rig.log.clear();
  rig.Click(6, 10);
  Events want = {"panel1:Use Arrow keys to move Tank 4.    Press [Esc] key to end move before limit reached.",
                 "panel2:Total Moves Left:6", "panel3:Tank 4 Moves left: 3"};
  EXPECT_EQ(rig.log.events, want);
  EXPECT_EQ(rig.board.SelectedTank, 4);
  EXPECT_EQ(rig.board.GamePhase, PhaseMoveTank);
}

TEST(Selection, ClicksThatSelectNothing) {
  Rig rig;
  rig.board.GameMode = ModeSolo;
  rig.Place("2", 2, 3, 3);   // opponent's tank
  rig.Place("1", 8, 4, 7);   // own gun
  rig.Place("1", 15, 5, 7);  // own building
  rig.Place("1", 12, 6, 7);  // own mine
  rig.Place("2", 13, 7, 4);  // opponent's mine
  rig.Place("1", 5, 8, 10);  // own tank, spent
  rig.Place("1", 6, 2, 4);   // own tank that drove onto the opponent's HQ
  rig.Place("2", 14, 2, 4);
  rig.board.TankMovesLeft[1][5] = 0;
  rig.board.GamePhase = PhaseSelectTank;
  rig.board.OpenedTurnPhase = PhaseSelectTank;
  rig.log.clear();
  const std::vector<std::pair<int, int>> squares = {{3, 3}, {4, 7}, {5, 7}, {6, 7}, {7, 4}, {8, 10}, {2, 4}, {9, 9}};
  for (auto [x, y] : squares) {
    rig.board.SelectedTank = 3;  // a stale choice is overwritten with none
    rig.Click(x, y);
    EXPECT_EQ(rig.board.SelectedTank, 0) << x << "," << y;
    EXPECT_EQ(rig.board.GamePhase, PhaseSelectTank);
  }
  rig.board.touchpad_MouseUp(1, 0, 8995.0f, 8995.0f);  // the corner strip, square (11, 11)
  EXPECT_EQ(rig.board.GamePhase, PhaseSelectTank);
  EXPECT_TRUE(rig.log.events.empty()) << rig.log.joined(" ");
}

TEST(Selection, ClicksBeforeTheOpeningTickAreIgnored) {
  Rig rig;
  rig.board.GameMode = ModeSolo;
  rig.Place("1", 1, 4, 10);
  rig.log.clear();

  rig.board.GamePhase = PhaseSelectTank;
  for (int32_t opened : {0, 12}) {
    rig.board.OpenedTurnPhase = opened;
    rig.board.SelectedTank = 2;
    rig.Click(4, 10);
    EXPECT_EQ(rig.board.SelectedTank, 2);
    EXPECT_EQ(rig.board.GamePhase, PhaseSelectTank);
  }

  rig.board.GamePhase = PhaseSelectTargets;
  for (int32_t opened : {0, 9}) {
    rig.board.OpenedTurnPhase = opened;
    rig.Click(5, 5);
    EXPECT_EQ(rig.board.FireMissionsLeft[1], 5);
    EXPECT_EQ(TargetOf(rig, 1), std::make_pair(0, 0));
  }
  EXPECT_TRUE(rig.log.events.empty()) << rig.log.joined(" ");
}

TEST(Selection, FireTurnOfFiveMissions) {
  Rig rig;
  OpenFireTurn(rig, 5);
  EXPECT_EQ(Target(rig, 1, 1),
            (Events{"snd:OnTheWay", Blast(1, 1, 1), "snd:Fire", "panel2:Total Rounds Left:4", "snd:up"}));
  EXPECT_EQ(rig.board.GamePhase, PhaseSelectTargets);
  EXPECT_EQ(Target(rig, 2, 2), (Events{Blast(2, 2, 2), "snd:Fire", "panel2:Total Rounds Left:3", "snd:up", "snd:three",
                                       "snd:rounds", "snd:left"}));
  EXPECT_EQ(Target(rig, 3, 3), (Events{Blast(3, 3, 3), "snd:Fire", "panel2:Total Rounds Left:2", "snd:up", "snd:two",
                                       "snd:rounds", "snd:left"}));
  EXPECT_EQ(Target(rig, 4, 4),
            (Events{Blast(4, 4, 4), "snd:Fire", "panel2:Total Rounds Left:1", "snd:up", "snd:LastRound"}));
  EXPECT_EQ(rig.board.GamePhase, PhaseSelectTargets);
  EXPECT_FALSE(rig.board.TimingEnabled);
  EXPECT_EQ(Target(rig, 10, 10),
            (Events{Blast(5, 10, 10), "snd:Fire", "panel2:Total Rounds Left:0", "snd:out", "timer:on"}));
  EXPECT_EQ(rig.board.GamePhase, PhaseTargetsDone);
  EXPECT_TRUE(rig.board.TimingEnabled);
  EXPECT_EQ(rig.board.FireMissionsLeft[1], 0);
  for (int k = 1; k <= 4; ++k) EXPECT_EQ(TargetOf(rig, k), std::make_pair(k, k));
  EXPECT_EQ(TargetOf(rig, 5), std::make_pair(10, 10));

  // The turn is over: further clicks change nothing.
  EXPECT_TRUE(Target(rig, 6, 6).empty());
  rig.board.GamePhase = PhaseSelectTargets;  // entered again, not yet opened
  EXPECT_TRUE(Target(rig, 6, 6).empty());
}

TEST(Selection, FireTurnsOfTwoAndOneMission) {
  Rig rig;
  OpenFireTurn(rig, 2);
  EXPECT_EQ(Target(rig, 5, 5), (Events{"snd:OnTheWay", Blast(1, 5, 5), "snd:Fire", "panel2:Total Rounds Left:1",
                                       "snd:up", "snd:LastRound"}));
  EXPECT_EQ(Target(rig, 6, 5),
            (Events{Blast(2, 6, 5), "snd:Fire", "panel2:Total Rounds Left:0", "snd:out", "timer:on"}));
  EXPECT_EQ(rig.board.GamePhase, PhaseTargetsDone);

  OpenFireTurn(rig, 1);
  EXPECT_EQ(Target(rig, 7, 2),
            (Events{"snd:OnTheWay", Blast(1, 7, 2), "snd:Fire", "panel2:Total Rounds Left:0", "snd:out", "timer:on"}));
  EXPECT_EQ(rig.board.GamePhase, PhaseTargetsDone);
  EXPECT_EQ(TargetOf(rig, 1), std::make_pair(7, 2));
  EXPECT_EQ(TargetOf(rig, 2), std::make_pair(0, 0));
}

TEST(Selection, RefusedTargetsUseNoMission) {
  Rig rig;
  rig.Place("1", 12, 3, 7);  // own mine
  rig.Place("2", 13, 4, 3);  // opponent's mine only
  rig.Place("1", 9, 5, 7);   // own gun
  rig.Place("2", 1, 6, 3);   // opponent's tank
  rig.Place("2", 16, 7, 2);  // opponent's building
  rig.Place("1", 14, 8, 8);  // own building
  OpenFireTurn(rig, 5);

  EXPECT_EQ(Target(rig, 3, 7), Events{"snd:cant1"});
  EXPECT_EQ(Target(rig, 5, 7), Events{"snd:cant2"});
  EXPECT_EQ(Target(rig, 6, 3), Events{"snd:cant2"});
  EXPECT_EQ(Target(rig, 7, 2), Events{"snd:cant2"});
  EXPECT_EQ(Target(rig, 8, 8), Events{"snd:cant2"});
  rig.log.clear();
  rig.board.touchpad_MouseUp(1, 0, 8990.0f, 400.0f);  // right-edge strip: silent
  rig.board.touchpad_MouseUp(1, 0, 400.0f, 8990.0f);  // bottom-edge strip: silent
  EXPECT_TRUE(rig.log.events.empty());
  EXPECT_EQ(rig.board.FireMissionsLeft[1], 5);
  EXPECT_EQ(TargetOf(rig, 1), std::make_pair(0, 0));

  Events first = Target(rig, 4, 3);  // the opponent's mine does not block
  ASSERT_FALSE(first.empty());
  EXPECT_EQ(first.front(), "snd:OnTheWay");
  EXPECT_EQ(TargetOf(rig, 1), std::make_pair(4, 3));
  EXPECT_EQ(Target(rig, 4, 3), Events{"snd:cant1"});  // same square twice
  EXPECT_EQ(rig.board.FireMissionsLeft[1], 4);
  EXPECT_EQ(rig.board.GamePhase, PhaseSelectTargets);

  // The computer's test gives the same answers, without a sound.
  rig.board.FireMissions[2] = 5;
  rig.board.FireTarget[2][3][1] = 1;
  rig.board.FireTarget[2][3][2] = 9;
  rig.Place("2", 12, 2, 2);
  rig.log.clear();
  EXPECT_FALSE(rig.board.IsValidFireTarget("2", 1, 9));  // already a target
  EXPECT_FALSE(rig.board.IsValidFireTarget("2", 2, 2));  // its own mine
  EXPECT_FALSE(rig.board.IsValidFireTarget("2", 5, 7));  // a unit
  EXPECT_FALSE(rig.board.IsValidFireTarget("2", 0, 5));  // off the board
  EXPECT_TRUE(rig.board.IsValidFireTarget("2", 3, 7));   // side 1's mine
  EXPECT_TRUE(rig.log.events.empty());
}

TEST(Selection, OddMissionCountersStayInsideTheTable) {
  Rig rig;
  // No missions at all: the first target still ends the turn.
  OpenFireTurn(rig, 0);
  EXPECT_EQ(Target(rig, 5, 5),
            (Events{"snd:OnTheWay", Blast(1, 5, 5), "snd:Fire", "panel2:Total Rounds Left:-1", "snd:out", "timer:on"}));
  EXPECT_EQ(rig.board.GamePhase, PhaseTargetsDone);

  // More missions than the table holds: the extra ones reuse the last slot.
  OpenFireTurn(rig, 7);
  for (int i = 1; i <= 7; ++i) rig.Click(i, 1);
  EXPECT_EQ(rig.board.GamePhase, PhaseTargetsDone);
  EXPECT_EQ(TargetOf(rig, 4), std::make_pair(4, 1));
  EXPECT_EQ(TargetOf(rig, 5), std::make_pair(7, 1));

  // More missions left than allowed in the turn: the first slot is used.
  OpenFireTurn(rig, 2);
  rig.board.FireMissionsLeft[1] = 3;
  rig.Click(2, 2);
  EXPECT_EQ(TargetOf(rig, 1), std::make_pair(2, 2));
  EXPECT_EQ(rig.board.FireMissionsLeft[1], 2);
}
