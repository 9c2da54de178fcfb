#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "fakes/Fakes.h"

namespace {

void Deploy(Rig& rig) { rig.DeployApart(); }

// A deployed machine of a network game. Each time the sequencer blocks for
// events, the next scripted peer action runs; a block with nothing scripted
// fails the test and resets the game, which ends any wait.
struct NetRig : Rig {
  std::shared_ptr<FakeSession> session = std::make_shared<FakeSession>(log);
  std::deque<std::function<void()>> whenBlocked;

  NetRig(int32_t mode, int32_t phase) {
    Deploy(*this);
    board.gDirPlay = session;
    board.GameMode = mode;
    board.GamePhase = phase;
    board.SetTiming(true);
    view.onWait = [this] {
      if (whenBlocked.empty()) {
        ADD_FAILURE() << "blocked with nothing to come";
        board.ResetGame();
        return;
      }
      auto next = std::move(whenBlocked.front());
      whenBlocked.pop_front();
      next();
    };
    log.clear();
  }

  std::vector<std::string> Steps(const std::vector<std::string>& prefixes) const {
    std::vector<std::string> out;
    for (const auto& e : log.events)
      for (const auto& p : prefixes)
        if (e.rfind(p, 0) == 0) {
          // Position bodies are long; their records are checked separately.
          out.push_back(e.rfind("send:5:", 0) == 0 ? "send:5" : e);
          break;
        }
    return out;
  }
};

// What the peer's machine sends, made by a real sender.
std::string PeerPositions(const std::string& side, int mode) {
  NetRig peer(mode, PhaseMovementDone);
  peer.board.SendPositions(side);
  return peer.session->sent.back().second;
}

const std::vector<std::string> kExchange = {"timer:", "send:", "wait", "doevents", "box:"};

TEST(SequencerNetwork, DeploymentTicksPollOnce) {
  NetRig rig(ModeHost, PhaseMinesPlaced);
  rig.board.Timing_Timer();
  EXPECT_EQ(rig.log.events, std::vector<std::string>{"panel1:Checking for Data"});
  rig.session->Queue(msgChat, "hi");
  rig.board.Timing_Timer();
  EXPECT_EQ(rig.board.GamePhase, PhaseMinesPlaced);
  EXPECT_TRUE(rig.board.TimingEnabled);

  rig.board.UnitPos[2][1][1] = 0;  // hidden until the peer's deployment arrives
  rig.board.ShowAllUnits();
  rig.log.clear();
  rig.session->Queue(msgPositions, "2,1,3,2;");
  rig.board.Timing_Timer();
  EXPECT_TRUE(rig.view.imag[rig.board.UnitSprite[2][1]].visible);
  EXPECT_EQ(rig.log.only("snd:"), std::vector<std::string>{"start"});
  EXPECT_EQ(rig.log.events.back(), "timer:off");
  EXPECT_EQ(rig.board.GamePhase, PhasePlaceTanks);
  EXPECT_TRUE(rig.log.only("computer:").empty());

  for (int32_t mode : {ModeHost, ModeClient}) {
    NetRig tanks(mode, PhaseTanksPlaced);
    tanks.session->Queue(msgStats, "1,6;1,3;1,5;");
    tanks.board.Timing_Timer();
    EXPECT_EQ(tanks.board.GamePhase, PhaseTanksPlaced);
    tanks.session->Queue(msgPositions, "2,1,3,2;");
    tanks.board.Timing_Timer();
    EXPECT_EQ(tanks.log.only("snd:"), std::vector<std::string>{"start"});
    EXPECT_EQ(tanks.board.GamePhase, mode == ModeHost ? PhaseDecideOrder : PhaseAwaitOrder);
    EXPECT_TRUE(tanks.board.TimingEnabled);
  }

  // The opponent leaving during deployment ends the game with its own box only.
  NetRig left(ModeClient, PhaseMinesPlaced);
  left.session->Queue(msgOpponentLeft, "Your opponent has left the game");
  left.board.Timing_Timer();
  EXPECT_EQ(left.log.only("box:"), std::vector<std::string>{"Your opponent has left the game|You won by default"});
  EXPECT_EQ(left.board.GamePhase, PhaseIdle);
  EXPECT_FALSE(left.board.TimingEnabled);
  EXPECT_FALSE(left.log.has("snd:start"));
}

TEST(SequencerNetwork, HostDecidesOrderAndTellsTheClient) {
  {
    NetRig rig(ModeHost, PhaseDecideOrder);
    rig.rnd.Push({0.9f});
    rig.board.Timing_Timer();
    EXPECT_EQ(rig.Steps({"opt1:", "send:"}),
              (std::vector<std::string>{"opt1:disabled", "send:9:0", "send:6:ClientBombs"}));
    EXPECT_EQ(rig.board.GamePhase, PhaseSelectTank);
  }
  {
    NetRig rig(ModeHost, PhaseDecideOrder);
    rig.view.opt[1] = true;
    rig.rnd.Push({0.1f});
    rig.board.Timing_Timer();
    EXPECT_EQ(rig.Steps({"opt1:", "send:"}),
              (std::vector<std::string>{"opt1:disabled", "send:9:1", "send:6:ClientMoves"}));
    EXPECT_EQ(rig.board.GamePhase, PhaseSelectTargets);
    EXPECT_TRUE(rig.board.TimingEnabled);
  }
}

TEST(SequencerNetwork, ClientAwaitsTheOrderTickByTick) {
  NetRig rig(ModeClient, PhaseAwaitOrder);
  rig.board.Timing_Timer();
  rig.session->Queue(msgFreeArtillery, "1");
  rig.board.Timing_Timer();
  EXPECT_EQ(rig.board.GamePhase, PhaseAwaitOrder);
  EXPECT_TRUE(rig.view.opt[1]);
  rig.session->Queue(msgTurnOrder, "ClientMoves");
  rig.board.Timing_Timer();
  EXPECT_EQ(rig.log.only("panel1:"),
            (std::vector<std::string>{"Checking who goes first", "Checking for Data", "Checking who goes first",
                                      "Checking for Data", "First Move Artillery Free", "Data Received",
                                      "Checking who goes first", "Checking for Data", "Data Received"}));
  EXPECT_EQ(rig.board.GamePhase, PhaseSelectTank);
  EXPECT_TRUE(rig.board.TimingEnabled);

  // The client's movement turn opens without any computer planning.
  rig.board.Timing_Timer();
  EXPECT_FALSE(rig.log.has("computer:plan"));
  EXPECT_EQ(rig.view.panels[1], "Select a Tank to Move");
}

TEST(SequencerNetwork, HostMovementTurn) {
  NetRig rig(ModeHost, PhaseMovementDone);
  // The client's missions come in while the host waits; one lands on an empty square.
  rig.whenBlocked.push_back([&] { rig.session->Queue(msgFireMissions, "2,1,6,6;2,2,11,11;2,3,11,11;"); });
  rig.board.Timing_Timer();

  EXPECT_EQ(rig.Steps(kExchange), (std::vector<std::string>{"timer:off", "send:5", "wait", "doevents", "send:5",
                                                            "send:5", "send:8:1,6;1,3;1,5;", "timer:on"}));
  const auto& sent = rig.session->sent;
  ASSERT_EQ(sent.size(), 4u);
  EXPECT_NE(sent[0].second.find("2,1,10,1;"), std::string::npos);   // own tank 1 at (1, 10)
  EXPECT_NE(sent[2].second.find("1,1,10,10;"), std::string::npos);  // peer's tank 1 at (1, 1)
  EXPECT_EQ(sent[0].second, sent[1].second);
  EXPECT_EQ(rig.board.FireTarget[2][1][1], 6);
  EXPECT_EQ(rig.board.GamePhase, PhaseSelectTargets);
  EXPECT_FALSE(rig.view.imag[rig.board.BlastSprite[1]].visible);
}

TEST(SequencerNetwork, ClientMovementTurnTakesTheHostsResults) {
  NetRig rig(ModeClient, PhaseMovementDone);
  // A target on the client's own tank: only the host may decide what it hit.
  rig.session->Queue(msgFireMissions, "2,1,1,10;");
  rig.whenBlocked.push_back([&] {
    rig.session->Queue(msgPositions, PeerPositions("1", ModeHost));
    rig.session->Queue(msgChat, "nice move");
  });
  rig.whenBlocked.push_back([&] {
    rig.session->Queue(msgPositions, PeerPositions("2", ModeHost));
    rig.session->Queue(msgStats, "1,4;1,4;1,3;");
  });
  rig.board.UnitPos[2][3][2] = 2;  // the host's tank 3 has moved since it was last seen here

  rig.board.Timing_Timer();

  EXPECT_EQ(rig.Steps(kExchange),
            (std::vector<std::string>{"timer:off", "send:5", "doevents", "wait", "doevents", "wait", "timer:on"}));
  EXPECT_TRUE(rig.log.has("panel1:Peer: nice move"));
  EXPECT_FALSE(rig.log.has("snd:DirectHit"));
  EXPECT_EQ(rig.board.UnitPos[1][1][1], 10);  // as the host placed it, mirrored
  EXPECT_EQ(rig.board.UnitPos[2][3][2], 1);
  EXPECT_EQ(rig.view.imag[rig.board.UnitSprite[2][3]].top, Board::TwipsOf(1));
  EXPECT_EQ(rig.board.TotalMoves[1], 4);
  EXPECT_EQ(rig.board.TankMovesLeft[1][6], 4);
  EXPECT_EQ(rig.board.FireMissionsLeft[1], 3);
  EXPECT_EQ(rig.board.GamePhase, PhaseSelectTargets);

  rig.board.Timing_Timer();
  EXPECT_EQ(rig.view.panels[1], "Select 3 Artillery Fire Missions");
}

TEST(SequencerNetwork, HostFireTurn) {
  NetRig rig(ModeHost, PhaseTargetsDone);
  rig.board.FireMissions[1] = 2;
  rig.board.FireTarget[1][1][1] = 5;
  rig.board.FireTarget[1][1][2] = 5;
  rig.whenBlocked.push_back([&] { rig.session->Queue(msgPositions, "2,2,2,2;"); });
  rig.board.Timing_Timer();
  EXPECT_EQ(rig.Steps({"timer:", "send:", "wait", "snd:TankMove", "box:"}),
            (std::vector<std::string>{"timer:off", "send:7:2,1,6,6;2,2,11,11;", "wait", "snd:TankMove", "send:5",
                                      "send:5", "send:8:1,6;1,3;1,5;", "timer:on"}));
  EXPECT_EQ(rig.view.imag[rig.board.UnitSprite[2][2]].left, Board::TwipsOf(2));
  EXPECT_EQ(rig.view.imag[rig.board.UnitSprite[2][2]].top, Board::TwipsOf(2));
  EXPECT_EQ(rig.board.GamePhase, PhaseSelectTank);
}

TEST(SequencerNetwork, ClientFireTurn) {
  NetRig rig(ModeClient, PhaseTargetsDone);
  rig.session->Queue(msgPositions, "2,2,2,2;");
  rig.whenBlocked.push_back([&] {
    rig.session->Queue(msgPositions, PeerPositions("1", ModeHost));
    rig.session->Queue(msgPositions, PeerPositions("2", ModeHost));
  });
  rig.whenBlocked.push_back([&] { rig.session->Queue(msgStats, "1,6;1,3;1,5;"); });
  rig.board.Timing_Timer();
  EXPECT_EQ(rig.Steps({"timer:", "send:", "wait", "snd:TankMove", "box:"}),
            (std::vector<std::string>{"timer:off", "send:7:2,1,11,11;2,2,11,11;2,3,11,11;2,4,11,11;2,5,11,11;",
                                      "snd:TankMove", "wait", "wait", "timer:on"}));
  EXPECT_EQ(rig.board.UnitPos[2][2][2], 1);  // the host's later word counts
  EXPECT_EQ(rig.board.GamePhase, PhaseSelectTank);
}

TEST(SequencerNetwork, OpponentLeavingDuringAWaitEndsTheTick) {
  // While the client waits for the host's results, after one of them came.
  NetRig rig(ModeClient, PhaseMovementDone);
  rig.session->Queue(msgFireMissions, "");
  rig.whenBlocked.push_back([&] {
    rig.session->Queue(msgPositions, "2,1,1,1;");
    rig.session->Queue(msgOpponentLeft, "Your opponent has left the game");
  });
  rig.board.Timing_Timer();
  EXPECT_EQ(rig.log.only("box:"), std::vector<std::string>{"Your opponent has left the game|You won by default"});
  EXPECT_EQ(rig.Steps({"timer:", "send:", "wait"}),
            (std::vector<std::string>{"timer:off", "send:5", "wait", "timer:off"}));
  EXPECT_EQ(rig.board.GamePhase, PhaseIdle);
  EXPECT_EQ(rig.board.GameMode, ModeNone);
  EXPECT_EQ(rig.board.gDirPlay, nullptr);
  EXPECT_FALSE(rig.view.timing);
}

TEST(SequencerNetwork, NewGameDuringAWaitLeavesItUntouched) {
  // Chosen while the wait sleeps.
  {
    NetRig rig(ModeHost, PhaseTargetsDone);
    int pollsAtReset = -1;
    rig.whenBlocked.push_back([&] {
      rig.board.mnuGame_Click(0);
      pollsAtReset = rig.session->polls;
      rig.session->Queue(msgPositions, "2,2,2,2;");  // arrives too late for the old game
    });
    rig.board.Timing_Timer();
    EXPECT_EQ(rig.session->polls, pollsAtReset);
    EXPECT_EQ(rig.session->sent.size(), 1u);
    EXPECT_EQ(rig.board.GameMode, ModeSolo);
    EXPECT_EQ(rig.board.GamePhase, PhasePlaceBuildings);
    EXPECT_EQ(rig.board.UnitPos[2][2][1], 0);
    EXPECT_FALSE(rig.view.timing);
    EXPECT_EQ(rig.log.events.back().rfind("panel1:Place HQ", 0), 0u) << rig.log.events.back();
  }
  // Chosen while the UI runs after a chat line: another network game, with a session of its own.
  {
    NetRig rig(ModeClient, PhaseMovementDone);
    rig.session->Queue(msgChat, "wait for it");
    rig.session->Queue(msgFireMissions, "2,1,5,5;");
    auto next = std::make_shared<FakeSession>(rig.log);
    next->Queue(msgFireMissions, "2,1,6,6;");
    rig.view.onDeviceWindow = [&] {
      rig.board.gDirPlay = next;
      rig.board.GameMode = ModeHost;
      rig.board.ReadyState = std::string("1");  // not = "1": a false -Wrestrict of GCC 12 at -O3
    };
    rig.view.onDoEvents = [&] {
      rig.view.onDoEvents = nullptr;
      rig.board.mnuGame_Click(2);
    };
    rig.board.Timing_Timer();
    EXPECT_EQ(rig.session->inbox.size(), 1u);
    EXPECT_EQ(next->polls, 0);
    EXPECT_EQ(rig.board.FireTarget[2][1][1], 0);
    EXPECT_EQ(rig.board.GameMode, ModeHost);
    EXPECT_EQ(rig.board.GamePhase, PhasePlaceBuildings);
    EXPECT_TRUE(rig.session->sent.size() == 1u && next->sent.empty());
    EXPECT_FALSE(rig.view.timing);
  }
}

TEST(SequencerNetwork, PeerGoneDuringAWaitEndsTheGameAtTheNextTick) {
  NetRig rig(ModeHost, PhaseMovementDone);
  rig.whenBlocked.push_back([&] { rig.session->Queue(msgPlayerChange, "", 0); });
  rig.board.Timing_Timer();
  EXPECT_EQ(rig.Steps({"timer:", "send:", "wait", "box:"}),
            (std::vector<std::string>{"timer:off", "send:5", "wait", "timer:on"}));
  EXPECT_EQ(rig.board.GamePhase, PhaseIdle);

  rig.log.clear();
  rig.board.Timing_Timer();
  EXPECT_EQ(rig.log.only("box:"), std::vector<std::string>{"Game has been terminated|Dravenholt"});
  EXPECT_EQ(rig.board.gDirPlay, nullptr);
  EXPECT_EQ(rig.board.GameMode, ModeNone);
  EXPECT_FALSE(rig.view.timing);
}

}  // namespace
