// dh_bench [games]: random players against the computer, with no window, no
// sound and no log, timing every call into the computer player.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "board/Board.h"
#include "board/ClockRandom.h"
#include "opponent/ComputerPlayer.h"
#include "opponent/Players.h"

namespace {
using Clock = std::chrono::steady_clock;

class SilentView : public BoardView {
 public:
  void LoadImag(int, int) override {}
  void SetImagVisible(int, bool) override {}
  void MoveImag(int, int, int) override {}
  void RefreshImag(int) override {}
  void SetPanelText(int panel, const std::string& text) override { panels_[panel & 3] = text; }
  std::string PanelText(int panel) const override { return panels_[panel & 3]; }
  void RefreshStatusBar() override {}
  bool OptChecked(int index) const override { return opt_[index & 1]; }
  void SetOptChecked(int index, bool checked) override { opt_[index & 1] = checked; }
  bool OptEnabled(int) const override { return true; }
  void SetOptEnabled(int, bool) override {}
  void SetTimingEnabled(bool) override {}
  void Beep() override {}
  int MsgBox(const std::string&, int, const std::string&) override { return vbOK; }
  std::string InputBox(const std::string&, const std::string&) override { return ""; }
  void DoEvents() override {}
  void WaitForEvents() override {}
  void ShowSplash() override {}
  void UnloadSplash() override {}
  void ShowDeviceWindow() override {}
  void EndProgram() override {}

 private:
  std::string panels_[4];
  bool opt_[2] = {true, false};
};

class SilentSound : public SoundPort {
 public:
  void PlaySound(const std::string&, bool) override {}
};

struct CallTimes {
  long calls = 0;
  double totalUs = 0;
  double slowestUs = 0;
  template <typename F>
  void Time(F&& f) {
    const Clock::time_point start = Clock::now();
    f();
    const double us = std::chrono::duration<double, std::micro>(Clock::now() - start).count();
    ++calls;
    totalUs += us;
    if (us > slowestUs) slowestUs = us;
  }
  void Print(const char* name) const {
    std::printf("%-26s %8ld calls, mean %8.1f us, slowest %9.1f us\n", name, calls, calls ? totalUs / calls : 0.0,
                slowestUs);
  }
};

// Passes the sequencer's calls on to the computer player, timing each.
class TimedOpponent : public OpponentPort {
 public:
  explicit TimedOpponent(ComputerPlayer& cp) : cp_(cp) {}
  void ComputerDeploy() override {
    deploy.Time([&] { cp_.ComputerDeploy(); });
  }
  void ComputerMoveTanks() override {
    move.Time([&] { cp_.ComputerMoveTanks(); });
  }
  void ComputerPlanFireMissions() override {
    plan.Time([&] { cp_.ComputerPlanFireMissions(); });
  }
  CallTimes deploy, move, plan;

 private:
  ComputerPlayer& cp_;
};
}  // namespace

int main(int argc, char** argv) {
  const int games = argc > 1 ? std::atoi(argv[1]) : 20000;
  SilentView view;
  SilentSound sound;
  ClockRandom random;
  Board board(view, sound, random, ".");
  ComputerPlayer cp(board);
  TimedOpponent timed(cp);
  board.SetOpponent(&timed);
  board.Form_Load();

  long inputs = 0;
  int unfinished = 0;
  const Clock::time_point start = Clock::now();
  for (int game = 0; game < games; ++game) {
    RandomPlayer player(board, static_cast<uint32_t>(game));
    board.mnuGame_Click(0);
    long left = 1000000;
    while (board.GameMode != ModeNone && --left > 0 && player.Act()) ++inputs;
    if (board.GameMode != ModeNone) {
      ++unfinished;
      board.ResetGame();
    }
  }
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();

  std::printf("%d games in %.2f s: %.0f games/s, %.0f inputs and ticks per game, %d unfinished\n", games, seconds,
              games / seconds, static_cast<double>(inputs) / games, unfinished);
  timed.deploy.Print("ComputerDeploy");
  timed.move.Print("ComputerMoveTanks");
  timed.plan.Print("ComputerPlanFireMissions");
  return unfinished == 0 ? 0 : 1;
}
