// Keys, chat and the ready handshake in the device, join and lobby windows,
// against a host that the test plays by hand.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include "NetworkRig.h"

namespace {

struct HandHost {
  EventLog log;
  FakeView view{log};
  FakeListBox list;
  DirPlay dp;
  std::vector<std::pair<int32_t, std::string>> got;  // what the game would see, player changes aside

  explicit HandHost(FakeSessionHub& hub) : dp(hub.Factory(), view) {
    EXPECT_TRUE(dp.InitConnectionList(list));
    EXPECT_TRUE(dp.HostGame(0, "Anna", "Dravenholt", 2));
  }
  size_t Take() {
    int32_t from = 0, to = 0;
    while (const int32_t t = dp.GetMessages(from, to))
      if (t != msgPlayerChange) got.emplace_back(t, dp.ReadString());
    return got.size();
  }
};

class NetworkKeys : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(rig.Start()); }
  std::shared_ptr<FakeSessionHub> hub = FakeSessionHub::Create();
  HandHost host{*hub};
  NetWindow rig{hub};
  Board& b = rig.board();
  UiScript s{15000};
};

TEST_F(NetworkKeys, EnterPressesTheFocusedButtonElseTheDefaultAndEscDoesNothingWithoutCancel) {
  s.Then(
      "device window", [&] { return rig.DevicesUp(); },
      [&] {
        frmDPlayDevices* d = rig.devices();
        d->txtPlayerName->setText("Bert");
        d->txtPlayerName->setFocus();
        QTest::keyClick(d->txtPlayerName, Qt::Key_Return);  // no default button here
        QTest::keyClick(d->txtPlayerName, Qt::Key_Escape);  // nor a cancel button
        EXPECT_TRUE(rig.DevicesUp());
        EXPECT_FALSE(rig.JoinUp());
        d->cmdJoin->setFocus();
        QTest::keyClick(d->cmdJoin, Qt::Key_Return);
      });
  s.Then(
      "join window, Tab to Cancel", [&] { return rig.JoinUp(); },
      [&] {
        frmJoin& j = rig.join();
        j.cmdJoin->setFocus();
        QTest::keyClick(j.cmdJoin, Qt::Key_Tab);
        ASSERT_EQ(j.focusWidget(), j.cmdCancel);
        QTest::keyClick(j.cmdCancel, Qt::Key_Return);
      });
  rig.w().mnuGame(2)->trigger();
  ASSERT_TRUE(QTest::qWaitFor([&] { return s.Done(); }, 10000));
  EXPECT_EQ(rig.lobby(), nullptr);
  ASSERT_NE(AsDirPlay(b.gDirPlay), nullptr);
  EXPECT_EQ(AsDirPlay(b.gDirPlay)->state(), DirPlay::State::Dismantled);
  EXPECT_EQ(hub->OpenConnections(), 1);  // the host's only

  s.Then(
      "device window again", [&] { return rig.DevicesUp(); },
      [&] {
        rig.devices()->cmdJoin->setFocus();
        QTest::keyClick(rig.devices()->cmdJoin, Qt::Key_Space);
      });
  s.Then(
      "join window again", [&] { return rig.JoinUp(); },
      [&] {
        rig.join().lstSessions->setFocus();
        QTest::keyClick(rig.join().lstSessions, Qt::Key_Return);
      });
  s.Then(
      "lobby", [&] { return rig.LobbyUp(); },
      [&] {
        frmStart* l = rig.lobby();
        QTest::keyClick(l->txtChat, Qt::Key_Escape);
        EXPECT_TRUE(rig.LobbyUp());
        l->cmdStart->setFocus();
        QTest::keyClick(l->cmdStart, Qt::Key_Return);
        EXPECT_EQ(b.ReadyState, "2");
        EXPECT_EQ(l->lstText->count(), 0);
        l->txtChat->setFocus();
        QTest::keyClicks(l->txtChat, "hi");
        QTest::keyClick(l->txtChat, Qt::Key_Return);
        EXPECT_EQ(l->lstText->item(0)->text(), "Bert: hi");
      });
  s.Then(
      "the host got them", [&] { return host.Take() >= 2; },
      [&] {
        EXPECT_EQ(host.got, (std::vector<std::pair<int32_t, std::string>>{{msgReady, "2"}, {msgChat, "hi"}}));
        if (rig.lobby()) rig.lobby()->close();
      });
  rig.w().mnuGame(2)->trigger();
  ASSERT_TRUE(QTest::qWaitFor([&] { return s.Done(); }, 10000));
  EXPECT_TRUE(s.boxes.empty());
}

// What the chat field holds reaches the peer whole, a line that did not go is
// not shown as said, and one ticked box is not enough to leave the lobby.
TEST_F(NetworkKeys, LobbyChatArrivesWholeOrIsNotShownAndOneReadyBoxKeepsTheLobbyOpen) {
  const QString check = QString(3000, QChar(0x2713));  // 9000 bytes of UTF-8
  QElapsedTimer ticked;

  s.Then(
      "device window", [&] { return rig.DevicesUp(); },
      [&] {
        rig.devices()->txtPlayerName->setText("Bert");
        rig.devices()->cmdJoin->click();
      });
  s.Then(
      "join window", [&] { return rig.JoinUp(); }, [&] { rig.join().cmdJoin->click(); });
  s.Then(
      "lobby", [&] { return rig.LobbyUp(); },
      [&] {
        frmStart* l = rig.lobby();
        l->txtChat->insert(check);  // pasted: cut to what one message carries
        EXPECT_EQ(l->txtChat->text().toUtf8().size(), 3999);
        l->cmdSendText->click();
        l->cmdStart->click();
      });
  s.Then(
      "the host got the whole line", [&] { return host.Take() >= 2; },
      [&] {
        ASSERT_EQ(host.got.size(), 2u);
        EXPECT_EQ(host.got[0].second, check.left(1333).toStdString());
        EXPECT_EQ(rig.lobby()->lstText->item(0)->text(), "Bert: " + check.left(1333));
        host.dp.SendDPText(msgReadyEcho, "2");
      });
  s.Then(
      "client box ticked", [&] { return rig.lobby()->chk[2]->isChecked(); }, [&] { ticked.start(); });
  s.Then(
      "three ticks later", [&] { return ticked.isValid() && ticked.elapsed() > 1600; },
      [&] {
        ASSERT_TRUE(rig.LobbyUp());
        host.dp.Dismantle();  // the host leaves
        rig.lobby()->txtChat->setText("anyone?");
        rig.lobby()->cmdSendText->click();
        EXPECT_EQ(rig.lobby()->lstText->count(), 1);
        EXPECT_EQ(rig.lobby()->txtChat->text(), "anyone?");
        rig.lobby()->close();
      });
  rig.w().mnuGame(2)->trigger();
  ASSERT_TRUE(QTest::qWaitFor([&] { return s.Done(); }, 10000));
  // Ready and closed by hand: this machine deploys, as it would have.
  EXPECT_EQ(b.ReadyState, "2");
  EXPECT_EQ(b.GamePhase, PhasePlaceBuildings);
}

}  // namespace
