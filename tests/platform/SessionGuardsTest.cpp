// What the session service does with peers that misbehave: raw sockets on
// 127.0.0.1 speak the protocol by hand to a real host, or play a host to a
// real client. Time-outs are long here, so whatever closes a link within a
// few seconds is the guard under test.
#include <atomic>
#include <thread>

#include "SessionTestKit.h"
#include "platform/SessionWorker.h"

using namespace kit;
using wire::Frame;
using wire::Kind;

namespace {

// The player id in the next service message of `type` to the host's player.
int32_t Announced(const Member& host, int32_t type) {
  const SessionMessage m = Next(*host.service, host.id);
  EXPECT_EQ(m.from, 0);
  EXPECT_EQ(m.type, type);
  return m.from == 0 && m.type == type ? std::stoi(m.body) : 0;
}

// A raw player: joins and enters as `name`; its id as the host announced it.
int32_t Enter(const RawPeer& peer, const Member& host, const std::string& name) {
  peer.Write(Hello());
  peer.Write(Frame{.kind = Kind::CreatePlayer, .friendlyName = name});
  return Announced(host, DPSYS_CREATEPLAYERORGROUP);
}

}  // namespace

TEST(SessionGuards, TheHostRefusesAnotherVersionOrProgramAndSaysWhy) {
  Member host = Host(4, Patient());
  Frame otherVersion = Hello();
  otherVersion.version = 2;
  const std::pair<Frame, std::string> cases[] = {
      {otherVersion, "The session speaks another version of the network protocol (1, not 2)."},
      {Hello("{another program}"), "The session belongs to another program."},
  };
  for (const auto& [hello, why] : cases) {
    RawPeer peer(host.port);
    peer.Write(hello);
    const auto answer = peer.Read();
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->kind, Kind::Refuse);
    EXPECT_EQ(answer->number, 1);
    EXPECT_EQ(answer->text, why);
    EXPECT_TRUE(peer.ClosedWithin(3s));
  }
}

TEST(SessionGuards, TheHostClosesAPeerThatSendsWithoutAPlayerOrEntersTwice) {
  Member host = Host(4, Patient());
  RawPeer early(host.port);
  early.Write(Hello());
  early.Write(Frame{.kind = Kind::Send, .type = 2, .body = "too soon"});
  EXPECT_TRUE(early.ClosedWithin(3s));

  RawPeer twice(host.port);
  const int32_t id = Enter(twice, host, "Zed");
  twice.Write(Frame{.kind = Kind::CreatePlayer, .friendlyName = "Zed again"});
  EXPECT_TRUE(twice.ClosedWithin(3s));
  EXPECT_EQ(Announced(host, DPSYS_DESTROYPLAYERORGROUP), id);
  EXPECT_EQ(host.service->Players().size(), 1u);
  EXPECT_EQ(host.service->MessageCount(host.id), 0);
}

TEST(SessionGuards, TheHostHoldsAtMost64ConnectionsAndTakesNewOnesOnceSomeClose) {
  Member host = Host(4, Patient());
  std::vector<std::unique_ptr<RawPeer>> silent;
  for (int i = 0; i < 64; ++i) silent.push_back(std::make_unique<RawPeer>(host.port));
  RawPeer extra(host.port);
  EXPECT_TRUE(extra.ClosedWithin(3s));
  EXPECT_FALSE(silent.back()->ClosedWithin(100ms));

  // The host hears of the closes in its own time: a newcomer may be turned
  // away until then.
  silent.resize(60);
  std::unique_ptr<RawPeer> newcomer;
  EXPECT_TRUE(WaitUntil([&] {
    newcomer = std::make_unique<RawPeer>(host.port);
    return !newcomer->ClosedWithin(200ms);
  }));
  Frame query = Hello();
  query.purpose = wire::Purpose::Query;
  newcomer->Write(query);
  const auto answer = newcomer->Read();
  ASSERT_TRUE(answer);
  EXPECT_EQ(answer->kind, Kind::Session);
}

