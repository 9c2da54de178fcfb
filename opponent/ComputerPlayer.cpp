#include "opponent/ComputerPlayer.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {
// The four steps a tank of side 2 can take: left, right, down, and up (last,
// only once the tank has stood on row 10).
constexpr std::array<std::array<int16_t, 2>, 4> kSteps = {{{-1, 0}, {1, 0}, {0, 1}, {0, -1}}};
constexpr std::array<int16_t, 3> kAttackOrder = {16, 15, 14};  // Fuel Dump, Ammo Dump, HQ
// Refused steps after which a tank may go back to its start or previous square.
constexpr int kRefusalsBeforeBacktrack = 1000;
}  // namespace

int16_t ComputerPlayer::Draw(int n) {
  // The number is drawn even when there is nothing to choose, so the draws stay in step.
  const double r = board_.random().Rnd();
  if (n <= 0) return 0;
  const int v = static_cast<int>(std::floor(r * n));
  return static_cast<int16_t>(std::clamp(v, 0, n - 1));
}

bool ComputerPlayer::Open(const std::string& side, int x, int y) {
  bool ok = false;
  board_.CanMoveTo(side, static_cast<int16_t>(x), static_cast<int16_t>(y), false, ok);
  return ok;
}

ComputerPlayer::Square ComputerPlayer::TankSquare(int16_t tank) const {
  return {board_.UnitPos[2][tank][1], board_.UnitPos[2][tank][2]};
}

int16_t ComputerPlayer::MovesUsed() const {
  return static_cast<int16_t>(board_.TotalMoves[2] - board_.TotalMovesLeft("2"));
}

bool ComputerPlayer::OnPlayerBuilding(const Square& sq) const {
  for (int k = 14; k <= 16; ++k)
    if (board_.UnitPos[1][k][1] == sq.x && board_.UnitPos[1][k][2] == sq.y) return true;
  return false;
}

// ---- deployment

void ComputerPlayer::ComputerDeploy() {
  board_.random().Randomize();
  const int row = Draw(10);
  const int layout = Draw(6);
  for (int16_t t = 1; t <= 6; ++t) board_.ShowUnit("2", t, kTankRows[row][t - 1], 1);
  for (size_t i = 0; i < kLayoutUnits.size(); ++i) {
    const Square& sq = kBaseLayouts[layout][i];
    board_.ShowUnit("2", kLayoutUnits[i], sq.x, sq.y);
  }
}

// ---- movement

int16_t ComputerPlayer::AttackTarget(int16_t tank, const Square& cur) {
  for (int16_t k : kAttackOrder) {
    const int dx = board_.UnitPos[1][k][1] - cur.x;
    const int dy = board_.UnitPos[1][k][2] - cur.y;
    // Until it has stood on row 10 a tank only looks ahead.
    if (dy < 0 && !board_.ReachedFarRow[2][tank]) continue;
    const int dist = std::abs(dx) + std::abs(dy);
    if (dist <= 0 || dist > board_.TankMovesLeft[2][tank]) continue;
    if (!TankCanReach("2", tank, cur.x, cur.y, static_cast<int16_t>(dx), static_cast<int16_t>(dy))) continue;
    return k;
  }
  return 0;
}

// Whether some tank could still attack or step if the draws favoured it. Refused
// steps back onto a start or previous square pile up until that rule lapses, so
// such squares count as open: a tank with only those left is merely slow, not stuck.
bool ComputerPlayer::SomeTankCanStillMove() {
  for (int16_t t = 1; t <= 6; ++t) {
    const Square cur = TankSquare(t);
    if (cur.x <= 0 || board_.TankMovesLeft[2][t] <= 0) continue;
    if (AttackTarget(t, cur) != 0) return true;
    if (OnPlayerBuilding(cur)) continue;  // it takes no random step there
    const size_t steps = board_.ReachedFarRow[2][t] ? 4 : 3;
    for (size_t i = 0; i < steps; ++i)
      if (Open("2", cur.x + kSteps[i][0], cur.y + kSteps[i][1])) return true;
  }
  return false;
}

