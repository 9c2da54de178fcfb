#include <gtest/gtest.h>

#include <map>

#include "opponent/OpponentRig.h"
#include "opponent/Players.h"

namespace {
constexpr int kMaxHalfTurns = 2000;
constexpr int kMaxInputs = 1000000;

const std::string kWon = "box:Game Over: you WON!|Dravenholt";
const std::string kLost = "box:Game Over: You lost!|Dravenholt";
const std::string kDraw = "box:Game Over: Its a DRAW!|Dravenholt";

// Plays one solo game from the Game menu to its result box.
void PlayToResult(OpponentRig& rig) {
  HunterPlayer player(rig.board);
  rig.log.clear();
  rig.board.mnuGame_Click(0);
  ASSERT_EQ(rig.board.GameMode, ModeSolo);
  ASSERT_EQ(rig.board.GamePhase, PhasePlaceBuildings);

  int halfTurns = 0;
  int inputs = 0;
  bool computerDeployed = false;
  bool computerAimed = false;
  std::string result;
  while (result.empty()) {
    ASSERT_LT(halfTurns, kMaxHalfTurns) << "the game does not end";
    ASSERT_LT(++inputs, kMaxInputs) << "stuck in phase " << rig.board.GamePhase;
    const int32_t phase = rig.board.GamePhase;
    const bool tick = rig.board.TimingEnabled;
    rig.log.clear();
    ASSERT_TRUE(player.Act()) << "no input to give in phase " << phase;
    if (tick && (phase == PhaseMovementDone || phase == PhaseTargetsDone)) ++halfTurns;
    if (tick && phase == PhaseMinesPlaced) computerDeployed = rig.board.CountTanks(2) == 6;
    if (tick && phase == PhaseSelectTank)
      for (int k = 1; k <= 5; ++k) computerAimed |= rig.board.FireTarget[2][k][1] != 0;
    for (const std::string& e : rig.log.events)
      if (e == kWon || e == kLost || e == kDraw) result = e;
  }

  EXPECT_TRUE(computerDeployed);
  EXPECT_TRUE(computerAimed);
  const int mine = rig.board.CountTanks(1);
  const int theirs = rig.board.CountTanks(2);
  // The box names the side that still has tanks.
  const std::map<std::string, std::pair<bool, bool>> alive = {
      {kWon, {true, false}}, {kLost, {false, true}}, {kDraw, {false, false}}};
  EXPECT_EQ(std::make_pair(mine > 0, theirs > 0), alive.at(result)) << result;

  // The finished game is ended by the next tick.
  EXPECT_EQ(rig.board.GamePhase, PhaseIdle);
  ASSERT_TRUE(rig.board.TimingEnabled);
  rig.log.clear();
  rig.board.Timing_Timer();
  EXPECT_EQ(rig.log.only("box:"), std::vector<std::string>{"Game has been terminated|Dravenholt"});
  EXPECT_EQ(rig.board.GamePhase, PhaseIdle);
  EXPECT_EQ(rig.board.GameMode, ModeNone);
  EXPECT_FALSE(rig.board.TimingEnabled);
  EXPECT_EQ(rig.board.CountTanks(1) + rig.board.CountTanks(2), 0);
}
}  // namespace

TEST(WholeGame, ASoloGameAgainstTheComputerPlaysToAResult) {
  OpponentRig rig;
  PlayToResult(rig);
}

TEST(WholeGame, ThreeGamesInARowWithTheFirstTurnFreeOfArtillery) {
  OpponentRig rig;
  rig.board.mnuOpt_Click(1);
  ASSERT_TRUE(rig.view.opt[1]);
  for (int game = 0; game < 3; ++game) {
    SCOPED_TRACE("game " + std::to_string(game + 1));
    PlayToResult(rig);
    if (HasFatalFailure()) return;
  }
}
