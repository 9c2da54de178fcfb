#include <charconv>
#include <string>

#include "board/Board.h"

void Board::AppendText(std::string& to, int number) {
  char digits[12];
  const auto end = std::to_chars(digits, digits + sizeof digits, number).ptr;
  to.append(digits, end);
}

void Board::ShowUnit(std::string_view side, int16_t unit, int16_t x, int16_t y) {
  int s = SideFromText(side);
  int imag = UnitSprite[s][unit];
  if (x != 0 && y != 0) {
    if (s == 2 && (unit == 12 || unit == 13)) {
      // The opponent's mines are recorded but never shown.
      view_.SetImagVisible(imag, false);
    } else {
      view_.SetImagVisible(imag, true);
      view_.MoveImag(imag, TwipsOf(x), TwipsOf(y));
    }
  } else {
    view_.SetImagVisible(imag, false);
  }
  UnitPos[s][unit][1] = x;
  UnitPos[s][unit][2] = y;
  view_.RefreshImag(imag);
}

void Board::ShowAllUnits() {
  for (int s = 1; s <= 2; ++s) {
    std::string side = std::to_string(s);
    for (int16_t u = 1; u <= 16; ++u) ShowUnit(side, u, UnitPos[s][u][1], UnitPos[s][u][2]);
  }
}

void Board::ShowSideTanks(const std::string& side) {
  int s = SideFromText(side);
  for (int16_t t = 1; t <= 6; ++t) {
    if (UnitPos[s][t][1] > 0) ShowUnit(side, t, UnitPos[s][t][1], UnitPos[s][t][2]);
  }
  if (GameMode != ModeSolo) PlaySnd(1);
}

void Board::ShowBlast(int16_t i, int16_t x, int16_t y) {
  int imag = BlastSprite[i];
  if (x != 0 && y != 0) {
    view_.SetImagVisible(imag, true);
    view_.MoveImag(imag, TwipsOf(x), TwipsOf(y));
  } else {
    view_.SetImagVisible(imag, false);
  }
  view_.RefreshImag(imag);
}

void Board::HideAllBlasts() {
  for (int16_t i = 1; i <= 13; ++i) ShowBlast(i, 0, 0);
}

void Board::ShowIncomingFire(const std::string& side) {
  int s = SideFromText(side);
  int16_t n = FireMissions[s];
  if (n < 1) return;
  // A network peer may have sent fewer missions than its table holds; never read past it.
  if (n > 5) n = 5;
  for (int16_t k = 1; k <= n; ++k) {
    int16_t x = FireTarget[s][k][1];
    int16_t y = FireTarget[s][k][2];
    if (x >= 1 && x <= 10) {
      PlaySnd(5);
      ShowBlast(k, x, y);
      PlaySnd(6);
      view_.DoEvents();
    }
  }
}
