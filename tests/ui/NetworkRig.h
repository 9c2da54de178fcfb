// Helpers for the network windows' tests: a board window on a session hub,
// and a script of steps that runs from inside the windows' modal loops.
#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <QTimer>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "BoardWindowRig.h"
#include "fakes/FakeSessionHub.h"
#include "network/ui/NetworkWindows.h"
#include "network/ui/frmDPlayDevices.h"
#include "network/ui/frmJoin.h"
#include "network/ui/frmStart.h"

// A board window whose network games run on the given session service.
struct NetWindow : WindowRig {
  explicit NetWindow(SessionServiceFactory service) { w().SetSessionServiceFactory(std::move(service)); }
  explicit NetWindow(const std::shared_ptr<FakeSessionHub>& hub) : NetWindow(hub->Factory()) {}
  NetworkWindows& net() { return w().Network(); }
  frmDPlayDevices* devices() { return net().DeviceWindow(); }
  frmJoin& join() { return net().JoinWindow(); }
  frmStart* lobby() { return net().Lobby(); }
  bool DevicesUp() { return devices() && devices()->isVisible(); }
  bool JoinUp() { return join().isVisible(); }
  bool LobbyUp() { return lobby() && lobby()->isVisible(); }
};

// Steps run in order, each once its condition holds, checked every few
// milliseconds from whatever event loop is running. An action runs on its own
// turn of the loop, so one that opens a modal window does not hold up the
// steps after it. Message boxes are answered with OK and remembered. Past the
// deadline the test fails and every modal window is closed, so nothing hangs.
class UiScript {
 public:
  explicit UiScript(int deadlineMs = 30000) {
    timer_.setInterval(5);
    QObject::connect(&timer_, &QTimer::timeout, [this] { Tick(); });
    timer_.start();
    deadline_.setSingleShot(true);
    QObject::connect(&deadline_, &QTimer::timeout, [this] {
      ADD_FAILURE() << "script stuck at: " << (steps_.empty() ? std::string("(done)") : steps_.front().what);
      steps_.clear();
      aborting_ = true;
    });
    deadline_.start(deadlineMs);
  }

  void Then(const std::string& what, std::function<bool()> when, std::function<void()> act) {
    steps_.push_back({what, std::move(when), std::move(act)});
  }
  bool Done() const { return steps_.empty() && !pending_; }
  std::vector<std::string> boxes;  // "title: text"

 private:
  struct Step {
    std::string what;
    std::function<bool()> when;
    std::function<void()> act;
  };

  void Tick() {
    QWidget* modal = QApplication::activeModalWidget();
    if (auto* box = qobject_cast<QMessageBox*>(modal)) {
      boxes.push_back(box->windowTitle().toStdString() + ": " + box->text().toStdString());
      box->button(QMessageBox::Ok)->click();
      return;
    }
    if (aborting_) {
      if (auto* input = qobject_cast<QInputDialog*>(modal))
        input->reject();
      else if (modal)
        modal->close();
      return;
    }
    if (pending_ || steps_.empty() || !steps_.front().when()) return;
    Step step = std::move(steps_.front());
    steps_.pop_front();
    pending_ = true;
    QTimer::singleShot(0, &timer_, [this, act = std::move(step.act)] {
      pending_ = false;
      act();
    });
  }

  QTimer timer_;
  QTimer deadline_;
  std::deque<Step> steps_;
  bool pending_ = false;
  bool aborting_ = false;
};

// The focusable controls of a window in the order Tab visits them, from `first`.
inline std::vector<QWidget*> TabChain(QWidget* first) {
  std::vector<QWidget*> out;
  QWidget* w = first;
  do {
    if (w->isEnabled() && w->isVisibleTo(w->window()) && (w->focusPolicy() & Qt::TabFocus)) out.push_back(w);
    w = w->nextInFocusChain();
  } while (w && w != first && out.size() < 50);
  return out;
}

inline QRect Twips(int left, int top, int width, int height) {
  return {TwipsToPixels(left), TwipsToPixels(top), TwipsToPixels(width), TwipsToPixels(height)};
}
