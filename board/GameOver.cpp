#include "board/Board.h"

void Board::CountGuns(int16_t side, int16_t& n) const {
  n = 0;
  for (int u = 7; u <= 11; ++u)
    if (UnitPos[side][u][1] > 0 && UnitPos[side][u][1] < 11) ++n;
  if (n == 0) n = 1;
}

void Board::CheckGameOver(bool& over) {
  over = false;
  bool alive1 = CountTanks(1) >= 1;
  bool alive2 = CountTanks(2) >= 1;
  if (alive1 && alive2) return;
  if (!alive1 && !alive2) {
    PlaySnd(24);
    view_.MsgBox("Game Over: Its a DRAW!", vbOKOnly, kAppTitle);
  } else if (!alive1) {
    PlaySnd(24);
    view_.MsgBox("Game Over: You lost!", vbOKOnly, kAppTitle);
  } else {
    PlaySnd(23);
    view_.MsgBox("Game Over: you WON!", vbOKOnly, kAppTitle);
  }
  over = true;
}
