// Two game machines over one session service: a whole game, and the ways a
// peer can leave. Each test takes the service as a parameter, so the same
// games run over the in-process hub and over the real service.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "fakes/FakeSessionHub.h"
#include "fakes/Fakes.h"
#include "opponent/Players.h"
#ifdef DH_TCP_SERVICE
#include <QTcpServer>

#include "platform/TcpSessionService.h"
#endif

namespace {

using namespace std::chrono_literals;

// Rings whenever the service has queued a message; a machine with nothing to
// do sleeps on it, never longer than a short while (a service that does not
// ring is still polled).
struct Doorbell {
  std::mutex m;
  std::condition_variable cv;
  uint64_t rings = 0;
  void Ring() {
    {
      std::lock_guard<std::mutex> lock(m);
      ++rings;
    }
    cv.notify_all();
  }
  void Wait() {
    std::unique_lock<std::mutex> lock(m);
    const uint64_t seen = rings;
    cv.wait_for(lock, 10ms, [&] { return rings != seen; });
  }
};

// A session service for the two machines of a test: it makes one factory per
// machine and rings the doorbell when it can. The result keeps it alive.
struct Backend {
  const char* name;
  std::function<std::shared_ptr<void>(Doorbell&, SessionServiceFactory& a, SessionServiceFactory& b)> make;
};

[[maybe_unused]] Backend FakeHubBackend() {
  return {"FakeHub", [](Doorbell& bell, SessionServiceFactory& a, SessionServiceFactory& b) {
            auto hub = FakeSessionHub::Create();
            hub->onDeliver = [&bell] { bell.Ring(); };
            a = hub->Factory();
            b = hub->Factory();
            return std::shared_ptr<void>(hub);
          }};
}

#ifdef DH_TCP_SERVICE
// The real service on loopback: the host listens on a port picked for this
// test, and the joining player "types" 127.0.0.1 with it. It does not ring the
// doorbell, so the machines poll it.
Backend TcpBackend() {
  return {"Tcp", [](Doorbell&, SessionServiceFactory& a, SessionServiceFactory& b) {
            QTcpServer probe;
            if (!probe.listen(QHostAddress::LocalHost, 0)) ADD_FAILURE() << "no free port";
            TcpSessionConfig config;
            config.port = probe.serverPort();
            probe.close();
            a = TcpSessionServiceFactory(config);
            config.askAddress = [port = config.port] { return "127.0.0.1:" + std::to_string(port); };
            b = TcpSessionServiceFactory(config);
            return std::shared_ptr<void>();
          }};
}
#endif

using Squares = Table3<int16_t, 3, 17, 3>;

// One player's machine: a whole game core with its views, the session it
// reaches through the recording service, and a player at the board.
struct Machine {
  Machine(const std::string& who, SessionServiceFactory service, Doorbell& door)
      : name(who), bell(door), factory(RecordingFactory(std::move(service), sent)) {
    view.onWait = [this] { Sleep(); };
    log.clear();
  }
  ~Machine() {
    board.gDirPlay.reset();
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
  }

  std::string name;
  Doorbell& bell;
  std::shared_ptr<SendRecord> sent = std::make_shared<SendRecord>();
  SessionServiceFactory factory;
  EventLog log;
  FakeView view{log};
  FakeSound sound{log};
  ScriptedRandom rnd;
  std::string dir = Rig::MakeTempDir();
  Board board{view, sound, rnd, dir};
  HunterPlayer player{board};
  const std::chrono::steady_clock::time_point deadline = std::chrono::steady_clock::now() + 60s;
  bool stuck = false;

  // Sleeps until the service rings; a machine still at it after a minute is
  // stuck: the test fails and the game is reset, which ends any wait.
  void Sleep() {
    bell.Wait();
    if (!stuck && std::chrono::steady_clock::now() > deadline) {
      stuck = true;
      ADD_FAILURE() << name << " waits for ever in phase " << board.GamePhase;
      board.ResetGame();
    }
  }

  std::shared_ptr<DirPlay> Session() const { return AsDirPlay(board.gDirPlay); }

