// "Select a device": the player's name, a session name and the ways to connect;
// hosts a session or lists the sessions to join.
#pragma once

#include "network/ui/NetworkWindows.h"

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

class frmDPlayDevices : public NetDialog {
  Q_OBJECT
 public:
  explicit frmDPlayDevices(NetworkWindows& net);

  // A new session object and a fresh provider list; false when the window had
  // to close instead.
  bool StartAfresh();
  bool Unloaded() const { return unloaded_; }

  void cmdJoin_Click();
  void cmdStart_Click();
  void ReDisplay();
  void Form_Unload();

  QListWidget* lstServiceProviders = nullptr;
  QLabel* lblName = nullptr;
  QLineEdit* txtPlayerName = nullptr;
  QLabel* Label1 = nullptr;
  QLineEdit* txtGameName = nullptr;
  QPushButton* cmdJoin = nullptr;
  QPushButton* cmdStart = nullptr;

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void Unload();

  NetworkWindows& net_;
  bool unloaded_ = false;
};
