// "Chatting": the lobby. The players in the session, chat, and the ready
// handshake; it closes itself once both sides are ready.
#pragma once

#include <array>

#include "network/ui/NetworkWindows.h"

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QTimer;

class frmStart : public NetDialog {
  Q_OBJECT
 public:
  frmStart(NetworkWindows& net, QWidget* owner);

  void Form_Load();
  void Form_Unload();
  void cmdStart_Click();
  void cmdSendText_Click();
  void msgTimer_Timer();

  QLabel* lblStatus = nullptr;
  QListWidget* lstPlayers = nullptr;
  QLabel* Label1 = nullptr;
  QListWidget* lstText = nullptr;
  QLabel* Label2 = nullptr;
  QLineEdit* txtChat = nullptr;
  QPushButton* cmdSendText = nullptr;
  QPushButton* cmdDisable = nullptr;
  QPushButton* cmdStart = nullptr;
  QGroupBox* Frame1 = nullptr;
  std::array<QCheckBox*, 3> chk{};  // 1 host, 2 client
  QTimer* msgTimer = nullptr;

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void ProcessLobbyMessages();
  NetworkWindows& net_;
};
