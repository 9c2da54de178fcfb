// Stand-ins for the person at the board: each Act() gives the game one input
// (a click or a key) or, while the sequencer's timer runs, one tick.
#pragma once

#include <algorithm>
#include <array>
#include <cstdlib>
#include <random>
#include <set>
#include <utility>

#include "board/Board.h"

class PlayerBase {
 public:
  explicit PlayerBase(Board& board) : b_(board) {}
  virtual ~PlayerBase() = default;

  // A tick while the timer runs, else an input for the phase; false when the
  // game is waiting for nothing a player could give (no game, or a stuck one).
  bool Act() {
    if (b_.TimingEnabled) {
      const int32_t phase = b_.GamePhase;
      b_.Timing_Timer();
      if (phase == PhaseSelectTank) OnTurnOpened();
      return true;
    }
    return Input();
  }

 protected:
  virtual bool Input() = 0;
  virtual void OnTurnOpened() {}

  void Click(int x, int y) {
    ClickAt(static_cast<float>((x - 1) * 899 + 400), static_cast<float>((y - 1) * 899 + 400));
  }
  void ClickAt(float xTwips, float yTwips) { b_.touchpad_MouseUp(1, 0, xTwips, yTwips); }
  void Key(int code) { b_.Form_KeyDown(static_cast<int16_t>(code), 0); }

  Board& b_;
};

// Deploys a fixed set-up, then hunts the computer's tanks and shells the
// squares in front of them.
class HunterPlayer : public PlayerBase {
 public:
  using PlayerBase::PlayerBase;

 protected:
  bool Input() override {
    switch (b_.GamePhase) {
      case PhasePlaceBuildings: {
        static constexpr std::array<std::pair<int, int>, 3> kBuildings = {{{5, 9}, {2, 8}, {8, 7}}};
        const auto& sq = kBuildings.at(static_cast<size_t>(b_.NextBuildingToPlace - 14));
        Click(sq.first, sq.second);
        return true;
      }
      case PhasePlaceGuns: {
        static constexpr std::array<std::pair<int, int>, 5> kGuns = {{{3, 9}, {7, 9}, {4, 7}, {6, 7}, {9, 6}}};
        const auto& sq = kGuns.at(static_cast<size_t>(b_.NextGunToPlace - 7));
        Click(sq.first, sq.second);
        return true;
      }
      case PhasePlaceMines:
        Click(5, b_.NextMineToPlace == 12 ? 6 : 8);
        return true;
      case PhasePlaceTanks:
        Click(b_.NextTankToPlace + 2, 10);
        return true;
      case PhaseSelectTank:
        return Select();
      case PhaseMoveTank:
        Move();
        return true;
      case PhaseSelectTargets:
        return Target();
      default:
        return false;
    }
  }

 private:
  void OnTurnOpened() override { stuck_.clear(); }

  int DistanceToEnemy(int x, int y) const {
    int best = 99;
    for (int t = 1; t <= 6; ++t)
      if (b_.UnitPos[2][t][1] > 0)
        best = std::min(best, std::abs(b_.UnitPos[2][t][1] - x) + std::abs(b_.UnitPos[2][t][2] - y));
    return best;
  }

  bool Select() {
    for (int pass = 0; pass < 2; ++pass) {
      for (int t = 1; t <= 6; ++t) {
        if (b_.UnitPos[1][t][1] <= 0 || b_.TankMovesLeft[1][t] <= 0 || stuck_.count(t)) continue;
        Click(b_.UnitPos[1][t][1], b_.UnitPos[1][t][2]);
        if (b_.GamePhase == PhaseMoveTank) return true;
        stuck_.insert(t);  // standing on a building it entered this turn
      }
      stuck_.clear();  // squares may have opened since
    }
    return false;
  }

