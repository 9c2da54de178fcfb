#include "network/ui/frmStart.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <cmath>
#include <memory>
#include <string>

#include "network/ui/MessageField.h"
#include "network/ui/NetworkWindows.h"

namespace {

// The number a ready body starts with, read the lenient way (blanks skipped,
// a text without a number is 0).
double BodyNumber(const std::string& body) {
  std::string s;
  for (char c : body)
    if (c != ' ' && c != '\t') s += c;
  size_t i = 0;
  double sign = 1.0;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) sign = s[i++] == '-' ? -1.0 : 1.0;
  double value = 0.0;
  bool any = false;
  for (; i < s.size() && s[i] >= '0' && s[i] <= '9' && value < 1e9; ++i, any = true) value = value * 10 + (s[i] - '0');
  if (i < s.size() && s[i] == '.') {
    double scale = 0.1;
    for (++i; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i, scale /= 10, any = true) value += (s[i] - '0') * scale;
  }
  return any ? sign * value : 0.0;
}

// The check box a positive body names: 1 the host, 2 the client, 0 none.
int ReadyBox(const std::string& body) {
  const double v = BodyNumber(body);
  if (!(v > 0)) return 0;
  const double whole = std::nearbyint(v);  // halves go to the even neighbour
  return whole == 1 || whole == 2 ? static_cast<int>(whole) : 0;
}

}  // namespace

frmStart::frmStart(NetworkWindows& net, QWidget* owner)
    : NetDialog(owner, QStringLiteral("Chatting"), 5520, 4005), net_(net) {
  lblStatus = new QLabel(QStringLiteral("Current Players:"), this);
  PlaceTwips(lblStatus, 120, 120, 3495, 255);
  lstPlayers = new QListWidget(this);
  PlaceTwips(lstPlayers, 0, 480, 3735, 645);
  Label1 = new QLabel(QStringLiteral("Chat Text:"), this);
  PlaceTwips(Label1, 120, 1200, 1335, 255);
  lstText = new QListWidget(this);
  PlaceTwips(lstText, 0, 1560, 3735, 1425);
  Label2 = new QLabel(QStringLiteral("Send Text:"), this);
  PlaceTwips(Label2, 120, 3240, 855, 255);
  txtChat = new QLineEdit(this);
  PlaceTwips(txtChat, 1080, 3180, 2655, 285);
  LimitUtf8(txtChat, kMaxMessageBody);
  cmdSendText = new QPushButton(QStringLiteral("&Send"), this);
  PlaceTwips(cmdSendText, 2640, 3560, 1095, 375);
  cmdDisable = new QPushButton(QStringLiteral("Disable Join"), this);
  PlaceTwips(cmdDisable, 1080, 3560, 1095, 375);
  cmdDisable->setEnabled(false);
  cmdDisable->setVisible(false);
  cmdStart = new QPushButton(QStringLiteral("Ready to Play"), this);
  PlaceTwips(cmdStart, 3960, 1560, 1335, 375);
  Frame1 = new QGroupBox(QStringLiteral("Player Status"), this);
  PlaceTwips(Frame1, 3840, 120, 1575, 1095);
  chk[1] = new QCheckBox(QStringLiteral("Host Ready"), Frame1);
  PlaceTwips(chk[1], 120, 360, 1215, 255);
  chk[2] = new QCheckBox(QStringLiteral("Client Ready"), Frame1);
  PlaceTwips(chk[2], 120, 720, 1215, 255);
  // Only the handshake ticks the boxes.
  Frame1->setEnabled(false);

  SetDefaultButton(cmdSendText);

  setTabOrder(lstPlayers, cmdDisable);
  setTabOrder(cmdDisable, lstText);
  setTabOrder(lstText, txtChat);
  setTabOrder(txtChat, cmdSendText);
  setTabOrder(cmdSendText, cmdStart);
  setTabOrder(cmdStart, Frame1);
  setTabOrder(Frame1, chk[1]);
  setTabOrder(chk[1], chk[2]);
  lstPlayers->setFocus();

  msgTimer = new QTimer(this);
  msgTimer->setInterval(500);
  connect(msgTimer, &QTimer::timeout, this, [this] { msgTimer_Timer(); });
  connect(cmdSendText, &QPushButton::clicked, this, [this] { cmdSendText_Click(); });
  connect(cmdStart, &QPushButton::clicked, this, [this] { cmdStart_Click(); });
}

void frmStart::Form_Load() {
  if (std::shared_ptr<DirPlay> dp = AsDirPlay(net_.board.gDirPlay)) {
    QtListBox players(lstPlayers);
    dp->UpdatePlayers(players);
  }
  msgTimer->start();
}

void frmStart::Form_Unload() { msgTimer->stop(); }

void frmStart::closeEvent(QCloseEvent* event) {
  Form_Unload();
  event->accept();
}

void frmStart::cmdStart_Click() {
  Board& b = net_.board;
  b.ReadyState = std::string(1, b.GameMode == ModeHost ? '1' : '2');
  if (b.gDirPlay) b.gDirPlay->SendDPText(msgReady, b.ReadyState);
}

void frmStart::cmdSendText_Click() {
  const std::string text = txtChat->text().toStdString();
  std::shared_ptr<SessionPort> session = net_.board.gDirPlay;
  // A line that did not go is not shown as said, and stays in the field.
  if (!session || !session->SendDPText(msgChat, text)) return;
  lstText->addItem(QString::fromStdString(net_.PlayerName() + ": " + text));
  txtChat->clear();
}

void frmStart::msgTimer_Timer() {
  if (chk[1]->isChecked() && chk[2]->isChecked()) {
    close();
    return;
  }
  ProcessLobbyMessages();
}

void frmStart::ProcessLobbyMessages() {
  Board& b = net_.board;
  std::shared_ptr<SessionPort> session = b.gDirPlay;
  if (!session) return;
  std::shared_ptr<DirPlay> dp = AsDirPlay(session);
  int32_t from = 0;
  int32_t to = 0;
  const int32_t t = dp ? dp->GetLobbyMessages(from, to) : session->GetMessages(from, to);
  switch (t) {
    case msgPlayerChange:
      if (dp) {
        QtListBox players(lstPlayers);
        lblStatus->setText(QString::fromStdString(dp->UpdatePlayers(players)));
      }
      break;

    case msgChat: {
      const std::string name = ChatSenderName(*session, from);
      lstText->addItem(QString::fromStdString(name + ": " + session->ReadString()));
      break;
    }

    case msgReady: {
      const std::string body = session->ReadString();
      if (const int box = ReadyBox(body)) {
        session->SendDPText(msgReadyEcho, body);
        chk[static_cast<size_t>(box)]->setChecked(true);
      }
      break;
    }

    case msgReadyEcho: {
      const std::string body = session->ReadString();
      if (const int box = ReadyBox(body)) {
        b.ReadyState = body;
        chk[static_cast<size_t>(box)]->setChecked(true);
      }
      break;
    }

    default:  // none, or the game's own: the session keeps those for the game
      break;
  }
}
