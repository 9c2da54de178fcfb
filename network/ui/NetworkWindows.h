// The windows that lead from the Game menu into a network game: the device
// window, the join window and the lobby. This object keeps them and what they
// share for the life of the board window.
#pragma once

#include <QDialog>
#include <QString>
#include <memory>
#include <string>

#include "board/Board.h"
#include "network/DirPlay.h"
#include "network/SessionService.h"

class QListWidget;
class QPushButton;
class QWidget;
class frmDPlayDevices;
class frmJoin;
class frmStart;

// Twips of the window tables to pixels.
int TwipsToPixels(int twips);
void PlaceTwips(QWidget* w, int left, int top, int width, int height);
// The small font these windows' tables were laid out for.
void UseTableFont(QWidget* window);
// A box of these windows: OK only, no icon, the application's title.
void NetworkMsgBox(QWidget* parent, const QString& prompt);

// What the three windows share: a fixed client area in twips, the table font,
// and the keys of the desktop they were designed for. A focused button takes
// Enter (and Space); anywhere else Enter presses the default button, if the
// window has one. Esc does nothing unless a window has a cancel button.
class NetDialog : public QDialog {
 public:
  NetDialog(QWidget* owner, const QString& caption, int widthTwips, int heightTwips);
  void reject() override {}

 protected:
  // Once the controls are made: `defaultButton` (may be null) is the default.
  void SetDefaultButton(QPushButton* defaultButton);
  void keyPressEvent(QKeyEvent* event) override;
};

// A list widget as the session class fills it.
class QtListBox : public ListBoxPort {
 public:
  explicit QtListBox(QListWidget* list) : list_(list) {}
  void Clear() override;
  void AddItem(const std::string& text) override;
  int ListCount() const override;
  void SetListIndex(int row) override;
  int ListIndex() const override;

 private:
  QListWidget* list_;
};

class NetworkWindows {
 public:
  NetworkWindows(Board& board, BoardView& view, QWidget* boardWindow, SessionServiceFactory factory);
  ~NetworkWindows();
  NetworkWindows(const NetworkWindows&) = delete;
  NetworkWindows& operator=(const NetworkWindows&) = delete;

  // Shows the device window modally, loading it first when it is not; returns
  // once it is hidden or closed, with the join window and lobby it led to.
  void ShowDeviceWindow();
  // Runs the lobby modally, owned by `owner` (none when null).
  void RunLobby(QWidget* owner);

  frmDPlayDevices* DeviceWindow() const { return devices_.get(); }  // null while unloaded
  frmJoin& JoinWindow();                                            // one for the whole run
  frmStart* Lobby() const { return lobby_; }                        // the open lobby, if any
  std::string PlayerName() const;                                   // the device window's name field

  Board& board;
  BoardView& view;
  QWidget* const boardWindow;
  const SessionServiceFactory factory;

 private:
  std::unique_ptr<frmDPlayDevices> devices_;
  std::unique_ptr<frmJoin> join_;
  frmStart* lobby_ = nullptr;
};
