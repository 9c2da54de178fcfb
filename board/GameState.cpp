#include <functional>

#include "board/Board.h"

Board::Board(BoardView& view, SoundPort& sound, RandomSource& random, std::string appPath)
    : Globals(view, sound, random, std::move(appPath)) {}

void Board::SetTiming(bool on) {
  TimingEnabled = on;
  view_.SetTimingEnabled(on);
}

void Board::Form_Load() {
  UnitSprite = {};
  BlastSprite = {};
  view_.ShowSplash();
  PlaySnd(26);
  DebugMode = false;

  for (int i = 47; i <= 59; ++i) view_.LoadImag(i, 14);
  for (int i = 1; i <= 13; ++i) BlastSprite[i] = 46 + i;
  for (int u = 1; u <= 6; ++u) view_.LoadImag(14 + u, u);
  for (int i = 21; i <= 25; ++i) view_.LoadImag(i, 7);
  for (int i = 31; i <= 36; ++i) view_.LoadImag(i, 12);
  for (int i = 37; i <= 41; ++i) view_.LoadImag(i, 13);
  view_.LoadImag(26, 8);
  view_.LoadImag(27, 8);
  view_.LoadImag(42, 8);
  view_.LoadImag(43, 8);
  view_.LoadImag(28, 9);
  view_.LoadImag(29, 10);
  view_.LoadImag(30, 11);
  view_.LoadImag(44, 9);
  view_.LoadImag(45, 10);
  view_.LoadImag(46, 11);
  for (int s = 1; s <= 2; ++s)
    for (int u = 1; u <= 16; ++u) UnitSprite[s][u] = 14 + u + 16 * (s - 1);

  ResetGame();
  PlaySnd(5);
  PlaySnd(6);
  view_.UnloadSplash();
}

void Board::Form_Unload(int16_t& cancel) {
  (void)cancel;
  ResetGame();
  view_.EndProgram();
}

void Board::ResetGame() {
  UnitPos = {};
  TankMovesLeft = {};
  TotalMoves = {};
  TankMoves = {};
  FireMissions = {};
  FireMissionsLeft = {};
  FireTarget = {};
  ReachedFarRow = {};
  ++GameGeneration;
  OpenedTurnPhase = 0;

  // From here a failing step is skipped so the reset always completes.
  auto step = [](const std::function<void()>& f) {
    try {
      f();
    } catch (...) {
    }
  };
  step([&] { SetTiming(false); });
  step([&] {
    FirstMovePending = true;
    FirstFirePending = true;
    NextTankToPlace = 0;
    NextBuildingToPlace = 0;
    NextGunToPlace = 0;
    NextMineToPlace = 0;
  });
  step([&] { ShowAllUnits(); });
  step([&] {
    if (GameMode == ModeHost || GameMode == ModeClient) gDirPlay.reset();
  });
  step([&] {
    ReadyState.clear();
    GameMode = ModeNone;
    GamePhase = PhaseIdle;
  });
  step([&] {
    for (int16_t side = 1; side <= 2; ++side) {
      TotalMoves[side] = 6;
      TankMoves[side] = 3;
      FireMissions[side] = 5;
      ResetTankMoves(side);
    }
  });
  step([&] { HideAllBlasts(); });
  step([&] { view_.SetOptEnabled(1, true); });
  step([&] { view_.SetPanelText(2, ""); });
}

void Board::ResetTankMoves(int16_t side) {
  for (int tank = 1; tank <= 6; ++tank) TankMovesLeft[side][tank] = TankMoves[side];
  FireMissionsLeft[side] = FireMissions[side];
}
