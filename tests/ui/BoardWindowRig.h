// A real board window wired to recording fakes, for the window tests.
#pragma once

#include <QTest>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "board/ui/frmBoard.h"
#include "fakes/Fakes.h"

// Remembers every key the window hands to the game, then passes it on.
class RecordingBoard : public frmBoard {
 public:
  using frmBoard::frmBoard;
  std::vector<std::pair<int, int>> keys;

 protected:
  void KeyDown(int16_t keyCode, int16_t shift) override {
    keys.emplace_back(keyCode, shift);
    frmBoard::KeyDown(keyCode, shift);
  }
};

// A sound port that logs like FakeSound and lets a test look around while a
// cue "plays".
class ProbeSound : public SoundPort {
 public:
  explicit ProbeSound(EventLog& log) : fake_(log) {}
  std::function<void(const std::string& base)> onPlay;
  void PlaySound(const std::string& path, bool wait) override {
    fake_.PlaySound(path, wait);
    if (onPlay) onPlay(std::filesystem::path(path).stem().string());
  }

 private:
  FakeSound fake_;
};

struct WindowRig {
  EventLog log;
  ProbeSound sound{log};
  ScriptedRandom rnd;
  std::string dir = Rig::MakeTempDir();
  int endCalls = 0;
  std::unique_ptr<RecordingBoard> window =
      std::make_unique<RecordingBoard>(&sound, &rnd, QString::fromStdString(dir), [this] { ++endCalls; });

  ~WindowRig() {
    window.reset();
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
  }
  RecordingBoard& w() { return *window; }
  // Starts the window as the program does and waits until it is on screen.
  bool Start() {
    window->Load();
    window->show();
    return QTest::qWaitForWindowExposed(window.get());
  }
  Board& board() { return window->board(); }
};
