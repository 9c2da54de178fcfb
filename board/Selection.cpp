#include <string>

#include "board/Board.h"

void Board::SelectableTankAt(int16_t x, int16_t y, int16_t& tank) const {
  tank = 0;
  std::string r = UnitAt(x, y);
  if (r.size() < 2 || r[0] != '1') return;
  int t = std::stoi(r.substr(1));
  if (t >= 1 && t <= 6 && TankMovesLeft[1][t] > 0) tank = static_cast<int16_t>(t);
}

bool Board::IsValidFireTarget(const std::string& side, int16_t x, int16_t y) {
  if (x < 1 || x > 10 || y < 1 || y > 10) return false;
  int s = side == "2" ? 2 : 1;
  bool loud = side == "1";
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
  if (!UnitAt(x, y).empty()) {
    if (loud) PlaySnd(30);
    return false;
  }
  return true;
}

void Board::SelectTankClick(int16_t, int16_t) {}
void Board::FireTargetClick(int16_t, int16_t) {}