void ComputerPlayer::ComputerMoveTanks() {
  Board& b = board_;
  std::array<Square, 7> startCell{};
  std::array<Square, 7> prevCell{};
  for (int16_t t = 1; t <= 6; ++t) {
    startCell[t] = prevCell[t] = TankSquare(t);
    b.TankMovesLeft[2][t] = b.TankMoves[2];
  }
  int nonMoves = 0;
  int16_t movesUsed = 0;
  bool done = false;
  // A refused or empty pass changes nothing the checks below read, and the
  // refusal rule can drive thousands of such passes: keep their answers until
  // a tank moves (and so spends moves) or reaches row 10.
  bool boardChanged = true;
  bool someCanMove = false;
  std::array<int16_t, 7> attack{};
  std::array<std::array<int8_t, 4>, 7> open{};  // per tank and kSteps entry: -1 not yet known

  while (movesUsed < b.TotalMoves[2] && !done) {
    if (boardChanged) {
      // Hemmed-in tanks would draw for ever; this also covers an empty side.
      someCanMove = SomeTankCanStillMove();
      for (int16_t t = 1; t <= 6; ++t) {
        attack[t] = -1;
        open[t].fill(-1);
      }
      boardChanged = false;
    }
    if (!someCanMove) break;

    int16_t stepX = 0;
    int16_t stepY = 0;
    int direction = 0;

    int16_t t = 0;
    do {
      t = static_cast<int16_t>(Draw(6) + 1);
    } while (b.UnitPos[2][t][1] <= 0);

    int16_t tankUsed = static_cast<int16_t>(b.TankMoves[2] - b.TankMovesLeft[2][t]);
    Square cur = TankSquare(t);
    movesUsed = MovesUsed();

    if (tankUsed < b.TankMoves[2]) {
      if (attack[t] < 0) attack[t] = AttackTarget(t, cur);
      const int16_t k = attack[t];
      if (k != 0) {
        const Square building{b.UnitPos[1][k][1], b.UnitPos[1][k][2]};
        tankUsed = static_cast<int16_t>(tankUsed + std::abs(building.x - cur.x) + std::abs(building.y - cur.y));
        cur = building;
      }
      // Drawn even after an attack; standing on the building cancels it below.
      direction = Draw(8) + 1;
    }

    if (OnPlayerBuilding(cur)) {
      if (b.CountTanks(2) == 1) done = true;
      direction = 0;
    }

    switch (direction) {
      case 0:
        break;
      case 1:
        stepX = -1;
        break;
      case 2:
        if (b.ReachedFarRow[2][t]) stepY = -1;
        break;
      case 3:
        stepX = 1;
        break;
      default:
        stepY = 1;
        break;
    }

    if (stepX != 0 || stepY != 0) {
      const Square target{static_cast<int16_t>(cur.x + stepX), static_cast<int16_t>(cur.y + stepY)};
      const bool backtrack = nonMoves < kRefusalsBeforeBacktrack && (target == startCell[t] || target == prevCell[t]);
      // A step is always taken from the tank's own square: after an attack it takes none.
      int8_t& known = open[t][stepX < 0 ? 0 : stepX > 0 ? 1 : stepY > 0 ? 2 : 3];
      if (known < 0) known = Open("2", target.x, target.y) ? 1 : 0;
      if (known == 0 || backtrack) {
        ++nonMoves;
        b.Panel(3, "Non Moves: " + std::to_string(nonMoves));
      } else {
        ++tankUsed;
        prevCell[t] = cur;
        cur = target;
      }
    }

    if (cur != TankSquare(t)) {
      b.ShowUnit("2", t, cur.x, cur.y);
      b.PlaySnd(1);
      boardChanged = true;
    }
    if (cur.y == 10 && !b.ReachedFarRow[2][t]) {
      b.ReachedFarRow[2][t] = true;
      boardChanged = true;
    }

    b.TankMovesLeft[2][t] = static_cast<int16_t>(b.TankMoves[2] - tankUsed);
    movesUsed = MovesUsed();

    const int16_t n = b.CountTanks(2);
    const bool stop = b.Chance(5);
    if (stop && n == 1 && movesUsed > 0) done = true;
  }
  b.Panel(3, "");
}