  void Move() {
    const int t = b_.SelectedTank;
    const int x = b_.UnitPos[1][t][1];
    const int y = b_.UnitPos[1][t][2];
    struct Choice {
      int key, dist, order;
    };
    std::array<Choice, 4> keys = {{{vbKeyUp, DistanceToEnemy(x, y - 1), 0},
                                   {vbKeyLeft, DistanceToEnemy(x - 1, y), 1},
                                   {vbKeyRight, DistanceToEnemy(x + 1, y), 2},
                                   {vbKeyDown, DistanceToEnemy(x, y + 1), 3}}};
    std::sort(keys.begin(), keys.end(),
              [](const Choice& a, const Choice& c) { return a.dist != c.dist ? a.dist < c.dist : a.order < c.order; });
    for (const Choice& c : keys) {
      const int before = b_.TankMovesLeft[1][t];
      Key(c.key);
      if (b_.GamePhase != PhaseMoveTank || b_.TankMovesLeft[1][t] != before) return;
    }
    stuck_.insert(t);
    Key(vbKeyEscape);
  }

  bool Free(int x, int y) const {
    if (x < 1 || x > 10 || y < 1 || y > 10) return false;
    for (int k = 1; k <= 5; ++k)
      if (b_.FireTarget[1][k][1] == x && b_.FireTarget[1][k][2] == y) return false;
    for (int m = 12; m <= 13; ++m)
      if (b_.UnitPos[1][m][1] == x && b_.UnitPos[1][m][2] == y) return false;
    return b_.UnitAt(static_cast<int16_t>(x), static_cast<int16_t>(y)).empty();
  }

  bool Target() {
    static constexpr std::array<std::pair<int, int>, 6> kAhead = {{{0, 1}, {0, 2}, {-1, 1}, {1, 1}, {0, 3}, {-1, 0}}};
    for (const auto& d : kAhead)
      for (int t = 1; t <= 6; ++t) {
        const int x = b_.UnitPos[2][t][1] + d.first;
        const int y = b_.UnitPos[2][t][2] + d.second;
        if (b_.UnitPos[2][t][1] > 0 && Free(x, y)) {
          Click(x, y);
          return true;
        }
      }
    for (int y = 1; y <= 10; ++y)
      for (int x = 1; x <= 10; ++x)
        if (Free(x, y)) {
          Click(x, y);
          return true;
        }
    return false;
  }

  std::set<int> stuck_;
};

// Clicks anywhere and presses keys at random, now and then a stray key or Esc.
class RandomPlayer : public PlayerBase {
 public:
  RandomPlayer(Board& board, uint32_t seed) : PlayerBase(board), rng_(seed) {}

 protected:
  bool Input() override {
    switch (b_.GamePhase) {
      case PhasePlaceBuildings:
      case PhasePlaceGuns:
      case PhasePlaceMines:
      case PhasePlaceTanks:
      case PhaseSelectTargets:
        ClickAnywhere();
        return true;
      case PhaseSelectTank:
        // Mostly on one of its own tanks, so turns do not drag on for ever.
        if (Pick(2) == 0) {
          const int t = Pick(6) + 1;
          Click(b_.UnitPos[1][t][1], b_.UnitPos[1][t][2]);
        } else {
          ClickAnywhere();
        }
        return true;
      case PhaseMoveTank: {
        const int r = Pick(100);
        static constexpr std::array<int, 4> kArrows = {vbKeyLeft, vbKeyUp, vbKeyRight, vbKeyDown};
        static constexpr std::array<int, 4> kStray = {28, 36, 65, 81};
        if (r < 3)
          Key(vbKeyEscape);
        else if (r < 5)
          Key(kStray.at(static_cast<size_t>(Pick(4))));
        else
          Key(kArrows.at(static_cast<size_t>(Pick(4))));
        return true;
      }
      default:
        return false;
    }
  }

 private:
  int Pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); }
  void ClickAnywhere() {
    // The whole surface, the strip that maps to column and row 11 included.
    std::uniform_real_distribution<float> twips(0.0f, 9059.0f);
    const float x = twips(rng_);
    ClickAt(x, twips(rng_));
  }

  std::mt19937 rng_;
};
