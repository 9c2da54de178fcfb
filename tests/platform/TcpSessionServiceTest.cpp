// The session service on real sockets, 127.0.0.1 and ::1 only, on ports the
// system picks.
#include <QEventLoop>
#include <QTimer>
#include <cstdlib>
#include <filesystem>

#include "SessionTestKit.h"

using namespace kit;

namespace {

std::vector<std::string> Names(const std::vector<SessionPlayer>& players) {
  std::vector<std::string> names;
  for (const auto& p : players) names.push_back(p.friendlyName + "/" + p.formalName);
  return names;
}

testing::AssertionResult IsService(const SessionMessage& m, int32_t type, int32_t player) {
  if (m.from == 0 && m.type == type && m.body == std::to_string(player)) return testing::AssertionSuccess();
  return testing::AssertionFailure() << "from " << m.from << ", type " << m.type << ", body " << m.body;
}

size_t Entries(const char* dir) {
  return static_cast<size_t>(std::distance(std::filesystem::directory_iterator(dir), {}));
}

SessionDesc Desc(const std::string& address = "", const std::string& name = "") {
  SessionDesc d;
  d.guidApplication = kApp;
  d.address = address;
  d.sessionName = name;
  d.maxPlayers = 2;
  return d;
}

}  // namespace

TEST(TcpSession, HostsIsListedByTypedAddressJoinsAndCarriesMessagesBothWaysInOrder) {
  Member host = Host(2);
  const std::string port = std::to_string(host.port);

  std::vector<std::string> typed = {"127.0.0.1:" + port, " 127.0.0.1 "};
  if (HaveIpv6Loopback()) typed.insert(typed.end(), {"[::1]:" + port, "::1", "[::1]"});
  for (const std::string& address : typed) {
    SCOPED_TRACE(address);
    const auto found = ListAt(address, host.port);  // the port is the default where none is typed
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].sessionName, "Dravenholt");
    EXPECT_EQ(found[0].guidApplication, kApp);
    EXPECT_EQ(found[0].currentPlayers, 1);
    EXPECT_EQ(found[0].maxPlayers, 2);
    EXPECT_EQ(found[0].flags, DPSESSION_DIRECTPLAYPROTOCOL);
  }
  EXPECT_TRUE(ListAt("127.0.0.1:" + port, 0, "{another program}").empty());

  Member client = Join(host.port, "Bob");
  ASSERT_NE(client.id, 0);
  EXPECT_NE(client.id, host.id);
  EXPECT_TRUE(IsService(Next(*host.service, host.id), DPSYS_CREATEPLAYERORGROUP, client.id));
  const std::vector<std::string> order = {"Alice/", "Bob/Player"};
  EXPECT_EQ(Names(host.service->Players()), order);
  EXPECT_EQ(Names(client.service->Players()), order);
  EXPECT_EQ(client.service->PlayerFriendlyName(host.id), "Alice");
  EXPECT_EQ(host.service->PlayerFriendlyName(client.id), "Bob");
  EXPECT_EQ(client.service->GetSessionDesc().sessionName, "Dravenholt");
  EXPECT_EQ(client.service->GetSessionDesc().currentPlayers, 2);
  EXPECT_EQ(client.service->MessageCount(client.id), 0);  // a joiner is not told about those already there

  // Both ways, in order, one per poll, with the sender's id; an empty body
  // stays an empty text.
  const std::vector<std::pair<int32_t, std::string>> sent = {{2, "hello"}, {5, ""}, {3, "Grüße, ✓"}, {9, "1"}};
  for (const auto& [type, body] : sent) client.service->Send(client.id, type, body);
  for (const auto& [type, body] : sent) host.service->Send(host.id, type + 100, body);
  for (const auto& [type, body] : sent) {
    const SessionMessage atHost = Next(*host.service, host.id);
    EXPECT_EQ(atHost.from, client.id);
    EXPECT_EQ(atHost.type, type);
    EXPECT_EQ(atHost.body, body);
    const SessionMessage atClient = Next(*client.service, client.id);
    EXPECT_EQ(atClient.from, host.id);
    EXPECT_EQ(atClient.type, type + 100);
    EXPECT_EQ(atClient.body, body);
  }
  EXPECT_EQ(host.service->MessageCount(host.id), 0);
  EXPECT_THROW(host.service->Receive(), SessionError);

  // Full now: no longer listed, and a join from an older listing is refused.
  EXPECT_TRUE(ListAt("127.0.0.1:" + port).empty());
  TcpSessionService late(Quick());
  try {
    late.OpenJoin(Desc("127.0.0.1:" + port));
    FAIL() << "joined a full session";
  } catch (const SessionError& e) {
    EXPECT_EQ(e.number(), kSessionErrGeneric);
    EXPECT_STREQ(e.what(), "The session is full.");
  }
}

