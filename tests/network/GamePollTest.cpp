#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "fakes/Fakes.h"
#include "network/DirPlay.h"

namespace {

class NamelessSession : public FakeSession {
 public:
  using FakeSession::FakeSession;
  bool throws = true;
  std::string GetPlayerName(int32_t) override {
    if (throws) throw std::runtime_error("no such player");
    return "";
  }
};

template <typename Session = FakeSession>
struct PollRig : Rig {
  std::shared_ptr<Session> session = std::make_shared<Session>(log);
  explicit PollRig(int32_t mode = ModeClient, int32_t phase = PhaseAwaitOrder) {
    board.gDirPlay = session;
    board.GameMode = mode;
    board.GamePhase = phase;
  }
  int32_t Poll() {
    int32_t t = -1;
    board.CheckForData(t);
    return t;
  }
};

TEST(GamePoll, NothingWaiting) {
  PollRig<> rig;
  EXPECT_EQ(rig.Poll(), 0);
  EXPECT_EQ(rig.log.events, std::vector<std::string>{"panel1:Checking for Data"});

  // Without a session there is nothing to take either.
  rig.board.gDirPlay.reset();
  EXPECT_EQ(rig.Poll(), 0);
  EXPECT_EQ(rig.board.GamePhase, PhaseAwaitOrder);
}

TEST(GamePoll, PlayerChangeEndsARunningGameOnly) {
  PollRig<> rig(ModeHost, PhaseTanksPlaced);
  rig.session->Queue(msgPlayerChange, "", 0);
  EXPECT_EQ(rig.Poll(), msgPlayerChange);
  EXPECT_EQ(rig.board.GamePhase, PhaseIdle);
  EXPECT_EQ(rig.board.GameMode, ModeHost);  // the sequencer ends it through phase 0

  rig.log.clear();
  rig.session->Queue(msgPlayerChange, "", 0);
  EXPECT_EQ(rig.Poll(), msgPlayerChange);
  EXPECT_EQ(rig.board.GamePhase, PhaseIdle);
  EXPECT_EQ(rig.log.events, (std::vector<std::string>{"panel1:Checking for Data", "panel1:Data Received"}));
}

TEST(GamePoll, ChatShowsSenderAndTextWhileTheCuePlays) {
  PollRig<> rig;
  rig.session->Queue(msgChat, "good luck");
  EXPECT_EQ(rig.Poll(), msgChat);
  EXPECT_EQ(rig.log.events, (std::vector<std::string>{"panel1:Checking for Data", "panel1:Peer: good luck", "refresh",
                                                      "snd:report", "panel1:Data Received"}));
  EXPECT_EQ(rig.board.GamePhase, PhaseAwaitOrder);

  // A sender the session can no longer name.
  PollRig<NamelessSession> gone;
  gone.session->Queue(msgChat, "gg");
  EXPECT_EQ(gone.Poll(), msgChat);
  EXPECT_TRUE(gone.log.has("panel1:Opponent: gg"));
  gone.session->throws = false;
  gone.session->Queue(msgChat, "bye");
  gone.Poll();
  EXPECT_TRUE(gone.log.has("panel1:Opponent: bye"));
}

TEST(GamePoll, UnusedTypesAreConsumedAndDropped) {
  for (int32_t type : {3, 4, 11, 99}) {
    PollRig<> rig;
    rig.session->Queue(type, "1");
    rig.session->Queue(msgChat, "next");
    EXPECT_EQ(rig.Poll(), type);
    EXPECT_EQ(rig.log.events, (std::vector<std::string>{"panel1:Checking for Data", "panel1:Data Received"}));
    EXPECT_EQ(rig.board.GamePhase, PhaseAwaitOrder);
    EXPECT_EQ(rig.session->inbox.size(), 1u);
  }
}

TEST(GamePoll, TurnOrderTextIsMatchedExactly) {
  const std::vector<std::pair<std::string, int32_t>> cases = {{"ClientMoves", PhaseSelectTank},
                                                              {"ClientBombs", PhaseSelectTargets},
                                                              {"clientmoves", PhaseSelectTargets},
                                                              {"", PhaseSelectTargets}};
  for (const auto& [text, phase] : cases) {
    PollRig<> rig;
    rig.session->Queue(msgTurnOrder, text);
    EXPECT_EQ(rig.Poll(), msgTurnOrder);
    EXPECT_EQ(rig.board.GamePhase, phase) << text;
  }
}

// An honest host sends the turn order only while the client awaits it (phase 8).
// Taken in any other phase it is dropped, so it cannot open a turn without tanks.
TEST(GamePoll, TurnOrderOutsideItsPhaseChangesNothing) {
  for (int32_t phase : {PhaseMinesPlaced, PhaseTanksPlaced, PhaseMovementDone, PhaseTargetsDone, PhaseIdle}) {
    PollRig<> rig(ModeClient, phase);
    rig.session->Queue(msgTurnOrder, "ClientMoves");
    rig.session->Queue(msgChat, "next");
    EXPECT_EQ(rig.Poll(), msgTurnOrder);
    EXPECT_EQ(rig.board.GamePhase, phase);
    EXPECT_EQ(rig.view.panels[1], "Data Received");
    EXPECT_EQ(rig.session->inbox.size(), 1u);
  }
}

// A turn body longer than any sender makes is taken and dropped unread.
TEST(GamePoll, OverlongTurnBodiesAreDropped) {
  PollRig<> sender(ModeHost, PhaseMovementDone);
  for (int u = 1; u <= 16; ++u) {
    sender.board.UnitPos[1][u][1] = 1;  // travels as "10": the widest square
    sender.board.UnitPos[1][u][2] = 1;
  }
  sender.board.SendPositions("1");
  const std::string longest = sender.session->sent.back().second;
  ASSERT_EQ(longest.size(), kMaxTurnBodyChars);

  PollRig<> rig(ModeClient, PhaseMovementDone);
  rig.session->Queue(msgPositions, longest);
  EXPECT_EQ(rig.Poll(), msgPositions);
  EXPECT_EQ(rig.board.UnitPos[2][16][1], 10);
  for (int32_t type : {msgPositions, msgFireMissions, msgStats}) {
    rig.session->Queue(type, std::string(kMaxTurnBodyChars - 8, ' ') + "2,1,5,5;1,2;1,3;");
    EXPECT_EQ(rig.Poll(), type);
  }
  EXPECT_EQ(rig.board.UnitPos[2][1][1], 10);
  EXPECT_EQ(rig.board.FireTarget[2][1][1], 0);
  EXPECT_EQ(rig.board.TotalMoves[2], 6);
}

TEST(GamePoll, ArtilleryFreeOptionFromTheHost) {
  struct Case {
    std::string body;
    bool checked;
  };
  for (const Case& c : {Case{"1", true}, Case{"10", true}, Case{"0", false}, Case{"", false}}) {
    PollRig<> rig;
    rig.view.opt[1] = !c.checked;
    rig.session->Queue(msgFreeArtillery, c.body);
    EXPECT_EQ(rig.Poll(), msgFreeArtillery);
    EXPECT_EQ(rig.view.opt[1], c.checked) << c.body;
    std::vector<std::string> expected = {"panel1:Checking for Data", c.checked ? "opt1:checked" : "opt1:unchecked"};
    if (c.checked) {
      expected.insert(expected.end(), {"panel1:First Move Artillery Free", "refresh", "snd:committed"});
    }
    expected.push_back("panel1:Data Received");
    EXPECT_EQ(rig.log.events, expected) << c.body;
  }
}

TEST(GamePoll, OpponentLeftAnnouncesTheWinThenResets) {
  PollRig<> rig(ModeHost, PhaseTargetsDone);
  rig.board.SetTiming(true);
  rig.session->Queue(msgOpponentLeft, "Your opponent has left the game");
  rig.view.onMsgBox = [&](const std::string&) {
    // Reset only once the box has been closed.
    EXPECT_EQ(rig.board.GameMode, ModeHost);
    EXPECT_NE(rig.board.gDirPlay, nullptr);
  };
  EXPECT_EQ(rig.Poll(), msgOpponentLeft);
  auto sndAt = std::find(rig.log.events.begin(), rig.log.events.end(), "snd:Won");
  auto boxAt =
      std::find(rig.log.events.begin(), rig.log.events.end(), "box:Your opponent has left the game|You won by default");
  ASSERT_NE(boxAt, rig.log.events.end());
  EXPECT_LT(sndAt, boxAt);
  EXPECT_EQ(rig.log.events.back(), "panel1:Data Received");
  EXPECT_EQ(rig.board.gDirPlay, nullptr);
  EXPECT_EQ(rig.board.GameMode, ModeNone);
  EXPECT_EQ(rig.board.GamePhase, PhaseIdle);
  EXPECT_FALSE(rig.view.timing);
}

TEST(WhoGoesFirst, DrawAboveFiftyLetsTheHostMove) {
  struct Case {
    float u;
    int32_t phase;
    std::string text;
  };
  // r = floor(U * 99 + 1): 0.5 gives 50, 0.5051 gives 51.
  for (const Case& c : {Case{0.0f, PhaseSelectTargets, "Client Moves & Host Shoots"},
                        Case{0.5f, PhaseSelectTargets, "Client Moves & Host Shoots"},
                        Case{0.5051f, PhaseSelectTank, "Host Moves & Client Shoots"},
                        Case{0.99999f, PhaseSelectTank, "Host Moves & Client Shoots"}}) {
    Rig rig;
    rig.board.GamePhase = PhaseDecideOrder;
    rig.rnd.Push({c.u});
    const int reseeds = rig.rnd.randomizeCalls;
    const int draws = rig.rnd.draws;
    rig.board.DecideWhoGoesFirst();
    EXPECT_EQ(rig.board.GamePhase, c.phase) << c.u;
    EXPECT_EQ(rig.log.events, std::vector<std::string>{"panel1:" + c.text}) << c.u;
    EXPECT_EQ(rig.rnd.randomizeCalls, reseeds + 1);
    EXPECT_EQ(rig.rnd.draws, draws + 1);
  }
}

}  // namespace
