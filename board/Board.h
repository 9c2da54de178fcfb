// The board window's game: its tables, deployment, movement, the turn
// sequencer, resolution and menus. The Qt window forwards its events here.
#pragma once

#include <array>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "board/Globals.h"

// Windows virtual-key codes the movement keys arrive as.
enum KeyCode : int16_t { vbKeyEscape = 27, vbKeyLeft = 37, vbKeyUp = 38, vbKeyRight = 39, vbKeyDown = 40 };

// Board geometry in twips.
inline constexpr int kSquareTwips = 899;
inline constexpr int kSquareOffsetTwips = 20;
inline constexpr int kTwipsPerPixel = 15;

template <typename T, size_t A>
using Table1 = std::array<T, A>;
template <typename T, size_t A, size_t B>
using Table2 = std::array<std::array<T, B>, A>;
template <typename T, size_t A, size_t B, size_t C>
using Table3 = std::array<std::array<std::array<T, C>, B>, A>;

class Board : public Globals {
 public:
  Board(BoardView& view, SoundPort& sound, RandomSource& random, std::string appPath);

  void SetOpponent(OpponentPort* opponent) { opponent_ = opponent; }

  // ---- game tables (index 0 of every dimension unused)
  Table3<int16_t, 3, 17, 3> UnitPos{};
  Table2<int, 3, 17> UnitSprite{};  // Imag index of each unit's picture
  Table1<int, 14> BlastSprite{};    // Imag index of each blast
  Table1<int16_t, 3> TotalMoves{};
  Table1<int16_t, 3> TankMoves{};
  Table2<int16_t, 3, 7> TankMovesLeft{};
  Table1<int16_t, 3> FireMissions{};
  Table1<int16_t, 3> FireMissionsLeft{};
  Table3<int16_t, 3, 6, 3> FireTarget{};
  Table2<bool, 3, 7> ReachedFarRow{};
  int16_t SelectedTank = 0;
  bool FirstMovePending = false;
  bool FirstFirePending = false;
  int16_t NextTankToPlace = 0;
  int16_t NextBuildingToPlace = 0;
  int16_t NextGunToPlace = 0;
  int16_t NextMineToPlace = 0;

  // Mirror of the sequencer timer's Enabled property.
  bool TimingEnabled = false;
  void SetTiming(bool on);

  // The phase (9 or 12) whose opening tick has run last; clicks in phase 9 or 12
  // act only once that phase has been opened, never on the tick's stale state.
  int32_t OpenedTurnPhase = 0;

  // Bumped by every ResetGame, so a wait can tell that its game is gone.
  uint64_t GameGeneration = 0;

  // ---- window events
  void Form_Load();
  void Form_Unload(int16_t& cancel);
  void touchpad_MouseUp(int16_t button, int16_t shift, float x, float y);
  void Form_KeyDown(int16_t keyCode, int16_t shift);
  void Timing_Timer();
  void mnuGame_Click(int16_t index);
  void mnuOpt_Click(int16_t index);

  // ---- start-up and state
  void ResetGame();
  void ResetTankMoves(int16_t side);

  // ---- display
  void ShowUnit(std::string_view side, int16_t unit, int16_t x, int16_t y);
  void GetUnitPos(std::string_view side, int16_t unit, int16_t& x, int16_t& y) const {
    const auto& at = UnitPos[static_cast<size_t>(SideFromText(side))][static_cast<size_t>(unit)];
    x = at[1];
    y = at[2];
  }
  void ShowAllUnits();
  void ShowSideTanks(const std::string& side);
  void ShowBlast(int16_t i, int16_t x, int16_t y);
  void HideAllBlasts();
  void ShowIncomingFire(const std::string& side);

  // ---- deployment
  void PlaceBuildings(int16_t x, int16_t y);
  void PlaceGuns(int16_t x, int16_t y);
  void PlaceMines(int16_t x, int16_t y);
  void PlaceTanks(int16_t x, int16_t y);
  std::string UnitAt(int16_t x, int16_t y) const;
  // What UnitAt names, as numbers, without building a text: the side (0 when the
  // square holds no unit other than a mine) and the unit.
  struct Occupant {
    int16_t side = 0;
    int16_t unit = 0;
  };
  Occupant UnitOn(int16_t x, int16_t y) const {
    // UnitAt's last match: side 2 over side 1, the higher unit number within a side.
    if (int16_t u = SideUnitOn(2, x, y)) return {2, u};
    if (int16_t u = SideUnitOn(1, x, y)) return {1, u};
    return {};
  }
  // The highest-numbered unit of side s (1 or 2) other than a mine on the square,
  // also one hidden under the other side's unit; 0 when there is none.
  int16_t SideUnitOn(int s, int16_t x, int16_t y) const {
    // Units off the board are recorded at (0, 0); they stand on no square.
    if (s < 1 || s > 2 || (x == 0 && y == 0)) return 0;
    // This runs thousands of times a game. A unit's x and y lie side by side, so
    // one 32-bit compare a unit tests both, and the loop unrolls into a chain of
    // compares whose branches are taken only on a match.
    const int16_t square[2] = {x, y};
    uint32_t key = 0;
    std::memcpy(&key, square, sizeof key);
    const auto& units = UnitPos[static_cast<size_t>(s)];
#pragma GCC unroll 16
    for (int16_t u = 16; u >= 1; --u) {
      if (u == 12 || u == 13) continue;  // mines never occupy a square
      uint32_t at = 0;
      std::memcpy(&at, &units[static_cast<size_t>(u)][1], sizeof at);
      if (at == key) return u;
    }
    return 0;
  }
  static std::string BuildingName(const int16_t& n);

