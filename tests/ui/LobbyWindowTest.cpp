// Two board windows in one process meet through their real device, join and
// lobby windows, chat, agree to play, and start deploying.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include "NetworkRig.h"
#include "opponent/Players.h"

namespace {

std::vector<std::string> Rows(QListWidget* list) {
  std::vector<std::string> out;
  for (int i = 0; i < list->count(); ++i) out.push_back(list->item(i)->text().toStdString());
  return out;
}

bool Has(QListWidget* list, const std::string& row) {
  const auto rows = Rows(list);
  return std::find(rows.begin(), rows.end(), row) != rows.end();
}

struct Order {
  const char* name;
  bool hostFirst;
};

class Lobby : public ::testing::TestWithParam<Order> {
 protected:
  std::shared_ptr<FakeSessionHub> hub = FakeSessionHub::Create();
  NetWindow host{hub};
  NetWindow client{hub};
  UiScript s;

  void SetUp() override {
    // A message for a sleeping window wakes its event loop.
    hub->onDeliver = [] { QCoreApplication::postEvent(qApp, new QEvent(QEvent::User)); };
    ASSERT_TRUE(host.Start());
    ASSERT_TRUE(client.Start());
  }
  void TearDown() override { hub->onDeliver = nullptr; }

  // Hosts, joins, chats both ways and runs the ready handshake; the first to
  // press presses twice.
  void MeetAndAgree(bool hostFirst) {
    s.Then(
        "host's device window", [&] { return host.DevicesUp(); },
        [&] {
          host.devices()->txtPlayerName->setText("Anna");
          host.devices()->cmdStart->click();
        });
    s.Then(
        "host's lobby", [&] { return host.LobbyUp(); }, [&] { client.w().mnuGame(2)->trigger(); });
    s.Then(
        "client's device window", [&] { return client.DevicesUp(); },
        [&] {
          client.devices()->txtPlayerName->setText("Bert");
          client.devices()->cmdJoin->click();
        });
    s.Then(
        "client's join window", [&] { return client.JoinUp(); },
        [&] {
          EXPECT_EQ(Rows(client.join().lstSessions), std::vector<std::string>{"Dravenholt (1/2)"});
          client.join().cmdJoin->click();
        });
    s.Then(
        "both in the lobby",
        [&] { return client.LobbyUp() && host.lobby()->lblStatus->text() == "2 people in the session."; },
        [&] {
          EXPECT_EQ(Rows(host.lobby()->lstPlayers), (std::vector<std::string>{"Anna", "Bert"}));
          EXPECT_EQ(Rows(client.lobby()->lstPlayers), (std::vector<std::string>{"Anna", "Bert"}));
          EXPECT_EQ(client.lobby()->lblStatus->text(), "Current Players:");
          host.lobby()->txtChat->setText("hello");
          QTest::keyClick(host.lobby()->txtChat, Qt::Key_Return);
          EXPECT_EQ(host.lobby()->txtChat->text(), "");
          client.lobby()->cmdSendText->click();  // an empty line goes too
        });
    s.Then(
        "chat both ways",
        [&] { return Has(client.lobby()->lstText, "Anna: hello") && Has(host.lobby()->lstText, "Bert: "); },
        [&] {
          EXPECT_EQ(Rows(host.lobby()->lstText), (std::vector<std::string>{"Anna: hello", "Bert: "}));
          EXPECT_EQ(Rows(client.lobby()->lstText), (std::vector<std::string>{"Bert: ", "Anna: hello"}));
        });
    NetWindow& first = hostFirst ? host : client;
    NetWindow& second = hostFirst ? client : host;
    const size_t firstBox = hostFirst ? 1 : 2, secondBox = hostFirst ? 2 : 1;
    s.Then(
        "first ready", [] { return true; },
        [&first] {
          first.lobby()->cmdStart->click();
          first.lobby()->cmdStart->click();
        });
    s.Then(
        "first ready seen", [&] { return second.lobby()->chk[firstBox]->isChecked(); },
        [&] {
          EXPECT_FALSE(second.lobby()->chk[secondBox]->isChecked());
          EXPECT_EQ(second.board().ReadyState, "");
        });
    s.Then(
        "first ready echoed", [&] { return first.lobby()->chk[firstBox]->isChecked(); },
        [&] {
          EXPECT_FALSE(first.lobby()->chk[secondBox]->isChecked());
          second.lobby()->cmdStart->click();
        });
    host.w().mnuGame(2)->trigger();
    ASSERT_TRUE(QTest::qWaitFor([&] { return s.Done(); }, 20000));
  }
};

TEST_P(Lobby, ChatReadyAndBothStartDeploying) {
  MeetAndAgree(GetParam().hostFirst);
  for (NetWindow* m : {&host, &client}) {
    EXPECT_EQ(m->lobby(), nullptr);
    EXPECT_EQ(m->board().GamePhase, PhasePlaceBuildings);
    EXPECT_FALSE(m->devices()->isVisible());
  }
  EXPECT_EQ(host.board().GameMode, ModeHost);
  EXPECT_EQ(client.board().GameMode, ModeClient);
  EXPECT_EQ(host.board().ReadyState, "1");
  EXPECT_EQ(client.board().ReadyState, "2");
  EXPECT_TRUE(host.w().mnuOpt(1)->isEnabled());
  EXPECT_FALSE(client.w().mnuOpt(1)->isEnabled());
  EXPECT_TRUE(client.join().blnJoined);
  EXPECT_TRUE(s.boxes.empty());
}

INSTANTIATE_TEST_SUITE_P(Orders, Lobby, ::testing::Values(Order{"HostFirst", true}, Order{"ClientFirst", false}),
                         [](const ::testing::TestParamInfo<Order>& info) { return std::string(info.param.name); });

// In the game: chat from the Game menu shows on the other window while its cue
// plays; then the host's device window unloads, and the client has won.
TEST_F(Lobby, ChatInGameThenTheHostsDeviceWindowCloses) {
  MeetAndAgree(true);
  HunterPlayer player(client.board());
  for (int i = 0; i < 200 && client.board().GamePhase < PhaseMinesPlaced; ++i) player.Act();
  ASSERT_EQ(client.board().GamePhase, PhaseMinesPlaced);

  std::string shown;
  client.sound.onPlay = [&](const std::string& base) {
    if (base == "report") shown = client.w().Panel(1)->text().toStdString();
  };
  s.Then(
      "chat box", [] { return qobject_cast<QInputDialog*>(QApplication::activeModalWidget()) != nullptr; },
      [] {
        auto* input = qobject_cast<QInputDialog*>(QApplication::activeModalWidget());
        EXPECT_EQ(input->windowTitle(), "Chat Message");
        EXPECT_EQ(input->labelText(), "Enter your message");
        input->setTextValue("good luck ");
        // Pasted past what one message carries: cut to fit, so it all arrives.
        input->findChild<QLineEdit*>()->insert(QString(3000, QChar(0x2713)));
        input->accept();
      });
  host.w().mnuGame(3)->trigger();
  ASSERT_TRUE(QTest::qWaitFor([&] { return !shown.empty(); }, 5000));
  EXPECT_EQ(shown, "Anna: good luck " + QString(1330, QChar(0x2713)).toStdString());
  EXPECT_EQ(host.w().Panel(1)->text().toStdString().find("good luck"), std::string::npos);

  host.devices()->close();
  EXPECT_EQ(host.board().GameMode, ModeNone);
  EXPECT_EQ(host.board().gDirPlay, nullptr);
  ASSERT_TRUE(QTest::qWaitFor([&] { return client.board().GameMode == ModeNone; }, 5000));
  EXPECT_EQ(s.boxes, std::vector<std::string>{"You won by default: Your opponent has left the game"});
  EXPECT_EQ(client.log.sounds().back(), "Won");
  EXPECT_EQ(client.board().GamePhase, PhaseIdle);
  EXPECT_EQ(client.board().gDirPlay, nullptr);
  EXPECT_EQ(hub->OpenConnections(), 0);

  // Closed, the host's device window comes back new at the next network game.
  s.Then(
      "host's new device window", [&] { return host.DevicesUp(); },
      [&] {
        EXPECT_EQ(host.devices()->txtPlayerName->text(), "");
        host.devices()->close();
      });
  host.w().mnuGame(2)->trigger();
  ASSERT_TRUE(QTest::qWaitFor([&] { return s.Done(); }, 5000));
}

}  // namespace
