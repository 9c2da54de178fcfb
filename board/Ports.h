// The game core reaches screens, speakers, clocks and the network only through
// these small interfaces, so every rule can run inside a test with fakes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Message box button and icon flags, and the answers, as the game uses them.
enum : int { vbOKOnly = 0, vbOKCancel = 1, vbExclamation = 48 };
enum : int { vbOK = 1, vbCancel = 2 };

// The board window as the game sees it: the picture controls Imag(1..59), the
// three status panels, the Options menu check marks, the sequencer timer and
// the modal helpers of the desktop.
class BoardView {
 public:
  virtual ~BoardView() = default;

  // Imag(index) becomes a new invisible picture carrying template Imag(templ).
  virtual void LoadImag(int index, int templ) = 0;
  virtual void SetImagVisible(int index, bool visible) = 0;
  virtual void MoveImag(int index, int leftTwips, int topTwips) = 0;
  virtual void RefreshImag(int index) = 0;  // repaint at once

  virtual void SetPanelText(int panel, const std::string& text) = 0;  // 1..3
  virtual std::string PanelText(int panel) const = 0;
  virtual void RefreshStatusBar() = 0;

  virtual bool OptChecked(int index) const = 0;  // mnuOpt(0..1)
  virtual void SetOptChecked(int index, bool checked) = 0;
  virtual bool OptEnabled(int index) const = 0;
  virtual void SetOptEnabled(int index, bool enabled) = 0;

  virtual void SetTimingEnabled(bool on) = 0;  // the 500 ms sequencer timer

  virtual void Beep() = 0;
  virtual int MsgBox(const std::string& prompt, int buttons, const std::string& title) = 0;
  // Cancel gives "". The field takes at most maxBytes of UTF-8 (0: no limit).
  virtual std::string InputBox(const std::string& prompt, const std::string& title, size_t maxBytes) = 0;

  virtual void DoEvents() = 0;       // let the UI queue run once
  virtual void WaitForEvents() = 0;  // block until some event arrives, then handle it

  virtual void ShowSplash() = 0;  // returns once the splash is painted
  virtual void UnloadSplash() = 0;
  // Shows the network device window modally; returns when it is closed.
  virtual void ShowDeviceWindow() = 0;
  virtual void EndProgram() = 0;  // ends the process at once
};

// Plays a wave file by path; with wait it returns only when the sound has ended.
// Never fails towards the caller.
class SoundPort {
 public:
  virtual ~SoundPort() = default;
  virtual void PlaySound(const std::string& path, bool wait) = 0;
};

// Uniform numbers in [0, 1). Randomize() mixes the clock into the current state.
class RandomSource {
 public:
  virtual ~RandomSource() = default;
  virtual void Randomize() = 0;
  virtual float Rnd() = 0;
};

// The part of the network session a running game uses.
class SessionPort {
 public:
  virtual ~SessionPort() = default;
  // Takes at most one message: returns its type (0 none or dropped, 1 player
  // change) and fills the ids; the body is then read with ReadString.
  virtual int32_t GetMessages(int32_t& fromPlayerId, int32_t& toPlayerId) = 0;
  virtual std::string ReadString() = 0;
  virtual std::string GetPlayerName(int32_t playerId) = 0;
  // False when the message could not be sent (no session, or the service refused it).
  virtual bool SendDPText(int32_t msgType, const std::string& text) = 0;
  // False once the session was dismantled or never opened (a cancelled join):
  // then there is no one to talk to.
  virtual bool InSession() const { return true; }
};

// The name a chat line is shown under. A sender that has left since can no
// longer be named; its words still count, as the opponent's.
inline std::string ChatSenderName(SessionPort& session, int32_t playerId) {
  std::string name;
  try {
    name = session.GetPlayerName(playerId);
  } catch (...) {
  }
  return name.empty() ? "Opponent" : name;
}

// The computer player of a solo game, called by the sequencer.
class OpponentPort {
 public:
  virtual ~OpponentPort() = default;
  virtual void ComputerDeploy() = 0;
  virtual void ComputerMoveTanks() = 0;
  virtual void ComputerPlanFireMissions() = 0;
};
