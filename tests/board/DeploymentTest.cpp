#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "fakes/Fakes.h"

namespace {

const std::string kHalf = " by clicking somewhere on the 2nd, 3rd, 4th or 5th row";
const std::string kBottom = " by clicking somewhere on the bottom row";

std::string Shown(int side, int unit, int x, int y) {
  return "show:" + std::to_string(14 + unit + 16 * (side - 1)) + "@" + std::to_string((x - 1) * 899 + 20) + "," +
         std::to_string((y - 1) * 899 + 20);
}

void ClickTwips(Rig& rig, float x, float y) { rig.board.touchpad_MouseUp(2, 7, x, y); }

// Places the three buildings on the given squares (one per row) from the start of the step.
void PlaceAllBuildings(Rig& rig) {
  rig.board.PlaceBuildings(0, 0);
  rig.Click(3, 8);
  rig.Click(5, 7);
  rig.Click(1, 6);
}

void UpToMines(Rig& rig) {
  PlaceAllBuildings(rig);
  for (int x = 1; x <= 5; ++x) rig.Click(x, 9);
}

std::pair<int, int> PosOf(const Rig& rig, int side, int unit) {
  return {rig.board.UnitPos[side][unit][1], rig.board.UnitPos[side][unit][2]};
}

}  // namespace

TEST(Deployment, BuildingStepPromptsRefusalsAndHandOver) {
  Rig rig;
  rig.board.GameMode = ModeSolo;
  rig.board.PlaceBuildings(0, 0);
  EXPECT_EQ(rig.board.GamePhase, PhasePlaceBuildings);
  EXPECT_EQ(rig.board.NextBuildingToPlace, 14);

  rig.Click(3, 8);   // HQ
  rig.Click(5, 8);   // same row: silent
  rig.Click(3, 8);   // on the HQ itself: still the row rule, silent
  rig.Click(3, 10);  // tank row
  rig.Click(3, 5);   // enemy half
  rig.Click(5, 7);   // Ammo Dump
  rig.Click(5, 7);   // a row of this step again: silent, not a beep
  rig.Click(6, 9);   // Fuel Dump

  const std::string hq = "panel1:Place HQ" + kHalf;
  const std::string ammo = "panel1:Place Ammo Dump" + kHalf;
  const std::string fuel = "panel1:Place Fuel Dump" + kHalf;
  std::vector<std::string> want = {hq, hq, Shown(1, 14, 3, 8), ammo, ammo, ammo, ammo, ammo, ammo, Shown(1, 15, 5, 7),
                                   fuel, fuel, fuel, Shown(1, 16, 6, 9),
                                   // the gun step starts at once
                                   "panel1:Place Gun 1" + kHalf, "panel2:Guns left to place: 5"};
  EXPECT_EQ(rig.log.events, want);
  EXPECT_EQ(rig.board.GamePhase, PhasePlaceGuns);
  EXPECT_EQ(rig.board.NextBuildingToPlace, 14);
  EXPECT_EQ(rig.board.NextGunToPlace, 7);
  EXPECT_EQ(PosOf(rig, 1, 14), std::make_pair(3, 8));
  EXPECT_EQ(PosOf(rig, 1, 15), std::make_pair(5, 7));
  EXPECT_EQ(PosOf(rig, 1, 16), std::make_pair(6, 9));
  EXPECT_FALSE(rig.board.TimingEnabled);
}

