// What hostile peers on loopback can hold of a host: its seats, its queue of
// unread messages, its discovery answers.
#include "SessionTestKit.h"
#include "platform/SessionWorker.h"

using namespace kit;
using wire::Frame;
using wire::Kind;

namespace {

// Silent raw peers are not dropped for silence while a test runs, but a
// handshake or a player that does not come is soon given up on.
TcpSessionConfig ShortDeadline() {
  TcpSessionConfig c = Quick();
  c.peerTimeout = 10s;
  c.handshakeTimeout = 1500ms;
  return c;
}

std::optional<Frame> Await(const RawPeer& peer, Kind kind) {
  for (int i = 0; i < 64; ++i) {
    const auto frame = peer.Read();
    if (!frame || frame->kind == kind) return frame;
  }
  return std::nullopt;
}

// Joins and creates a player; its id, or 0.
int32_t Enter(const RawPeer& peer, const std::string& name) {
  peer.Write(Hello());
  peer.Write(Frame{.kind = Kind::CreatePlayer, .friendlyName = name});
  const auto you = Await(peer, Kind::YouAre);
  return you ? you->id : 0;
}

std::string Burst(size_t messages) {
  const std::string one = wire::Encode(Frame{.kind = Kind::Send, .type = 7}).value();
  std::string bytes;
  for (size_t i = 0; i < messages; ++i) bytes += one;
  return bytes;
}

std::vector<std::string> Drain(SessionService& s, int32_t me) {
  std::vector<std::string> seen;
  while (s.MessageCount(me) > 0) {
    const SessionMessage m = s.Receive();
    seen.push_back(std::to_string(m.from) + ":" + std::to_string(m.type) + ":" + m.body);
  }
  return seen;
}

std::string Notice(int32_t type, int32_t player) { return "0:" + std::to_string(type) + ":" + std::to_string(player); }

}  // namespace

TEST(SessionLimits, AWelcomedConnectionHoldsASeatUntilItCreatesItsPlayerOrTimesOut) {
  Member host = Host(3, ShortDeadline());
  RawPeer early(host.port), squatter(host.port);
  for (const RawPeer* peer : {&early, &squatter}) {
    peer->Write(Hello());
    const auto welcome = peer->Read();
    ASSERT_TRUE(welcome && welcome->kind == Kind::Welcome);
    EXPECT_EQ(welcome->session.currentPlayers, 1);  // one PlayerAdded follows, not more
  }
  RawPeer late(host.port);
  late.Write(Hello());
  const auto refused = late.Read();
  ASSERT_TRUE(refused && refused->kind == Kind::Refuse);
  EXPECT_EQ(refused->text, "The session is full.");
  for (const std::string& typed : {"127.0.0.1:" + std::to_string(host.port), std::string()})
    EXPECT_TRUE(ListAt(typed, host.port).empty()) << typed;
  EXPECT_EQ(host.service->GetSessionDesc().currentPlayers, 1);

  early.Write(Frame{.kind = Kind::CreatePlayer, .friendlyName = "Carol"});
  EXPECT_TRUE(Await(early, Kind::YouAre));  // its own seat is the one it fills
  EXPECT_TRUE(squatter.ClosedWithin(5s));   // silent, though the heartbeat alone would spare it
  EXPECT_FALSE(early.ClosedWithin(300ms));  // a player has no such deadline
  EXPECT_NE(Join(host.port, "Bob").id, 0);
}

// The host's game reads nothing until the end. Each time the queue is full,
// whatever comes next (a leaving, a joining, a message) costs the flooder its
// connection and everything it had waiting, its unread "created" too: the game
// never knew these flooders, so it hears nothing of them leaving either.
TEST(SessionLimits, AFullQueueDropsTheFlooderAndKeepsTheQuietPlayers) {
  Member host = Host(4, ShortDeadline());
  SessionService& game = *host.service;
  auto count = [&] { return static_cast<size_t>(game.MessageCount(host.id)); };
  auto flood = [&](const RawPeer& flooder, const std::string& name, size_t over) {
    const size_t before = count();
    const int32_t id = Enter(flooder, name);
    EXPECT_TRUE(id != 0 && WaitUntil([&] { return count() == before + 1; }));
    flooder.Write(Burst(kMaxQueued + over - std::min(count(), kMaxQueued)));
    return id;
  };

  auto talker = std::make_unique<RawPeer>(host.port);
  const int32_t t = Enter(*talker, "Talker");
  talker->Write(Frame{.kind = Kind::Send, .type = 2, .body = "bye"});
  ASSERT_TRUE(WaitUntil([&] { return count() == 2; }));
  RawPeer first(host.port);
  flood(first, "First", 0);
  ASSERT_TRUE(WaitUntil([&] { return count() == kMaxQueued; }));
  talker.reset();
  EXPECT_TRUE(first.ClosedWithin(3s));
  ASSERT_TRUE(WaitUntil([&] { return count() == 3; }));

  RawPeer second(host.port);
  flood(second, "Second", 0);
  ASSERT_TRUE(WaitUntil([&] { return count() == kMaxQueued; }));
  RawPeer quiet(host.port);
  const int32_t q = Enter(quiet, "Quiet");
  EXPECT_TRUE(second.ClosedWithin(3s));
  ASSERT_TRUE(WaitUntil([&] { return count() == 4; }));

  RawPeer third(host.port);
  flood(third, "Third", 1);  // its own message is the one too many
  EXPECT_TRUE(third.ClosedWithin(3s));
  quiet.Write(Frame{.kind = Kind::Send, .type = 2, .body = "mine"});
  ASSERT_TRUE(WaitUntil([&] { return count() == 5; }));
  EXPECT_EQ(Drain(game, host.id),
            (std::vector<std::string>{Notice(DPSYS_CREATEPLAYERORGROUP, t), std::to_string(t) + ":2:bye",
                                      Notice(DPSYS_DESTROYPLAYERORGROUP, t), Notice(DPSYS_CREATEPLAYERORGROUP, q),
                                      std::to_string(q) + ":2:mine"}));
  ASSERT_EQ(game.Players().size(), 2u);
  EXPECT_EQ(game.Players()[1].id, q);
}

