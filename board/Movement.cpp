#include <string>

#include "board/Board.h"

void Board::CanMoveTo(std::string_view side, int16_t x, int16_t y, const bool& playFailSound, bool& ok) {
  if (x < 1 || x > 10 || y < 1 || y > 10) {
    ok = false;
    if (playFailSound) PlaySnd(29);
    return;
  }
  const int s = SideFromText(side);
  // The side's own units are looked up directly: one hidden under an enemy
  // building (UnitAt names the building) still closes the square, so two tanks
  // of one side never share it. Mines of either side count as empty.
  if (SideUnitOn(s, x, y) != 0) {
    ok = false;
  } else {
    // Only the other side's units are left: its highest one is what UnitAt names.
    const int16_t other = SideUnitOn(3 - s, x, y);
    ok = other == 0 || (other > 13 && other < 17);
  }
  if (!ok && playFailSound) PlaySnd(30);
}

bool Board::AllTanksHemmedIn(const std::string& side) {
  const int s = SideFromText(side);
  for (int16_t t = 1; t <= 6; ++t) {
    int16_t x = UnitPos[s][t][1];
    int16_t y = UnitPos[s][t][2];
    if (TankMovesLeft[s][t] <= 0 || x < 1 || x > 10 || y < 1 || y > 10) continue;
    // A tank standing on an enemy building cannot be clicked again this turn.
    int16_t selectable = 0;
    SelectableTankAt(x, y, selectable);
    if (s == 1 && selectable != t) continue;
    const int16_t steps[4][2] = {{0, -1}, {0, 1}, {-1, 0}, {1, 0}};
    for (const auto& d : steps) {
      bool ok = false;
      CanMoveTo(side, static_cast<int16_t>(x + d[0]), static_cast<int16_t>(y + d[1]), false, ok);
      if (ok) return false;
    }
  }
  return true;
}

bool Board::EndTurnIfNoTankCanMove() {
  if (GamePhase != PhaseSelectTank || !AllTanksHemmedIn("1")) return false;
  // Every move left is given up, as if used.
  for (int t = 1; t <= 6; ++t) TankMovesLeft[1][t] = 0;
  PlaySnd(0);
  EndMovementTurn();
  return true;
}

void Board::EndMovementTurn() {
  Panel(1, "Movement Complete, prepare for incoming");
  Panel(2, "");
  Panel(3, "");
  PlaySnd(25);
  GamePhase = PhaseMovementDone;
  OpenedTurnPhase = 0;  // the next turn must be opened by its own tick
  SetTiming(true);
}

void Board::Form_KeyDown(int16_t keyCode, int16_t) {
  if (SelectedTank == 0 || GamePhase != PhaseMoveTank) return;
  if ((keyCode >= 27 && keyCode <= 40) || keyCode == 81) MoveTank("1", keyCode);
}

void Board::MoveTank(const std::string& side, int key) {
  const int16_t tank = SelectedTank;
  if (tank < 1 || tank > 6) return;

  // Writes the counters after a step, made or given up.
  auto showCounters = [&] {
    Panel(2, "Total Moves Left:", TotalMovesLeft("1"));
    Panel(3, "Tank ", tank, " Moves left: ", TankMovesLeft[1][tank]);
  };
  // Ends the turn or lets go of a spent tank. `<= 0` so that odd allowances from
  // the network cannot leave a turn that never ends; for the same reason a release
  // that leaves no tank able to move ends the turn.
  auto endChecks = [&] {
    if (TotalMovesLeft("1") <= 0) {
      EndMovementTurn();
    } else if (TankMovesLeft[1][tank] <= 0) {
      SelectedTank = 0;
      GamePhase = PhaseSelectTank;
      if (EndTurnIfNoTankCanMove()) return;
      Panel(1, "Select a Tank to Move");
      PlaySnd(25);
    }
  };

  int16_t x = 0;
  int16_t y = 0;

  if (key == vbKeyEscape) {
    GamePhase = PhaseSelectTank;
    int16_t tanks = CountTanks(1);
    if (TotalMovesLeft("1") >= TotalMoves[1] || tanks != 1) {
      // No tank that can be clicked has a square to go to: without this the turn
      // could never end, so Esc gives up every move left.
      if (EndTurnIfNoTankCanMove()) return;
      Panel(1, "Select a Tank to Move");
      Panel(3, "");
      PlaySnd(25);
      return;
    }
    // The last tank gives up what it has left in one silent step in place.
    TankMovesLeft[1][tank] = 1;
    GetUnitPos(side, tank, x, y);
    PlaySnd(0);
    ShowUnit(side, tank, x, y);
    TankMovesLeft[1][tank] = 0;
    showCounters();
    endChecks();
    return;
  }

  int16_t dx = 0;
  int16_t dy = 0;
  int dirSound = 0;
  switch (key) {
    case vbKeyUp:
      dy = -1;
      dirSound = 10;
      break;
    case vbKeyDown:
      dy = 1;
      dirSound = 11;
      break;
    case vbKeyLeft:
      dx = -1;
      dirSound = 21;
      break;
    case vbKeyRight:
      dx = 1;
      dirSound = 22;
      break;
    default:
      return;
  }

  GetUnitPos(side, tank, x, y);
  if (x < 1 || y < 1) return;
  const int16_t tx = static_cast<int16_t>(x + dx);
  const int16_t ty = static_cast<int16_t>(y + dy);

  bool ok = false;
  CanMoveTo(side, tx, ty, true, ok);
  if (ok) {
    PlaySnd(dirSound);
    ShowUnit(side, tank, tx, ty);
    PlaySnd(1);
    if (ty == 1) ReachedFarRow[1][tank] = true;
    TankMovesLeft[1][tank] = static_cast<int16_t>(TankMovesLeft[1][tank] - 1);
    showCounters();
  }
  endChecks();
}
