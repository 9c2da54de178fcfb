#include <string>

#include "board/Board.h"

void Board::SelectableTankAt(int16_t x, int16_t y, int16_t& tank) const {
  tank = 0;
  const Occupant o = UnitOn(x, y);
  if (o.side != 1) return;
  const int16_t t = o.unit;
  if (t >= 1 && t <= 6 && TankMovesLeft[1][t] > 0) tank = t;
}

bool Board::IsValidFireTarget(std::string_view side, int16_t x, int16_t y) {
  if (x < 1 || x > 10 || y < 1 || y > 10) return false;
  const int s = SideFromText(side);
  const bool loud = side.size() == 1 && side[0] == '1';  // exactly "1"
  int16_t n = FireMissions[s];
  for (int i = 1; i <= n && i <= 5; ++i) {
    if (FireTarget[s][i][1] == x && FireTarget[s][i][2] == y) {
      if (loud) PlaySnd(29);
      return false;
    }
  }
  for (int mine = 12; mine <= 13; ++mine) {
    if (UnitPos[s][mine][1] == x && UnitPos[s][mine][2] == y) {
      if (loud) PlaySnd(29);
      return false;
    }
  }
  if (UnitOn(x, y).side != 0) {
    if (loud) PlaySnd(30);
    return false;
  }
  return true;
}

void Board::SelectTankClick(int16_t x, int16_t y) {
  int16_t t = 0;
  SelectableTankAt(x, y, t);
  SelectedTank = t;
  if (t == 0) return;
  Panel(1, "Use Arrow keys to move Tank ", t, ".    Press [Esc] key to end move before limit reached.");
  Panel(2, "Total Moves Left:", TotalMovesLeft("1"));
  Panel(3, "Tank ", t, " Moves left: ", TankMovesLeft[1][t]);
  GamePhase = PhaseMoveTank;
}

void Board::FireTargetClick(int16_t x, int16_t y) {
  if (!IsValidFireTarget("1", x, y)) return;
  // The table holds five missions; odd counters (allowances arrive from the
  // network unchecked) must not aim past it.
  int k = FireMissions[1] - FireMissionsLeft[1] + 1;
  if (k < 1) k = 1;
  if (k > 5) k = 5;
  FireTarget[1][k][1] = x;
  FireTarget[1][k][2] = y;
  if (FireMissions[1] == FireMissionsLeft[1]) PlaySnd(4);
  ShowBlast(static_cast<int16_t>(k), x, y);
  PlaySnd(2);
  const int16_t n = static_cast<int16_t>(FireMissionsLeft[1] - 1);
  FireMissionsLeft[1] = n;
  Panel(2, "Total Rounds Left:", n);
  if (n > 0) PlaySnd(18);
  switch (n) {
    case 3:
      PlaySnd(14);
      PlaySnd(16);
      PlaySnd(17);
      break;
    case 2:
      PlaySnd(15);
      PlaySnd(16);
      PlaySnd(17);
      break;
    case 1:
      PlaySnd(7);
      break;
    default:
      if (n <= 0) PlaySnd(19);
      break;
  }
  // Below zero only with odd counters: end the turn rather than wait for ever.
  if (n <= 0) {
    GamePhase = PhaseTargetsDone;
    OpenedTurnPhase = 0;  // the next turn must be opened by its own tick
    SetTiming(true);
  }
}
