#include <gtest/gtest.h>

#include <sstream>

#include "opponent/OpponentRig.h"
#include "opponent/Players.h"

namespace {
constexpr int kGames = 500;
constexpr int kMaxInputsPerGame = 400000;

bool In(int v, int lo, int hi) { return v >= lo && v <= hi; }

// Every table within its bounds; "" when all is well, else what is wrong.
std::string BrokenTables(const Board& b) {
  std::ostringstream out;
  if (!In(b.GamePhase, 0, 13)) out << "GamePhase " << b.GamePhase << "; ";
  for (int s = 1; s <= 2; ++s) {
    if (b.TotalMoves[s] != 4 && b.TotalMoves[s] != 6) out << "TotalMoves(" << s << ") " << b.TotalMoves[s] << "; ";
    if (!In(b.TankMoves[s], 3, 6)) out << "TankMoves(" << s << ") " << b.TankMoves[s] << "; ";
    if (!In(b.FireMissions[s], 1, 5)) out << "FireMissions(" << s << ") " << b.FireMissions[s] << "; ";
    if (!In(b.FireMissionsLeft[s], 0, 5)) out << "FireMissionsLeft(" << s << ") " << b.FireMissionsLeft[s] << "; ";
    for (int t = 1; t <= 6; ++t)
      if (!In(b.TankMovesLeft[s][t], 0, 6))
        out << "TankMovesLeft(" << s << "," << t << ") " << b.TankMovesLeft[s][t] << "; ";
    for (int k = 1; k <= 5; ++k)
      for (int c = 1; c <= 2; ++c)
        if (!In(b.FireTarget[s][k][c], 0, 10)) out << "FireTarget(" << s << "," << k << ") off the board; ";
    for (int u = 1; u <= 16; ++u) {
      const int x = b.UnitPos[s][u][1];
      const int y = b.UnitPos[s][u][2];
      if (!((x == 0 && y == 0) || (In(x, 1, 10) && In(y, 1, 10))))
        out << "UnitPos(" << s << "," << u << ") (" << x << "," << y << "); ";
    }
  }
  // Two units other than mines share a square only while a tank stands on an enemy building.
  for (int s = 1; s <= 2; ++s)
    for (int u = 1; u <= 16; ++u)
      for (int s2 = s; s2 <= 2; ++s2)
        for (int u2 = (s2 == s ? u + 1 : 1); u2 <= 16; ++u2) {
          if (u == 12 || u == 13 || u2 == 12 || u2 == 13 || b.UnitPos[s][u][1] == 0) continue;
          if (b.UnitPos[s][u] != b.UnitPos[s2][u2]) continue;
          const bool tankOnBuilding = s != s2 && ((u <= 6 && u2 >= 14) || (u2 <= 6 && u >= 14));
          if (!tankOnBuilding) out << "units " << s << u << " and " << s2 << u2 << " share a square; ";
        }
  return out.str();
}
}  // namespace

TEST(Soak, RandomPlayersAgainstTheComputerAlwaysFinishWithSoundTables) {
  int won = 0, lost = 0, drawn = 0;
  for (int game = 0; game < kGames; ++game) {
    SCOPED_TRACE("game " + std::to_string(game));
    OpponentRig rig;
    for (int i = 0; i < game * 7; ++i) rig.rnd.Rnd();  // a different computer each game
    RandomPlayer player(rig.board, static_cast<uint32_t>(game));
    if (game % 2 == 1) rig.board.mnuOpt_Click(1);  // first turn free of artillery
    rig.board.mnuGame_Click(0);

    int inputs = 0;
    while (rig.board.GameMode != ModeNone) {
      ASSERT_LT(++inputs, kMaxInputsPerGame) << "stuck in phase " << rig.board.GamePhase;
      rig.log.clear();
      ASSERT_TRUE(player.Act()) << "nothing to do in phase " << rig.board.GamePhase;
      const std::string broken = BrokenTables(rig.board);
      ASSERT_EQ(broken, "") << "after input " << inputs << " in phase " << rig.board.GamePhase;
      for (const std::string& e : rig.log.only("box:")) {
        won += e == "Game Over: you WON!|Dravenholt";
        lost += e == "Game Over: You lost!|Dravenholt";
        drawn += e == "Game Over: Its a DRAW!|Dravenholt";
      }
    }
    ASSERT_EQ(won + lost + drawn, game + 1) << "a game ended without its result";
    EXPECT_EQ(rig.board.GamePhase, PhaseIdle);
  }
  // The computer beats a random clicker more often than not, but not always.
  EXPECT_GT(won, 0);
  EXPECT_GT(lost, won) << won << " won, " << lost << " lost";
}
