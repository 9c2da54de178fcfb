#include <gtest/gtest.h>

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStatusBar>

#include "NetworkRig.h"
#include "opponent/Players.h"

namespace {

std::vector<std::string> Rows(QListWidget* list) {
  std::vector<std::string> out;
  for (int i = 0; i < list->count(); ++i) out.push_back(list->item(i)->text().toStdString());
  return out;
}

TEST(DeviceWindow, ControlsNamesAndAFreshStartAtEveryShowing) {
  auto hub = FakeSessionHub::Create();
  hub->providers = {"TCP/IP", "Serial"};
  NetWindow rig(hub);
  ASSERT_TRUE(rig.Start());
  Board& b = rig.board();
  UiScript s;
  std::shared_ptr<SessionPort> first;

  s.Then(
      "the device window", [&] { return rig.DevicesUp(); },
      [&] {
        frmDPlayDevices* d = rig.devices();
        EXPECT_EQ(d->windowTitle(), "Select a device");
        EXPECT_EQ(d->size(), QSize(227, 182));
        EXPECT_EQ(d->lblName->text(), "Your Name:");
        EXPECT_EQ(d->Label1->text(), "Session Name:");
        EXPECT_EQ(d->txtPlayerName->text(), "");
        EXPECT_EQ(d->txtGameName->text(), "Dravenholt");
        EXPECT_EQ(d->cmdJoin->text(), "Join Session");
        EXPECT_EQ(d->cmdStart->text(), "Host Session");
        EXPECT_EQ(d->lstServiceProviders->geometry(), Twips(0, 0, 3375, 1425));
        EXPECT_EQ(d->txtPlayerName->geometry(), Twips(1200, 1560, 2175, 285));
        EXPECT_EQ(d->cmdStart->geometry(), Twips(2280, 2280, 1095, 375));
        EXPECT_EQ(TabChain(d->cmdJoin), (std::vector<QWidget*>{d->cmdJoin, d->cmdStart, d->lstServiceProviders,
                                                               d->txtPlayerName, d->txtGameName}));
        EXPECT_FALSE(d->cmdJoin->isDefault() || d->cmdStart->isDefault() || d->cmdJoin->autoDefault());
        EXPECT_EQ(Rows(d->lstServiceProviders), (std::vector<std::string>{"TCP/IP", "Serial"}));
        EXPECT_EQ(d->lstServiceProviders->currentRow(), 0);
        first = b.gDirPlay;
        ASSERT_NE(AsDirPlay(first), nullptr);

        d->cmdJoin->click();  // no name
        d->txtPlayerName->setText("Anna");
        d->txtGameName->clear();
        d->cmdStart->click();  // no session name
        // Joining needs no session name; here there is nothing to join.
        d->lstServiceProviders->setCurrentRow(1);
        d->cmdJoin->click();
        EXPECT_TRUE(d->isVisible());
        EXPECT_EQ(Rows(d->lstServiceProviders), (std::vector<std::string>{"TCP/IP", "Serial"}));
        EXPECT_EQ(d->lstServiceProviders->currentRow(), 0);
        EXPECT_NE(b.gDirPlay, first);
        first.reset();
        EXPECT_NE(AsDirPlay(b.gDirPlay), nullptr);
        EXPECT_EQ(b.GameMode, ModeNone);
        d->close();  // its close box: no game, nothing to tell anyone
      });
  rig.w().mnuGame(2)->trigger();
  ASSERT_TRUE(QTest::qWaitFor([&] { return s.Done(); }, 5000));
  EXPECT_EQ(s.boxes,
            (std::vector<std::string>{"Dravenholt: You must fill out the Player Name field.",
                                      "Dravenholt: You must fill out both the Player Name and Game Name fields.",
                                      "Dravenholt: No Sessions found"}));
  EXPECT_EQ(rig.devices(), nullptr);
  EXPECT_EQ(b.gDirPlay, nullptr);
  EXPECT_EQ(hub->OpenConnections(), 0);
  EXPECT_EQ(rig.w().Panel(1)->text(), "");

  // Closed, it starts again from its texts; hosted and left unready, the session stays.
  s.Then(
      "shown again", [&] { return rig.DevicesUp(); },
      [&] {
        EXPECT_EQ(rig.devices()->txtPlayerName->text(), "");
        rig.devices()->txtPlayerName->setText("Anna");
        rig.devices()->cmdStart->click();
      });
  s.Then(
      "the lobby", [&] { return rig.LobbyUp(); },
      [&] {
        EXPECT_FALSE(rig.devices()->isVisible());
        EXPECT_EQ(rig.lobby()->parentWidget(), &rig.w());
        rig.lobby()->close();
      });
  rig.w().mnuGame(2)->trigger();
  ASSERT_TRUE(QTest::qWaitFor([&] { return s.Done(); }, 5000));
  EXPECT_EQ(b.GameMode, ModeHost);
  EXPECT_EQ(b.GamePhase, PhaseIdle);
  EXPECT_EQ(hub->SessionNames(), std::vector<std::string>{"Dravenholt"});
  ASSERT_NE(rig.devices(), nullptr);

  // Still loaded: the names stay, the session object is new.
  s.Then(
      "shown a third time", [&] { return rig.DevicesUp(); },
      [&] {
        EXPECT_EQ(rig.devices()->txtPlayerName->text(), "Anna");
        EXPECT_TRUE(hub->SessionNames().empty());
        rig.devices()->close();
      });
  rig.w().mnuGame(2)->trigger();
  ASSERT_TRUE(QTest::qWaitFor([&] { return s.Done(); }, 5000));
}

TEST(JoinWindow, EscCancelsAndEnterJoins) {
  auto hub = FakeSessionHub::Create();
  EventLog hostLog;
  FakeView hostView(hostLog);
  DirPlay host(hub->Factory(), hostView);
  FakeListBox list;
  ASSERT_TRUE(host.InitConnectionList(list));
  ASSERT_TRUE(host.HostGame(0, "Anna", "Dravenholt", 2));

  NetWindow rig(hub);
  ASSERT_TRUE(rig.Start());
  Board& b = rig.board();
  UiScript s;
  s.Then(
      "the device window", [&] { return rig.DevicesUp(); },
      [&] {
        rig.devices()->txtPlayerName->setText("Bert");
        rig.devices()->txtGameName->clear();
        rig.devices()->cmdJoin->click();
      });
  s.Then(
      "the join window", [&] { return rig.JoinUp(); },
      [&] {
        frmJoin& j = rig.join();
        EXPECT_FALSE(rig.devices()->isVisible());
        EXPECT_EQ(j.windowTitle(), "Join a session");
        EXPECT_EQ(j.size(), QSize(250, 190));
        EXPECT_EQ(j.lblStatus->text(), "Please select a session and click 'Join'");
        EXPECT_EQ(j.lstSessions->geometry(), Twips(0, 480, 3735, 1815));
        EXPECT_EQ(j.cmdCancel->geometry(), Twips(2640, 2400, 1095, 375));
        EXPECT_EQ(TabChain(j.lstSessions), (std::vector<QWidget*>{j.lstSessions, j.cmdJoin, j.cmdCancel}));
        EXPECT_EQ(Rows(j.lstSessions), std::vector<std::string>{"Dravenholt (1/2)"});
        EXPECT_EQ(b.GameMode, ModeClient);
        QTest::keyClick(j.lstSessions, Qt::Key_Escape);
      });
  rig.w().mnuGame(2)->trigger();
  ASSERT_TRUE(QTest::qWaitFor([&] { return s.Done(); }, 5000));
  EXPECT_EQ(b.GameMode, ModeClient);
  ASSERT_NE(AsDirPlay(b.gDirPlay), nullptr);
  EXPECT_EQ(AsDirPlay(b.gDirPlay)->state(), DirPlay::State::Dismantled);
  EXPECT_EQ(hub->OpenConnections(), 1);  // the host's only

  // "Send Text Message" with no session asks nothing.
  bool asked = false;
  QTimer watch;
  QObject::connect(&watch, &QTimer::timeout, [&] {
    if (auto* input = qobject_cast<QInputDialog*>(QApplication::activeModalWidget())) {
      asked = true;
      input->reject();
    }
  });
  watch.start(5);
  rig.w().mnuGame(3)->trigger();
  QTest::qWait(20);
  EXPECT_FALSE(asked);

  // Enter joins, and the lobby opens without an owner.
  s.Then(
      "the device window again", [&] { return rig.DevicesUp(); },
      [&] {
        EXPECT_EQ(rig.devices()->txtPlayerName->text(), "Bert");
        rig.devices()->cmdJoin->click();
      });
  s.Then(
      "the join window again", [&] { return rig.JoinUp(); },
      [&] { QTest::keyClick(rig.join().lstSessions, Qt::Key_Return); });
  s.Then(
      "the lobby", [&] { return rig.LobbyUp(); },
      [&] {
        frmStart* l = rig.lobby();
        EXPECT_FALSE(rig.join().isVisible());
        EXPECT_EQ(l->parentWidget(), nullptr);
        EXPECT_EQ(l->windowTitle(), "Chatting");
        EXPECT_EQ(l->size(), QSize(368, 267));
        EXPECT_EQ(l->lblStatus->text(), "Current Players:");
        EXPECT_EQ(Rows(l->lstPlayers), (std::vector<std::string>{"Anna", "Bert"}));
        EXPECT_EQ(l->cmdSendText->text(), "&Send");
        EXPECT_TRUE(l->cmdSendText->isDefault());
        EXPECT_EQ(l->cmdStart->text(), "Ready to Play");
        EXPECT_EQ(l->cmdStart->geometry(), Twips(3960, 1560, 1335, 375));
        EXPECT_FALSE(l->cmdDisable->isVisibleTo(l) || l->cmdDisable->isEnabled());
        EXPECT_EQ(l->Frame1->title(), "Player Status");
        EXPECT_FALSE(l->Frame1->isEnabled());
        EXPECT_EQ(l->chk[1]->text(), "Host Ready");
        EXPECT_EQ(l->chk[2]->text(), "Client Ready");
        EXPECT_EQ(l->chk[2]->geometry(), Twips(120, 720, 1215, 255));
        EXPECT_EQ(TabChain(l->lstPlayers),
                  (std::vector<QWidget*>{l->lstPlayers, l->lstText, l->txtChat, l->cmdSendText, l->cmdStart}));
        EXPECT_EQ(l->msgTimer->interval(), 500);
        // Ready bodies that name no box change nothing and are not answered.
        host.SendDPText(msgReady, "3");
        host.SendDPText(msgReadyEcho, "9");
        host.SendDPText(msgReady, "0.4");
        host.SendDPText(msgChat, "x");
      });
  s.Then(
      "the host's line", [&] { return rig.lobby()->lstText->count() == 1; },
      [&] {
        frmStart* l = rig.lobby();
        EXPECT_EQ(l->lstText->item(0)->text(), "Anna: x");
        EXPECT_FALSE(l->chk[1]->isChecked() || l->chk[2]->isChecked());
        EXPECT_EQ(b.ReadyState, "");
        l->close();
      });
  rig.w().mnuGame(2)->trigger();
  ASSERT_TRUE(QTest::qWaitFor([&] { return s.Done(); }, 5000));
  EXPECT_TRUE(rig.join().blnJoined);
  EXPECT_TRUE(b.gDirPlay->InSession());
  int32_t from = 0, to = 0;
  EXPECT_EQ(host.GetLobbyMessages(from, to), msgPlayerChange);
  EXPECT_EQ(host.GetLobbyMessages(from, to), 0);

  // Once a join has completed, a cancelled one no longer dismantles.
  s.Then(
      "devices", [&] { return rig.DevicesUp(); }, [&] { rig.devices()->cmdJoin->click(); });
  s.Then(
      "join", [&] { return rig.JoinUp(); }, [&] { rig.join().cmdCancel->click(); });
  rig.w().mnuGame(2)->trigger();
  ASSERT_TRUE(QTest::qWaitFor([&] { return s.Done(); }, 5000));
  EXPECT_EQ(AsDirPlay(b.gDirPlay)->state(), DirPlay::State::SessionsListed);
  EXPECT_TRUE(s.boxes.empty());
}

// With no session service the program cannot play over the network: it says
// so and ends, and no device window opens.
TEST(DeviceWindow, NoSessionServiceEndsTheProgram) {
  WindowRig rig;
  ASSERT_TRUE(rig.Start());
  UiScript s;
  rig.w().mnuGame(2)->trigger();
  ASSERT_TRUE(QTest::qWaitFor([&] { return rig.endCalls == 1; }, 5000));
  EXPECT_EQ(s.boxes, std::vector<std::string>{"Dravenholt: Failed to initialize DirectPlay."});
  EXPECT_EQ(rig.w().Network().DeviceWindow(), nullptr);
  EXPECT_EQ(rig.board().gDirPlay, nullptr);
}

}  // namespace
