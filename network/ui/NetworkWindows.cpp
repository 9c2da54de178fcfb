#include "network/ui/NetworkWindows.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <cmath>
#include <stdexcept>

#include "network/ui/frmDPlayDevices.h"
#include "network/ui/frmJoin.h"
#include "network/ui/frmStart.h"

int TwipsToPixels(int twips) { return static_cast<int>(std::lround(twips / static_cast<double>(kTwipsPerPixel))); }

void PlaceTwips(QWidget* w, int left, int top, int width, int height) {
  w->setGeometry(TwipsToPixels(left), TwipsToPixels(top), TwipsToPixels(width), TwipsToPixels(height));
}

void UseTableFont(QWidget* window) {
  // The controls keep the tables' sizes, so their texts must fit them.
  QFont font = window->font();
  font.setPixelSize(11);
  font.setStretch(QFont::SemiCondensed);
  window->setFont(font);
}

void NetworkMsgBox(QWidget* parent, const QString& prompt) {
  QMessageBox box(QMessageBox::NoIcon, QString::fromUtf8(kAppTitle), prompt, QMessageBox::Ok, parent);
  box.exec();
}

NetDialog::NetDialog(QWidget* owner, const QString& caption, int widthTwips, int heightTwips) : QDialog(owner) {
  setWindowTitle(caption);
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
  setFixedSize(TwipsToPixels(widthTwips), TwipsToPixels(heightTwips));
  UseTableFont(this);
}

void NetDialog::SetDefaultButton(QPushButton* defaultButton) {
  // No button becomes the default by taking the focus: Enter's way is ours.
  for (QPushButton* b : findChildren<QPushButton*>()) b->setAutoDefault(false);
  if (defaultButton) defaultButton->setDefault(true);
}

void NetDialog::keyPressEvent(QKeyEvent* event) {
  if (event->key() != Qt::Key_Return && event->key() != Qt::Key_Enter) return QDialog::keyPressEvent(event);
  // A focused button that is not the default leaves Enter to us (the default
  // one clicks itself); Qt's own dialog would hand it to the default button.
  auto* target = qobject_cast<QPushButton*>(focusWidget());
  if (!target) {
    for (QPushButton* b : findChildren<QPushButton*>())
      if (b->isDefault()) target = b;
  }
  if (target && target->isVisible() && target->isEnabled()) target->click();
}

void QtListBox::Clear() { list_->clear(); }

void QtListBox::AddItem(const std::string& text) { list_->addItem(QString::fromStdString(text)); }

int QtListBox::ListCount() const { return list_->count(); }

void QtListBox::SetListIndex(int row) {
  if (row < 0 || row >= list_->count()) throw std::out_of_range("no such row");
  list_->setCurrentRow(row);
}

int QtListBox::ListIndex() const { return list_->currentRow(); }

NetworkWindows::NetworkWindows(Board& b, BoardView& v, QWidget* window, SessionServiceFactory f)
    : board(b), view(v), boardWindow(window), factory(std::move(f)) {}

NetworkWindows::~NetworkWindows() = default;

void NetworkWindows::ShowDeviceWindow() {
  // A window closed while hidden (during a game) was unloaded too: load a new one.
  if (devices_ && devices_->Unloaded()) devices_.reset();
  if (!devices_) devices_ = std::make_unique<frmDPlayDevices>(*this);
  // Every showing starts a new session object and lists the providers anew.
  if (devices_->StartAfresh()) devices_->exec();
  // Closed rather than hidden: the next showing loads a new window.
  if (devices_->Unloaded()) devices_.reset();
}

void NetworkWindows::RunLobby(QWidget* owner) {
  frmStart lobby(*this, owner);
  lobby_ = &lobby;
  lobby.Form_Load();
  lobby.exec();
  lobby_ = nullptr;
}

frmJoin& NetworkWindows::JoinWindow() {
  if (!join_) join_ = std::make_unique<frmJoin>(*this);
  return *join_;
}

std::string NetworkWindows::PlayerName() const {
  return devices_ ? devices_->txtPlayerName->text().toStdString() : std::string();
}
