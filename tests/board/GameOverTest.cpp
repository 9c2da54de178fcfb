#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fakes/Fakes.h"

namespace {

using Events = std::vector<std::string>;

// A started board with a way to run the game-over test on a clean log.
struct FlagRig : Rig {
  bool Over() {
    log.clear();
    bool over = false;
    board.CheckGameOver(over);
    return over;
  }
};

TEST(GameOver, WinLossAndDrawPlayTheirCueThenAPlainBox) {
  {
    FlagRig r;
    r.Place("1", 3, 4, 10);
    EXPECT_TRUE(r.Over());
    EXPECT_EQ(r.log.events, (Events{"snd:Won", "box:Game Over: you WON!|Dravenholt"}));
    EXPECT_EQ(r.view.msgBoxFlags, (std::vector<int>{vbOKOnly}));
  }
  {
    FlagRig r;
    r.Place("2", 6, 4, 1);
    EXPECT_TRUE(r.Over());
    EXPECT_EQ(r.log.events, (Events{"snd:Lost", "box:Game Over: You lost!|Dravenholt"}));
    EXPECT_EQ(r.view.msgBoxFlags, (std::vector<int>{vbOKOnly}));
  }
  {
    FlagRig r;
    r.Place("1", 14, 5, 8);  // buildings, guns and mines do not keep a side alive
    r.Place("1", 7, 5, 7);
    r.Place("2", 12, 5, 3);
    EXPECT_TRUE(r.Over());
    EXPECT_EQ(r.log.events, (Events{"snd:Lost", "box:Game Over: Its a DRAW!|Dravenholt"}));
  }
}

TEST(GameOver, LastTwoTanksTyingIsADraw) {
  FlagRig r;
  r.board.GameMode = ModeSolo;
  r.Place("1", 2, 6, 6);
  r.Place("2", 2, 6, 5);
  r.board.ResolveTankContacts("2");
  EXPECT_TRUE(r.Over());
  EXPECT_EQ(r.log.events, (Events{"snd:Lost", "box:Game Over: Its a DRAW!|Dravenholt"}));
}

TEST(GameOver, OneTankEachKeepsTheGameGoingSilently) {
  Rig rig;
  rig.Place("1", 1, 1, 10);
  rig.Place("2", 6, 10, 1);  // no buildings, guns or mines left on either side
  rig.log.clear();
  bool over = true;
  rig.board.CheckGameOver(over);
  EXPECT_FALSE(over);
  EXPECT_TRUE(rig.log.events.empty());
}

TEST(GameOver, CountsLookOnlyAtTheColumn) {
  Rig rig;
  Board& b = rig.board;
  EXPECT_EQ(b.CountTanks(1), 0);
  b.UnitPos[1][1] = {0, 1, 0};  // column only: counts whatever the row
  b.UnitPos[1][2] = {0, 10, 7};
  b.UnitPos[1][3] = {0, 0, 5};   // column 0: off the board
  b.UnitPos[1][4] = {0, 11, 5};  // column 11: off the board
  b.UnitPos[1][7] = {0, 4, 4};   // a gun is no tank
  EXPECT_EQ(b.CountTanks(1), 2);
  EXPECT_EQ(b.CountTanks(2), 0);

  EXPECT_EQ(b.CountGuns(2), 1);  // none left still gives one fire mission
  EXPECT_EQ(b.CountGuns(1), 1);
  for (int g = 7; g <= 11; ++g) rig.Place("2", g, g - 5, 3);
  EXPECT_EQ(b.CountGuns(2), 5);
  rig.Place("2", 8, 0, 0);
  rig.Place("2", 11, 0, 0);
  int16_t n = 0;
  b.CountGuns(2, n);
  EXPECT_EQ(n, 3);
}

}  // namespace