TEST(Deployment, GunAndMineStepsCountDownAndStartTheSequencer) {
  Rig rig;
  rig.board.GameMode = ModeSolo;
  PlaceAllBuildings(rig);
  rig.Place("2", 7, 2, 7);  // any unit of either side occupies its square
  rig.log.clear();

  rig.Click(3, 8);  // on the HQ: beep
  rig.Click(2, 7);  // on an opponent's gun: beep
  rig.Click(3, 9);  // gun 1: sharing a column or row is fine
  std::vector<std::string> want = {"panel1:Place Gun 1" + kHalf,   "panel2:Guns left to place: 5", "beep",
                                   "panel1:Place Gun 1" + kHalf,   "panel2:Guns left to place: 5", "beep",
                                   "panel1:Place Gun 1" + kHalf,   "panel2:Guns left to place: 5", Shown(1, 7, 3, 9),
                                   "panel2:Guns left to place: 4", "panel1:Place Gun 2" + kHalf};
  EXPECT_EQ(rig.log.events, want);

  rig.log.clear();
  for (int x : {4, 5, 7, 8}) rig.Click(x, 9);  // the fifth gun hands over to the mines
  const std::string g = "1:Place Gun ";
  const std::string left = "2:Guns left to place: ";
  std::vector<std::string> panels = {g + "2" + kHalf,
                                     left + "4",
                                     left + "3",
                                     g + "3" + kHalf,  //
                                     g + "3" + kHalf,
                                     left + "3",
                                     left + "2",
                                     g + "4" + kHalf,  //
                                     g + "4" + kHalf,
                                     left + "2",
                                     left + "1",
                                     g + "5" + kHalf,  //
                                     g + "5" + kHalf,
                                     left + "1",
                                     left + "0",  //
                                     "1:Place Mine 1" + kHalf,
                                     "2:Mines left to place: 2"};
  EXPECT_EQ(rig.log.only("panel"), panels);
  EXPECT_EQ(rig.log.only("show:").size(), 4u);
  EXPECT_EQ(rig.board.GamePhase, PhasePlaceMines);
  EXPECT_EQ(rig.board.NextGunToPlace, 7);

  rig.log.clear();
  rig.Click(4, 6);  // mine 1
  rig.Click(3, 9);  // mine 2 on gun 1: beep
  rig.Click(4, 6);  // mine 2 on mine 1: mines do not occupy a square
  want = {"panel1:Place Mine 1" + kHalf,
          "panel2:Mines left to place: 2",
          Shown(1, 12, 4, 6),
          "panel2:Mines left to place: 1",
          "panel1:Place Mine 2" + kHalf,
          "panel1:Place Mine 2" + kHalf,
          "panel2:Mines left to place: 1",
          "beep",
          "panel1:Place Mine 2" + kHalf,
          "panel2:Mines left to place: 1",
          Shown(1, 13, 4, 6),
          "panel2:Mines left to place: 0",
          "panel2:",
          "timer:on"};
  EXPECT_EQ(rig.log.events, want);
  EXPECT_EQ(rig.board.GamePhase, PhaseMinesPlaced);
  EXPECT_TRUE(rig.board.TimingEnabled);
  EXPECT_TRUE(rig.view.timing);
  EXPECT_EQ(rig.board.NextMineToPlace, 12);
  EXPECT_EQ(PosOf(rig, 1, 12), std::make_pair(4, 6));
  EXPECT_EQ(PosOf(rig, 1, 13), std::make_pair(4, 6));
  EXPECT_EQ(rig.view.panels[1], "Place Mine 2" + kHalf);  // kept until the sequencer writes it
}

TEST(Deployment, TankStepOnTheBottomRowOnly) {
  Rig rig;
  rig.board.GameMode = ModeSolo;
  rig.board.PlaceTanks(0, 0);
  EXPECT_EQ(rig.board.GamePhase, PhasePlaceTanks);
  EXPECT_EQ(rig.log.events, std::vector<std::string>{"panel1:Place Tank 1" + kBottom});

  rig.log.clear();
  rig.Click(2, 9);   // row 9: silent
  rig.Click(2, 10);  // tank 1
  rig.Click(2, 10);  // on tank 1: beep
  std::vector<std::string> want = {"panel1:Place Tank 1" + kBottom, "panel1:Place Tank 1" + kBottom, Shown(1, 1, 2, 10),
                                   "panel1:Place Tank 2" + kBottom, "panel1:Place Tank 2" + kBottom, "beep"};
  EXPECT_EQ(rig.log.events, want);

  for (int x = 3; x <= 6; ++x) rig.Click(x, 10);
  rig.log.clear();
  rig.Click(10, 10);
  want = {"panel1:Place Tank 6" + kBottom, Shown(1, 6, 10, 10), "timer:on"};
  EXPECT_EQ(rig.log.events, want);
  EXPECT_EQ(rig.board.GamePhase, PhaseTanksPlaced);
  EXPECT_EQ(rig.board.NextTankToPlace, 1);
  EXPECT_TRUE(rig.board.TimingEnabled);
  EXPECT_EQ(rig.view.panels[1], "Place Tank 6" + kBottom);
}

