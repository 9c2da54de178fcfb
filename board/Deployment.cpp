#include <cmath>
#include <string>

#include "board/Board.h"

namespace {

constexpr const char* kHalfRows = " by clicking somewhere on the 2nd, 3rd, 4th or 5th row";

// A released button may lie far off the surface (the press began on it), so the
// square is clamped into 16 bits instead of overflowing; every consumer range-checks.
int16_t SquareOf(float twips) {
  double v = std::floor(static_cast<double>(twips) / kSquareTwips) + 1.0;
  if (!(v >= -32768.0)) return 0;  // NaN or far off to the left/top
  if (v > 32767.0) return 32767;
  return static_cast<int16_t>(v);
}

bool OnHalf(int16_t x, int16_t y) { return x >= 1 && x <= 10 && y >= 6 && y <= 9; }

// The counters only ever hold their step's units; anything else starts the step over.
int16_t StepUnit(int16_t& counter, int16_t first, int16_t last) {
  if (counter < first || counter > last) counter = first;
  return counter;
}

}  // namespace

std::string Board::UnitAt(int16_t x, int16_t y) const {
  const Occupant o = UnitOn(x, y);
  if (o.side == 0) return "";
  std::string text(1, static_cast<char>('0' + o.side));
  AppendText(text, o.unit);
  return text;
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

void Board::touchpad_MouseUp(int16_t, int16_t, float x, float y) {
  int16_t col = SquareOf(x);
  int16_t row = SquareOf(y);
  switch (GamePhase) {
    case PhasePlaceBuildings:
      PlaceBuildings(col, row);
      break;
    case PhasePlaceGuns:
      PlaceGuns(col, row);
      break;
    case PhasePlaceMines:
      PlaceMines(col, row);
      break;
    case PhasePlaceTanks:
      PlaceTanks(col, row);
      break;
    // Until the sequencer has opened the turn, moves and targets are stale.
    case PhaseSelectTank:
      if (OpenedTurnPhase == PhaseSelectTank) SelectTankClick(col, row);
      break;
    case PhaseSelectTargets:
      if (OpenedTurnPhase == PhaseSelectTargets) FireTargetClick(col, row);
      break;
    default:
      break;
  }
}

void Board::PlaceBuildings(int16_t x, int16_t y) {
  GamePhase = PhasePlaceBuildings;
  int16_t n = StepUnit(NextBuildingToPlace, 14, 16);
  Panel(1, "Place ", BuildingName(n), kHalfRows);
  if (!OnHalf(x, y)) return;
  for (int u = 14; u < n; ++u)
    if (UnitPos[1][u][2] == y) return;  // one building per row
  if (UnitOn(x, y).side != 0) {
    view_.Beep();
    return;
  }
  ShowUnit("1", n, x, y);
  n = ++NextBuildingToPlace;
  if (n > 16) {
    PlaceGuns(0, 0);
    NextBuildingToPlace = 14;
    return;
  }
  Panel(1, "Place ", BuildingName(n), kHalfRows);
}

void Board::PlaceGuns(int16_t x, int16_t y) {
  GamePhase = PhasePlaceGuns;
  int16_t n = StepUnit(NextGunToPlace, 7, 11);
  Panel(1, "Place Gun ", n - 6, kHalfRows);
  Panel(2, "Guns left to place: ", 12 - n);
  if (!OnHalf(x, y)) return;
  if (UnitOn(x, y).side != 0) {
    view_.Beep();
    return;
  }
  ShowUnit("1", n, x, y);
  n = ++NextGunToPlace;
  Panel(2, "Guns left to place: ", 12 - n);
  if (n > 11) {
    PlaceMines(0, 0);
    NextGunToPlace = 7;
    return;
  }
  Panel(1, "Place Gun ", n - 6, kHalfRows);
}

void Board::PlaceMines(int16_t x, int16_t y) {
  GamePhase = PhasePlaceMines;
  int16_t n = StepUnit(NextMineToPlace, 12, 13);
  Panel(1, "Place Mine ", n - 11, kHalfRows);
  Panel(2, "Mines left to place: ", 14 - n);
  if (!OnHalf(x, y)) return;
  if (UnitOn(x, y).side != 0) {
    view_.Beep();
    return;
  }
  ShowUnit("1", n, x, y);
  n = ++NextMineToPlace;
  Panel(2, "Mines left to place: ", 14 - n);
  if (n > 13) {
    NextMineToPlace = 12;
    Panel(2, "");
    if (GameMode == ModeHost || GameMode == ModeClient) SendPositions("1");
    GamePhase = PhaseMinesPlaced;
    SetTiming(true);
    return;
  }
  Panel(1, "Place Mine ", n - 11, kHalfRows);
}

void Board::PlaceTanks(int16_t x, int16_t y) {
  GamePhase = PhasePlaceTanks;
  int16_t n = StepUnit(NextTankToPlace, 1, 6);
  Panel(1, "Place Tank ", n, " by clicking somewhere on the bottom row");
  if (x < 1 || x > 10 || y != 10) return;
  if (UnitOn(x, y).side != 0) {
    view_.Beep();
    return;
  }
  ShowUnit("1", n, x, y);
  n = ++NextTankToPlace;
  if (n > 6) {
    NextTankToPlace = 1;
    if (GameMode == ModeHost || GameMode == ModeClient) SendPositions("1");
    GamePhase = PhaseTanksPlaced;
    SetTiming(true);
    return;
  }
  Panel(1, "Place Tank ", n, " by clicking somewhere on the bottom row");
}