  bool Host() {
    auto dp = std::make_shared<DirPlay>(factory, view);
    FakeListBox list;
    board.gDirPlay = dp;
    if (!dp->InitConnectionList(list) || !dp->HostGame(0, name, "Dravenholt", 2)) return false;
    board.GameMode = ModeHost;
    return true;
  }
  bool Join() {
    auto dp = std::make_shared<DirPlay>(factory, view);
    FakeListBox list;
    board.gDirPlay = dp;
    if (!dp->InitConnectionList(list) || !dp->ListSessions(0, list) || !dp->JoinGame(0, name)) return false;
    board.GameMode = ModeClient;
    return true;
  }
  // The lobby's handshake: each side's box is ticked by the peer's ready or by
  // the echo of ours. The host's player presses once the peer has come in.
  bool Handshake() {
    std::shared_ptr<DirPlay> dp = Session();
    auto press = [&] {
      board.ReadyState = board.GameMode == ModeHost ? "1" : "2";
      dp->SendDPText(msgReady, board.ReadyState);
    };
    if (board.GameMode == ModeClient) press();
    bool ticked[3] = {false, false, false};
    for (int i = 0; i < 2000 && !(ticked[1] && ticked[2]); ++i) {
      int32_t from = 0, to = 0;
      const int32_t t = dp->GetLobbyMessages(from, to);
      const std::string body = dp->ReadString();
      if (t == msgPlayerChange && board.GameMode == ModeHost) {
        press();
      } else if ((t == msgReady || t == msgReadyEcho) && (body == "1" || body == "2")) {
        if (t == msgReady) dp->SendDPText(msgReadyEcho, body);
        ticked[body == "1" ? 1 : 2] = true;
      } else if (t == 0) {
        bell.Wait();
      }
    }
    return ticked[1] && ticked[2];
  }
  // Until the peer's arrival has been seen, as the host's lobby would.
  bool AwaitPeer() {
    for (int i = 0; i < 2000; ++i) {
      int32_t from = 0, to = 0;
      if (Session()->GetLobbyMessages(from, to) == msgPlayerChange) return true;
      bell.Wait();
    }
    return false;
  }

  // Plays until the game has ended and been reset. `onStep` runs after each act.
  void Play(const std::function<void()>& onStep) {
    for (int step = 0; step < 300000; ++step) {
      if (board.GameMode == ModeNone && board.GamePhase == PhaseIdle) return;
      const bool acted = player.Act();
      if (onStep) onStep();
      if (!acted || (board.TimingEnabled && view.panels[1] == "Checking for Data")) Sleep();
    }
    ADD_FAILURE() << name << " never finished; phase " << board.GamePhase;
  }
};

int16_t Mirror(int16_t c) { return c == 0 ? 0 : static_cast<int16_t>(11 - c); }

// Side 1 here is side 2 there, turned half a turn.
void ExpectMirrored(const Squares& here, const Squares& there, const char* when) {
  for (int u = 1; u <= 16; ++u)
    for (int c = 1; c <= 2; ++c) {
      EXPECT_EQ(here[1][u][c], Mirror(there[2][u][c])) << when << " unit " << u;
      EXPECT_EQ(here[2][u][c], Mirror(there[1][u][c])) << when << " unit " << u;
    }
}

size_t IndexOf(const std::vector<std::string>& v, const std::string& e) {
  for (size_t i = 0; i < v.size(); ++i)
    if (v[i] == e) return i;
  return v.size();
}

class TwoMachines : public ::testing::TestWithParam<Backend> {
 protected:
  void SetUp() override { keep_ = GetParam().make(bell, serviceA, serviceB); }
  void TearDown() override { keep_.reset(); }
  Doorbell bell;
  SessionServiceFactory serviceA, serviceB;

  // Hosted and joined, the host has seen its peer, both deployed apart and
  // mid-game in the given phases.
  void ConnectMidGame(Machine& host, Machine& client, int32_t hostPhase, int32_t clientPhase) {
    ASSERT_TRUE(host.Host());
    ASSERT_TRUE(client.Join());
    ASSERT_TRUE(host.AwaitPeer());
    for (Machine* m : {&host, &client}) {
      Rig layout;
      layout.DeployApart();
      m->board.UnitPos = layout.board.UnitPos;
      m->board.ShowAllUnits();
    }
    host.board.GamePhase = hostPhase;
    client.board.GamePhase = clientPhase;
    host.log.clear();
    client.log.clear();
  }

