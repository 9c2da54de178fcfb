// dh_bench [games]: random players against the computer, with no window, no
// sound and no log: games per second, then every call into the computer
// player timed by the thread's CPU clock over as many games again.
#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

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
  std::string InputBox(const std::string&, const std::string&, size_t) override { return ""; }
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

// Wall time counts whatever the scheduler did meanwhile; the thread's own CPU
// time does not, so the tail (99.9th percentile, slowest) is read from that.
double ThreadCpuUs() {
  timespec ts{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
  return static_cast<double>(ts.tv_sec) * 1e6 + static_cast<double>(ts.tv_nsec) / 1e3;
}

struct CallTimes {
  double totalUs = 0;
  double slowestWallUs = 0;
  std::vector<double> cpuUs;
  template <typename F>
  void Time(F&& f) {
    const Clock::time_point start = Clock::now();
    const double cpuStart = ThreadCpuUs();
    f();
    const double cpu = ThreadCpuUs() - cpuStart;
    const double us = std::chrono::duration<double, std::micro>(Clock::now() - start).count();
    totalUs += us;
    slowestWallUs = std::max(slowestWallUs, us);
    cpuUs.push_back(cpu);
  }
  void Print(const char* name) {
    const size_t calls = cpuUs.size();
    std::sort(cpuUs.begin(), cpuUs.end());
    auto cpuAt = [&](double q) { return calls ? cpuUs[static_cast<size_t>(q * static_cast<double>(calls - 1))] : 0.0; };
    std::printf("%-25s %7zu calls, mean %6.1f us; CPU: 99.9%% %7.1f us, slowest %7.1f us; wall slowest %7.1f us\n",
                name, calls, calls ? totalUs / static_cast<double>(calls) : 0.0, cpuAt(0.999), cpuAt(1.0),
                slowestWallUs);
  }
};

// Passes the sequencer's calls on to the computer player, timing each.
class TimedOpponent : public OpponentPort {
 public:
  explicit TimedOpponent(ComputerPlayer& cp) : cp_(cp) {}
  void ComputerDeploy() override {
    if (!timing) return cp_.ComputerDeploy();
    deploy.Time([&] { cp_.ComputerDeploy(); });
  }
  void ComputerMoveTanks() override {
    if (!timing) return cp_.ComputerMoveTanks();
    move.Time([&] { cp_.ComputerMoveTanks(); });
  }
  void ComputerPlanFireMissions() override {
    if (!timing) return cp_.ComputerPlanFireMissions();
    plan.Time([&] { cp_.ComputerPlanFireMissions(); });
  }
  bool timing = false;
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

  // Reading the CPU clock is a system call (about 0.2 us), so the games per
  // second come from a first round untimed, the calls' times from a second.
  long inputs = 0;
  int unfinished = 0;
  auto playGames = [&] {
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
  };
  const Clock::time_point start = Clock::now();
  playGames();
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  std::printf("%d games in %.2f s: %.0f games/s, %.0f inputs and ticks per game, %d unfinished\n", games, seconds,
              games / seconds, static_cast<double>(inputs) / games, unfinished);

  timed.timing = true;
  playGames();
  std::printf("calls of a second %d games (mean by wall time):\n", games);
  timed.deploy.Print("ComputerDeploy");
  timed.move.Print("ComputerMoveTanks");
  timed.plan.Print("ComputerPlanFireMissions");
  return unfinished == 0 ? 0 : 1;
}