  // ---- movement
  void MoveTank(const std::string& side, int key);
  int16_t TotalMovesLeft(std::string_view side) const {
    const size_t s = static_cast<size_t>(SideFromText(side));
    int16_t used = 0;
    for (size_t t = 1; t <= 6; ++t) used = static_cast<int16_t>(used + (TankMoves[s] - TankMovesLeft[s][t]));
    return static_cast<int16_t>(TotalMoves[s] - used);
  }
  void CanMoveTo(std::string_view side, int16_t x, int16_t y, const bool& playFailSound, bool& ok);
  // True when no tank of the side with moves left can step anywhere.
  bool AllTanksHemmedIn(const std::string& side);
  // While side 1's movement turn waits for a click: when no tank that can be
  // selected can step anywhere, nothing could ever end the turn, so it ends here
  // ("Silence", then the usual end of the turn). True when it ended the turn.
  bool EndTurnIfNoTankCanMove();
  // The end of side 1's movement turn: prompt, counters cleared, "HullDown", phase 11, timer on.
  void EndMovementTurn();

  // ---- selection and fire targets
  void SelectableTankAt(int16_t x, int16_t y, int16_t& tank) const;
  bool IsValidFireTarget(std::string_view side, int16_t x, int16_t y);
  void SelectTankClick(int16_t x, int16_t y);  // phase 9 click
  void FireTargetClick(int16_t x, int16_t y);  // phase 12 click

  // ---- resolution
  void ResolveArtillery(const std::string& side);
  void ResolveTankContacts(const std::string& side);
  void CheckCaptures(const std::string& side, const std::string& opp, int16_t tank);
  void CheckMines(const std::string& side, const std::string& opp, int16_t tank, bool& hit);
  void ResolveBattle(const std::string& side, const std::string& opp, int16_t tank, int16_t dx, int16_t dy, int16_t snd,
                     bool& goOn);

  // ---- game over
  void CheckGameOver(bool& over);
  void CountTanks(int16_t side, int16_t& n) const {
    n = 0;
    const auto& units = UnitPos[static_cast<size_t>(side)];
    for (size_t u = 1; u <= 6; ++u)
      if (units[u][1] > 0 && units[u][1] < 11) ++n;
  }
  void CountGuns(int16_t side, int16_t& n) const;
  int16_t CountTanks(int16_t side) const {
    int16_t n = 0;
    CountTanks(side, n);
    return n;
  }
  int16_t CountGuns(int16_t side) const {
    int16_t n = 0;
    CountGuns(side, n);
    return n;
  }

  // ---- network turn data and the in-game poll
  void SendPositions(const std::string& side);
  void SendFireMissions(const std::string& side);
  void SendStats(const std::string& side);
  void DecodePositions(const std::string& body);
  void DecodeFireMissions(const std::string& body);
  void DecodeStats(const std::string& body);
  void CheckForData(int32_t& msgType);
  void DecideWhoGoesFirst();
  void ApplyArtilleryFreeOption(const std::string& body);

  // Panel helpers. Panel writes its parts (texts, and whole numbers in decimal)
  // one after the other to status panel i, through one buffer kept for it:
  // prompts are written on every click and key.
  template <typename... Parts>
  void Panel(int i, const Parts&... parts) {
    panelText_.clear();
    (AppendText(panelText_, parts), ...);
    view_.SetPanelText(i, panelText_);
  }
  static void AppendText(std::string& to, std::string_view text) { to.append(text); }
  static void AppendText(std::string& to, int number);
  std::string PanelText(int i) const { return view_.PanelText(i); }

  // The side number of a side text: 2 for "2", 1 for anything else.
  static int SideFromText(std::string_view side) { return side.size() == 1 && side[0] == '2' ? 2 : 1; }

  static int TwipsOf(int16_t coord) { return (coord - 1) * kSquareTwips + kSquareOffsetTwips; }

 private:
  enum class WaitResult { Arrived, Ended };
  WaitResult WaitForMessage(int32_t type, uint64_t generation);
  void SequencerPhase11();
  void SequencerPhase13();
  void FinishHalfTurn(const std::string& firing, int32_t next, uint64_t gen);

  OpponentPort* opponent_ = nullptr;
  std::string panelText_;  // Panel's buffer

  friend class BoardTestAccess;
};
