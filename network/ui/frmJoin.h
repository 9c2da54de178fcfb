// "Join a session": the sessions found, and the join itself.
#pragma once

#include "network/ui/NetworkWindows.h"

class QLabel;
class QListWidget;
class QPushButton;

class frmJoin : public NetDialog {
  Q_OBJECT
 public:
  explicit frmJoin(NetworkWindows& net);

  void cmdJoin_Click();
  void cmdCancel_Click();
  void Form_Unload();

  QLabel* lblStatus = nullptr;
  QListWidget* lstSessions = nullptr;
  QPushButton* cmdJoin = nullptr;
  QPushButton* cmdCancel = nullptr;

  // Set once a join has led through the lobby; kept for the whole run.
  bool blnJoined = false;

 public slots:
  void reject() override { cmdCancel_Click(); }  // Esc

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void Unload();
  NetworkWindows& net_;
};
