// The computer's side of a solo game: it deploys side 2 from fixed layouts,
// moves its tanks towards the player's buildings or at random, and aims its
// artillery where it expects the player's tanks to stop.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "board/Board.h"

class ComputerPlayer : public OpponentPort {
 public:
  struct Square {
    int16_t x = 0;
    int16_t y = 0;
    bool operator==(const Square&) const = default;
  };

  // Per tank row 1 to 10: the columns of side 2's tanks 1 to 6, all on row 1.
  static constexpr std::array<std::array<int16_t, 6>, 10> kTankRows = {{
      {2, 5, 7, 3, 9, 6},
      {7, 5, 2, 1, 6, 4},
      {9, 3, 4, 8, 2, 6},
      {3, 8, 5, 7, 9, 2},
      {7, 8, 9, 2, 3, 4},
      {6, 9, 3, 7, 5, 2},
      {4, 6, 1, 2, 5, 7},
      {6, 2, 8, 4, 3, 9},
      {2, 9, 7, 5, 8, 3},
      {4, 3, 2, 9, 8, 7},
  }};

  // The units of a base layout, in the order they are placed and listed below.
  static constexpr std::array<int16_t, 10> kLayoutUnits = {14, 15, 16, 7, 8, 9, 10, 11, 12, 13};

  // Per base layout 1 to 6: HQ, Ammo Dump, Fuel Dump, guns 7 to 11, mines 12 and 13.
  static constexpr std::array<std::array<Square, 10>, 6> kBaseLayouts = {{
      {{{5, 4}, {1, 3}, {10, 2}, {5, 5}, {6, 4}, {1, 4}, {10, 3}, {2, 3}, {7, 5}, {2, 5}}},
      {{{1, 4}, {4, 3}, {9, 2}, {1, 5}, {4, 4}, {9, 3}, {2, 4}, {5, 3}, {8, 5}, {3, 5}}},
      {{{10, 4}, {1, 3}, {6, 2}, {10, 5}, {1, 4}, {6, 3}, {2, 3}, {9, 4}, {6, 4}, {5, 5}}},
      {{{4, 4}, {1, 3}, {10, 2}, {4, 5}, {5, 4}, {1, 4}, {10, 3}, {2, 3}, {7, 5}, {2, 5}}},
      {{{6, 4}, {1, 3}, {10, 2}, {6, 5}, {7, 4}, {1, 4}, {10, 3}, {2, 3}, {8, 5}, {3, 5}}},
      {{{1, 4}, {1, 3}, {1, 2}, {1, 5}, {2, 5}, {2, 4}, {2, 3}, {2, 2}, {3, 5}, {3, 4}}},
  }};

  // Attempts one fire mission gets before it is left unset. A mission with no
  // square at all is found out before its first attempt; the rarest single
  // prediction comes up about once in a thousand attempts, so a square that
  // exists is all but certain to be found well within this.
  static constexpr int kMaxAttemptsPerMission = 10000;

  explicit ComputerPlayer(Board& board) : board_(board) {}

  void ComputerDeploy() override;
  void ComputerMoveTanks() override;
  void ComputerPlanFireMissions() override;

  // A side-1 tank on the board, weighted towards the front rows; 0 when none.
  int16_t PickTargetTank();
  // Whether a tank of `side` on (x0, y0) can get to (x0 + dx, y0 + dy) through
  // squares that side may enter.
  bool TankCanReach(const std::string& side, int16_t tank, int16_t x0, int16_t y0, int16_t dx, int16_t dy);

 private:
  // floor(r * n) for a fresh r in [0, 1): 0 to n - 1.
  int16_t Draw(int n);
  // PickTargetTank's weight of a side-1 tank by its row; 0 off the board.
  int TargetWeight(int16_t tank) const;
  bool Open(const std::string& side, int x, int y);
  Square TankSquare(int16_t tank) const;
  int16_t MovesUsed() const;
  bool OnPlayerBuilding(const Square& sq) const;
  // The player's building tank t would attack from `cur` (Fuel Dump first), 0 for none.
  int16_t AttackTarget(int16_t tank, const Square& cur);
  bool SomeTankCanStillMove();

  Board& board_;
};
