#include <string>

#include "board/Board.h"

int16_t Board::TotalMovesLeft(const std::string& side) const {
  int s = side == "2" ? 2 : 1;
  int16_t used = 0;
  for (int t = 1; t <= 6; ++t) used = static_cast<int16_t>(used + (TankMoves[s] - TankMovesLeft[s][t]));
  return static_cast<int16_t>(TotalMoves[s] - used);
}

void Board::CanMoveTo(const std::string& side, int16_t x, int16_t y, const bool& playFailSound, bool& ok) {
  if (x < 1 || x > 10 || y < 1 || y > 10) {
    ok = false;
    if (playFailSound) PlaySnd(29);
    return;
  }
  std::string r = UnitAt(x, y);
  if (r.empty()) {
    ok = true;
    return;
  }
  int unit = std::stoi(r.substr(1));
  ok = r.substr(0, 1) != side && unit > 13 && unit < 17;
  if (!ok && playFailSound) PlaySnd(30);
}

void Board::Form_KeyDown(int16_t, int16_t) {}
void Board::MoveTank(const std::string&, int) {}
