#include <gtest/gtest.h>

#include "fakes/Fakes.h"

TEST(Smoke, RigStarts) {
  Rig rig;
  EXPECT_EQ(rig.board.GamePhase, PhaseIdle);
}
