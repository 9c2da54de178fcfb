// The board window: the program's one main window. It draws what the game core
// asks for and hands every click, key, tick and menu choice to the core.
#pragma once

#include <QLabel>
#include <QMainWindow>
#include <QPixmap>
#include <QRect>
#include <QString>
#include <array>
#include <functional>
#include <memory>

#include "board/Board.h"
#include "network/SessionService.h"

class QAction;
class QMenu;
class QStatusBar;
class QTimer;
class frmSplash;
class HelpWindows;
class NetworkWindows;

// The transparent click surface over the board; it reports where a button was
// released, in twips of the surface.
class Touchpad : public QWidget {
  Q_OBJECT
 public:
  explicit Touchpad(QWidget* parent);

 signals:
  void MouseUp(int16_t button, int16_t shift, float x, float y);

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
};

class frmBoard : public QMainWindow, public BoardView {
  Q_OBJECT
 public:
  // Null ports mean the real ones (ALSA sound, the clock-seeded generator); an
  // empty app path means the game's data folder (beside the executable, or its
  // installed place); an empty end callback ends the process's event loop.
  explicit frmBoard(SoundPort* sound = nullptr, RandomSource* random = nullptr, QString appPath = {},
                    std::function<void()> endProgram = {}, QWidget* parent = nullptr);
  ~frmBoard() override;

  // Runs the window's load: splash, pictures, reset, start-up cues.
  void Load();
  void SetOpponent(OpponentPort* opponent) { board_->SetOpponent(opponent); }
  Board& board() { return *board_; }

  // The controls, by the names the game gives them.
  QWidget* Picture1() const { return picture1_; }
  QLabel* BoardPicture() const { return boardPicture_; }
  Touchpad* touchpad() const { return touchpad_; }
  QLabel* Imag(int index) const;  // 1..59; null before LoadImag
  QTimer* Timing() const { return timing_; }
  QStatusBar* StatusBar() const { return statusBar_; }
  QLabel* Panel(int panel) const { return panels_.at(static_cast<size_t>(panel)); }  // 1..3
  QMenu* mnuG() const { return mnuG_; }
  QMenu* mnuO() const { return mnuO_; }
  QMenu* mnuH() const { return mnuH_; }
  QAction* mnuGame(int index) const { return mnuGame_.at(static_cast<size_t>(index)); }
  QAction* mnuOpt(int index) const { return mnuOpt_.at(static_cast<size_t>(index)); }
  QAction* mnuHelp(int index) const { return mnuHelp_.at(static_cast<size_t>(index)); }
  frmSplash* Splash() const { return splash_.get(); }

  // Help: 0 "HomePage", 1 "About"; both windows open modeless with no owner.
  void mnuHelp_Click(int16_t Index);
  HelpWindows* Help() const { return help_.get(); }  // null until Help is first used

  // The session service network games run on. Without one, starting a network
  // game tells the user the service cannot be had and ends the program.
  void SetSessionServiceFactory(SessionServiceFactory factory);
  // The device, join and lobby windows; made when first needed.
  NetworkWindows& Network();

  // BoardView
  void LoadImag(int index, int templ) override;
  void SetImagVisible(int index, bool visible) override;
  void MoveImag(int index, int leftTwips, int topTwips) override;
  void RefreshImag(int index) override;
  void SetPanelText(int panel, const std::string& text) override;
  std::string PanelText(int panel) const override;
  void RefreshStatusBar() override;
  bool OptChecked(int index) const override;
  void SetOptChecked(int index, bool checked) override;
  bool OptEnabled(int index) const override;
  void SetOptEnabled(int index, bool enabled) override;
  void SetTimingEnabled(bool on) override;
  void Beep() override;
  int MsgBox(const std::string& prompt, int buttons, const std::string& title) override;
  std::string InputBox(const std::string& prompt, const std::string& title, size_t maxBytes) override;
  void DoEvents() override;
  void WaitForEvents() override;
  void ShowSplash() override;
  void UnloadSplash() override;
  void ShowDeviceWindow() override;
  void EndProgram() override;

 protected:
  // Every key-down of this window arrives here first, as a Windows key code.
  virtual void KeyDown(int16_t keyCode, int16_t shift);

  bool eventFilter(QObject* watched, QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void showEvent(QShowEvent* event) override;

 private:
  void BuildMenus();
  void BuildBoard();
  void BuildStatusBar();
  QLabel* ImagAt(int index) const;

  std::unique_ptr<SoundPort> ownSound_;
  std::unique_ptr<RandomSource> ownRandom_;
  std::function<void()> endProgram_;
  std::unique_ptr<Board> board_;

  QWidget* picture1_ = nullptr;
  QLabel* boardPicture_ = nullptr;
  Touchpad* touchpad_ = nullptr;
  QTimer* timing_ = nullptr;
  QStatusBar* statusBar_ = nullptr;
  std::array<QLabel*, 4> panels_{};
  QMenu* mnuG_ = nullptr;
  QMenu* mnuO_ = nullptr;
  QMenu* mnuH_ = nullptr;
  std::array<QAction*, 6> mnuGame_{};
  std::array<QAction*, 2> mnuOpt_{};
  std::array<QAction*, 2> mnuHelp_{};

  std::array<QLabel*, 60> imag_{};
  // Where each picture was last painted, so a refresh also clears its old spot.
  std::array<QRect, 60> paintedAt_{};
  // The lowest explosion picture: unit pictures go below it, so blasts stay on top.
  QLabel* lowestBlast_ = nullptr;

  std::unique_ptr<frmSplash> splash_;
  std::unique_ptr<HelpWindows> help_;
  bool centred_ = false;
  bool ending_ = false;

  SessionServiceFactory sessionFactory_;
  std::unique_ptr<NetworkWindows> network_;
};
