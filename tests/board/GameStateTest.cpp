#include <gtest/gtest.h>

#include "fakes/Fakes.h"

namespace {

void ExpectFreshTables(const Board& b) {
  for (int s = 1; s <= 2; ++s) {
    for (int u = 1; u <= 16; ++u) {
      EXPECT_EQ(b.UnitPos[s][u][1], 0) << s << "," << u;
      EXPECT_EQ(b.UnitPos[s][u][2], 0) << s << "," << u;
    }
    EXPECT_EQ(b.TotalMoves[s], 6);
    EXPECT_EQ(b.TankMoves[s], 3);
    EXPECT_EQ(b.FireMissions[s], 5);
    EXPECT_EQ(b.FireMissionsLeft[s], 5);
    for (int t = 1; t <= 6; ++t) {
      EXPECT_EQ(b.TankMovesLeft[s][t], 3);
      EXPECT_FALSE(b.ReachedFarRow[s][t]);
    }
    for (int k = 1; k <= 5; ++k) {
      EXPECT_EQ(b.FireTarget[s][k][1], 0);
      EXPECT_EQ(b.FireTarget[s][k][2], 0);
    }
  }
  EXPECT_TRUE(b.FirstMovePending);
  EXPECT_TRUE(b.FirstFirePending);
  EXPECT_EQ(b.NextTankToPlace, 0);
  EXPECT_EQ(b.NextBuildingToPlace, 0);
  EXPECT_EQ(b.NextGunToPlace, 0);
  EXPECT_EQ(b.NextMineToPlace, 0);
  EXPECT_EQ(b.GamePhase, PhaseIdle);
  EXPECT_EQ(b.GameMode, ModeNone);
  EXPECT_EQ(b.ReadyState, "");
  EXPECT_FALSE(b.TimingEnabled);
}

// Puts a game into a used-up state: units on the board, lost allowances, blasts up.
void Scramble(Rig& rig) {
  Board& b = rig.board;
  b.GameMode = ModeSolo;
  b.GamePhase = PhaseSelectTargets;
  rig.Place("1", 1, 4, 10);
  rig.Place("1", 14, 2, 8);
  rig.Place("2", 3, 5, 1);
  rig.Place("2", 12, 6, 4);
  b.ShowBlast(13, 3, 3);
  b.ShowBlast(2, 4, 4);
  b.TotalMoves[1] = 4;
  b.FireMissions[2] = 2;
  b.TankMoves[1] = 6;
  b.TankMovesLeft[1][2] = 0;
  b.FireTarget[1][3][1] = 7;
  b.ReachedFarRow[2][4] = true;
  b.FirstMovePending = false;
  b.FirstFirePending = false;
  b.NextGunToPlace = 9;
  b.SetTiming(true);
  rig.view.SetOptEnabled(1, false);
  rig.view.SetPanelText(2, "Total Moves Left:3");
}

}  // namespace

TEST(StartUp, LeavesAnIdleGameWithEveryPictureHidden) {
  Rig rig;
  const Board& b = rig.board;
  ExpectFreshTables(b);
  EXPECT_EQ(b.gDirPlay, nullptr);
  EXPECT_FALSE(b.DebugMode);
  EXPECT_TRUE(rig.view.opt[0]);
  EXPECT_FALSE(rig.view.opt[1]);
  EXPECT_TRUE(rig.view.optEnabled[1]);
  EXPECT_EQ(rig.view.VisibleCount(), 0);
  EXPECT_EQ(rig.view.panels[2], "");
  EXPECT_FALSE(rig.view.splashVisible);
}

TEST(StartUp, RunsItsStepsInOrderWithTheSplashUpFirst) {
  EventLog log;
  FakeView view(log);
  FakeSound sound(log);
  ScriptedRandom rnd;
  rnd.Push({0.5f});  // the "Incoming" draw: floor(0.5 * 6) + 1 = 4
  Board b(view, sound, rnd, "/nowhere");
  b.DebugMode = true;
  b.Form_Load();

  std::vector<std::string> steps;
  for (const auto& e : log.events)
    if (e.rfind("snd:", 0) == 0 || e.rfind("splash:", 0) == 0 || e == "timer:off") steps.push_back(e);
  EXPECT_EQ(steps, (std::vector<std::string>{"splash:show", "snd:TankFires", "timer:off", "snd:Incoming4",
                                             "snd:Artillery", "splash:unload"}));
  EXPECT_FALSE(b.DebugMode);
  EXPECT_EQ(sound.paths.front(), "/nowhere/sounds/TankFires.wav");
}

TEST(StartUp, BuildsTheRunTimePicturesFromTheirTemplates) {
  Rig rig;
  const Board& b = rig.board;
  const auto& imag = rig.view.imag;
  for (int u = 1; u <= 6; ++u) {
    EXPECT_EQ(imag[static_cast<size_t>(14 + u)].templ, u) << "side 1 tank " << u << " wears its own badge";
    EXPECT_EQ(imag[static_cast<size_t>(30 + u)].templ, 12) << "side 2 tanks all look alike";
  }
  for (int i = 21; i <= 25; ++i) EXPECT_EQ(imag[static_cast<size_t>(i)].templ, 7);
  for (int i = 37; i <= 41; ++i) EXPECT_EQ(imag[static_cast<size_t>(i)].templ, 13);
  for (int i : {26, 27, 42, 43}) EXPECT_EQ(imag[static_cast<size_t>(i)].templ, 8);
  EXPECT_EQ(imag[28].templ, 9);
  EXPECT_EQ(imag[29].templ, 10);
  EXPECT_EQ(imag[30].templ, 11);
  EXPECT_EQ(imag[44].templ, 9);
  EXPECT_EQ(imag[45].templ, 10);
  EXPECT_EQ(imag[46].templ, 11);
  for (int i = 47; i <= 59; ++i) EXPECT_EQ(imag[static_cast<size_t>(i)].templ, 14);
  for (int i = 15; i <= 59; ++i) EXPECT_TRUE(imag[static_cast<size_t>(i)].loaded) << i;

  EXPECT_EQ(b.UnitSprite[1][1], 15);
  EXPECT_EQ(b.UnitSprite[1][16], 30);
  EXPECT_EQ(b.UnitSprite[2][1], 31);
  EXPECT_EQ(b.UnitSprite[2][16], 46);
  EXPECT_EQ(b.BlastSprite[1], 47);
  EXPECT_EQ(b.BlastSprite[13], 59);
  EXPECT_EQ(b.UnitSprite[0][0], 0);
  EXPECT_EQ(b.BlastSprite[0], 0);
}

