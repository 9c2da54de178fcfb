#include <cmath>
#include <string>

#include "board/Board.h"

std::string Board::UnitAt(int16_t x, int16_t y) const {
  std::string result;
  for (int s = 1; s <= 2; ++s) {
    for (int u = 1; u <= 16; ++u) {
      if (u == 12 || u == 13) continue;  // mines never occupy a square
      if (UnitPos[s][u][1] == x && UnitPos[s][u][2] == y) result = std::to_string(s) + std::to_string(u);
    }
  }
  return result;
}

std::string Board::BuildingName(const int16_t& n) {
  switch (n) {
    case 14:
      return "HQ";
    case 15:
      return "Ammo Dump";
    case 16:
      return "Fuel Dump";
    default:
      return "";
  }
}

void Board::touchpad_MouseUp(int16_t, int16_t, float, float) {}
void Board::PlaceBuildings(int16_t, int16_t) {}
void Board::PlaceGuns(int16_t, int16_t) {}
void Board::PlaceMines(int16_t, int16_t) {}
void Board::PlaceTanks(int16_t, int16_t) {}