TEST(Deployment, ClickToSquareUsesStepsOf899WithoutRangeCheck) {
  Rig rig;
  rig.board.GameMode = ModeSolo;
  rig.board.PlaceBuildings(0, 0);
  const float justUnder8990 = std::nextafter(8990.0f, 0.0f);
  const float row8 = 7 * 899 + 10;

  rig.log.clear();
  ClickTwips(rig, 8990.0f, row8);  // column 11: the strip along the right edge
  EXPECT_EQ(rig.log.events, std::vector<std::string>{"panel1:Place HQ" + kHalf});
  EXPECT_EQ(rig.board.NextBuildingToPlace, 14);

  ClickTwips(rig, justUnder8990, row8);
  EXPECT_EQ(PosOf(rig, 1, 14), std::make_pair(10, 8));

  ClickTwips(rig, std::nextafter(899.0f, 0.0f), 6 * 899);  // column 1, first twip of row 7
  EXPECT_EQ(PosOf(rig, 1, 15), std::make_pair(1, 7));

  ClickTwips(rig, 899.0f, std::nextafter(6 * 899.0f, 0.0f));  // column 2, last twip of row 6
  EXPECT_EQ(PosOf(rig, 1, 16), std::make_pair(2, 6));

  // Rows: Y = 8990 is row 11, just under it row 10.
  rig.board.PlaceTanks(0, 0);
  rig.log.clear();
  ClickTwips(rig, 100.0f, 8990.0f);
  EXPECT_EQ(rig.log.events, std::vector<std::string>{"panel1:Place Tank 1" + kBottom});
  ClickTwips(rig, 100.0f, justUnder8990);
  EXPECT_EQ(PosOf(rig, 1, 1), std::make_pair(1, 10));

  // A button released far off the surface maps off the board, never to a wrapped square.
  rig.log.clear();
  ClickTwips(rig, -5.0f, 9000.0f * 10);
  ClickTwips(rig, 3.0e9f, 100.0f);
  ClickTwips(rig, -3.0e9f, 8100.0f);
  ClickTwips(rig, std::nanf(""), 8100.0f);
  EXPECT_EQ(rig.log.only("show:").size(), 0u);
  EXPECT_FALSE(rig.log.has("beep"));
  EXPECT_EQ(rig.board.NextTankToPlace, 2);
}

TEST(Deployment, ClicksInOtherPhasesDoNothing) {
  Rig rig;
  rig.board.GameMode = ModeSolo;
  rig.Place("1", 1, 4, 10);
  for (int32_t phase : {0, 4, 6, 7, 8, 10, 11, 13}) {
    rig.board.GamePhase = phase;
    rig.log.clear();
    for (int x = 1; x <= 10; x += 3)
      for (int y = 1; y <= 10; y += 3) rig.Click(x, y);
    rig.Click(4, 10);
    EXPECT_TRUE(rig.log.events.empty()) << "phase " << phase << ": " << rig.log.joined(" ");
    EXPECT_EQ(rig.board.GamePhase, phase);
  }
  EXPECT_EQ(rig.board.NextBuildingToPlace, 0);
  EXPECT_EQ(rig.board.NextTankToPlace, 0);
}

