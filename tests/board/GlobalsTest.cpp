#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <set>

#include "board/ClockRandom.h"
#include "fakes/Fakes.h"

TEST(PlaySnd, PlaysEachNumberFromTheSoundsFolder) {
  Rig rig;
  const std::vector<std::string> names = {
      "Silence",   "TankMove", "Fire",   "DirectHit",   "OnTheWay",   "",           "Artillery",
      "LastRound", "MovinOut", "Target", "DirectFront", "DirectRear", "RightFlank", "LeftFlank",
      "three",     "two",      "rounds", "left",        "up",         "out",        "ArtilleryonCall",
      "GoLeft",    "GoRight",  "Won",    "Lost",        "HullDown",   "TankFires",  "ROCKET",
      "MINES",     "cant1",    "cant2",  "start",       "Destroyed",  "report",     "committed"};
  ASSERT_EQ(names.size(), 35u);
  for (int16_t n = 0; n < 35; ++n) {
    if (n == 5) continue;
    rig.sound.paths.clear();
    int16_t s = n;
    rig.board.PlaySnd(s, true);
    ASSERT_EQ(rig.sound.paths.size(), 1u);
    EXPECT_EQ(rig.sound.paths[0], rig.dir + "/sounds/" + names[static_cast<size_t>(n)] + ".wav");
    EXPECT_EQ(s, n);
  }
  for (int16_t n : {int16_t{35}, int16_t{-1}}) {
    rig.sound.paths.clear();
    rig.board.PlaySnd(n, true);
    EXPECT_EQ(rig.sound.paths.at(0), rig.dir + "/sounds/.wav");
  }
}

TEST(PlaySnd, PlaysSilenceAndZeroesTheCallersNumberWhileSoundIsOff) {
  Rig rig;
  rig.board.mnuOpt_Click(0);
  int16_t s = 31;
  rig.board.PlaySnd(s, true);
  EXPECT_EQ(s, 0);
  EXPECT_EQ(rig.sound.paths.at(0), rig.dir + "/sounds/Silence.wav");
  int16_t incoming = 5;
  rig.board.PlaySnd(incoming, true);
  EXPECT_EQ(rig.log.sounds(), (std::vector<std::string>{"Silence", "Silence"}));

  rig.board.mnuOpt_Click(0);
  rig.board.PlaySnd(31);
  EXPECT_EQ(rig.log.sounds().back(), "start");
}

TEST(PlaySnd, PicksTheSixIncomingFilesEvenly) {
  Rig rig;
  rig.rnd.Push({0.0f, 0.1666f, 0.1667f, 0.5f, 0.8333f, 0.9999f});
  for (int i = 0; i < 6; ++i) rig.board.PlaySnd(5);
  EXPECT_EQ(rig.log.sounds(),
            (std::vector<std::string>{"Incoming1", "Incoming1", "Incoming2", "Incoming4", "Incoming5", "Incoming6"}));
  EXPECT_EQ(rig.rnd.randomizeCalls, 6) << "reseeded before every draw";

  // With the real generator every file comes up about as often.
  EventLog log;
  FakeView view(log);
  FakeSound sound(log);
  ClockRandom random;
  Board b(view, sound, random, "/x");
  std::map<std::string, int> seen;
  for (int i = 0; i < 6000; ++i) b.PlaySnd(5);
  for (const auto& name : log.sounds()) ++seen[name];
  ASSERT_EQ(seen.size(), 6u);
  for (const auto& [name, count] : seen) {
    EXPECT_GT(count, 800) << name;
    EXPECT_LT(count, 1200) << name;
  }
}

TEST(PlaySnd, NeverFailsTowardsTheCaller) {
  struct ThrowingSound : SoundPort {
    void PlaySound(const std::string&, bool) override { throw std::runtime_error("no device"); }
  };
  EventLog log;
  FakeView view(log);
  ThrowingSound sound;
  ScriptedRandom rnd;
  Board b(view, sound, rnd, "/x");
  EXPECT_NO_THROW(b.PlaySnd(26));
}

TEST(Chance, IsTrueOneLessThanThePercentGivenInAHundred) {
  Rig rig;
  auto count = [&](int16_t percent) {
    // One draw at each hundredth: r runs through 1..100 once.
    for (int k = 0; k < 100; ++k) rig.rnd.Push({static_cast<float>(k) / 100.0f + 0.001f});
    int hits = 0;
    for (int k = 0; k < 100; ++k) hits += rig.board.Chance(percent) ? 1 : 0;
    return hits;
  };
  EXPECT_EQ(count(1), 0);
  EXPECT_EQ(count(0), 0);
  EXPECT_EQ(count(5), 4);
  EXPECT_EQ(count(19), 18);
  EXPECT_EQ(count(101), 100);
  EXPECT_EQ(rig.rnd.randomizeCalls, 500) << "reseeded before every draw";

  rig.rnd.Push({0.9999f});
  EXPECT_FALSE(rig.board.Chance(100));
  rig.rnd.Push({0.9999f});
  EXPECT_TRUE(rig.board.Chance(101));
}

TEST(ClockRandom, ReseedingNeverRestartsTheSequence) {
  ClockRandom r;
  std::set<float> seen;
  for (int i = 0; i < 1000; ++i) {
    r.Randomize();  // far faster than the clock moves on
    float v = r.Rnd();
    ASSERT_GE(v, 0.0f);
    ASSERT_LT(v, 1.0f);
    seen.insert(v);
  }
  EXPECT_GT(seen.size(), 990u);
}

TEST(WriteTrace, AppendsFourLineRecords) {
  Rig rig;
  rig.board.GameMode = ModeHost;
  rig.board.WriteTrace("2", "All Positions", "2,1,7,1;");
  rig.board.GameMode = ModeClient;
  rig.board.WriteTrace("2", "STATS", "1,4;1,4;1,3;");

  std::ifstream in(rig.dir + "/DHData2.txt", std::ios::binary);
  std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t pos; (pos = all.find("\r\n", start)) != std::string::npos; start = pos + 2)
    lines.push_back(all.substr(start, pos - start));
  EXPECT_EQ(start, all.size()) << "every line ends in CR LF";
  ASSERT_EQ(lines.size(), 8u);
  EXPECT_TRUE(lines[0].ends_with("  [2]")) << lines[0];
  EXPECT_EQ(lines[1], "All Positions");
  EXPECT_EQ(lines[2], "2,1,7,1;");
  EXPECT_EQ(lines[3], std::string(70, '-'));
  EXPECT_TRUE(lines[4].ends_with("  [3]")) << lines[4];
  EXPECT_EQ(lines[5], "STATS");
  EXPECT_EQ(lines[6], "1,4;1,4;1,3;");
  EXPECT_EQ(lines[7], std::string(70, '-'));
}

TEST(WriteTrace, AFileThatCannotBeWrittenFailsInTheCaller) {
  EventLog log;
  FakeView view(log);
  FakeSound sound(log);
  ScriptedRandom rnd;
  Board b(view, sound, rnd, "/nonexistent-folder-for-trace");
  EXPECT_THROW(b.WriteTrace("1", "Artillery", "x"), std::exception);
}