TEST(TcpSession, RefusesADuplicateNameAVanishedSessionAndWhatCannotBeDone) {
  Member host = Host(3);
  TcpSessionService client(Quick("127.0.0.1:" + std::to_string(host.port)));
  EXPECT_EQ(client.ProviderNames(), std::vector<std::string>{"TCP/IP"});
  EXPECT_THROW(client.InitializeConnection(2), SessionError);
  client.InitializeConnection(1);
  const auto found = client.EnumSessions(Desc());
  ASSERT_EQ(found.size(), 1u);
  client.OpenJoin(found[0]);
  try {
    client.CreatePlayer("Alice", "Player");
    FAIL() << "a second Alice was let in";
  } catch (const SessionError& e) {
    EXPECT_EQ(e.number(), kSessionErrDuplicateName);
  }
  const int32_t carol = client.CreatePlayer("Carol", "Player");  // another name still gets in
  EXPECT_EQ(Names(host.service->Players()), (std::vector<std::string>{"Alice/", "Carol/Player"}));
  EXPECT_THROW(client.SetSessionDesc({}), SessionError);  // the host's business

  // The host's description change reaches the players; join-disabled is not listed.
  SessionDesc desc = host.service->GetSessionDesc();
  desc.flags |= DPSESSION_JOINDISABLED;
  host.service->SetSessionDesc(desc);
  EXPECT_TRUE(WaitUntil([&] { return client.GetSessionDesc().flags & DPSESSION_JOINDISABLED; }));
  EXPECT_TRUE(ListAt("127.0.0.1:" + std::to_string(host.port)).empty());
  EXPECT_NE(carol, 0);

  // Hosting on a port in use fails; once the host is gone, joining says why.
  TcpSessionService second(Quick("", host.port));
  second.InitializeConnection(1);
  EXPECT_THROW(second.OpenCreate(Desc("", "Two")), SessionError);
  const uint16_t port = host.port;
  host.service.reset();
  TcpSessionService late(Quick());
  try {
    late.OpenJoin(found[0]);
    FAIL() << "joined a session that is gone";
  } catch (const SessionError& e) {
    EXPECT_NE(std::string(e.what()).find("refused"), std::string::npos) << e.what();
  }
  EXPECT_TRUE(ListAt("127.0.0.1:" + std::to_string(port)).empty());

  auto config = Quick();
  config.askAddress = [] { return std::nullopt; };
  TcpSessionService asked(config);
  asked.InitializeConnection(1);
  EXPECT_THROW(asked.EnumSessions(Desc()), SessionError);
  TcpSessionService garbled(Quick("[::1"));
  garbled.InitializeConnection(1);
  EXPECT_THROW(garbled.EnumSessions(Desc()), SessionError);
}

TEST(TcpSession, DiscoveryQuerySentToLoopbackIsAnsweredAndLeadsToAJoin) {
  Member host = Host(2);
  // A blank address searches; the query goes to 127.0.0.1 here, never out.
  TcpSessionService client(Quick("", host.port));
  client.InitializeConnection(1);
  const auto found = client.EnumSessions(Desc());
  ASSERT_EQ(found.size(), 1u);
  EXPECT_EQ(found[0].sessionName, "Dravenholt");
  EXPECT_EQ(found[0].currentPlayers, 1);
  EXPECT_EQ(found[0].address, "127.0.0.1:" + std::to_string(host.port));
  client.OpenJoin(found[0]);
  const int32_t id = client.CreatePlayer("Bob", "Player");
  EXPECT_TRUE(IsService(Next(*host.service, host.id), DPSYS_CREATEPLAYERORGROUP, id));
}

