#include <string>

#include "board/Board.h"

namespace {
bool IsNetwork(int32_t mode) { return mode == ModeHost || mode == ModeClient; }
}  // namespace

void Board::Timing_Timer() {
  switch (GamePhase) {
    case PhaseIdle: {
      SetTiming(false);
      const uint64_t gen = GameGeneration;
      view_.MsgBox("Game has been terminated", vbOKOnly, kAppTitle);
      // A game started while the box was open is not ours to end.
      if (gen == GameGeneration) ResetGame();
      break;
    }

    case PhaseMinesPlaced:
      if (IsNetwork(GameMode)) {
        int32_t t = 0;
        CheckForData(t);
        if (t != msgPositions) break;  // the next tick polls again
        ShowAllUnits();
      } else if (opponent_) {
        opponent_->ComputerDeploy();
      }
      PlaySnd(31);
      PlaceTanks(0, 0);
      SetTiming(false);
      break;

    case PhaseTanksPlaced:
      if (IsNetwork(GameMode)) {
        int32_t t = 0;
        CheckForData(t);
        if (t != msgPositions) break;
        ShowAllUnits();
        PlaySnd(31);
        GamePhase = GameMode == ModeHost ? PhaseDecideOrder : PhaseAwaitOrder;
      } else {
        GamePhase = PhaseDecideOrder;
      }
      break;

    case PhaseDecideOrder:
      DecideWhoGoesFirst();
      view_.SetOptEnabled(1, false);
      if (GameMode == ModeHost && gDirPlay) {
        std::shared_ptr<SessionPort> session = gDirPlay;
        session->SendDPText(msgFreeArtillery, view_.OptChecked(1) ? "1" : "0");
        session->SendDPText(msgTurnOrder, GamePhase == PhaseSelectTank ? "ClientBombs" : "ClientMoves");
      }
      break;

    case PhaseAwaitOrder: {
      Panel(1, "Checking who goes first");
      int32_t t = 0;
      CheckForData(t);
      break;
    }

    case PhaseSelectTank:
      if (GameMode == ModeSolo && opponent_ && !(FirstMovePending && view_.OptChecked(1))) {
        opponent_->ComputerPlanFireMissions();
      }
      for (int t = 1; t <= 6; ++t) TankMovesLeft[1][t] = TankMoves[1];
      PlaySnd(8);
      Panel(1, "Select a Tank to Move");
      Panel(2, "Total Moves Left:" + std::to_string(TotalMovesLeft("1")));
      FirstMovePending = false;
      SetTiming(false);
      OpenedTurnPhase = PhaseSelectTank;
      EndTurnIfNoTankCanMove();  // a turn in which no tank could be moved would never end
      break;

    case PhaseMovementDone:
      SequencerPhase11();
      break;

    case PhaseSelectTargets:
      if (FirstFirePending && view_.OptChecked(1)) {
        // The first fire turn of the game passes without artillery; the timer stays on.
        GamePhase = PhaseTargetsDone;
        FirstFirePending = false;
        PlaySnd(34);
        break;
      }
      FireMissionsLeft[1] = FireMissions[1];
      for (int k = 1; k <= 5; ++k) {
        FireTarget[1][k][1] = 0;
        FireTarget[1][k][2] = 0;
      }
      Panel(1, "Select " + std::to_string(FireMissions[1]) + " Artillery Fire Missions");
      PlaySnd(20);
      SetTiming(false);
      OpenedTurnPhase = PhaseSelectTargets;
      break;

    case PhaseTargetsDone:
      SequencerPhase13();
      break;

    default:  // phases driven by clicks and keys, and anything unknown
      break;
  }
}

// Polls until a message of `type` has been taken. Ended means the tick must stop
// at once: the opponent left, the peer's player went away or the session is gone
// (the game then ends through phase 0 at the next tick), or the game this wait
// belongs to was reset or replaced while the UI queue ran.
Board::WaitResult Board::WaitForMessage(int32_t type, uint64_t generation) {
  for (;;) {
    if (generation != GameGeneration) return WaitResult::Ended;
    if (!gDirPlay) {
      // No session to wait on: nothing could ever arrive. End the game as a
      // peer's departure does, rather than leave it frozen with the timer off.
      GamePhase = PhaseIdle;
      SetTiming(true);
      return WaitResult::Ended;
    }
    int32_t t = 0;
    CheckForData(t);
    if (generation != GameGeneration || t == msgOpponentLeft) return WaitResult::Ended;
    if (t == type) return WaitResult::Arrived;
    if (GamePhase == PhaseIdle) {
      // A player-change message ended the game: let the next tick show it and reset.
      SetTiming(true);
      return WaitResult::Ended;
    }
    // Nothing waiting: sleep until a socket or the user wakes us, never spin.
    if (t == 0) {
      view_.WaitForEvents();
    } else {
      view_.DoEvents();
    }
  }
}

void Board::SequencerPhase11() {
  const uint64_t gen = GameGeneration;
  SetTiming(false);
  OpenedTurnPhase = 0;
  if (IsNetwork(GameMode)) {
    SendPositions("1");
    if (WaitForMessage(msgFireMissions, gen) == WaitResult::Ended) return;
  }
  ShowIncomingFire("2");
  if (gen != GameGeneration) return;  // a menu choice ran while the blasts were shown
  FinishHalfTurn("2", PhaseSelectTargets, gen);
}

void Board::SequencerPhase13() {
  const uint64_t gen = GameGeneration;
  SetTiming(false);
  OpenedTurnPhase = 0;
  if (IsNetwork(GameMode)) {
    SendFireMissions("1");
    if (WaitForMessage(msgPositions, gen) == WaitResult::Ended) return;
  } else if (opponent_) {
    opponent_->ComputerMoveTanks();
  }
  ShowSideTanks("2");
  FinishHalfTurn("1", PhaseSelectTank, gen);
}

// The common end of a half-turn: the host or a solo game resolves the firing
// side's artillery and the moving side's contacts, the client takes the host's
// results instead; then the game-over test and the hand-over to `next`.
void Board::FinishHalfTurn(const std::string& firing, int32_t next, uint64_t gen) {
  if (GameMode == ModeClient) {
    for (int32_t type : {msgPositions, msgPositions, msgStats}) {
      if (WaitForMessage(type, gen) == WaitResult::Ended) return;
    }
    ShowAllUnits();
  } else {
    ResolveArtillery(firing);
    ResolveTankContacts(firing);
    // The side that moved brings its fire missions up to date before its next fire turn.
    const int16_t moved = firing == "2" ? 1 : 2;
    if (UnitPos[moved][15][1] == 0) FireMissions[moved] = CountGuns(moved);
    if (GameMode == ModeHost) {
      SendPositions("1");
      SendPositions("2");
      SendStats("2");
    }
  }

  bool over = false;
  CheckGameOver(over);
  if (gen != GameGeneration) return;  // the result box let a new game start
  if (over) {
    GamePhase = PhaseIdle;
  } else {
    ResetTankMoves(1);
    ResetTankMoves(2);
    HideAllBlasts();
    GamePhase = next;
  }
  SetTiming(true);
}
