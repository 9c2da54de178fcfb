#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "fakes/FakeSessionHub.h"
#include "fakes/Fakes.h"

namespace {

// One machine's session object, with the view its boxes go to.
struct Machine {
  EventLog log;
  FakeView view{log};
  FakeListBox list;
  std::unique_ptr<DirPlay> dp;
  explicit Machine(const SessionServiceFactory& factory) : dp(std::make_unique<DirPlay>(factory, view)) {}
  std::vector<std::string> Boxes() const { return log.only("box:"); }
  int32_t Poll(int32_t& from) {
    int32_t to = 0;
    return dp->GetMessages(from, to);
  }
  int32_t LobbyPoll() {
    int32_t from = 0, to = 0;
    return dp->GetLobbyMessages(from, to);
  }
};

struct HostAndClient {
  std::shared_ptr<FakeSessionHub> hub = FakeSessionHub::Create();
  Machine host{hub->Factory()};
  Machine client{hub->Factory()};
  HostAndClient() {
    EXPECT_TRUE(host.dp->InitConnectionList(host.list));
    EXPECT_TRUE(host.dp->HostGame(0, "Anna", "Dravenholt", 2));
    EXPECT_TRUE(client.dp->InitConnectionList(client.list));
    EXPECT_TRUE(client.dp->ListSessions(0, client.list));
    EXPECT_TRUE(client.dp->JoinGame(0, "Bert"));
  }
};

TEST(DirPlay, HostListJoinAndPlayers) {
  auto hub = FakeSessionHub::Create();
  hub->providers = {"TCP/IP", "Serial"};
  Machine host(hub->Factory());
  EXPECT_EQ(host.dp->state(), DirPlay::State::Created);
  ASSERT_TRUE(host.dp->InitConnectionList(host.list));
  EXPECT_EQ(host.list.rows, (std::vector<std::string>{"TCP/IP", "Serial"}));
  EXPECT_EQ(host.list.index, 0);
  EXPECT_EQ(host.dp->state(), DirPlay::State::ProvidersListed);
  ASSERT_TRUE(host.dp->HostGame(0, "Anna", "Dravenholt", 2));
  EXPECT_EQ(host.dp->state(), DirPlay::State::InSessionHost);
  EXPECT_NE(host.dp->MyPlayerId(), 0);

  Machine client(hub->Factory());
  ASSERT_TRUE(client.dp->InitConnectionList(client.list));
  client.list.index = 1;  // a row picked by hand is forgotten by the listing
  ASSERT_TRUE(client.dp->ListSessions(0, client.list));
  EXPECT_EQ(client.list.rows, std::vector<std::string>{"Dravenholt (1/2)"});
  EXPECT_EQ(client.list.index, 0);
  EXPECT_EQ(client.dp->state(), DirPlay::State::SessionsListed);
  ASSERT_TRUE(client.dp->JoinGame(0, "Bert"));
  EXPECT_EQ(client.dp->state(), DirPlay::State::InSessionClient);

  // The host hears of the newcomer as a player change.
  int32_t from = -1;
  EXPECT_EQ(host.Poll(from), msgPlayerChange);
  EXPECT_EQ(from, 0);
  FakeListBox players;
  players.rows = {"stale"};
  EXPECT_EQ(host.dp->UpdatePlayers(players), "2 people in the session.");
  EXPECT_EQ(players.rows, (std::vector<std::string>{"Anna", "Bert"}));
  EXPECT_EQ(client.dp->CountPlayers(), 2);

  // A full session is not listed.
  Machine third(hub->Factory());
  ASSERT_TRUE(third.dp->InitConnectionList(third.list));
  EXPECT_FALSE(third.dp->ListSessions(0, third.list));
  EXPECT_TRUE(third.list.rows.empty());
  EXPECT_EQ(third.Boxes(), std::vector<std::string>{"No Sessions found|Dravenholt"});
  EXPECT_EQ(third.view.msgBoxFlags, std::vector<int>{vbOKOnly});  // OK only, no icon
  EXPECT_TRUE(host.Boxes().empty());
  EXPECT_TRUE(client.Boxes().empty());
}

TEST(DirPlay, MessagesOnePerPollInOrder) {
  HostAndClient m;
  int32_t from = 0;
  ASSERT_EQ(m.host.Poll(from), msgPlayerChange);

  m.client.dp->SendDPText(msgChat, "hello");
  m.client.dp->SendDPText(msgPositions, "");
  from = 0;
  EXPECT_EQ(m.host.Poll(from), msgChat);
  EXPECT_EQ(from, m.client.dp->MyPlayerId());
  EXPECT_EQ(m.host.dp->ReadString(), "hello");
  EXPECT_EQ(m.host.dp->GetPlayerName(from), "Bert");
  EXPECT_EQ(m.host.Poll(from), msgPositions);
  EXPECT_EQ(m.host.dp->ReadString(), "");

  // Nothing waiting: 0, and the ids stay as they were.
  from = 77;
  int32_t to = 88;
  EXPECT_EQ(m.host.dp->GetMessages(from, to), 0);
  EXPECT_EQ(from, 77);
  EXPECT_EQ(to, 88);

  // A service message other than a player change is taken and dropped.
  m.hub->Deliver(m.client.dp->MyPlayerId(), {0, 0, 4, ""});
  m.host.dp->SendDPText(msgChat, "back");
  EXPECT_EQ(m.client.Poll(from), 0);
  EXPECT_EQ(m.client.Poll(from), msgChat);
  EXPECT_EQ(m.client.dp->ReadString(), "back");

  // The peer's leaving is a player change; its name can no longer be had.
  const int32_t bert = m.client.dp->MyPlayerId();
  m.client.dp.reset();
  EXPECT_EQ(m.host.Poll(from), msgPlayerChange);
  EXPECT_THROW(m.host.dp->GetPlayerName(bert), SessionError);
}

TEST(DirPlay, TheLobbyHoldsBackTheGamesMessagesInOrder) {
  HostAndClient m;
  EXPECT_EQ(m.host.LobbyPoll(), msgPlayerChange);
  m.client.dp->SendDPText(msgPositions, "mines");
  m.client.dp->SendDPText(msgChat, "where are you?");
  m.client.dp->SendDPText(msgReady, "2");
  m.client.dp->SendDPText(msgPositions, "tanks");

  // The lobby sees every message once, in order.
  EXPECT_EQ(m.host.LobbyPoll(), msgPositions);
  EXPECT_EQ(m.host.LobbyPoll(), msgChat);
  EXPECT_EQ(m.host.LobbyPoll(), msgReady);
  EXPECT_EQ(m.host.LobbyPoll(), msgPositions);
  EXPECT_EQ(m.host.dp->HeldBackCount(), 2u);
  m.client.dp->SendDPText(msgFireMissions, "targets");

  // The game takes what the lobby held back first, then the queue.
  int32_t from = 0;
  std::vector<std::string> game;
  for (int i = 0; i < 4; ++i) {
    const int32_t t = m.host.Poll(from);
    game.push_back(std::to_string(t) + ":" + (t ? m.host.dp->ReadString() : ""));
  }
  EXPECT_EQ(game, (std::vector<std::string>{"5:mines", "5:tanks", "7:targets", "0:"}));
  EXPECT_EQ(from, m.client.dp->MyPlayerId());
  EXPECT_EQ(m.host.LobbyPoll(), 0);
}

TEST(DirPlay, FailuresShowTheirBoxes) {
  auto hub = FakeSessionHub::Create();
  {
    // No service at all: the program ends.
    Machine none{SessionServiceFactory{}};
    EXPECT_FALSE(none.dp->Initialized());
    EXPECT_EQ(none.log.events, (std::vector<std::string>{"box:Failed to initialize DirectPlay.|Dravenholt", "end"}));
  }
  {
    hub->providers = {};
    Machine m(hub->Factory());
    EXPECT_FALSE(m.dp->InitConnectionList(m.list));
    EXPECT_TRUE(m.list.rows.empty());
    hub->providers = {"TCP/IP"};
    hub->failProviders = true;
    EXPECT_FALSE(m.dp->InitConnectionList(m.list));
    hub->failProviders = false;
    EXPECT_EQ(m.Boxes(), (std::vector<std::string>{"Unable to list connections.|Dravenholt",
                                                   "Unable to list connections.|Dravenholt"}));
  }
  {
    Machine m(hub->Factory());
    ASSERT_TRUE(m.dp->InitConnectionList(m.list));
    hub->failInitialize = true;
    m.list.rows = {"untouched"};
    EXPECT_FALSE(m.dp->ListSessions(0, m.list));
    EXPECT_EQ(m.list.rows, std::vector<std::string>{"untouched"});
    EXPECT_FALSE(m.dp->HostGame(0, "Anna", "Dravenholt", 2));
    hub->failInitialize = false;
    EXPECT_FALSE(m.dp->HostGame(5, "Anna", "Dravenholt", 2));  // no such provider row
    hub->cancelListing = true;
    EXPECT_FALSE(m.dp->ListSessions(0, m.list));
    hub->cancelListing = false;
    hub->failCreate = true;
    EXPECT_FALSE(m.dp->HostGame(0, "Anna", "Dravenholt", 2));
    hub->failCreate = false;
    EXPECT_EQ(m.Boxes(),
              (std::vector<std::string>{
                  "Failed to initialize connection.|Dravenholt", "Failed to initialize connection.|Dravenholt",
                  "Failed to initialize connection.|Dravenholt", "Unable to list available games.|Dravenholt",
                  "Unable to create game.|Dravenholt"}));
  }
  {
    // A name already in the session, then a session gone before the join.
    HostAndClient m;
    Machine late(m.hub->Factory());
    Machine third(m.hub->Factory());
    m.client.dp.reset();  // a place is free again
    ASSERT_TRUE(late.dp->InitConnectionList(late.list));
    ASSERT_TRUE(late.dp->ListSessions(0, late.list));
    EXPECT_FALSE(late.dp->JoinGame(0, "Anna"));
    ASSERT_TRUE(third.dp->InitConnectionList(third.list));
    ASSERT_TRUE(third.dp->ListSessions(0, third.list));
    m.host.dp.reset();
    EXPECT_FALSE(third.dp->JoinGame(0, "Carl"));
    EXPECT_EQ(late.Boxes(),
              std::vector<std::string>{"A player with the same name already exists in that session.|Dravenholt"});
    EXPECT_EQ(third.Boxes(),
              std::vector<std::string>{"Unable to join game.\r\nThe session no longer exists.|Dravenholt"});
  }
  {
    HostAndClient m;
    m.hub->failPlayers = true;
    FakeListBox players;
    EXPECT_EQ(m.host.dp->UpdatePlayers(players), "");
    EXPECT_EQ(m.host.dp->CountPlayers(), 0);
    EXPECT_EQ(m.host.Boxes(),
              (std::vector<std::string>{"Error listing players.|Dravenholt", "Error counting players.|Dravenholt"}));
  }
}

TEST(DirPlay, NothingFailsTowardsTheGameOnceTheSessionIsGone) {
  HostAndClient m;
  int32_t from = 0;
  ASSERT_EQ(m.host.Poll(from), msgPlayerChange);

  // Only what the service takes counts as sent.
  EXPECT_TRUE(m.client.dp->SendDPText(msgChat, std::string(kMaxMessageBody, 'y')));
  EXPECT_FALSE(m.client.dp->SendDPText(msgChat, std::string(kMaxMessageBody + 1, 'y')));
  ASSERT_EQ(m.host.Poll(from), msgChat);
  EXPECT_EQ(m.host.Poll(from), 0);

  // The host is gone: the client's sends go nowhere, without a word.
  m.host.dp.reset();
  EXPECT_FALSE(m.client.dp->SendDPText(msgPositions, "x"));
  EXPECT_EQ(m.client.Poll(from), msgPlayerChange);

  // Dismantled: nothing is sent or taken, no box; the peer heard the leave.
  HostAndClient n;
  ASSERT_EQ(n.host.Poll(from), msgPlayerChange);
  EXPECT_TRUE(n.client.dp->InSession());
  n.client.dp->Dismantle();
  EXPECT_EQ(n.client.dp->state(), DirPlay::State::Dismantled);
  EXPECT_FALSE(n.client.dp->InSession());
  EXPECT_FALSE(n.client.dp->SendDPText(msgChat, "anyone?"));
  EXPECT_EQ(n.client.Poll(from), 0);
  EXPECT_THROW(n.client.dp->GetPlayerName(1), SessionError);
  EXPECT_EQ(n.host.Poll(from), msgPlayerChange);
  EXPECT_EQ(n.host.Poll(from), 0);
  EXPECT_TRUE(n.client.Boxes().empty());
  EXPECT_EQ(n.hub->OpenConnections(), 1);
}

// "Send Text Message" after a cancelled join: no box, nothing sent.
TEST(DirPlay, ChatAfterACancelledJoinAsksNothing) {
  auto hub = FakeSessionHub::Create();
  Rig rig;
  auto dp = std::make_shared<DirPlay>(hub->Factory(), rig.view);
  FakeListBox list;
  ASSERT_TRUE(dp->InitConnectionList(list));
  dp->Dismantle();
  rig.board.gDirPlay = dp;
  rig.board.GameMode = ModeClient;
  rig.view.inputAnswers = {"hello?"};
  rig.log.clear();
  rig.board.mnuGame_Click(3);
  EXPECT_TRUE(rig.log.events.empty()) << rig.log.joined(" ");
}

}  // namespace
