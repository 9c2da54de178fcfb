#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "fakes/Fakes.h"

namespace {

struct NetRig : Rig {
  std::shared_ptr<FakeSession> session = std::make_shared<FakeSession>(log);
  explicit NetRig(int32_t mode = ModeHost) {
    board.gDirPlay = session;
    board.GameMode = mode;
  }
  const std::string& LastBody() const { return session->sent.back().second; }
};

// A type-5 body with every unit off the board except the ones given, as the
// receiver (side digit `to`) reads it.
std::string OffBoardRecords(const std::string& to, int from, int upTo) {
  std::string body;
  for (int u = from; u <= upTo; ++u) body += to + "," + std::to_string(u) + ",11,11;";
  return body;
}

TEST(TurnMessages, PositionsAreRenumberedAndMirrored) {
  NetRig rig;
  rig.Place("1", 14, 3, 8);
  rig.Place("1", 1, 1, 1);
  rig.board.SendPositions("1");
  const std::string expected =
      std::string("2,1,10,10;") + OffBoardRecords("2", 2, 13) + "2,14,8,3;" + OffBoardRecords("2", 15, 16);
  EXPECT_EQ(rig.session->sent, (std::vector<std::pair<int32_t, std::string>>{{msgPositions, expected}}));
  EXPECT_EQ(rig.view.panels[1], "Sending Position Data");

  rig.Place("2", 16, 4, 10);
  rig.board.SendPositions("2");
  EXPECT_EQ(rig.LastBody(), OffBoardRecords("1", 1, 15) + "1,16,7,1;");
}

TEST(TurnMessages, FireMissionsSendOnlyTheSidesAllowance) {
  NetRig rig(ModeClient);
  rig.board.FireMissions[1] = 3;
  rig.board.FireTarget[1][1][1] = 2;
  rig.board.FireTarget[1][1][2] = 9;
  rig.board.FireTarget[1][4][1] = 5;  // beyond the allowance: not sent
  rig.board.SendFireMissions("1");
  EXPECT_EQ(rig.session->sent,
            (std::vector<std::pair<int32_t, std::string>>{{msgFireMissions, "2,1,9,2;2,2,11,11;2,3,11,11;"}}));
  EXPECT_EQ(rig.view.panels[1], "Sending Fire Mission Data");

  // An allowance past the table's five entries never reads beyond it.
  rig.board.FireMissions[1] = 40;
  rig.board.SendFireMissions("1");
  EXPECT_EQ(rig.LastBody(), "2,1,9,2;2,2,11,11;2,3,11,11;2,4,6,11;2,5,11,11;");
}

TEST(TurnMessages, StatsCarryTheThreeAllowances) {
  NetRig rig;
  rig.board.TotalMoves[2] = 4;
  rig.board.TankMoves[2] = 4;
  rig.board.FireMissions[2] = 3;
  rig.board.SendStats("2");
  EXPECT_EQ(rig.session->sent, (std::vector<std::pair<int32_t, std::string>>{{msgStats, "1,4;1,4;1,3;"}}));
  EXPECT_EQ(rig.view.panels[1], "Sending Stats Data");
}

TEST(TurnMessages, ReceiverStoresWhatTheSenderSent) {
  NetRig host;
  NetRig client(ModeClient);
  host.Place("1", 1, 1, 1);   // corner to corner
  host.Place("1", 14, 3, 8);  // HQ
  host.board.FireMissions[1] = 2;
  host.board.FireTarget[1][1][1] = 4;
  host.board.FireTarget[1][1][2] = 2;
  client.board.FireTarget[2][3][1] = 6;  // an earlier turn's target, beyond what arrives
  host.board.SendPositions("1");
  host.board.SendFireMissions("1");

  client.board.DecodePositions(host.session->sent[0].second);
  client.board.DecodeFireMissions(host.session->sent[1].second);

  EXPECT_EQ(client.board.UnitPos[2][1][1], 10);
  EXPECT_EQ(client.board.UnitPos[2][1][2], 10);
  EXPECT_EQ(client.board.UnitPos[2][14][1], 8);
  EXPECT_EQ(client.board.UnitPos[2][14][2], 3);
  EXPECT_EQ(client.board.UnitPos[2][2][1], 0);  // off the board stays off
  EXPECT_EQ(client.board.UnitPos[2][2][2], 0);
  EXPECT_EQ(client.board.FireTarget[2][1][1], 7);
  EXPECT_EQ(client.board.FireTarget[2][1][2], 9);
  EXPECT_EQ(client.board.FireTarget[2][2][1], 11);  // unset arrives as no square
  EXPECT_EQ(client.board.FireTarget[2][2][2], 11);
  EXPECT_EQ(client.board.FireTarget[2][3][1], 6);
  EXPECT_TRUE(client.log.only("panel1:").empty());  // decoders draw and say nothing
  EXPECT_TRUE(client.log.only("show:").empty());
}

TEST(TurnMessages, PositionDecoderEdgeCases) {
  auto decoded = [](const std::string& body) {
    Rig rig;
    rig.board.DecodePositions(body);
    return rig.board.UnitPos;
  };
  const auto untouched = Rig().board.UnitPos;
  auto at = [](const auto& pos, int s, int u) { return std::make_pair(pos[s][u][1], pos[s][u][2]); };
  using P = std::pair<int16_t, int16_t>;

  EXPECT_EQ(decoded(""), untouched);
  EXPECT_EQ(at(decoded("2,1,7;"), 2, 1), P(0, 7));  // third "," missing
  EXPECT_EQ(at(decoded("2,1,4,5;x"), 2, 1), P(4, 5));
  EXPECT_EQ(at(decoded("2,3,11,12;"), 2, 3), P(0, 0));
  EXPECT_EQ(at(decoded("1,3,-2,4;"), 1, 3), P(-2, 4));  // below the board stays as read
  EXPECT_EQ(at(decoded(" 2 , 1 ,4 , 5 ;"), 2, 1), P(4, 5));
  EXPECT_EQ(at(decoded("2,1,2.5,3.5;"), 2, 1), P(2, 4));  // halves to even
  EXPECT_EQ(at(decoded("2,1,2.51,5abc;"), 2, 1), P(3, 5));
  EXPECT_EQ(at(decoded("2,1,x,5;"), 2, 1), P(0, 5));

  // Values carry over: a record of one field writes over the record before.
  EXPECT_EQ(at(decoded("2,1,4,5;6;"), 2, 1), P(4, 6));
}

TEST(TurnMessages, PositionDecoderNeverWritesOutsideOrHangs) {
  auto decoded = [](const std::string& body) {
    Rig rig;
    rig.board.DecodePositions(body);
    return rig.board.UnitPos;
  };
  const auto untouched = Rig().board.UnitPos;

  // Records beyond the tables are skipped; the good ones around them still count.
  auto mixed = decoded("3,1,5,5;2,17,5,5;-1,2,5,5;2,2,4,4;");
  auto expected = untouched;
  expected[2][2][1] = 4;
  expected[2][2][2] = 4;
  EXPECT_EQ(mixed, expected);
  EXPECT_EQ(decoded("2,1,40000,5;"), untouched);
  EXPECT_EQ(decoded("2,1,99999999999999999999,5;"), untouched);
  EXPECT_EQ(decoded("65538,1,5,5;"), untouched);  // would wrap to side 2

  // Tails without a separator end the call, whatever they hold.
  auto tail = decoded("2,1,3,4;xy");
  EXPECT_EQ(tail[2][1][1], 3);
  EXPECT_EQ(decoded("garbage"), untouched);
  EXPECT_EQ(decoded(std::string(100000, ',')), untouched);
  std::string noise;
  for (int i = 0; i < 20000; ++i) noise += "9;,-" + std::to_string(i % 37);
  Rig rig;
  rig.board.DecodePositions(noise);
  rig.board.DecodeFireMissions(noise);
  rig.board.DecodeStats(noise);
  for (int side = 1; side <= 2; ++side) {
    EXPECT_GE(rig.board.FireMissions[side], 1);
    EXPECT_LE(rig.board.FireMissions[side], 5);
  }
}

TEST(TurnMessages, FireMissionDecoderKeepsElevenAndSkipsUnknownMissions) {
  Rig rig;
  rig.board.FireTarget[1][4][1] = 3;
  rig.board.DecodeFireMissions("1,1,11,11;1,6,2,2;1,2,5,6;1,0,7,7;");
  EXPECT_EQ(rig.board.FireTarget[1][1][1], 11);
  EXPECT_EQ(rig.board.FireTarget[1][1][2], 11);
  EXPECT_EQ(rig.board.FireTarget[1][2][1], 5);
  EXPECT_EQ(rig.board.FireTarget[1][2][2], 6);
  EXPECT_EQ(rig.board.FireTarget[1][0][1], 7);  // element 0: written, never read
  EXPECT_EQ(rig.board.FireTarget[1][4][1], 3);
}

TEST(TurnMessages, StatsDecoder) {
  {
    Rig rig;
    rig.board.DecodeStats("1,4;1,4;1,3;1,1;");  // the fourth record is not read
    EXPECT_EQ(rig.board.TotalMoves[1], 4);
    EXPECT_EQ(rig.board.TankMoves[1], 4);
    EXPECT_EQ(rig.board.FireMissions[1], 3);
  }
  {
    Rig rig;
    rig.board.DecodeStats("");
    EXPECT_EQ(rig.board.TotalMoves, (Table1<int16_t, 3>{0, 6, 6}));
    EXPECT_EQ(rig.board.TankMoves, (Table1<int16_t, 3>{0, 3, 3}));
    EXPECT_EQ(rig.board.FireMissions, (Table1<int16_t, 3>{0, 5, 5}));
  }
  {
    // Unknown sides and fire allowances the target table cannot hold are skipped.
    Rig rig;
    rig.board.DecodeStats("7,4;2,99999;2,9;");
    EXPECT_EQ(rig.board.TotalMoves, (Table1<int16_t, 3>{0, 6, 6}));
    EXPECT_EQ(rig.board.TankMoves, (Table1<int16_t, 3>{0, 3, 3}));
    EXPECT_EQ(rig.board.FireMissions, (Table1<int16_t, 3>{0, 5, 5}));
    rig.board.DecodeStats("2,4;2,6;2,0;");
    EXPECT_EQ(rig.board.TotalMoves[2], 4);
    EXPECT_EQ(rig.board.TankMoves[2], 6);
    EXPECT_EQ(rig.board.FireMissions[2], 5);
  }
}

}  // namespace
