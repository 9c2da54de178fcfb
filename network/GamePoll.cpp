#include <cmath>
#include <memory>
#include <string>

#include "board/Board.h"
#include "network/DirPlay.h"

namespace {
// No sender of ours makes a longer body; a longer one is dropped unread, since
// the decoders' time grows with the square of a malformed body's length.
bool FitsTurnMessage(const std::string& body) { return body.size() <= kMaxTurnBodyChars; }
}  // namespace

void Board::CheckForData(int32_t& msgType) {
  Panel(1, "Checking for Data");
  // Hold the session for the whole call: the opponent-left box lets the UI run,
  // and a reset in there must not pull the object from under us.
  std::shared_ptr<SessionPort> session = gDirPlay;
  int32_t t = 0;
  int32_t from = 0;
  int32_t to = 0;
  if (session) t = session->GetMessages(from, to);

  switch (t) {
    case msgPlayerChange:
      if (GamePhase != PhaseIdle) GamePhase = PhaseIdle;
      break;

    case msgChat: {
      const std::string name = ChatSenderName(*session, from);
      std::string text = session->ReadString();
      Panel(1, name + ": " + text);
      view_.RefreshStatusBar();
      PlaySnd(33);
      break;
    }

    case msgPositions:
      if (const std::string body = session->ReadString(); FitsTurnMessage(body)) DecodePositions(body);
      break;

    case msgTurnOrder: {
      const std::string body = session->ReadString();
      // An honest host sends the order only while this machine awaits it; taken
      // in any other phase it would open a turn with nothing to play it with.
      if (GamePhase == PhaseAwaitOrder) GamePhase = body == "ClientMoves" ? PhaseSelectTank : PhaseSelectTargets;
      break;
    }

    case msgFireMissions:
      if (const std::string body = session->ReadString(); FitsTurnMessage(body)) DecodeFireMissions(body);
      break;

    case msgStats:
      if (const std::string body = session->ReadString(); FitsTurnMessage(body)) DecodeStats(body);
      break;

    case msgFreeArtillery:
      ApplyArtilleryFreeOption(session->ReadString());
      break;

    case msgOpponentLeft: {
      std::string text = session->ReadString();
      PlaySnd(23);
      const uint64_t gen = GameGeneration;
      view_.MsgBox(text, vbOKOnly | vbExclamation, "You won by default");
      // A new game chosen while the box was open has already replaced this one.
      if (gen == GameGeneration) ResetGame();
      break;
    }

    default:  // none, or a type the game does not use: its text is dropped
      break;
  }

  if (t > 0) Panel(1, "Data Received");
  msgType = t;
}

void Board::DecideWhoGoesFirst() {
  random_.Randomize();
  const int r = static_cast<int>(std::floor(random_.Rnd() * 99.0f + 1.0f));
  if (r > 50) {
    GamePhase = PhaseSelectTank;
    Panel(1, "Host Moves & Client Shoots");
  } else {
    GamePhase = PhaseSelectTargets;
    Panel(1, "Client Moves & Host Shoots");
  }
}

void Board::ApplyArtilleryFreeOption(const std::string& body) {
  const bool on = !body.empty() && body[0] == '1';
  view_.SetOptChecked(1, on);
  if (on) {
    Panel(1, "First Move Artillery Free");
    view_.RefreshStatusBar();
    PlaySnd(34);
  }
}