TEST(Deployment, OnlyNetworkGamesSendPositionsAfterMinesAndTanks) {
  Rig rig;
  auto session = std::make_shared<FakeSession>(rig.log);
  rig.board.gDirPlay = session;
  rig.board.GameMode = ModeClient;
  UpToMines(rig);
  rig.Click(6, 6);
  rig.log.clear();
  rig.Click(7, 6);

  auto at = [&](const std::string& prefix) {
    for (size_t i = 0; i < rig.log.events.size(); ++i)
      if (rig.log.events[i].rfind(prefix, 0) == 0) return static_cast<int>(i);
    return -1;
  };
  ASSERT_EQ(session->sent.size(), 1u);
  EXPECT_EQ(session->sent[0].first, msgPositions);
  EXPECT_LT(at("panel2:Mines left to place: 0"), at("send:5:"));
  EXPECT_LT(at("send:5:"), at("timer:on"));
  EXPECT_EQ(rig.board.GamePhase, PhaseMinesPlaced);

  rig.board.PlaceTanks(0, 0);
  for (int x = 1; x <= 5; ++x) rig.Click(x, 10);
  rig.log.clear();
  rig.Click(6, 10);
  ASSERT_EQ(session->sent.size(), 2u);
  EXPECT_EQ(session->sent[1].first, msgPositions);
  EXPECT_LT(at("send:5:"), at("timer:on"));
  EXPECT_EQ(rig.board.GamePhase, PhaseTanksPlaced);

  // The same steps in a solo game send nothing, even with a session left over.
  Rig solo;
  auto stale = std::make_shared<FakeSession>(solo.log);
  solo.board.gDirPlay = stale;
  solo.board.GameMode = ModeSolo;
  UpToMines(solo);
  solo.Click(6, 6);
  solo.Click(7, 6);
  solo.board.PlaceTanks(0, 0);
  for (int x = 1; x <= 6; ++x) solo.Click(x, 10);
  EXPECT_TRUE(stale->sent.empty());
  EXPECT_EQ(solo.board.GamePhase, PhaseTanksPlaced);
}

TEST(Deployment, UnitAtReportsTheLastNonMineUnit) {
  Rig rig;
  rig.Place("1", 12, 4, 8);
  rig.Place("2", 13, 5, 8);
  EXPECT_EQ(rig.board.UnitAt(4, 8), "");
  EXPECT_EQ(rig.board.UnitAt(5, 8), "");
  rig.Place("1", 3, 6, 3);
  EXPECT_EQ(rig.board.UnitAt(6, 3), "13");
  rig.Place("2", 14, 6, 3);  // side 1's tank 3 on side 2's HQ
  EXPECT_EQ(rig.board.UnitAt(6, 3), "214");
  rig.Place("2", 16, 1, 1);
  EXPECT_EQ(rig.board.UnitAt(1, 1), "216");
  rig.Place("1", 9, 2, 7);  // within a side the higher unit number wins
  rig.Place("1", 2, 2, 7);
  EXPECT_EQ(rig.board.UnitAt(2, 7), "19");
  // Every unit off the board is recorded at (0, 0); none of them stands there.
  EXPECT_EQ(rig.board.UnitAt(0, 0), "");
}

TEST(Deployment, ANewGameStartsEveryStepAtItsFirstUnit) {
  Rig rig;
  rig.board.mnuGame_Click(0);
  rig.Click(3, 8);
  ASSERT_EQ(rig.view.panels[1], "Place Ammo Dump" + kHalf);
  rig.board.mnuGame_Click(0);
  EXPECT_EQ(rig.view.panels[1], "Place HQ" + kHalf);
  rig.Click(5, 7);
  EXPECT_EQ(PosOf(rig, 1, 14), std::make_pair(5, 7));

  // Steps left half-way in the game before.
  rig.board.NextGunToPlace = 9;
  rig.board.NextMineToPlace = 13;
  rig.board.NextTankToPlace = 4;
  rig.board.mnuGame_Click(0);
  rig.board.PlaceGuns(0, 0);
  EXPECT_EQ(rig.view.panels[1], "Place Gun 1" + kHalf);
  rig.board.PlaceMines(0, 0);
  EXPECT_EQ(rig.view.panels[1], "Place Mine 1" + kHalf);
  rig.board.PlaceTanks(0, 0);
  EXPECT_EQ(rig.view.panels[1], "Place Tank 1" + kBottom);
}