TEST(SessionGuards, APlayerThatStopsReadingIsDroppedWhileOneThatReadsKeepsUp) {
  Member host = Host(4, Patient());
  RawPeer stalled(host.port);
  const int32_t stalledId = Enter(stalled, host, "Stone");
  RawPeer reader(host.port);
  Enter(reader, host, "Reed");

  std::atomic<int> got{0};
  std::jthread reading([&](std::stop_token stop) {
    const auto end = std::chrono::steady_clock::now() + 60s;
    while (!stop.stop_requested() && std::chrono::steady_clock::now() < end) {
      const auto frame = reader.Read();
      if (!frame) std::this_thread::sleep_for(1ms);  // closed: no busy wait
      if (frame && frame->kind == Kind::Message) ++got;
    }
  });
  // A quarter of the limit a round, which the reader takes before the next,
  // while the stalled player's share piles up: first in loopback buffers
  // (about 3 MiB here), then past the limit in the host. 8 MiB at most, so a
  // limit much above 1 MiB is not enough.
  const std::string body(4000, 'x');
  int sent = 0;
  while (sent < 2048 && host.service->MessageCount(host.id) == 0) {
    for (int i = 0; i < 64; ++i, ++sent) host.service->Send(host.id, 1, body);
    if (!WaitUntil([&] { return got == sent; }, 10s)) break;
  }
  EXPECT_EQ(Announced(host, DPSYS_DESTROYPLAYERORGROUP), stalledId);
  host.service->Send(host.id, 2, "last");
  EXPECT_TRUE(WaitUntil([&] { return got == sent + 1; }, 10s));
  EXPECT_EQ(host.service->Players().size(), 2u);
  EXPECT_TRUE(stalled.ClosedWithin(3s));
}

// A client reaches everyone through its host: when its game lets the queue
// fill, the client is the one to leave, and its game still hears who is gone.
TEST(SessionGuards, AClientWhoseQueueIsFullLeavesTheSession) {
  bool closed = false;
  FakeHost fake([&](RawPeer& link) {
    link.Read();  // Hello
    link.Write(Frame{.kind = Kind::Welcome, .session = {kApp, "Fake", 4, 1, 0}});
    link.Write(Frame{.kind = Kind::PlayerAdded, .id = 77, .friendlyName = "Ice"});
    link.Read();  // CreatePlayer
    link.Write(Frame{.kind = Kind::YouAre, .id = 78});
    const std::string one = wire::Encode(Frame{.kind = Kind::Message, .id = 77, .type = 2}).value();
    std::string burst;
    for (size_t i = 0; i <= kMaxQueued; ++i) burst += one;
    link.Write(burst);
    closed = link.ClosedWithin(5s);
  });
  TcpSessionService client(Patient());
  client.OpenJoin(fake.Desc());
  const int32_t me = client.CreatePlayer("Bob", "Player");
  fake.Finish();
  EXPECT_TRUE(closed);
  ASSERT_EQ(client.MessageCount(me), static_cast<int32_t>(kMaxQueued) + 1);
  for (size_t i = 0; i < kMaxQueued; ++i) client.Receive();
  const SessionMessage last = client.Receive();
  EXPECT_EQ(last.from, 0);
  EXPECT_EQ(last.type, DPSYS_DESTROYPLAYERORGROUP);
  EXPECT_EQ(last.body, "77");
}

TEST(SessionGuards, AClientLeavesAHostThatWelcomesItToAnotherProgram) {
  bool closed = false;
  FakeHost fake([&](RawPeer& link) {
    link.Read();  // Hello
    link.Write(Frame{.kind = Kind::Welcome, .session = {"{another program}", "Elsewhere", 2, 0, 0}});
    closed = link.ClosedWithin(3s);
  });
  TcpSessionService client(Patient());
  EXPECT_THROW(client.OpenJoin(fake.Desc()), SessionError);
  fake.Finish();  // while the client is still there to hold the link open
  EXPECT_TRUE(closed);
}

TEST(SessionGuards, AClientDeliversOnlyMessagesFromOtherPlayersItKnows) {
  FakeHost fake([](RawPeer& link) {
    link.Read();  // Hello
    link.Write(Frame{.kind = Kind::Welcome, .session = {kApp, "Fake", 4, 1, 0}});
    link.Write(Frame{.kind = Kind::PlayerAdded, .id = 77, .friendlyName = "Ice"});
    link.Read();  // CreatePlayer
    link.Write(Frame{.kind = Kind::YouAre, .id = 78});
    const std::pair<int32_t, const char*> messages[] = {{55, "stranger"}, {78, "echo"}, {77, "hello"}};
    for (const auto& [from, body] : messages)
      link.Write(Frame{.kind = Kind::Message, .id = from, .type = 2, .body = body});
    link.ClosedWithin(5s);
  });
  TcpSessionService client(Patient());
  client.OpenJoin(fake.Desc());
  const int32_t me = client.CreatePlayer("Bob", "Player");
  EXPECT_EQ(me, 78);
  const SessionMessage first = Next(client, me);
  EXPECT_EQ(first.from, 77);
  EXPECT_EQ(first.body, "hello");
  EXPECT_EQ(client.MessageCount(me), 0);
}
