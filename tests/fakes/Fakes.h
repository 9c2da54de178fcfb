// Recording fakes of the core's ports. Everything the game does towards the
// outside lands in one ordered EventLog, so tests can assert exact sequences.
#pragma once

#include <array>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "board/Board.h"

// Entries: "snd:<base name>", "panel<N>:<text>", "box:<prompt>|<title>",
// "input:<prompt>|<title>", "beep", "timer:on", "timer:off", "show:<imag>@<left>,<top>",
// "hide:<imag>", "doevents", "wait", "splash:show", "splash:unload", "device", "end",
// "opt<N>:checked|unchecked|enabled|disabled", and whatever fakes add ("send:...").
struct EventLog {
  std::vector<std::string> events;
  void add(std::string e) { events.push_back(std::move(e)); }
  void clear() { events.clear(); }
  // Entries that start with prefix, with the prefix removed.
  std::vector<std::string> only(const std::string& prefix) const;
  std::vector<std::string> sounds() const { return only("snd:"); }
  bool has(const std::string& e) const;
  std::string joined(const std::string& sep = "\n") const;
};

class FakeView : public BoardView {
 public:
  explicit FakeView(EventLog& log) : log_(log) {}

  struct Imag {
    int templ = 0;
    bool loaded = false;
    bool visible = false;
    int left = 0;
    int top = 0;
  };
  std::array<Imag, 60> imag{};
  std::array<std::string, 4> panels{};
  std::array<bool, 2> opt{true, false};
  std::array<bool, 2> optEnabled{true, true};
  bool timing = false;
  bool ended = false;
  bool splashVisible = false;

  // Answers given to modal boxes, oldest first; vbOK / "" when empty.
  std::deque<int> msgBoxAnswers;
  std::deque<std::string> inputAnswers;
  // Hooks run inside the modal or event-pumping calls, as a user or peer would act.
  std::function<void(const std::string& prompt)> onMsgBox;
  std::function<void()> onDoEvents;
  std::function<void()> onWait;
  std::function<void()> onDeviceWindow;
  std::vector<int> msgBoxFlags;  // the buttons and icon of every box shown
  int doEventsCalls = 0;
  int waitCalls = 0;

  int VisibleCount() const;

  void LoadImag(int index, int templ) override;
  void SetImagVisible(int index, bool visible) override;
  void MoveImag(int index, int leftTwips, int topTwips) override;
  void RefreshImag(int) override {}
  void SetPanelText(int panel, const std::string& text) override;
  std::string PanelText(int panel) const override { return panels.at(static_cast<size_t>(panel)); }
  void RefreshStatusBar() override { log_.add("refresh"); }
  bool OptChecked(int index) const override { return opt.at(static_cast<size_t>(index)); }
  void SetOptChecked(int index, bool checked) override;
  bool OptEnabled(int index) const override { return optEnabled.at(static_cast<size_t>(index)); }
  void SetOptEnabled(int index, bool enabled) override;
  void SetTimingEnabled(bool on) override;
  void Beep() override { log_.add("beep"); }
  int MsgBox(const std::string& prompt, int buttons, const std::string& title) override;
  std::string InputBox(const std::string& prompt, const std::string& title, size_t maxBytes) override;
  void DoEvents() override;
  void WaitForEvents() override;
  void ShowSplash() override;
  void UnloadSplash() override;
  void ShowDeviceWindow() override;
  void EndProgram() override;

 private:
  EventLog& log_;
};

// Logs the base name of every cue played ("snd:TankMove").
class FakeSound : public SoundPort {
 public:
  explicit FakeSound(EventLog& log) : log_(log) {}
  std::vector<std::string> paths;
  void PlaySound(const std::string& path, bool wait) override;

 private:
  EventLog& log_;
};

// Hands out the scripted numbers first, then a fixed pseudo-random sequence.
class ScriptedRandom : public RandomSource {
 public:
  std::deque<float> script;
  int randomizeCalls = 0;
  int draws = 0;
  void Randomize() override { ++randomizeCalls; }
  float Rnd() override;
  void Push(std::initializer_list<float> values) { script.insert(script.end(), values); }

 private:
  uint64_t state_ = 0x2545F4914F6CDD1Dull;
};

// A scripted network peer: messages queued in `inbox` are taken one per poll;
// everything sent is logged as "send:<type>:<body>" and kept in `sent`.
class FakeSession : public SessionPort {
 public:
  explicit FakeSession(EventLog& log) : log_(log) {}
  struct Message {
    int32_t type;
    std::string body;
    int32_t from = 2;
  };
  std::deque<Message> inbox;
  std::vector<std::pair<int32_t, std::string>> sent;
  std::function<void(int32_t type, const std::string& body)> onSend;
  std::string peerName = "Peer";
  int polls = 0;

  void Queue(int32_t type, std::string body = "", int32_t from = 2) { inbox.push_back({type, std::move(body), from}); }
  int32_t GetMessages(int32_t& fromPlayerId, int32_t& toPlayerId) override;
  std::string ReadString() override { return current_; }
  std::string GetPlayerName(int32_t) override { return peerName; }
  bool SendDPText(int32_t msgType, const std::string& text) override;

 private:
  EventLog& log_;
  std::string current_;
};

class FakeOpponent : public OpponentPort {
 public:
  explicit FakeOpponent(EventLog& log) : log_(log) {}
  std::function<void()> onDeploy, onMove, onPlan;
  void ComputerDeploy() override;
  void ComputerMoveTanks() override;
  void ComputerPlanFireMissions() override;

 private:
  EventLog& log_;
};

// A started program with every fake in place; the log is cleared after start-up.
struct Rig {
  Rig();
  ~Rig();
  EventLog log;
  FakeView view{log};
  FakeSound sound{log};
  ScriptedRandom rnd;
  std::string dir;
  Board board{view, sound, rnd, dir = MakeTempDir()};
  FakeOpponent opp{log};

  static std::string MakeTempDir();

  // Places side 1's buildings, guns and mines by clicks (row 6 to 9 squares).
  void Click(int x, int y) {
    board.touchpad_MouseUp(1, 0, static_cast<float>((x - 1) * 899 + 400), static_cast<float>((y - 1) * 899 + 400));
  }
  // Both sides fully deployed, side 1 on rows 6 to 10 and side 2 on rows 1 to 5,
  // with no unit next to an enemy.
  void DeployApart();
  void Key(int code) { board.Form_KeyDown(static_cast<int16_t>(code), 0); }
  void Place(const std::string& side, int unit, int x, int y) {
    board.ShowUnit(side, static_cast<int16_t>(unit), static_cast<int16_t>(x), static_cast<int16_t>(y));
  }
};
