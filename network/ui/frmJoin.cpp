#include "network/ui/frmJoin.h"

#include <QCloseEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <memory>

#include "network/ui/NetworkWindows.h"

frmJoin::frmJoin(NetworkWindows& net) : NetDialog(nullptr, QStringLiteral("Join a session"), 3750, 2850), net_(net) {
  lblStatus = new QLabel(QStringLiteral("Please select a session and click 'Join'"), this);
  PlaceTwips(lblStatus, 120, 120, 3495, 255);
  lstSessions = new QListWidget(this);
  PlaceTwips(lstSessions, 0, 480, 3735, 1815);
  cmdJoin = new QPushButton(QStringLiteral("Join Session"), this);
  PlaceTwips(cmdJoin, 1440, 2400, 1095, 375);
  cmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
  PlaceTwips(cmdCancel, 2640, 2400, 1095, 375);
  SetDefaultButton(cmdJoin);

  setTabOrder(lstSessions, cmdJoin);
  setTabOrder(cmdJoin, cmdCancel);
  lstSessions->setFocus();

  connect(cmdJoin, &QPushButton::clicked, this, [this] { cmdJoin_Click(); });
  connect(cmdCancel, &QPushButton::clicked, this, [this] { cmdCancel_Click(); });
}

void frmJoin::cmdJoin_Click() {
  std::shared_ptr<DirPlay> dp = AsDirPlay(net_.board.gDirPlay);
  if (!dp || !dp->JoinGame(lstSessions->currentRow(), net_.PlayerName())) {
    Unload();
    return;
  }
  hide();
  net_.RunLobby(nullptr);
  blnJoined = true;
  Unload();
}

void frmJoin::cmdCancel_Click() { Unload(); }

void frmJoin::Form_Unload() {
  if (blnJoined) return;
  if (std::shared_ptr<DirPlay> dp = AsDirPlay(net_.board.gDirPlay)) dp->Dismantle();
}

void frmJoin::Unload() { close(); }

void frmJoin::closeEvent(QCloseEvent* event) {
  Form_Unload();
  event->accept();
}