// The game has read that a player came, so it hears it leave, once, however
// full the queue was when it left.
TEST(SessionLimits, APlayerThatFloodsTheQueueAndLeavesIsAnnouncedOnce) {
  TcpSessionConfig config = ShortDeadline();
  config.heartbeat = 10s;  // nothing sent to the flooder is left unread when it closes
  Member host = Host(4, config);
  SessionService& game = *host.service;
  auto flooder = std::make_unique<RawPeer>(host.port);
  const int32_t id = Enter(*flooder, "Flood");
  ASSERT_TRUE(WaitUntil([&] { return game.MessageCount(host.id) == 1; }));
  EXPECT_EQ(Drain(game, host.id), std::vector<std::string>{Notice(DPSYS_CREATEPLAYERORGROUP, id)});
  flooder->Write(Burst(kMaxQueued));
  flooder.reset();
  EXPECT_TRUE(WaitUntil([&] { return game.Players().size() == 1 && game.MessageCount(host.id) == 1; }, 10s));
  EXPECT_EQ(Drain(game, host.id), std::vector<std::string>{Notice(DPSYS_DESTROYPLAYERORGROUP, id)});
}

// The same rule on a tiny queue: a tie goes against the newcomer's own
// origin, and what the game has read no longer counts against anyone.
TEST(SessionLimits, TheFlooderIsWhoeverHasTheMostWaitingNow) {
  auto from = [](int32_t player) { return SessionMessage{player, 9, 2, std::to_string(player)}; };
  SessionQueue queue(3);
  for (int32_t player : {1, 2, 3}) queue.Add(player, from(player));
  EXPECT_EQ(queue.Add(2, from(2)), 2);  // one each: the newcomer's own goes
  EXPECT_EQ(queue.size(), 2u);
  queue.Add(1, from(1));
  while (!queue.empty()) queue.Pop();
  for (int32_t player : {2, 2, 1}) queue.Add(player, from(player));
  EXPECT_EQ(queue.Add(3, from(3)), 2);  // not 1, whose earlier ones were read
  EXPECT_EQ(queue.Pop().body, "1");
  EXPECT_EQ(queue.Pop().body, "3");
}

// Whatever is discarded, the game hears each player it may know of leave
// exactly once, and never hears of one it did not know.
TEST(SessionLimits, AQueueNeverLosesALeavingNorInventsOne) {
  auto notice = [](int32_t type, int32_t player) { return SessionMessage{0, 9, type, std::to_string(player)}; };
  auto from = [](int32_t player) { return SessionMessage{player, 9, 2, std::to_string(player)}; };
  auto left = [](SessionQueue& queue) {  // "+1" came, "-1" left, "m1" a message from 1
    std::string seen;
    while (!queue.empty()) {
      const SessionMessage m = queue.Pop();
      seen += (m.from != 0 ? "m" : m.type == DPSYS_CREATEPLAYERORGROUP ? "+" : "-") + m.body + " ";
    }
    return seen;
  };

  SessionQueue host(3);
  host.Add(1, notice(DPSYS_CREATEPLAYERORGROUP, 1));
  host.Pop();  // 1 is known, 3 was there before our player; 2 and 4 are never read
  for (int i = 0; i < 2; ++i) host.Add(1, from(1));
  host.Add(1, notice(DPSYS_DESTROYPLAYERORGROUP, 1));
  EXPECT_EQ(host.Add(2, notice(DPSYS_CREATEPLAYERORGROUP, 2)), 1);  // 1's messages go, not its leaving
  host.Add(2, from(2));
  EXPECT_EQ(host.Add(2, notice(DPSYS_DESTROYPLAYERORGROUP, 2)), 2);  // all of it goes: it was never known
  for (int i = 0; i < 2; ++i) host.Add(3, from(3));
  EXPECT_EQ(host.Add(3, notice(DPSYS_DESTROYPLAYERORGROUP, 3)), 3);  // its leaving is not the one discarded
  EXPECT_EQ(left(host), "-1 -3 ");
  host.Add(4, notice(DPSYS_CREATEPLAYERORGROUP, 4));
  host.Add(4, from(4));
  host.Add(4, notice(DPSYS_DESTROYPLAYERORGROUP, 4));
  host.Add(5, from(5));
  EXPECT_EQ(left(host), "m5 ");

  // A client discards nothing, so it refuses what does not fit, but a leaving.
  SessionQueue client(2);
  client.Offer(1, from(1));
  client.Offer(1, from(1));
  EXPECT_FALSE(client.Offer(1, from(1)));
  EXPECT_FALSE(client.Offer(2, notice(DPSYS_CREATEPLAYERORGROUP, 2)));
  for (int32_t player : {2, 1}) EXPECT_TRUE(client.Offer(player, notice(DPSYS_DESTROYPLAYERORGROUP, player)));
  EXPECT_EQ(left(client), "m1 m1 -1 ");
}

