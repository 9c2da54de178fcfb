#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "fakes/Fakes.h"

namespace {

void Deploy(Rig& rig) { rig.DeployApart(); }

// The log entries that start with one of the prefixes, in order.
std::vector<std::string> Steps(const EventLog& log, const std::vector<std::string>& prefixes) {
  std::vector<std::string> out;
  for (const auto& e : log.events)
    for (const auto& p : prefixes)
      if (e.rfind(p, 0) == 0) {
        out.push_back(e);
        break;
      }
  return out;
}

void StartAt(Rig& rig, int32_t mode, int32_t phase) {
  rig.board.GameMode = mode;
  rig.board.GamePhase = phase;
  rig.board.SetTiming(true);
  rig.log.clear();
}

TEST(Sequencer, TicksInInputPhasesAndUnknownPhasesChangeNothing) {
  for (int32_t phase : {1, 2, 3, 5, 10, 14, -1}) {
    Rig rig;
    Deploy(rig);
    StartAt(rig, ModeSolo, phase);
    auto units = rig.board.UnitPos;
    rig.board.Timing_Timer();
    EXPECT_TRUE(rig.log.events.empty()) << "phase " << phase << ": " << rig.log.joined(" ");
    EXPECT_EQ(rig.board.GamePhase, phase);
    EXPECT_TRUE(rig.board.TimingEnabled);
    EXPECT_EQ(rig.board.UnitPos, units);
  }
}

TEST(Sequencer, PhaseZeroShowsTerminatedBoxThenResets) {
  Rig rig;
  Deploy(rig);
  StartAt(rig, ModeSolo, PhaseIdle);
  rig.view.onMsgBox = [&](const std::string&) {
    // The timer is already off while the box is up, so no tick can re-enter.
    EXPECT_FALSE(rig.view.timing);
    EXPECT_EQ(rig.board.GameMode, ModeSolo);
  };
  rig.board.Timing_Timer();
  EXPECT_EQ(rig.log.events.front(), "timer:off");
  EXPECT_EQ(rig.log.only("box:"), std::vector<std::string>{"Game has been terminated|Dravenholt"});
  EXPECT_EQ(rig.board.GameMode, ModeNone);
  EXPECT_EQ(rig.board.GamePhase, PhaseIdle);
  EXPECT_EQ(rig.board.UnitPos[1][1][1], 0);
  EXPECT_EQ(rig.view.VisibleCount(), 0);
  EXPECT_FALSE(rig.view.timing);
}

TEST(Sequencer, PhaseZeroLeavesAGameStartedWhileItsBoxWasOpen) {
  Rig rig;
  StartAt(rig, ModeSolo, PhaseIdle);
  rig.view.onMsgBox = [&](const std::string&) { rig.board.mnuGame_Click(0); };
  rig.board.Timing_Timer();
  EXPECT_EQ(rig.board.GameMode, ModeSolo);
  EXPECT_EQ(rig.board.GamePhase, PhasePlaceBuildings);
}

TEST(Sequencer, SoloDeploymentTicks) {
  Rig rig;
  StartAt(rig, ModeSolo, PhaseMinesPlaced);
  rig.opp.onDeploy = [&] { rig.Place("2", 1, 1, 1); };
  rig.board.Timing_Timer();
  EXPECT_EQ(Steps(rig.log, {"computer:", "snd:", "panel1:", "timer:"}),
            (std::vector<std::string>{"computer:deploy", "snd:start",
                                      "panel1:Place Tank 1 by clicking somewhere on the bottom row", "timer:off"}));
  EXPECT_EQ(rig.board.GamePhase, PhasePlaceTanks);
  EXPECT_EQ(rig.board.UnitPos[2][1][2], 1);

  // Phase 6 of a solo game moves on at once, silently, with the timer left running.
  StartAt(rig, ModeSolo, PhaseTanksPlaced);
  rig.board.Timing_Timer();
  EXPECT_TRUE(rig.log.events.empty()) << rig.log.joined(" ");
  EXPECT_EQ(rig.board.GamePhase, PhaseDecideOrder);
  EXPECT_TRUE(rig.board.TimingEnabled);
}

TEST(Sequencer, SoloDecidesOrderAndLocksTheOption) {
  Rig rig;
  StartAt(rig, ModeSolo, PhaseDecideOrder);
  rig.rnd.Push({0.9f});
  rig.board.Timing_Timer();
  EXPECT_EQ(rig.board.GamePhase, PhaseSelectTank);
  EXPECT_EQ(rig.view.panels[1], "Host Moves & Client Shoots");
  EXPECT_FALSE(rig.view.optEnabled[1]);
  EXPECT_TRUE(rig.log.only("send:").empty());
  EXPECT_TRUE(rig.board.TimingEnabled);

  StartAt(rig, ModeSolo, PhaseDecideOrder);
  rig.rnd.Push({0.1f});
  rig.board.Timing_Timer();
  EXPECT_EQ(rig.board.GamePhase, PhaseSelectTargets);
  EXPECT_EQ(rig.view.panels[1], "Client Moves & Host Shoots");
}

TEST(Sequencer, MovementTurnOpening) {
  Rig rig;
  Deploy(rig);
  StartAt(rig, ModeSolo, PhaseSelectTank);
  for (int t = 1; t <= 6; ++t) rig.board.TankMovesLeft[1][t] = 0;
  rig.board.Timing_Timer();
  EXPECT_EQ(Steps(rig.log, {"computer:", "snd:", "panel", "timer:"}),
            (std::vector<std::string>{"computer:plan", "snd:MovinOut", "panel1:Select a Tank to Move",
                                      "panel2:Total Moves Left:6", "timer:off"}));
  for (int t = 1; t <= 6; ++t) EXPECT_EQ(rig.board.TankMovesLeft[1][t], 3);
  EXPECT_FALSE(rig.board.FirstMovePending);
  EXPECT_EQ(rig.board.GamePhase, PhaseSelectTank);
  EXPECT_EQ(rig.board.OpenedTurnPhase, PhaseSelectTank);

  // After the Fuel Dump is lost the side has four moves.
  rig.board.TotalMoves[1] = 4;
  StartAt(rig, ModeSolo, PhaseSelectTank);
  rig.board.Timing_Timer();
  EXPECT_EQ(rig.view.panels[2], "Total Moves Left:4");
}

TEST(Sequencer, FireTurnOpeningClearsEveryTarget) {
  Rig rig;
  Deploy(rig);
  StartAt(rig, ModeSolo, PhaseSelectTargets);
  rig.board.FireMissions[1] = 3;
  rig.board.FireMissionsLeft[1] = 0;
  for (int k = 1; k <= 5; ++k) {
    rig.board.FireTarget[1][k][1] = static_cast<int16_t>(k);
    rig.board.FireTarget[1][k][2] = 5;
  }
  rig.board.Timing_Timer();
  EXPECT_EQ(Steps(rig.log, {"snd:", "panel", "timer:"}),
            (std::vector<std::string>{"panel1:Select 3 Artillery Fire Missions", "snd:ArtilleryonCall", "timer:off"}));
  EXPECT_EQ(rig.board.FireMissionsLeft[1], 3);
  for (int k = 1; k <= 5; ++k) {
    EXPECT_EQ(rig.board.FireTarget[1][k][1], 0) << k;
    EXPECT_EQ(rig.board.FireTarget[1][k][2], 0) << k;
  }
  EXPECT_EQ(rig.board.OpenedTurnPhase, PhaseSelectTargets);
  EXPECT_EQ(rig.board.GamePhase, PhaseSelectTargets);
}

TEST(Sequencer, SoloMovementTurnResolutionSteps) {
  Rig rig;
  Deploy(rig);
  StartAt(rig, ModeSolo, PhaseMovementDone);
  // One incoming mission on an empty square; the rest unset.
  rig.board.FireTarget[2][1][1] = 5;
  rig.board.FireTarget[2][1][2] = 6;
  for (int t = 1; t <= 6; ++t) rig.board.TankMovesLeft[1][t] = 0;
  rig.board.FireMissionsLeft[2] = 0;
  const int blast = rig.board.BlastSprite[1];
  bool blastShownDuringEvents = false;
  rig.view.onDoEvents = [&] { blastShownDuringEvents = rig.view.imag[blast].visible; };

  rig.board.Timing_Timer();

  EXPECT_EQ(Steps(rig.log, {"timer:", "doevents", "box:", "computer:", "send:"}),
            (std::vector<std::string>{"timer:off", "doevents", "timer:on"}));
  EXPECT_TRUE(blastShownDuringEvents);
  EXPECT_FALSE(rig.view.imag[blast].visible);
  EXPECT_EQ(rig.board.GamePhase, PhaseSelectTargets);
  for (int t = 1; t <= 6; ++t) EXPECT_EQ(rig.board.TankMovesLeft[1][t], 3);
  EXPECT_EQ(rig.board.FireMissionsLeft[2], 5);
  EXPECT_EQ(rig.board.FireMissions[1], 5);
}

TEST(Sequencer, AmmoDumpLossCutsFireMissionsToGunsLeft) {
  Rig rig;
  Deploy(rig);
  // Side 1 has lost its Ammo Dump and two guns: three missions from now on.
  rig.Place("1", 15, 0, 0);
  rig.Place("1", 7, 0, 0);
  rig.Place("1", 8, 0, 0);
  StartAt(rig, ModeSolo, PhaseMovementDone);
  rig.board.Timing_Timer();
  EXPECT_EQ(rig.board.FireMissions[1], 3);
  EXPECT_EQ(rig.board.FireMissions[2], 5);
  rig.board.Timing_Timer();  // phase 12 opens
  EXPECT_EQ(rig.view.panels[1], "Select 3 Artillery Fire Missions");

  // Side 2 likewise after its move, with only one gun left.
  rig.Place("2", 15, 0, 0);
  for (int g = 7; g <= 10; ++g) rig.Place("2", g, 0, 0);
  StartAt(rig, ModeSolo, PhaseTargetsDone);
  rig.board.Timing_Timer();
  EXPECT_EQ(rig.board.FireMissions[2], 1);

  // With its dump still standing a side keeps five, however many guns it lost.
  Rig other;
  Deploy(other);
  for (int g = 7; g <= 10; ++g) other.Place("1", g, 0, 0);
  StartAt(other, ModeSolo, PhaseMovementDone);
  other.board.Timing_Timer();
  EXPECT_EQ(other.board.FireMissions[1], 5);
}

TEST(Sequencer, SoloFireTurnLetsTheComputerMoveSilently) {
  Rig rig;
  Deploy(rig);
  StartAt(rig, ModeSolo, PhaseTargetsDone);
  rig.opp.onMove = [&] { rig.board.UnitPos[2][1][2] = 2; };  // moved without redrawing
  for (int t = 1; t <= 6; ++t) rig.board.TankMovesLeft[2][t] = 0;
  rig.board.Timing_Timer();
  EXPECT_EQ(Steps(rig.log, {"timer:", "doevents", "box:", "computer:", "send:"}),
            (std::vector<std::string>{"timer:off", "computer:move", "timer:on"}));
  EXPECT_FALSE(rig.log.has("snd:TankMove"));
  EXPECT_EQ(rig.view.imag[rig.board.UnitSprite[2][1]].top, Board::TwipsOf(2));
  EXPECT_EQ(rig.board.GamePhase, PhaseSelectTank);
  for (int t = 1; t <= 6; ++t) EXPECT_EQ(rig.board.TankMovesLeft[2][t], 3);
}

TEST(Sequencer, GameOverEndsThroughPhaseZeroOneTickLater) {
  Rig rig;
  Deploy(rig);
  for (int t = 1; t <= 6; ++t) rig.Place("2", t, 0, 0);
  StartAt(rig, ModeSolo, PhaseTargetsDone);
  for (int t = 1; t <= 6; ++t) rig.board.TankMovesLeft[1][t] = 1;
  rig.board.Timing_Timer();
  EXPECT_EQ(Steps(rig.log, {"timer:", "box:"}),
            (std::vector<std::string>{"timer:off", "box:Game Over: you WON!|Dravenholt", "timer:on"}));
  EXPECT_EQ(rig.board.GamePhase, PhaseIdle);
  EXPECT_EQ(rig.board.TankMovesLeft[1][1], 1);  // no refill for a finished game

  rig.log.clear();
  rig.board.Timing_Timer();
  EXPECT_EQ(Steps(rig.log, {"timer:", "box:"}),
            (std::vector<std::string>{"timer:off", "box:Game has been terminated|Dravenholt", "timer:off"}));
  EXPECT_EQ(rig.board.GameMode, ModeNone);
  EXPECT_EQ(rig.board.UnitPos[1][1][1], 0);
}

TEST(Sequencer, NewGameChosenDuringTheTurnStopsTheOldTick) {
  // While the incoming fire is shown.
  {
    Rig rig;
    Deploy(rig);
    StartAt(rig, ModeSolo, PhaseMovementDone);
    rig.board.FireTarget[2][1][1] = 5;
    rig.board.FireTarget[2][1][2] = 6;
    rig.view.onDoEvents = [&] {
      rig.view.onDoEvents = nullptr;
      rig.board.mnuGame_Click(0);
    };
    rig.board.Timing_Timer();
    EXPECT_EQ(rig.board.GameMode, ModeSolo);
    EXPECT_EQ(rig.board.GamePhase, PhasePlaceBuildings);
    EXPECT_FALSE(rig.view.timing);
    EXPECT_EQ(rig.log.events.back().rfind("panel1:Place HQ", 0), 0u) << rig.log.events.back();
  }
  // While the result box is open.
  {
    Rig rig;
    Deploy(rig);
    for (int t = 1; t <= 6; ++t) rig.Place("1", t, 0, 0);
    StartAt(rig, ModeSolo, PhaseMovementDone);
    rig.view.onMsgBox = [&](const std::string&) { rig.board.mnuGame_Click(0); };
    rig.board.Timing_Timer();
    EXPECT_EQ(rig.log.only("box:"), std::vector<std::string>{"Game Over: You lost!|Dravenholt"});
    EXPECT_EQ(rig.board.GameMode, ModeSolo);
    EXPECT_EQ(rig.board.GamePhase, PhasePlaceBuildings);
    EXPECT_FALSE(rig.view.timing);
  }
}

// Runs ticks while the timer is on, standing in for the player where the turn needs input.
struct SoloGame {
  Rig rig;
  std::vector<std::string> turns;  // "move" / "fire" as each half-turn opens