// ---- artillery planning

int ComputerPlayer::TargetWeight(int16_t tank) const {
  int16_t x = 0;
  int16_t y = 0;
  board_.GetUnitPos("1", tank, x, y);
  if (y >= 1 && y <= 6) return 3;
  if (y == 7 || y == 8) return 2;
  if (y == 9 || y == 10) return 1;
  return 0;
}

int16_t ComputerPlayer::PickTargetTank() {
  std::array<int, 7> weight{};
  int total = 0;
  for (int16_t t = 1; t <= 6; ++t) total += weight[t] = TargetWeight(t);
  const int n = Draw(total) + 1;
  int sum = 0;
  for (int16_t t = 1; t <= 6; ++t) {
    sum += weight[t];
    if (sum >= n) return t;
  }
  return 0;
}

bool ComputerPlayer::TankCanReach(const std::string& side, int16_t /*tank*/, int16_t x0, int16_t y0, int16_t dx,
                                  int16_t dy) {
  if (dx == 0 && dy == 0) return false;
  const int sx = dx >= 0 ? 1 : -1;
  const int sy = dy >= 0 ? 1 : -1;
  const int x1 = x0 + dx;
  const int y1 = y0 + dy;
  auto columnOpen = [&](int x, int fromY) {
    for (int y = fromY; y != y1 + sy; y += sy)
      if (!Open(side, x, y)) return false;
    return true;
  };
  auto rowOpen = [&](int y, int fromX) {
    for (int x = fromX; x != x1 + sx; x += sx)
      if (!Open(side, x, y)) return false;
    return true;
  };

  // Column first.
  if (dy != 0 && columnOpen(x0, y0 + sy)) {
    if (dx == 0) return true;
    return rowOpen(y1, x0 + sx);
  }
  // Row first.
  if (dx == 0) return false;
  if (rowOpen(y0, x0 + sx)) return dy == 0 || columnOpen(x1, y0 + sy);
  // Staircase, for a move that is not a single diagonal step.
  if (dy == 0 || (std::abs(dx) <= 1 && std::abs(dy) <= 1)) return false;
  const bool columnStepFirst = std::abs(dx) > std::abs(dy);
  int x = x0;
  int y = y0;
  auto stepX = [&] {
    if (x == x1) return true;
    x += sx;
    return Open(side, x, y);
  };
  auto stepY = [&] {
    if (y == y1) return true;
    y += sy;
    return Open(side, x, y);
  };
  while (x != x1 || y != y1) {
    if (columnStepFirst ? !(stepX() && stepY()) : !(stepY() && stepX())) return false;
  }
  return true;
}

namespace {
// Displacements up to this far each way are remembered; longer ones lead off
// the board and are simply tested.
constexpr int kSpan = 9;
constexpr int kWidth = 2 * kSpan + 1;
// The outcomes of Draw(n): 0 to n - 1, or just 0 when n is not positive.
int Outcomes(int n) { return n > 0 ? n : 1; }
}  // namespace