// With the default heartbeat (2 s, dropped after 8 s of silence), a peer that
// leaves must still be announced at once: by its closed connection.
TEST(TcpSession, ALeavingPlayerIsAnnouncedAtOnceOverManyGames) {
  TcpSessionConfig normal;
  normal.port = 0;
  normal.askAddress = [] { return std::nullopt; };
  size_t files = 0, threads = 0;
  for (int game = 0; game < 8; ++game) {
    SCOPED_TRACE(game);
    if (game == 1) {
      files = Entries("/proc/self/fd");
      threads = Entries("/proc/self/task");
    }
    Member host = Host(2, normal);
    Member client = Join(host.port, "Bob", normal);
    ASSERT_TRUE(IsService(Next(*host.service, host.id), DPSYS_CREATEPLAYERORGROUP, client.id));
    QElapsedTimer clock;
    clock.start();
    if (game % 2 == 0) {
      client.service->Send(client.id, 10, "Your opponent has left the game");
      client.service.reset();
      const SessionMessage last = Next(*host.service, host.id, 1s);
      EXPECT_EQ(last.body, "Your opponent has left the game");  // nothing sent before leaving is lost
      EXPECT_TRUE(IsService(Next(*host.service, host.id, 1s), DPSYS_DESTROYPLAYERORGROUP, client.id));
      EXPECT_EQ(Names(host.service->Players()), std::vector<std::string>{"Alice/"});
    } else {
      host.service.reset();
      EXPECT_TRUE(IsService(Next(*client.service, client.id, 1s), DPSYS_DESTROYPLAYERORGROUP, host.id));
      EXPECT_EQ(Names(client.service->Players()), std::vector<std::string>{"Bob/Player"});
      EXPECT_THROW(client.service->Send(client.id, 2, "anyone?"), SessionError);  // nobody is left to hear it
    }
    EXPECT_LT(clock.elapsed(), 1000);
  }
  // Each game's objects took their sockets and their thread with them.
  // (A joined thread may take a moment more to leave the process's list.)
  EXPECT_TRUE(WaitUntil([&] { return Entries("/proc/self/fd") <= files && Entries("/proc/self/task") <= threads; }, 1s))
      << Entries("/proc/self/fd") << " files, " << Entries("/proc/self/task") << " threads";
}

TEST(TcpSession, TheDefaultPortComesFromDravenholtPort) {
  const std::string before = std::getenv("DRAVENHOLT_PORT") ? std::getenv("DRAVENHOLT_PORT") : "";
  setenv("DRAVENHOLT_PORT", "31337", 1);
  EXPECT_EQ(TcpSessionConfig().port, 31337);
  setenv("DRAVENHOLT_PORT", "70000", 1);
  EXPECT_EQ(TcpSessionConfig().port, kDefaultSessionPort);
  unsetenv("DRAVENHOLT_PORT");
  EXPECT_EQ(TcpSessionConfig().port, kDefaultSessionPort);
  if (!before.empty()) setenv("DRAVENHOLT_PORT", before.c_str(), 1);
}