  explicit SoloGame(bool artilleryFree, float draw) {
    rig.view.opt[1] = artilleryFree;
    Deploy(rig);
    rig.rnd.Push({draw});
    StartAt(rig, ModeSolo, PhaseDecideOrder);
    rig.board.Timing_Timer();
  }

  // Opens the next half-turn and finishes it as the player would.
  void HalfTurn() {
    rig.log.clear();
    while (rig.board.GamePhase != PhaseSelectTank && rig.board.GamePhase != PhaseSelectTargets)
      rig.board.Timing_Timer();
    const bool moving = rig.board.GamePhase == PhaseSelectTank;
    rig.board.Timing_Timer();
    if (moving) {
      turns.push_back(rig.log.has("computer:plan") ? "move+plan" : "move");
      rig.board.GamePhase = PhaseMovementDone;
    } else {
      turns.push_back(rig.log.has("snd:committed") ? "fire skipped" : rig.view.panels[1]);
      rig.board.GamePhase = PhaseTargetsDone;
    }
    rig.board.SetTiming(true);
    rig.board.Timing_Timer();  // exchange and resolution
  }
};

TEST(Sequencer, FirstTurnWithoutArtilleryEitherSideFirst) {
  {
    SoloGame g(true, 0.9f);  // side 1 moves first
    for (int i = 0; i < 4; ++i) g.HalfTurn();
    EXPECT_EQ(g.turns,
              (std::vector<std::string>{"move", "fire skipped", "move+plan", "Select 5 Artillery Fire Missions"}));
  }
  {
    SoloGame g(true, 0.1f);  // side 2 moves first
    for (int i = 0; i < 4; ++i) g.HalfTurn();
    EXPECT_EQ(g.turns,
              (std::vector<std::string>{"fire skipped", "move", "Select 5 Artillery Fire Missions", "move+plan"}));
  }
  {
    SoloGame g(false, 0.9f);  // option off: artillery from the first turn
    for (int i = 0; i < 2; ++i) g.HalfTurn();
    EXPECT_EQ(g.turns, (std::vector<std::string>{"move+plan", "Select 5 Artillery Fire Missions"}));
    EXPECT_TRUE(g.rig.board.FirstFirePending);
  }
}

TEST(Sequencer, SkippedFirstFireTurnLeavesTargetsAndTimerAlone) {
  Rig rig;
  rig.view.opt[1] = true;
  StartAt(rig, ModeSolo, PhaseSelectTargets);
  rig.board.FireTarget[1][2][1] = 4;
  rig.board.Timing_Timer();
  EXPECT_EQ(rig.log.events, std::vector<std::string>{"snd:committed"});
  EXPECT_EQ(rig.board.GamePhase, PhaseTargetsDone);
  EXPECT_FALSE(rig.board.FirstFirePending);
  EXPECT_EQ(rig.board.FireTarget[1][2][1], 4);
  EXPECT_TRUE(rig.board.TimingEnabled);
}

TEST(Sequencer, AWaitWithoutASessionEndsTheGameThroughPhaseZero) {
  // No session from the start, on either machine and in either wait.
  for (const auto& [mode, phase] : {std::pair{ModeHost, PhaseMovementDone}, std::pair{ModeClient, PhaseTargetsDone}}) {
    Rig rig;
    Deploy(rig);
    StartAt(rig, mode, phase);
    rig.board.Timing_Timer();
    EXPECT_EQ(Steps(rig.log, {"timer:", "wait", "box:"}), (std::vector<std::string>{"timer:off", "timer:on"}));
    EXPECT_EQ(rig.board.GamePhase, PhaseIdle);
    EXPECT_EQ(rig.board.GameMode, mode);

    rig.log.clear();
    rig.board.Timing_Timer();
    EXPECT_EQ(rig.log.only("box:"), std::vector<std::string>{"Game has been terminated|Dravenholt"});
    EXPECT_EQ(rig.board.GameMode, ModeNone);
  }
  // The session goes away while the wait sleeps.
  Rig rig;
  Deploy(rig);
  rig.board.gDirPlay = std::make_shared<FakeSession>(rig.log);
  StartAt(rig, ModeHost, PhaseTargetsDone);
  rig.view.onWait = [&] { rig.board.gDirPlay.reset(); };
  rig.board.Timing_Timer();
  EXPECT_EQ(rig.view.waitCalls, 1);
  EXPECT_EQ(rig.board.GamePhase, PhaseIdle);
  EXPECT_TRUE(rig.view.timing);
}

}  // namespace
