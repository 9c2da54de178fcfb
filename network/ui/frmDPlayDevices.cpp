#include "network/ui/frmDPlayDevices.h"

#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <memory>

#include "network/ui/NetworkWindows.h"
#include "network/ui/frmJoin.h"

frmDPlayDevices::frmDPlayDevices(NetworkWindows& net)
    : NetDialog(nullptr, QStringLiteral("Select a device"), 3405, 2730), net_(net) {
  lstServiceProviders = new QListWidget(this);
  PlaceTwips(lstServiceProviders, 0, 0, 3375, 1425);
  lblName = new QLabel(QStringLiteral("Your Name:"), this);
  PlaceTwips(lblName, 80, 1620, 975, 255);
  txtPlayerName = new QLineEdit(this);
  PlaceTwips(txtPlayerName, 1200, 1560, 2175, 285);
  Label1 = new QLabel(QStringLiteral("Session Name:"), this);
  PlaceTwips(Label1, 75, 1980, 1095, 255);
  txtGameName = new QLineEdit(QStringLiteral("Dravenholt"), this);
  PlaceTwips(txtGameName, 1200, 1920, 2175, 285);
  cmdJoin = new QPushButton(QStringLiteral("Join Session"), this);
  PlaceTwips(cmdJoin, 1080, 2280, 1095, 375);
  cmdStart = new QPushButton(QStringLiteral("Host Session"), this);
  PlaceTwips(cmdStart, 2280, 2280, 1095, 375);
  SetDefaultButton(nullptr);

  setTabOrder(cmdJoin, cmdStart);
  setTabOrder(cmdStart, lstServiceProviders);
  setTabOrder(lstServiceProviders, txtPlayerName);
  setTabOrder(txtPlayerName, txtGameName);
  cmdJoin->setFocus();

  connect(cmdJoin, &QPushButton::clicked, this, [this] { cmdJoin_Click(); });
  connect(cmdStart, &QPushButton::clicked, this, [this] { cmdStart_Click(); });
}

bool frmDPlayDevices::StartAfresh() {
  Board& b = net_.board;
  b.gDirPlay.reset();
  auto dp = std::make_shared<DirPlay>(net_.factory, net_.view);
  if (!dp->Initialized()) {
    // The program is ending; nothing more is shown.
    Unload();
    return false;
  }
  b.gDirPlay = dp;
  QtListBox providers(lstServiceProviders);
  if (!dp->InitConnectionList(providers)) {
    b.gDirPlay.reset();
    Unload();
    return false;
  }
  return true;
}

void frmDPlayDevices::cmdJoin_Click() {
  if (txtPlayerName->text().isEmpty()) {
    NetworkMsgBox(this, QStringLiteral("You must fill out the Player Name field."));
    return;
  }
  Board& b = net_.board;
  std::shared_ptr<DirPlay> dp = AsDirPlay(b.gDirPlay);
  frmJoin& join = net_.JoinWindow();
  QtListBox sessions(join.lstSessions);
  if (!dp || !dp->ListSessions(lstServiceProviders->currentRow(), sessions)) {
    b.gDirPlay.reset();
    ReDisplay();
    return;
  }
  b.GameMode = ModeClient;
  hide();
  join.exec();
}

void frmDPlayDevices::cmdStart_Click() {
  if (txtPlayerName->text().isEmpty() || txtGameName->text().isEmpty()) {
    NetworkMsgBox(this, QStringLiteral("You must fill out both the Player Name and Game Name fields."));
    return;
  }
  Board& b = net_.board;
  std::shared_ptr<DirPlay> dp = AsDirPlay(b.gDirPlay);
  if (!dp || !dp->HostGame(lstServiceProviders->currentRow(), txtPlayerName->text().toStdString(),
                           txtGameName->text().toStdString(), 2)) {
    b.gDirPlay.reset();
    ReDisplay();
    return;
  }
  b.GameMode = ModeHost;
  hide();
  net_.RunLobby(net_.boardWindow);
}

void frmDPlayDevices::ReDisplay() { StartAfresh(); }

void frmDPlayDevices::Form_Unload() {
  Board& b = net_.board;
  if (b.GamePhase != PhaseIdle && (b.GameMode == ModeHost || b.GameMode == ModeClient)) {
    if (b.gDirPlay) b.gDirPlay->SendDPText(msgOpponentLeft, "Your opponent has left the game");
    b.GameMode = ModeNone;
  }
  b.gDirPlay.reset();
}

void frmDPlayDevices::Unload() { close(); }

void frmDPlayDevices::closeEvent(QCloseEvent* event) {
  if (!unloaded_) {
    unloaded_ = true;
    Form_Unload();
  }
  event->accept();
}
