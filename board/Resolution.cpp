#include <array>
#include <string>

#include "board/Board.h"

namespace {
int SideIndex(const std::string& side) { return side == "2" ? 2 : 1; }
std::string OtherSide(const std::string& side) { return side == "1" ? "2" : "1"; }
bool OnBoard(int16_t x, int16_t y) { return x >= 1 && x <= 10 && y >= 1 && y <= 10; }

// "Destroyed" when the local player scores, "DirectHit" when the local player loses a unit.
int LossCue(const std::string& side) { return side == "2" ? 32 : 3; }

struct Neighbour {
  int16_t dx, dy;
  int16_t sndWhenSide2Moved, sndWhenSide1Moved;
};
// Below, right, left, above; each cue names the direction as the moving tank sees it
// (side 1 faces the top of the board, side 2 the bottom).
constexpr std::array<Neighbour, 4> kNeighbours = {{
    {0, 1, 10, 11},
    {1, 0, 13, 12},
    {-1, 0, 12, 13},
    {0, -1, 11, 10},
}};
}  // namespace

void Board::ResolveArtillery(const std::string& side) {
  const std::string opp = OtherSide(side);
  const int f = SideIndex(side);
  for (int16_t i = 1; i <= 6; ++i) {
    int16_t x = 0, y = 0;
    GetUnitPos(opp, i, x, y);
    // A recorded square off the board (gone, or a bad peer record) can never be a target.
    if (!OnBoard(x, y)) continue;
    int16_t n = FireMissions[f];
    if (n > 5) n = 5;  // the table holds five missions, whatever a peer reported
    for (int16_t j = 1; j <= n; ++j) {
      if (FireTarget[f][j][1] != x || FireTarget[f][j][2] != y) continue;
      Panel(1, "Tank Destroyed by Artillery");
      ShowBlast(j, 0, 0);
      ShowUnit(opp, i, x, y);
      PlaySnd(LossCue(opp));
      ShowBlast(j, x, y);
      ShowUnit(opp, i, 0, 0);
      PlaySnd(26);
    }
  }
}

void Board::ResolveTankContacts(const std::string& side) {
  const std::string opp = OtherSide(side);
  for (int16_t i = 1; i <= 6; ++i) {
    CheckCaptures(side, opp, i);
    bool hit = false;
    CheckMines(side, opp, i, hit);
    if (hit) continue;
    for (const Neighbour& nb : kNeighbours) {
      int16_t snd = side == "1" ? nb.sndWhenSide2Moved : nb.sndWhenSide1Moved;
      bool goOn = true;
      ResolveBattle(side, opp, i, nb.dx, nb.dy, snd, goOn);
      if (!goOn) break;
    }
  }
  // With few tanks left a side may pour all its moves into one tank.
  for (int16_t s = 1; s <= 2; ++s)
    if (CountTanks(s) < 3) TankMoves[s] = TotalMoves[s];
}

void Board::CheckCaptures(const std::string& side, const std::string& opp, int16_t tank) {
  const int f = SideIndex(side);
  int16_t x = 0, y = 0;
  GetUnitPos(opp, tank, x, y);
  if (!OnBoard(x, y)) return;
  for (int16_t k = 14; k <= 16; ++k) {
    if (UnitPos[f][k][1] != x || UnitPos[f][k][2] != y) continue;
    ShowUnit(side, k, 0, 0);
    if (k == 14) {
      // The HQ controls the minefields: they go with it.
      ShowUnit(side, 12, 0, 0);
      ShowUnit(side, 13, 0, 0);
    } else if (k == 15) {
      FireMissions[f] = CountGuns(static_cast<int16_t>(f));
    } else {
      TotalMoves[f] = 4;
    }
  }
}

void Board::CheckMines(const std::string& side, const std::string& opp, int16_t tank, bool& hit) {
  hit = false;
  const int f = SideIndex(side);
  int16_t x = 0, y = 0;
  GetUnitPos(opp, tank, x, y);
  if (!OnBoard(x, y)) return;
  // Both mines are tested against the same square, so two mines there both go off.
  for (int16_t k = 12; k <= 13; ++k) {
    if (UnitPos[f][k][1] != x || UnitPos[f][k][2] != y) continue;
    ShowUnit(opp, tank, 0, 0);
    ShowUnit(side, k, 0, 0);
    hit = true;
    Panel(1, "Tank Destroyed by Mine");
    ShowBlast(static_cast<int16_t>(k - 6), x, y);
    PlaySnd(28);
  }
}

void Board::ResolveBattle(const std::string& side, const std::string& opp, int16_t tank, int16_t dx, int16_t dy,
                          int16_t snd, bool& goOn) {
  goOn = true;
  int16_t x = 0, y = 0;
  GetUnitPos(opp, tank, x, y);
  if (!OnBoard(x, y)) {
    goOn = false;
    return;
  }
  const int16_t nx = static_cast<int16_t>(x + dx);
  const int16_t ny = static_cast<int16_t>(y + dy);
  if (!OnBoard(nx, ny)) return;
  const Occupant there = UnitOn(nx, ny);
  if (there.side == 0 || there.side != SideFromText(side)) return;

  PlaySnd(9);
  PlaySnd(snd);
  const int16_t d = there.unit;

  if (d >= 1 && d <= 6) {
    // Appended piece by piece: GCC 12 at -O3 takes `" " + std::to_string(n)`
    // for an overlapping copy (a false -Wrestrict).
    std::string text = "Tank ";
    if (GameMode == ModeSolo) text.append(std::to_string(tank)).append(" ");
    text.append("VS Tank ").append(std::to_string(d));
    Panel(1, text);
    if (tank > d) {
      ShowBlast(9, nx, ny);
      PlaySnd(26);
      ShowUnit(side, d, 0, 0);
      PlaySnd(LossCue(side));
    } else if (tank == d) {
      ShowBlast(9, nx, ny);
      ShowBlast(8, x, y);
      PlaySnd(26);
      ShowUnit(side, d, 0, 0);
      PlaySnd(32);
      ShowUnit(opp, tank, 0, 0);
      PlaySnd(3);
      goOn = false;
    } else {
      ShowBlast(8, x, y);
      PlaySnd(26);
      ShowUnit(opp, tank, 0, 0);
      PlaySnd(LossCue(opp));
      goOn = false;
    }
    if (DebugMode) view_.MsgBox(text, vbOKOnly + vbExclamation, kAppTitle);
  } else if (d >= 7 && d <= 11) {
    const int16_t blast = static_cast<int16_t>(d + 1);
    // The loser's square flashes, its cues play, it goes, and the blast stays.
    auto fight = [&](const char* text, int16_t bx, int16_t by, int16_t cue, const std::string& loser, int16_t unit) {
      Panel(1, text);
      ShowBlast(blast, bx, by);
      PlaySnd(cue);
      ShowBlast(blast, 0, 0);
      PlaySnd(LossCue(loser));
      ShowUnit(loser, unit, 0, 0);
      ShowBlast(blast, bx, by);
    };
    if (Chance(static_cast<int16_t>(25 - tank))) {
      fight("Tank destroyed by AT Gun", x, y, 27, opp, tank);
      goOn = false;
      if (DebugMode) view_.MsgBox("Tank destroyed by AT Gun", vbOKOnly + vbExclamation, kAppTitle);
    } else {
      fight("AT Gun destroyed by Tank", nx, ny, 26, side, d);
      if (DebugMode) view_.MsgBox("AT Gun destroyed by Tank", vbOKOnly + vbExclamation, "Tank/Gun Battle");
    }
  }
  // A building next to the tank is only sighted, never fought.
}