TEST(ResetGame, ClearsAUsedGameAndIsTheSameTwice) {
  Rig rig;
  Scramble(rig);
  rig.board.SelectedTank = 4;
  rig.view.SetOptChecked(0, false);
  rig.view.SetOptChecked(1, true);
  rig.view.SetPanelText(1, "Tank Destroyed by Mine");
  rig.view.SetPanelText(3, "Tank 2 Moves left: 1");

  rig.board.ResetGame();
  ExpectFreshTables(rig.board);
  EXPECT_EQ(rig.view.VisibleCount(), 0);
  EXPECT_TRUE(rig.view.optEnabled[1]);
  EXPECT_EQ(rig.view.panels[2], "");

  // What a reset leaves alone.
  EXPECT_EQ(rig.board.SelectedTank, 4);
  EXPECT_FALSE(rig.view.opt[0]);
  EXPECT_TRUE(rig.view.opt[1]);
  EXPECT_EQ(rig.view.panels[1], "Tank Destroyed by Mine");
  EXPECT_EQ(rig.view.panels[3], "Tank 2 Moves left: 1");

  rig.board.ResetGame();
  ExpectFreshTables(rig.board);
  EXPECT_EQ(rig.board.SelectedTank, 4);
  EXPECT_EQ(rig.view.VisibleCount(), 0);
  EXPECT_TRUE(rig.log.sounds().empty());
}

TEST(ResetGame, ReleasesTheSessionOnlyInANetworkGame) {
  for (int32_t mode : {ModeNone, ModeSolo, ModeHost, ModeClient}) {
    Rig rig;
    auto session = std::make_shared<FakeSession>(rig.log);
    std::weak_ptr<FakeSession> watch = session;
    rig.board.gDirPlay = session;
    session.reset();
    rig.board.GameMode = mode;
    rig.board.ResetGame();
    bool network = mode == ModeHost || mode == ModeClient;
    EXPECT_EQ(watch.expired(), network) << "mode " << mode;
    EXPECT_EQ(rig.board.GameMode, ModeNone);
    // Nothing is said to the peer on the way out.
    EXPECT_TRUE(rig.log.only("send:").empty());
  }
}

TEST(ResetGame, GoesOnPastAFailingStep) {
  // A view whose timer switch throws: the rest of the reset must still happen.
  struct BrokenTimerView : FakeView {
    using FakeView::FakeView;
    void SetTimingEnabled(bool) override { throw std::runtime_error("timer gone"); }
  };
  EventLog log;
  BrokenTimerView view(log);
  FakeSound sound(log);
  ScriptedRandom rnd;
  Board b(view, sound, rnd, "/nowhere");
  b.Form_Load();
  b.TotalMoves[1] = 4;
  b.GamePhase = PhaseMoveTank;
  b.ShowUnit("1", 3, 5, 10);
  view.SetOptEnabled(1, false);
  b.ResetGame();
  EXPECT_EQ(b.TotalMoves[1], 6);
  EXPECT_EQ(b.GamePhase, PhaseIdle);
  EXPECT_EQ(view.VisibleCount(), 0);
  EXPECT_TRUE(view.optEnabled[1]);
}

TEST(ResetTankMoves, RefillsEverySlotFromTheAllowances) {
  Rig rig;
  Board& b = rig.board;
  b.TankMoves[1] = 6;  // fewer than three tanks left
  b.FireMissions[1] = 2;
  b.TankMovesLeft[1] = {0, 0, 1, 2, 0, 0, 0};
  b.ResetTankMoves(1);
  for (int t = 1; t <= 6; ++t) EXPECT_EQ(b.TankMovesLeft[1][t], 6) << t;
  EXPECT_EQ(b.FireMissionsLeft[1], 2);
  for (int t = 1; t <= 6; ++t) EXPECT_EQ(b.TankMovesLeft[2][t], 3) << "the other side is untouched";
}

TEST(FormUnload, ResetsThenEndsWithoutTellingThePeer) {
  Rig rig;
  auto session = std::make_shared<FakeSession>(rig.log);
  rig.board.gDirPlay = session;
  rig.board.GameMode = ModeHost;
  rig.board.GamePhase = PhaseSelectTank;
  rig.Place("1", 2, 3, 10);
  int16_t cancel = 0;
  rig.board.Form_Unload(cancel);
  EXPECT_TRUE(rig.view.ended);
  EXPECT_EQ(rig.board.GamePhase, PhaseIdle);
  EXPECT_EQ(rig.board.gDirPlay, nullptr);
  EXPECT_TRUE(session->sent.empty());
  EXPECT_EQ(rig.log.events.back(), "end");
}
