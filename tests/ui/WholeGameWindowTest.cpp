#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include "BoardWindowRig.h"
#include "opponent/ComputerPlayer.h"
#include "opponent/Players.h"

namespace {

// Answers every message box the window opens, as a player clicking OK would,
// and remembers what each one said.
class BoxWatcher {
 public:
  BoxWatcher() {
    timer_.setInterval(5);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
        texts.push_back(box->windowTitle().toStdString() + ": " + box->text().toStdString());
        box->button(QMessageBox::Ok)->click();
      }
    });
    timer_.start();
  }
  std::vector<std::string> texts;

 private:
  QTimer timer_;
};

}  // namespace

TEST(SoloGameWindow, PlaysAWholeGameAgainstTheComputerThroughItsRealBoxes) {
  WindowRig rig;
  RecordingBoard& w = rig.w();
  Board& b = w.board();
  ComputerPlayer computer(b);
  w.SetOpponent(&computer);
  w.Load();
  w.show();
  BoxWatcher boxes;
  HunterPlayer player(b);

  w.mnuGame(0)->trigger();
  ASSERT_EQ(b.GamePhase, PhasePlaceBuildings);
  int steps = 0;
  while (boxes.texts.size() < 2) {
    ASSERT_LT(++steps, 200000) << "the game does not end; phase " << b.GamePhase;
    if (!player.Act()) {
      // Only the finished game's closing tick is left.
      ASSERT_EQ(b.GamePhase, PhaseIdle);
      break;
    }
  }
  ASSERT_EQ(boxes.texts.size(), 2u);
  const std::string& result = boxes.texts[0];
  EXPECT_TRUE(result == "Dravenholt: Game Over: you WON!" || result == "Dravenholt: Game Over: You lost!" ||
              result == "Dravenholt: Game Over: Its a DRAW!")
      << result;
  EXPECT_EQ(boxes.texts[1], "Dravenholt: Game has been terminated");
  EXPECT_EQ(b.GamePhase, PhaseIdle);
  EXPECT_EQ(b.GameMode, ModeNone);
  EXPECT_FALSE(w.Timing()->isActive());
  for (int i = 15; i <= 59; ++i) EXPECT_FALSE(w.Imag(i)->isVisible()) << i;
  EXPECT_EQ(w.Panel(2)->text(), "");
}