TEST(TcpSession, FrozenPeersAreDroppedByTheHeartbeat) {
  // A player that finishes its handshake and then says nothing more.
  Member host = Host(3);
  RawPeer frozen(host.port);
  frozen.Write(Hello());
  frozen.Write(wire::Frame{.kind = wire::Kind::CreatePlayer, .friendlyName = "Zed"});
  const SessionMessage created = Next(*host.service, host.id);
  ASSERT_EQ(created.type, DPSYS_CREATEPLAYERORGROUP);
  QElapsedTimer clock;
  clock.start();
  EXPECT_TRUE(IsService(Next(*host.service, host.id), DPSYS_DESTROYPLAYERORGROUP, std::stoi(created.body)));
  EXPECT_GT(clock.elapsed(), 300);  // silence, not a closed connection, ended it
  EXPECT_TRUE(frozen.ClosedWithin(1s));

  // A host that welcomes, accepts the player and then goes silent.
  RawPeer listener(0);
  std::thread fakeHost([&] {
    auto link = listener.Accept();
    link->Read();  // Hello
    link->Write(wire::Frame{.kind = wire::Kind::Welcome, .session = {kApp, "Frozen", 2, 1, 0}});
    link->Write(wire::Frame{.kind = wire::Kind::PlayerAdded, .id = 77, .friendlyName = "Ice"});
    link->Read();  // CreatePlayer
    link->Write(wire::Frame{.kind = wire::Kind::YouAre, .id = 78});
    link->ClosedWithin(3s);
  });
  TcpSessionService client(Quick());
  client.OpenJoin(Desc("127.0.0.1:" + std::to_string(listener.Port())));
  EXPECT_EQ(client.CreatePlayer("Bob", "Player"), 78);
  EXPECT_TRUE(IsService(Next(client, 78), DPSYS_DESTROYPLAYERORGROUP, 77));
  fakeHost.join();
}

TEST(TcpSession, MalformedOversizedForeignAndSilentConnectionsAreClosedWhileTheSessionGoesOn) {
  Member host = Host(4);
  Member client = Join(host.port, "Bob");
  Next(*host.service, host.id);  // Bob entered

  RawPeer garbage(host.port);
  garbage.Write("GET / HTTP/1.0\r\n\r\n");
  RawPeer unknownKind(host.port);
  unknownKind.Write(std::string("\0\0\0\3\x63\0\0", 7));
  RawPeer foreign(host.port);
  foreign.Write(Hello("{another program}"));
  RawPeer silent(host.port);
  // A player that then sends a frame over the maximum size.
  RawPeer oversized(host.port);
  oversized.Write(Hello());
  oversized.Write(wire::Frame{.kind = wire::Kind::CreatePlayer, .friendlyName = "Mallory"});
  oversized.Write(std::string("\0\0\x13\x88", 4) + std::string(5000, 'x'));

  for (const RawPeer* peer : {&garbage, &unknownKind, &foreign, &oversized, &silent})
    EXPECT_TRUE(peer->ClosedWithin(2s));

  // Mallory came and went before either game read of it, so it left no
  // trace; nothing else happened.
  client.service->Send(client.id, 2, "still here");
  host.service->Send(host.id, 2, "so am I");
  EXPECT_EQ(Next(*host.service, host.id).body, "still here");
  EXPECT_EQ(Next(*client.service, client.id).body, "so am I");
  for (SessionService* s :
       {static_cast<SessionService*>(host.service.get()), static_cast<SessionService*>(client.service.get())}) {
    EXPECT_EQ(s->MessageCount(s == host.service.get() ? host.id : client.id), 0);
    EXPECT_EQ(Names(s->Players()), (std::vector<std::string>{"Alice/", "Bob/Player"}));
  }
}

// The game waits for its peer asleep in its event loop; an arriving message
// must wake it with no input of any kind.
TEST(TcpSession, AnArrivingMessageWakesAThreadAsleepInItsEventLoop) {
  Member host = Host(2);
  Member client = Join(host.port, "Bob");
  Next(*host.service, host.id);
  QCoreApplication::processEvents();

  bool gaveUp = false;
  QTimer guard;
  guard.setSingleShot(true);
  QObject::connect(&guard, &QTimer::timeout, [&] { gaveUp = true; });
  guard.start(5000);
  QElapsedTimer clock;
  clock.start();
  client.service->Send(client.id, 5, "positions");
  while (host.service->MessageCount(host.id) == 0 && !gaveUp)
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
  EXPECT_FALSE(gaveUp);
  EXPECT_LT(clock.elapsed(), 1000);
  EXPECT_EQ(host.service->Receive().body, "positions");
}