TEST(SessionLimits, PlayersThatComeAndGoUnreadLeaveNothingQueued) {
  Member host = Host(0, ShortDeadline());
  for (int i = 0; i < 300; ++i) {
    RawPeer visitor(host.port);
    ASSERT_NE(Enter(visitor, "Visitor " + std::to_string(i)), 0);
  }
  EXPECT_TRUE(
      WaitUntil([&] { return host.service->Players().size() == 1 && host.service->MessageCount(host.id) == 0; }));
}

// A second counts from each answer, not from a tick of the host's clock.
TEST(SessionLimits, DiscoveryAnswersAreCountedOverAnyOneSecond) {
  AnswerBudget budget;
  const QHostAddress greedy("127.0.0.3"), late("127.0.0.9");
  int given = 0;
  for (qint64 at = 500; at < 508; ++at) given += budget.Take(greedy, at);
  EXPECT_EQ(given, 5);
  EXPECT_FALSE(budget.Take(greedy, 1499));
  EXPECT_TRUE(budget.Take(greedy, 1500));  // its answer at 500 is a second old
  int others = 0;
  for (int source = 4; source < 8; ++source)
    for (int i = 0; i < 5; ++i) others += budget.Take(QHostAddress(QString("127.0.0.%1").arg(source)), 1500);
  EXPECT_EQ(others, 15);
  EXPECT_FALSE(budget.Take(late, 1500));
  EXPECT_TRUE(budget.Take(late, 1501));
}

// Every 127.x.y.z is this machine: each socket here asks from an address of
// its own, all of them at once, of the host on 127.0.0.1.
TEST(SessionLimits, DiscoveryAnswersFiveToAnAskerAndTwentyInAllAndNoneForAnotherProgram) {
  Member host = Host(2);
  struct Asker {
    int fd = ::socket(AF_INET, SOCK_DGRAM, 0);
    int answers = 0;
    ~Asker() { ::close(fd); }
  };
  auto ask = [&](Asker& asker, const std::string& app, int times) {
    const std::string query = wire::EncodeQuery(app).value();
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    to.sin_port = htons(host.port);
    for (int i = 0; i < times; ++i)
      ::sendto(asker.fd, query.data(), query.size(), 0, reinterpret_cast<const sockaddr*>(&to), sizeof to);
  };
  Asker askers[8];  // a stranger, a greedy one and six others
  for (int i = 0; i < 8; ++i) {
    sockaddr_in from{};
    from.sin_family = AF_INET;
    ::inet_pton(AF_INET, ("127.0.0." + std::to_string(i + 2)).c_str(), &from.sin_addr);
    ASSERT_EQ(::bind(askers[i].fd, reinterpret_cast<const sockaddr*>(&from), sizeof from), 0);
  }
  ask(askers[0], "{another program}", 3);
  ask(askers[1], kApp, 8);
  for (int i = 2; i < 8; ++i) ask(askers[i], kApp, 3);  // 18 more, of which 15 fit

  int total = 0;
  auto hear = [&] {
    char datagram[2048];
    for (Asker& asker : askers) {
      ssize_t got;
      while ((got = ::recv(asker.fd, datagram, sizeof datagram, MSG_DONTWAIT)) > 0) {
        const bool answer = wire::DecodeAnswer(std::string_view(datagram, static_cast<size_t>(got))).has_value();
        asker.answers += answer;
        total += answer;
      }
    }
    return total;
  };
  EXPECT_TRUE(WaitUntil([&] { return hear() >= 20; }));
  std::this_thread::sleep_for(200ms);  // time for any answer too many
  hear();
  EXPECT_EQ(askers[0].answers, 0);
  EXPECT_EQ(askers[1].answers, 5);
  EXPECT_EQ(total, 20);
}