void ComputerPlayer::ComputerPlanFireMissions() {
  Board& b = board_;
  for (int k = 1; k <= 5; ++k) b.FireTarget[2][k] = {};
  const int missions = std::clamp<int>(b.FireMissions[2], 0, 5);
  const int16_t m = b.TankMoves[1];

  // The player's tanks stand still during the call, so whether tank t can get
  // somewhere is worked out once (-1 not yet known, 0 no, 1 yes).
  std::array<int8_t, 7 * kWidth * kWidth> reach;
  reach.fill(-1);
  auto lands = [&](int16_t t, int16_t x0, int16_t y0, int dx, int dy) {
    const auto x = static_cast<int16_t>(x0 + dx);
    const auto y = static_cast<int16_t>(y0 + dy);
    auto test = [&] { return TankCanReach("1", t, x0, y0, static_cast<int16_t>(dx), static_cast<int16_t>(dy)); };
    bool ok = false;
    if (std::abs(dx) <= kSpan && std::abs(dy) <= kSpan) {
      int8_t& known = reach[static_cast<size_t>((t * kWidth + dx + kSpan) * kWidth + dy + kSpan)];
      if (known < 0) known = test() ? 1 : 0;
      ok = known == 1;
    } else {
      ok = test();
    }
    return ok && b.IsValidFireTarget("2", x, y);
  };

  // Every prediction the draws below can make, tried without a draw: a
  // mission none of them lands for would otherwise spend all its attempts.
  auto someAttemptCanLand = [&] {
    int total = 0;
    for (int16_t t = 1; t <= 6; ++t) total += TargetWeight(t);
    for (int16_t t = 0; t <= 6; ++t) {
      if (total > 0 ? t == 0 || TargetWeight(t) == 0 : t != 0) continue;
      int16_t x0 = 0;
      int16_t y0 = 0;
      b.GetUnitPos("1", t, x0, y0);
      const bool back = b.ReachedFarRow[1][t];
      for (int v = 0; v < Outcomes(m); ++v) {
        const int s = std::min(v + 2, static_cast<int>(m));
        if (lands(t, x0, y0, 0, -s) || (back && lands(t, x0, y0, 0, s))) return true;
      }
      for (int a = 1; a <= Outcomes(m); ++a)
        for (int bb = 0; bb < Outcomes(m + 1 - a); ++bb)
          if (lands(t, x0, y0, -a, -bb) || lands(t, x0, y0, a, -bb) ||
              (back && (lands(t, x0, y0, a, bb) || lands(t, x0, y0, -a, bb))))
            return true;
    }
    return false;
  };

  for (int k = 1; k <= missions; ++k) {
    // Each placed mission only takes squares away, so once one can find
    // nothing the rest could not either: leave them unset.
    if (!someAttemptCanLand()) break;
    bool placed = false;
    for (int attempt = 0; attempt < kMaxAttemptsPerMission && !placed; ++attempt) {
      b.random().Randomize();
      const int16_t t = PickTargetTank();
      int16_t x0 = 0;
      int16_t y0 = 0;
      b.GetUnitPos("1", t, x0, y0);
      // A tank that has not reached row 1 is never expected to go back.
      const int d = b.ReachedFarRow[1][t] ? Draw(7) + 1 : Draw(4) + 1;
      const int a = Draw(m) + 1;
      const int bb = Draw(m + 1 - a);
      int s = 0;
      if (d == 1 || d == 2 || d == 7) s = std::min(Draw(m) + 2, static_cast<int>(m));

      int dx = 0;
      int dy = 0;
      switch (d) {
        case 1:
        case 2:
          dy = -s;
          break;
        case 3:
          dx = -a;
          dy = -bb;
          break;
        case 4:
          dx = a;
          dy = -bb;
          break;
        case 5:
          dx = a;
          dy = bb;
          break;
        case 6:
          dx = -a;
          dy = bb;
          break;
        default:
          dy = s;
          break;
      }
      if (lands(t, x0, y0, dx, dy)) {
        b.FireTarget[2][k][1] = static_cast<int16_t>(x0 + dx);
        b.FireTarget[2][k][2] = static_cast<int16_t>(y0 + dy);
        placed = true;
      }
    }
    if (!placed) break;
  }
}
