// State shared by the board, the computer player and network play, and the
// small services used everywhere: sound cues, chance and the debug trace.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "board/Ports.h"

enum GamePhaseValue : int32_t {
  PhaseIdle = 0,
  PhasePlaceBuildings = 1,
  PhasePlaceGuns = 2,
  PhasePlaceMines = 3,
  PhaseMinesPlaced = 4,
  PhasePlaceTanks = 5,
  PhaseTanksPlaced = 6,
  PhaseDecideOrder = 7,
  PhaseAwaitOrder = 8,
  PhaseSelectTank = 9,
  PhaseMoveTank = 10,
  PhaseMovementDone = 11,
  PhaseSelectTargets = 12,
  PhaseTargetsDone = 13,
};

enum GameModeValue : int32_t { ModeNone = 0, ModeSolo = 1, ModeHost = 2, ModeClient = 3 };

// Message types of the network envelope.
enum MessageType : int32_t {
  msgPlayerChange = 1,
  msgChat = 2,
  msgReady = 3,
  msgReadyEcho = 4,
  msgPositions = 5,
  msgTurnOrder = 6,
  msgFireMissions = 7,
  msgStats = 8,
  msgFreeArtillery = 9,
  msgOpponentLeft = 10,
};

inline constexpr const char* kAppTitle = "Dravenholt";

class Globals {
 public:
  Globals(BoardView& view, SoundPort& sound, RandomSource& random, std::string appPath);
  virtual ~Globals() = default;
  Globals(const Globals&) = delete;
  Globals& operator=(const Globals&) = delete;

  // The session of a network game. In the program it holds the session class
  // DirPlay (network/DirPlay.h; AsDirPlay reaches the whole class), in tests
  // often a scripted peer that only speaks the in-game port.
  std::shared_ptr<SessionPort> gDirPlay;
  int32_t GamePhase = PhaseIdle;
  std::string ReadyState;
  int32_t GameMode = ModeNone;
  bool DebugMode = false;

  // Plays cue `sound` (0..34); writes 0 back while the Sound option is off.
  void PlaySnd(int16_t& sound, bool wait);
  void PlaySnd(int sound) {
    int16_t s = static_cast<int16_t>(sound);
    PlaySnd(s, true);
  }
  // True (percent - 1) times in 100.
  bool Chance(int16_t percent);
  // Appends a four-line record to DHData<tag>.txt; throws when the file cannot be written.
  void WriteTrace(const std::string& tag, const std::string& title, const std::string& body);

  static std::string SoundBaseName(int sound);  // "" for numbers outside the table

  BoardView& view() { return view_; }
  RandomSource& random() { return random_; }
  const std::string& appPath() const { return appPath_; }

 protected:
  BoardView& view_;
  SoundPort& sound_;
  RandomSource& random_;
  std::string appPath_;

 private:
  // Every cue's file path, built once: [sound] for 0..34, and the six "Incoming" files.
  std::array<std::string, 35> soundPaths_;
  std::array<std::string, 6> incomingPaths_;
};
