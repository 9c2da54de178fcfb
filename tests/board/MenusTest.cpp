#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "fakes/Fakes.h"

namespace {

constexpr const char* kFirstPrompt = "Place HQ by clicking somewhere on the 2nd, 3rd, 4th or 5th row";

// The menu's own visible steps: status prompts, the device window, the option item.
std::vector<std::string> Steps(const Rig& rig) {
  std::vector<std::string> out;
  for (const auto& e : rig.log.events)
    if (e.rfind("panel1:", 0) == 0 || e == "device" || e.rfind("opt1:", 0) == 0) out.push_back(e);
  return out;
}

class BrokenSession : public FakeSession {
 public:
  using FakeSession::FakeSession;
  bool SendDPText(int32_t, const std::string&) override { throw std::runtime_error("session closed"); }
};

TEST(GameMenu, SoloGameAbandonsARunningNetworkGame) {
  Rig rig;
  auto session = std::make_shared<FakeSession>(rig.log);
  rig.board.gDirPlay = session;
  rig.board.GameMode = ModeHost;
  rig.board.GamePhase = PhaseSelectTank;
  rig.Place("1", 1, 1, 10);
  rig.board.SetTiming(true);
  rig.log.clear();

  rig.board.mnuGame_Click(0);

  EXPECT_EQ(rig.log.only("panel1:"), (std::vector<std::string>{"Starting Solo Game", kFirstPrompt}));
  EXPECT_EQ(rig.board.gDirPlay, nullptr);
  EXPECT_EQ(rig.board.GameMode, ModeSolo);
  EXPECT_EQ(rig.board.GamePhase, PhasePlaceBuildings);
  EXPECT_EQ(rig.board.UnitPos[1][1][1], 0);
  EXPECT_FALSE(rig.view.timing);
  EXPECT_TRUE(session->sent.empty());
}

TEST(GameMenu, NetworkGameStartsDeploymentOnlyWhenReady) {
  // Device window closed without hosting or joining.
  {
    Rig rig;
    rig.board.mnuGame_Click(2);
    EXPECT_EQ(Steps(rig),
              (std::vector<std::string>{"opt1:enabled", "panel1:Starting Network Game", "device", "panel1:"}));
    EXPECT_EQ(rig.board.GamePhase, PhaseIdle);
  }
  // Joined, ready in the lobby: the client's option item is locked as deployment starts.
  {
    Rig rig;
    rig.view.onDeviceWindow = [&] {
      rig.board.gDirPlay = std::make_shared<FakeSession>(rig.log);
      rig.board.GameMode = ModeClient;
      rig.board.ReadyState = "2";
    };
    rig.board.mnuGame_Click(2);
    EXPECT_EQ(Steps(rig), (std::vector<std::string>{"opt1:enabled", "panel1:Starting Network Game", "device",
                                                    "opt1:disabled", std::string("panel1:") + kFirstPrompt}));
    EXPECT_EQ(rig.board.GamePhase, PhasePlaceBuildings);
    EXPECT_EQ(rig.board.GameMode, ModeClient);
  }
  // Hosting: the option stays open until the turn order is decided.
  {
    Rig rig;
    rig.view.onDeviceWindow = [&] {
      rig.board.gDirPlay = std::make_shared<FakeSession>(rig.log);
      rig.board.GameMode = ModeHost;
      rig.board.ReadyState = "1";
    };
    rig.board.mnuGame_Click(2);
    EXPECT_TRUE(rig.view.optEnabled[1]);
    EXPECT_EQ(rig.board.GamePhase, PhasePlaceBuildings);
  }
  // Hosted but left the lobby unready: no deployment, yet the session stays for chat.
  {
    Rig rig;
    auto session = std::make_shared<FakeSession>(rig.log);
    rig.view.onDeviceWindow = [&] {
      rig.board.gDirPlay = session;
      rig.board.GameMode = ModeHost;
    };
    rig.view.inputAnswers = {"still there?"};
    rig.board.mnuGame_Click(2);
    EXPECT_EQ(rig.view.panels[1], "");
    EXPECT_EQ(rig.board.GamePhase, PhaseIdle);
    EXPECT_EQ(rig.board.GameMode, ModeHost);
    rig.board.mnuGame_Click(3);
    EXPECT_EQ(session->sent, (std::vector<std::pair<int32_t, std::string>>{{2, "still there?"}}));
  }
}

TEST(GameMenu, SendTextMessage) {
  // No network game: no box, nothing sent.
  for (int32_t mode : {ModeNone, ModeSolo}) {
    Rig rig;
    auto session = std::make_shared<FakeSession>(rig.log);
    rig.board.gDirPlay = session;
    rig.board.GameMode = mode;
    rig.view.inputAnswers = {"hello"};
    rig.board.mnuGame_Click(3);
    EXPECT_TRUE(rig.log.events.empty()) << rig.log.joined(" ");
  }
  // Sent as typed, shown nowhere locally; cancel or empty sends nothing.
  {
    Rig rig;
    auto session = std::make_shared<FakeSession>(rig.log);
    rig.board.gDirPlay = session;
    rig.board.GameMode = ModeClient;
    rig.view.panels[1] = "Select a Tank to Move";
    rig.view.inputAnswers = {"hello there", ""};
    rig.board.mnuGame_Click(3);
    rig.board.mnuGame_Click(3);
    EXPECT_EQ(rig.log.events, (std::vector<std::string>{"input:Enter your message|Chat Message", "send:2:hello there",
                                                        "input:Enter your message|Chat Message"}));
    EXPECT_EQ(rig.view.panels[1], "Select a Tank to Move");
  }
  // Joined mode without a session (join window closed): quietly nothing.
  {
    Rig rig;
    rig.board.GameMode = ModeClient;
    rig.view.inputAnswers = {"hello"};
    rig.board.mnuGame_Click(3);
    EXPECT_TRUE(rig.log.events.empty()) << rig.log.joined(" ");
  }
  // A session that fails to send does not take the program down.
  {
    Rig rig;
    rig.board.gDirPlay = std::make_shared<BrokenSession>(rig.log);
    rig.board.GameMode = ModeHost;
    rig.view.inputAnswers = {"hello"};
    EXPECT_NO_THROW(rig.board.mnuGame_Click(3));
  }
}

TEST(GameMenu, ExitShowsExitingThenResetsAndEnds) {
  Rig rig;
  rig.board.gDirPlay = std::make_shared<FakeSession>(rig.log);
  rig.board.GameMode = ModeClient;
  rig.board.GamePhase = PhaseSelectTargets;
  rig.board.mnuGame_Click(5);
  EXPECT_EQ(rig.log.events.front(), "panel1:Exiting");
  EXPECT_EQ(rig.log.events.back(), "end");
  EXPECT_TRUE(rig.log.has("timer:off"));
  EXPECT_EQ(rig.board.GameMode, ModeNone);
  EXPECT_EQ(rig.board.gDirPlay, nullptr);
  EXPECT_TRUE(rig.log.only("send:").empty());
}

}  // namespace