 private:
  std::shared_ptr<void> keep_;
};

TEST_P(TwoMachines, AWholeGameWithTheHostResolving) {
  Machine host("Anna", serviceA, bell);
  Machine client("Bert", serviceB, bell);
  host.view.opt[1] = true;  // "First Move Artillery Free", for the client too
  std::atomic<bool> hosted{false};
  Squares deployed[2] = {}, final[2] = {};

  auto run = [&](Machine& m, int i) {
    m.view.onDeviceWindow = [&] {
      if (i == 0) {
        ASSERT_TRUE(m.Host());
        hosted = true;
      } else {
        for (int k = 0; k < 2000 && !hosted; ++k) std::this_thread::sleep_for(1ms);
        ASSERT_TRUE(m.Join());
      }
      ASSERT_TRUE(m.Handshake());
    };
    m.view.onMsgBox = [&](const std::string& prompt) {
      if (prompt.rfind("Game Over", 0) == 0) final[i] = m.board.UnitPos;
    };
    m.board.mnuGame_Click(2);
    if (m.board.GamePhase != PhasePlaceBuildings) return;
    bool chatted = false, snapped = false;
    m.Play([&] {
      if (i == 0 && !chatted && m.board.GamePhase == PhasePlaceTanks) {
        chatted = true;
        m.view.inputAnswers = {"good luck"};
        m.board.mnuGame_Click(3);
      }
      const int32_t p = m.board.GamePhase;
      if (!snapped && p >= PhaseDecideOrder && p != PhaseIdle) {
        snapped = true;
        deployed[i] = m.board.UnitPos;
      }
    });
  };
  std::thread a([&] { run(host, 0); });
  std::thread b([&] { run(client, 1); });
  a.join();
  b.join();

  // Each machine showed the result, then ended the game.
  const std::vector<std::string> hostBoxes = host.log.only("box:"), clientBoxes = client.log.only("box:");
  ASSERT_EQ(hostBoxes.size(), 2u) << host.log.joined(" ");
  ASSERT_EQ(clientBoxes.size(), 2u) << client.log.joined(" ");
  const std::string won = "Game Over: you WON!|Dravenholt", lost = "Game Over: You lost!|Dravenholt";
  const std::string expected = hostBoxes[0] == won ? lost : hostBoxes[0] == lost ? won : hostBoxes[0];
  EXPECT_EQ(clientBoxes[0], expected);
  for (const auto* boxes : {&hostBoxes, &clientBoxes}) EXPECT_EQ((*boxes)[1], "Game has been terminated|Dravenholt");

  // Both boards agreed after the deployment and at the end.
  ExpectMirrored(deployed[0], deployed[1], "deployed");
  ExpectMirrored(final[0], final[1], "at the end");

  // The host alone decided the order and the option, and resolved every half-turn.
  const std::vector<SendRecord::Sent> hostSent = host.sent->Snapshot();
  std::vector<std::string> order;
  for (const auto& s : hostSent)
    if (s.type == msgTurnOrder || s.type == msgFreeArtillery) order.push_back(std::to_string(s.type) + ":" + s.body);
  ASSERT_EQ(order.size(), 2u);
  EXPECT_EQ(order[0], "9:1");
  EXPECT_TRUE(order[1] == "6:ClientMoves" || order[1] == "6:ClientBombs") << order[1];
  const auto hostTypes = host.sent->Types(), clientTypes = client.sent->Types();
  EXPECT_GE(std::count(hostTypes.begin(), hostTypes.end(), msgStats), 2);
  for (int32_t t : {msgStats, msgTurnOrder, msgFreeArtillery})
    EXPECT_EQ(std::count(clientTypes.begin(), clientTypes.end(), t), 0) << t;

  // The client took the option and the order from the host.
  const auto clientSounds = client.log.sounds();
  EXPECT_TRUE(client.log.has("opt1:disabled"));
  EXPECT_TRUE(client.log.has("opt1:checked"));
  const bool clientMovesFirst = order[1] == "6:ClientMoves";
  // "committed" plays as the option arrives, and again for a first fire turn passed over.
  const auto firstMove = clientSounds.begin() + static_cast<long>(IndexOf(clientSounds, "MovinOut"));
  EXPECT_EQ(std::count(clientSounds.begin(), firstMove, "committed"), clientMovesFirst ? 1 : 2);

  // The chat line showed on the client while its cue played.
  const auto panels = client.log.events;
  const size_t chat = IndexOf(panels, "panel1:Anna: good luck");
  ASSERT_LT(chat, panels.size());
  EXPECT_EQ(panels[chat + 1], "refresh");
  EXPECT_EQ(panels[chat + 2], "snd:report");
  EXPECT_TRUE(host.log.only("panel1:Bert").empty());

  // Both let go of their sessions.
  EXPECT_TRUE(host.sent->released);
  EXPECT_TRUE(client.sent->released);
}

// The peer's session vanishes, or its player starts something else, while this
// machine waits for it: the next tick ends the game, and nothing is sent after.
TEST_P(TwoMachines, APeerLeavingDuringAWaitEndsTheGame) {
  struct Case {
    const char* how;
    std::function<void(Machine&)> leave;
  };
  const std::vector<Case> cases = {
      {"killed", [](Machine& m) { m.board.gDirPlay.reset(); }},
      {"solo game", [](Machine& m) { m.board.mnuGame_Click(0); }},
      {"network game", [](Machine& m) { m.board.mnuGame_Click(2); }},
      {"exit", [](Machine& m) { m.board.mnuGame_Click(5); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.how);
    Machine host("Anna", serviceA, bell);
    Machine client("Bert", serviceB, bell);
    ConnectMidGame(host, client, PhaseTargetsDone, PhaseMovementDone);
    const size_t clientSends = client.sent->Snapshot().size();
    bool left = false;
    host.view.onWait = [&] {
      if (!left) {
        left = true;
        c.leave(client);
      }
      host.Sleep();
    };
    host.board.SetTiming(true);
    host.board.Timing_Timer();  // sends its targets and waits for the positions
    EXPECT_TRUE(left);
    EXPECT_EQ(host.board.GamePhase, PhaseIdle);
    EXPECT_TRUE(host.board.TimingEnabled);
    host.board.Timing_Timer();
    EXPECT_EQ(host.log.only("box:"), std::vector<std::string>{"Game has been terminated|Dravenholt"});
    EXPECT_EQ(host.board.GameMode, ModeNone);
    EXPECT_FALSE(host.board.TimingEnabled);
    EXPECT_EQ(host.sent->Types(), std::vector<int32_t>{msgFireMissions});
    EXPECT_TRUE(host.sent->released);
    EXPECT_EQ(client.sent->Snapshot().size(), clientSends);
    EXPECT_TRUE(client.sent->released);
  }
}

// A peer that started deploying while this machine was still in its lobby:
// its positions wait for this machine's game, which then goes on as usual.
TEST_P(TwoMachines, PositionsSentWhileThePeerIsInItsLobbyAreKept) {
  Machine host("Anna", serviceA, bell);
  Machine client("Bert", serviceB, bell);
  ConnectMidGame(host, client, PhaseMinesPlaced, PhaseIdle);
  // The client's lobby is still open and takes what comes.
  host.board.SendPositions("1");
  host.board.gDirPlay->SendDPText(msgChat, "ready when you are");
  int32_t lobbyTypes[2] = {0, 0};
  for (int i = 0, n = 0; i < 2000 && n < 2; ++i) {
    int32_t from = 0, to = 0;
    const int32_t t = client.Session()->GetLobbyMessages(from, to);
    if (t)
      lobbyTypes[n++] = t;
    else
      client.bell.Wait();
  }
  EXPECT_EQ(lobbyTypes[0], msgPositions);
  EXPECT_EQ(lobbyTypes[1], msgChat);

  client.board.UnitPos[2] = {};
  client.board.GamePhase = PhaseMinesPlaced;
  client.board.SetTiming(true);
  client.board.Timing_Timer();
  EXPECT_EQ(client.board.GamePhase, PhasePlaceTanks);
  EXPECT_EQ(client.board.UnitPos[2][14][1], Mirror(host.board.UnitPos[1][14][1]));
  EXPECT_EQ(client.board.UnitPos[2][14][2], Mirror(host.board.UnitPos[1][14][2]));
}

// Once the host's program has gone, the client's session takes no chat: the
// lobby keeps the line instead of showing it as said.
TEST_P(TwoMachines, AChatAfterTheHostHasGoneIsNotSent) {
  Machine host("Anna", serviceA, bell);
  Machine client("Bert", serviceB, bell);
  ASSERT_TRUE(host.Host());
  ASSERT_TRUE(client.Join());
  ASSERT_TRUE(host.AwaitPeer());
  ASSERT_TRUE(host.Session()->SendDPText(msgChat, "hello"));
  // The client's lobby reads up to the host's line, then to the host's leaving.
  auto until = [&](int32_t type) {
    for (int i = 0; i < 2000; ++i) {
      int32_t from = 0, to = 0;
      const int32_t t = client.Session()->GetLobbyMessages(from, to);
      if (t == type) return true;
      if (t == 0) bell.Wait();
    }
    return false;
  };
  ASSERT_TRUE(until(msgChat));
  host.board.gDirPlay.reset();
  ASSERT_TRUE(until(msgPlayerChange));
  EXPECT_FALSE(client.Session()->SendDPText(msgChat, "anyone?"));
}

#ifdef DH_TCP_SERVICE
Backend TheBackend() { return TcpBackend(); }
#else
Backend TheBackend() { return FakeHubBackend(); }
#endif
INSTANTIATE_TEST_SUITE_P(Services, TwoMachines, ::testing::Values(TheBackend()),
                         [](const ::testing::TestParamInfo<Backend>& info) { return std::string(info.param.name); });

}  // namespace
