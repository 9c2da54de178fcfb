#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "fakes/Fakes.h"

namespace {

using Events = std::vector<std::string>;

int UnitImag(int side, int unit) { return 14 + unit + 16 * (side - 1); }
int BlastImag(int i) { return 46 + i; }
std::string Twips(int x, int y) {
  return std::to_string((x - 1) * 899 + 20) + "," + std::to_string((y - 1) * 899 + 20);
}
// "@" and the square, built by appending: GCC 12 at -O3 takes `"@" + Twips(...)`
// for an overlapping copy (a false -Wrestrict).
std::string At(int x, int y) { return std::string("@").append(Twips(x, y)); }
std::string Show(int imag, int x, int y) { return "show:" + std::to_string(imag) + "@" + Twips(x, y); }
std::string Hide(int imag) { return "hide:" + std::to_string(imag); }

using FlagRig = Rig;

class Resolution : public ::testing::Test {
 protected:
  Rig rig;
  Board& b = rig.board;

  void Target(int side, int mission, int x, int y) {
    b.FireTarget[side][mission][1] = static_cast<int16_t>(x);
    b.FireTarget[side][mission][2] = static_cast<int16_t>(y);
  }
  bool Gone(int side, int unit) const { return b.UnitPos[side][unit][1] == 0 && b.UnitPos[side][unit][2] == 0; }
  bool Battle(const std::string& f, int tank, int dx, int dy, int snd) {
    const std::string m = f == "1" ? "2" : "1";
    bool goOn = false;
    b.ResolveBattle(f, m, static_cast<int16_t>(tank), static_cast<int16_t>(dx), static_cast<int16_t>(dy),
                    static_cast<int16_t>(snd), goOn);
    return goOn;
  }
};

// ---- artillery

TEST_F(Resolution, ArtilleryHitAnnouncesRedrawsAndRemovesTheTankInOrder) {
  rig.Place("1", 2, 4, 7);
  Target(2, 3, 4, 7);
  b.ShowBlast(3, 4, 7);  // as presented before the resolution
  rig.log.clear();

  b.ResolveArtillery("2");

  EXPECT_EQ(rig.log.events,
            (Events{"panel1:Tank Destroyed by Artillery", Hide(BlastImag(3)), Show(UnitImag(1, 2), 4, 7),
                    "snd:DirectHit", Show(BlastImag(3), 4, 7), Hide(UnitImag(1, 2)), "snd:TankFires"}));
  EXPECT_TRUE(Gone(1, 2));
  EXPECT_TRUE(rig.view.imag[BlastImag(3)].visible);
}

TEST_F(Resolution, ArtilleryGoesTankByTankAndOnlyThroughTheSidesMissions) {
  rig.Place("2", 1, 2, 3);
  rig.Place("2", 3, 6, 4);
  rig.Place("2", 5, 8, 2);
  rig.Place("2", 6, 9, 9);
  Target(1, 4, 2, 3);  // tank 1, by the fourth mission
  Target(1, 1, 6, 4);  // tank 3, by the first
  Target(1, 2, 1, 1);  // a miss
  b.FireMissions[1] = 4;
  Target(1, 5, 8, 2);  // beyond this turn's four missions: no hit
  rig.log.clear();

  b.ResolveArtillery("1");

  EXPECT_EQ(rig.log.sounds(), (Events{"Destroyed", "TankFires", "Destroyed", "TankFires"}));
  EXPECT_EQ(rig.log.only("show:" + std::to_string(BlastImag(4))), (Events{At(2, 3)}));
  EXPECT_EQ(rig.log.only("show:" + std::to_string(BlastImag(1))), (Events{At(6, 4)}));
  EXPECT_TRUE(Gone(2, 1));
  EXPECT_TRUE(Gone(2, 3));
  EXPECT_FALSE(Gone(2, 5));
  EXPECT_FALSE(Gone(2, 6));
  // Tank 1 (mission 4) is resolved before tank 3 (mission 1).
  EXPECT_LT(std::find(rig.log.events.begin(), rig.log.events.end(), Hide(UnitImag(2, 1))),
            std::find(rig.log.events.begin(), rig.log.events.end(), Hide(UnitImag(2, 3))));
}

TEST_F(Resolution, ArtilleryNeverHitsTanksOffTheBoardNorReadsPastTheMissionTable) {
  // Tanks destroyed earlier sit at (0, 0); targets unset as on a free first turn.
  b.ResolveArtillery("2");
  b.ResolveArtillery("1");
  EXPECT_TRUE(rig.log.events.empty());

  // Unset targets from a peer arrive as (11, 11) and match nothing.
  for (int j = 1; j <= 5; ++j) Target(2, j, 11, 11);
  rig.Place("1", 4, 10, 10);
  rig.log.clear();
  b.ResolveArtillery("2");
  EXPECT_TRUE(rig.log.events.empty());

  // A mission count above five from a peer is read as five.
  b.FireMissions[2] = 9;
  rig.Place("1", 1, 3, 9);
  Target(2, 5, 3, 9);
  rig.log.clear();
  b.ResolveArtillery("2");
  EXPECT_EQ(rig.log.sounds(), (Events{"DirectHit", "TankFires"}));
  EXPECT_TRUE(Gone(1, 1));

  b.FireMissions[2] = 0;
  rig.Place("1", 1, 3, 9);
  rig.log.clear();
  b.ResolveArtillery("2");
  EXPECT_TRUE(rig.log.sounds().empty());
}

// ---- tank against tank

TEST_F(Resolution, MovingTankWithTheHigherNumberWinsAndFightsOn) {
  b.GameMode = ModeSolo;
  rig.Place("1", 6, 5, 6);
  rig.Place("2", 2, 5, 5);  // above
  rig.log.clear();

  EXPECT_TRUE(Battle("2", 6, 0, -1, 10));
  EXPECT_EQ(rig.log.events, (Events{"snd:Target", "snd:DirectFront", "panel1:Tank 6 VS Tank 2",
                                    Show(BlastImag(9), 5, 5), "snd:TankFires", Hide(UnitImag(2, 2)), "snd:Destroyed"}));
  EXPECT_TRUE(Gone(2, 2));
  EXPECT_FALSE(Gone(1, 6));
}

TEST_F(Resolution, EqualTanksDestroyEachOtherWithDestroyedThenDirectHitWhicheverSideMoved) {
  b.GameMode = ModeSolo;
  rig.Place("1", 4, 5, 6);
  rig.Place("2", 4, 5, 7);  // below
  rig.log.clear();

  EXPECT_FALSE(Battle("2", 4, 0, 1, 11));
  EXPECT_EQ(rig.log.events, (Events{"snd:Target", "snd:DirectRear", "panel1:Tank 4 VS Tank 4", Show(BlastImag(9), 5, 7),
                                    Show(BlastImag(8), 5, 6), "snd:TankFires", Hide(UnitImag(2, 4)), "snd:Destroyed",
                                    Hide(UnitImag(1, 4)), "snd:DirectHit"}));
  EXPECT_TRUE(Gone(1, 4));
  EXPECT_TRUE(Gone(2, 4));

  // Side 2 moving: the same two cues in the same order; its tank is removed last.
  rig.Place("2", 3, 2, 2);
  rig.Place("1", 3, 3, 2);
  rig.log.clear();
  EXPECT_FALSE(Battle("1", 3, 1, 0, 13));
  EXPECT_EQ(rig.log.events, (Events{"snd:Target", "snd:LeftFlank", "panel1:Tank 3 VS Tank 3", Show(BlastImag(9), 3, 2),
                                    Show(BlastImag(8), 2, 2), "snd:TankFires", Hide(UnitImag(1, 3)), "snd:Destroyed",
                                    Hide(UnitImag(2, 3)), "snd:DirectHit"}));
}

TEST_F(Resolution, MovingTankWithTheLowerNumberIsDestroyed) {
  b.GameMode = ModeHost;  // network wording leaves out the mover's number
  rig.Place("1", 2, 5, 6);
  rig.Place("2", 5, 4, 6);  // left
  rig.log.clear();

  EXPECT_FALSE(Battle("2", 2, -1, 0, 13));
  EXPECT_EQ(rig.log.events, (Events{"snd:Target", "snd:LeftFlank", "panel1:Tank VS Tank 5", Show(BlastImag(8), 5, 6),
                                    "snd:TankFires", Hide(UnitImag(1, 2)), "snd:DirectHit"}));

  // A side-2 mover that loses is reported as "Destroyed"; one that wins costs side 1 a "DirectHit".
  rig.Place("2", 1, 7, 7);
  rig.Place("1", 3, 7, 8);
  rig.Place("2", 5, 2, 2);
  rig.Place("1", 1, 3, 2);
  rig.log.clear();
  EXPECT_FALSE(Battle("1", 1, 0, 1, 10));
  EXPECT_TRUE(Battle("1", 5, 1, 0, 13));
  EXPECT_EQ(rig.log.sounds(), (Events{"Target", "DirectFront", "TankFires", "Destroyed", "Target", "LeftFlank",
                                      "TankFires", "DirectHit"}));
  EXPECT_EQ(rig.log.only("panel1:"), (Events{"Tank VS Tank 3", "Tank VS Tank 1"}));
  EXPECT_TRUE(Gone(2, 1));
  EXPECT_TRUE(Gone(1, 1));
}

// ---- tank against AT gun

TEST_F(Resolution, GunWinsWhenChanceFallsBelowTwentyFiveMinusTheTank) {
  rig.Place("1", 6, 5, 6);
  rig.Place("2", 9, 6, 6);  // right of it
  rig.log.clear();
  rig.rnd.Push({0.175f});  // draws 18: below 25 - 6
  const int drawsBefore = rig.rnd.draws;

  EXPECT_FALSE(Battle("2", 6, 1, 0, 12));
  EXPECT_EQ(rig.log.events, (Events{"snd:Target", "snd:RightFlank", "panel1:Tank destroyed by AT Gun",
                                    Show(BlastImag(10), 5, 6), "snd:ROCKET", Hide(BlastImag(10)), "snd:DirectHit",
                                    Hide(UnitImag(1, 6)), Show(BlastImag(10), 5, 6)}));
  EXPECT_TRUE(Gone(1, 6));
  EXPECT_FALSE(Gone(2, 9));
  EXPECT_EQ(rig.rnd.draws - drawsBefore, 1);
}

TEST_F(Resolution, TankWinsAgainstAGunOtherwise) {
  rig.Place("1", 6, 5, 6);
  rig.Place("2", 9, 6, 6);
  rig.log.clear();
  rig.rnd.Push({0.185f});  // draws 19: not below 25 - 6

  EXPECT_TRUE(Battle("2", 6, 1, 0, 12));
  EXPECT_EQ(rig.log.events, (Events{"snd:Target", "snd:RightFlank", "panel1:AT Gun destroyed by Tank",
                                    Show(BlastImag(10), 6, 6), "snd:TankFires", Hide(BlastImag(10)), "snd:Destroyed",
                                    Hide(UnitImag(2, 9)), Show(BlastImag(10), 6, 6)}));
  EXPECT_TRUE(Gone(2, 9));

  // The same draw against tank 1 (25 - 1 = 24) lets the gun win; side 2's loss is "Destroyed".
  rig.Place("2", 1, 3, 3);
  rig.Place("1", 7, 3, 4);  // below side 2's tank
  rig.log.clear();
  rig.rnd.Push({0.185f});
  EXPECT_FALSE(Battle("1", 1, 0, 1, 10));
  EXPECT_EQ(rig.log.sounds(), (Events{"Target", "DirectFront", "ROCKET", "Destroyed"}));
  EXPECT_EQ(rig.log.only("show:" + std::to_string(BlastImag(8))), (Events{At(3, 3), At(3, 3)}));
  EXPECT_TRUE(Gone(2, 1));
}

// ---- the four neighbours

TEST_F(Resolution, Side1TankFightsBelowRightLeftAboveWithItsOwnDirections) {
  rig.Place("1", 1, 5, 7);
  rig.Place("2", 14, 5, 8);
  rig.Place("2", 15, 6, 7);
  rig.Place("2", 16, 4, 7);
  rig.Place("2", 1, 5, 6);
  rig.log.clear();

  b.ResolveTankContacts("2");

  EXPECT_EQ(rig.log.sounds(), (Events{"Target", "DirectRear", "Target", "RightFlank", "Target", "LeftFlank", "Target",
                                      "DirectFront", "TankFires", "Destroyed", "DirectHit"}));
  // Buildings beside a tank are sighted, not captured.
  EXPECT_FALSE(Gone(2, 14));
  EXPECT_FALSE(Gone(2, 15));
  EXPECT_FALSE(Gone(2, 16));
}

TEST_F(Resolution, Side2TankUsesTheMirroredDirectionsAndStopsWhenDestroyed) {
  rig.Place("2", 1, 5, 4);
  rig.Place("1", 14, 5, 5);
  rig.Place("1", 15, 6, 4);
  rig.Place("1", 16, 4, 4);
  rig.Place("1", 6, 5, 3);  // beats tank 1 above
  rig.Place("2", 2, 8, 8);
  rig.Place("1", 7, 8, 9);  // below tank 2, fought first: the gun wins
  rig.Place("1", 5, 9, 8);  // right of tank 2: never reached
  rig.log.clear();
  rig.rnd.Push({0.0f});

  b.ResolveTankContacts("1");

  EXPECT_EQ(rig.log.sounds(),
            (Events{"Target", "DirectFront", "Target", "LeftFlank", "Target", "RightFlank", "Target", "DirectRear",
                    "TankFires", "Destroyed", "Target", "DirectFront", "ROCKET", "Destroyed"}));
  EXPECT_FALSE(Gone(1, 5));
}

TEST_F(Resolution, NeighboursOffTheBoardAndEmptySquaresAreSilent) {
  rig.Place("1", 1, 10, 10);
  rig.Place("1", 2, 1, 7);
  // A bad peer record can leave a unit at column 0; it is not on the board.
  b.UnitPos[2][3][1] = 0;
  b.UnitPos[2][3][2] = 7;
  rig.Place("2", 12, 9, 10);  // an enemy mine is no opponent
  rig.log.clear();

  const std::pair<int, int> offsets[] = {{0, 1}, {1, 0}, {-1, 0}, {0, -1}};
  for (auto [dx, dy] : offsets) {
    EXPECT_TRUE(Battle("2", 1, dx, dy, 10));
    EXPECT_TRUE(Battle("2", 2, dx, dy, 10));
  }
  EXPECT_TRUE(rig.log.events.empty());

  // A tank that is not on the board fights nothing and says so.
  EXPECT_FALSE(Battle("2", 3, 0, 1, 11));
  b.UnitPos[1][3][1] = 0;
  b.UnitPos[1][3][2] = 7;  // as a bad record would leave it, next to side 2's (1, 7)
  rig.Place("2", 2, 1, 7);
  rig.log.clear();
  EXPECT_FALSE(Battle("2", 3, 1, 0, 12));
  EXPECT_TRUE(rig.log.events.empty());
}

// ---- mines

TEST_F(Resolution, MineDestroysTheTankBeforeAnyBattle) {
  rig.Place("1", 3, 5, 3);
  rig.Place("2", 12, 5, 3);
  rig.Place("2", 1, 5, 2);  // an enemy tank right above
  rig.log.clear();

  b.ResolveTankContacts("2");

  EXPECT_EQ(rig.log.events,
            (Events{Hide(UnitImag(1, 3)), "panel1:Tank Destroyed by Mine", Show(BlastImag(6), 5, 3), "snd:MINES"}));
  EXPECT_TRUE(Gone(1, 3));
  EXPECT_TRUE(Gone(2, 12));
  EXPECT_FALSE(Gone(2, 1));
}

TEST_F(Resolution, TwoMinesOnOneSquareBothGoOff) {
  rig.Place("2", 2, 4, 8);
  rig.Place("1", 12, 4, 8);
  rig.Place("1", 13, 4, 8);
  rig.log.clear();

  bool hit = false;
  b.CheckMines("1", "2", 2, hit);

  EXPECT_TRUE(hit);
  EXPECT_EQ(rig.log.events, (Events{Hide(UnitImag(2, 2)), Hide(UnitImag(1, 12)), "panel1:Tank Destroyed by Mine",
                                    Show(BlastImag(6), 4, 8), "snd:MINES", Hide(UnitImag(1, 13)),
                                    "panel1:Tank Destroyed by Mine", Show(BlastImag(7), 4, 8), "snd:MINES"}));
  EXPECT_TRUE(Gone(1, 12));
  EXPECT_TRUE(Gone(1, 13));

  // The spent mines do not go off again; hit is cleared on every call.
  rig.Place("2", 3, 4, 8);
  hit = true;
  b.CheckMines("1", "2", 3, hit);
  EXPECT_FALSE(hit);
  EXPECT_FALSE(Gone(2, 3));
}

// ---- captures

TEST_F(Resolution, HqCaptureTakesTheMinesAwayBeforeTheMineTest) {
  rig.Place("1", 1, 3, 3);
  rig.Place("2", 14, 3, 3);
  rig.Place("2", 13, 3, 3);  // even a mine under the HQ no longer fires
  rig.Place("1", 2, 7, 4);
  rig.Place("2", 12, 7, 4);  // and neither does the other one, under tank 2
  rig.log.clear();

  b.ResolveTankContacts("2");

  EXPECT_EQ(rig.log.events, (Events{Hide(UnitImag(2, 14))}));  // captures are silent
  EXPECT_TRUE(Gone(2, 14));
  EXPECT_TRUE(Gone(2, 12));
  EXPECT_TRUE(Gone(2, 13));
  EXPECT_FALSE(Gone(1, 1));
  EXPECT_FALSE(Gone(1, 2));
  EXPECT_EQ(b.FireMissions[2], 5);
  EXPECT_EQ(b.TotalMoves[2], 6);
}

TEST_F(Resolution, AmmoDumpCaptureCutsFireMissionsToTheGunsLeft) {
  rig.Place("2", 1, 2, 7);
  rig.Place("1", 15, 2, 7);
  rig.Place("1", 7, 5, 9);
  rig.Place("1", 10, 6, 9);
  b.CheckCaptures("1", "2", 1);
  EXPECT_EQ(b.FireMissions[1], 2);
  EXPECT_TRUE(Gone(1, 15));
  EXPECT_EQ(b.TotalMoves[1], 6);
  EXPECT_EQ(b.FireMissions[2], 5);

  Rig other;
  other.Place("1", 4, 9, 3);
  other.Place("2", 15, 9, 3);
  other.board.CheckCaptures("2", "1", 4);
  EXPECT_EQ(other.board.FireMissions[2], 1);  // no gun left: still one mission
}

TEST_F(Resolution, FuelDumpCaptureCutsTotalMovesAndTheFewTanksRuleUsesIt) {
  for (int t = 1; t <= 3; ++t) rig.Place("1", t, t, 10);
  rig.Place("2", 1, 5, 1);
  rig.Place("2", 2, 6, 1);
  rig.Place("2", 3, 7, 8);
  rig.Place("1", 16, 7, 8);  // side 2's tank 3 has driven onto side 1's Fuel Dump
  b.ResolveTankContacts("1");
  EXPECT_TRUE(Gone(1, 16));
  EXPECT_EQ(b.TotalMoves[1], 4);
  EXPECT_EQ(b.TankMoves[1], 3);  // three tanks left: per-tank limit unchanged
  EXPECT_EQ(b.TankMoves[2], 3);

  // Side 1 drops to two tanks: its whole, reduced allowance may go to one tank.
  rig.Place("1", 3, 0, 0);
  b.ResolveTankContacts("1");
  EXPECT_EQ(b.TankMoves[1], 4);
  EXPECT_EQ(b.TankMoves[2], 3);

  // Side 2 loses a tank in this very resolution, to a mine: 6 moves for one tank.
  rig.Place("1", 12, 6, 1);
  b.ResolveTankContacts("1");
  EXPECT_TRUE(Gone(2, 2));
  EXPECT_EQ(b.TankMoves[2], 6);

  // Nothing here sets the limit back to 3, even with more tanks again.
  for (int t = 4; t <= 6; ++t) rig.Place("2", t, t + 4, 1);
  b.ResolveTankContacts("1");
  EXPECT_EQ(b.TankMoves[2], 6);
  EXPECT_EQ(b.TankMoves[1], 4);
}

TEST_F(Resolution, ArtilleryRemovesATankBeforeItCanCapture) {
  rig.Place("1", 5, 6, 2);
  rig.Place("2", 16, 6, 2);
  Target(2, 2, 6, 2);
  b.ResolveArtillery("2");
  b.ResolveTankContacts("2");
  EXPECT_TRUE(Gone(1, 5));
  EXPECT_FALSE(Gone(2, 16));
  EXPECT_EQ(b.TotalMoves[2], 6);
}

// ---- debug boxes

TEST(ResolutionDebug, EachFoughtBattleEndsWithAnExclamationBox) {
  FlagRig r;
  Board& b = r.board;
  b.DebugMode = true;
  b.GameMode = ModeSolo;
  bool goOn = true;

  r.Place("1", 4, 5, 6);
  r.Place("2", 4, 5, 5);
  b.ResolveBattle("2", "1", 4, 0, -1, 10, goOn);
  EXPECT_EQ(r.log.events.back(), "box:Tank 4 VS Tank 4|Dravenholt");

  r.Place("1", 1, 2, 6);
  r.Place("2", 7, 3, 6);
  r.rnd.Push({0.0f});
  r.log.clear();
  b.ResolveBattle("2", "1", 1, 1, 0, 12, goOn);
  EXPECT_EQ(r.log.events.back(), "box:Tank destroyed by AT Gun|Dravenholt");

  r.Place("1", 2, 2, 6);
  r.rnd.Push({0.99f});
  r.log.clear();
  b.ResolveBattle("2", "1", 2, 1, 0, 12, goOn);
  EXPECT_EQ(r.log.events.back(), "box:AT Gun destroyed by Tank|Tank/Gun Battle");
  EXPECT_EQ(r.view.msgBoxFlags,
            (std::vector<int>{vbOKOnly + vbExclamation, vbOKOnly + vbExclamation, vbOKOnly + vbExclamation}));

  // Sighting a building is no battle.
  r.Place("2", 14, 3, 6);
  b.ResolveBattle("2", "1", 2, 1, 0, 12, goOn);
  EXPECT_EQ(r.view.msgBoxFlags.size(), 3u);

  b.DebugMode = false;
  r.Place("2", 5, 2, 5);
  r.log.clear();
  b.ResolveBattle("2", "1", 2, 0, -1, 10, goOn);
  EXPECT_TRUE(r.log.only("box:").empty());
}

}  // namespace
